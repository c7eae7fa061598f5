#pragma once
// Checkpoints and tolerance bands of a phase: their NVRAM records at the end of the phase
// record, and the operations that edit them in the job image.
#include <cstdint>
#include <vector>

#include "instrument/job_image.h"
#include "instrument/job_scaling.h"

namespace instrument {

struct FieldWrite;

// Reads the checkpoint slots and both band edges of a phase record.
void decodeCurveChecks(const JobContext& ctx, const ScalaFase& s,
                       const std::vector<std::uint8_t>& b, FaseLavoro& f);
// Appends the writes of every checkpoint slot and of both band edges.
void encodeCurveChecks(const JobContext& ctx, const ScalaFase& s, const FaseLavoro& f,
                       std::vector<FieldWrite>& w);

// Editing, on one phase of the image. Slots are 1-based; a slot outside the phase is ignored.
class CurveChecks {
public:
    CurveChecks(FaseLavoro& f, std::int16_t massimoPunti) : f_(f), massimoPunti_(massimoPunti) {}

    void CheckPointVerticale(int n, float posizione, float forzaMinima, float forzaMassima);
    void CheckPointOrizzontale(int n, float forza, float quotaMinima, float quotaMassima);
    void CheckPointSpeed(int n, float quotaInizio, float quotaFine);
    void CheckPointMinMax(int n, float posizione, float minimo, float massimo);
    void CheckPointVariazione(int n, float posizione, float distanza, float minimo, float massimo);
    void CheckPointUscite(int n, float posizione, float quota1, float quota2);
    bool CheckPointEsiste(int n) const;
    bool tipo(int n, int t) const;
    const CheckPoint* slot(int n) const;
    void EliminaTuttiCheckPoint();

    void ClearFascia();
    void AddPuntoInferiore(float quota, float forza);
    void AddPuntoSuperiore(float quota, float forza);

private:
    void set(int n, int tipo, float v1, float v2, float v3, float v4);
    void add(std::int16_t& count, std::vector<PuntoFascia>& edge, float quota, float forza);
    FaseLavoro& f_;
    std::int16_t massimoPunti_;
};

}  // namespace instrument
