#include "provisioning/configuration_part.h"

#include <cmath>

#include "instrument/generations.h"
#include "instrument/nvram_map.h"

namespace provisioning {
namespace {

namespace nv = instrument::nvmap;

// Entries of the main language's display texts that the configuration part holds.
constexpr long kVoceNome = 0;
constexpr long kVoceProdotto = -1;
constexpr long kVoceUnitaForza = -6;

// The eight named slots of 14 bytes from 314 and the entry each shows (0: no default name).
constexpr std::int32_t kPrimoSlotNomi = 314;
constexpr int kPassoSlotNomi = 14;
constexpr long kVociSlotNomi[8] = {-8, -9, -13, -14, -15, 0, -10, -11};
constexpr int kMaxLenSlot = 13;

// Anchors of the configuration record (field meanings in the configuration reader).
constexpr std::int32_t kProdotto = 72;
constexpr std::int32_t kUnitaForzaTesto = 93;
constexpr std::int32_t kMaxLenUnitaForza = 6;
constexpr std::int32_t kAncore[] = {212, 216};
constexpr std::int32_t kAncoreDopoForzaInizio[] = {302, 305, 308, 311};
constexpr std::int32_t kTipoStrumento = 433;
constexpr long kIngressiPredefiniti[] = {1, 2, 8};

const std::string& testo(const TestiLingua& testi, long voce) {
    static const std::string vuoto;
    const auto it = testi.find(voce);
    return it == testi.end() ? vuoto : it->second;
}

long centesimi(float v) {
    return std::lround(v * 100.0f);
}

void scriviBloccoElettrico(ScrittoreImmagine& w, const CProfilo& p, bool& ok) {
    const auto at = [&](std::int32_t a) { ok = w.finoA(a) && ok; };
    at(blocco::Fotoelettriche);
    w.dato(p.PressaStandardConFotoelettriche() ? 1 : 0);
    at(blocco::Accelerazione);
    w.parola(centesimi(p.AccelerazioneMassima()));
    at(blocco::Decelerazione);
    w.parola(centesimi(p.DecelerazioneMassima()));
    at(blocco::DenominatoreGear5);
    w.parola(p.DenominatoreGear5());
    at(blocco::DecimaliForza);
    w.dato(p.decimaliForza());
    at(blocco::ForzaMassima);
    w.parola(p.ForzaMassimaN() & 0xFFFF);
    w.parola(p.ForzaMassimaN() >> 16);
    at(blocco::QuotaIngrassaggio);
    w.parola(std::lround(p.QuotaIngrassaggio() * 10.0f) & 0xFFFF);
    at(blocco::PassoInMicron);
    w.parola(p.PassoInMicron());
    at(blocco::CorsaUtile);
    w.parola(p.CorsaUtile());
    at(blocco::SpeedMax);
    w.parola(p.SpeedMaxMMSEC() * 10L);
    at(blocco::CorrenteMotore);
    w.parola(p.CorrenteMotoreA());
    at(blocco::SensoreTemperatura);
    w.dato(p.SensoreTemperatura() ? 1 : 0);
    at(blocco::Flag);
    w.dato(p.EncoderDiv91() ? 16 : 0);
}

}  // namespace

std::vector<SlotTestoPredefinito> slotTestiPredefiniti(std::int16_t estensioni) {
    std::vector<SlotTestoPredefinito> slot;
    if (estensioni < 43) slot.push_back({kProdotto, kMaxLenSlot, kVoceProdotto});
    slot.push_back({kUnitaForzaTesto, kMaxLenUnitaForza, kVoceUnitaForza});
    slot.push_back({nv::Nome, kMaxLenSlot, kVoceNome});
    for (int k = 0; k < 8; ++k)
        if (kVociSlotNomi[k] != 0)
            slot.push_back({kPrimoSlotNomi + k * kPassoSlotNomi, kMaxLenSlot, kVociSlotNomi[k]});
    return slot;
}

std::vector<std::uint8_t> slotContato(const std::string& cp1252, int massimo) {
    ScrittoreImmagine w;
    w.testoContato(cp1252, massimo);
    return w.byte();
}

Dimensioni4 dimensioniIniziali(std::int16_t p, std::int16_t e, float versione) {
    if (p >= 31) return {{0, 0, 46, 0}};
    if (p == 3 || (p == 9 && e < 9)) return {{44, 46, 20, 13}};
    if (p == 9) return {{58, 56, 20, 35}};
    if (p == 15 && e <= 15) return {{58, versione >= 1.72f ? 64 : 58, 20, 50}};
    if (p == 15 && e == 16) return {{58, 66, 20, 50}};
    if (p == 15) return {{74, 66, 20, 50}};
    if (p == 17 && e <= 22) return {{58, 66, 20, 50}};
    if (p == 17 && e == 23) return {{74, 66, 20, 66}};
    return {{74, 66, 20, 80}};
}

bool scriviParteConfigurazione(ScrittoreImmagine& w, const ParametriImmagine& v,
                               const CProfilo& profilo, const TestiLingua& testi) {
    bool ok = true;
    const auto at = [&](std::int32_t a) { ok = w.finoA(a) && ok; };
    const std::int16_t e = v.estensioni;
    for (int x : dimensioniIniziali(v.protocollo, e, v.versione).v) w.dato(x);
    w.dato(0);
    w.dato(0);
    at(nv::CampioniValidi);
    w.dato(e < 53 ? 1 : 5);
    w.dato(2);  // end-wait samples
    at(nv::DecimaliForza);
    w.dato(profilo.decimaliForza());
    w.dato(profilo.ForzaInChilonewton() ? 1 : 0);
    at(nv::DecimaliQuota);
    w.dato(2);
    w.dato(0);
    at(nv::DecimaliSuppl);
    w.dato(1);
    w.dato(0);
    at(kProdotto);
    if (e < 43) w.testoContato(testo(testi, kVoceProdotto), kMaxLenSlot);
    at(kUnitaForzaTesto);
    w.testoContato(testo(testi, kVoceUnitaForza), kMaxLenUnitaForza);
    at(nv::Nome);
    w.testoContato(testo(testi, kVoceNome), kMaxLenSlot);
    for (std::int32_t a : kAncore) at(a);
    at(nv::LavoriConStory);
    w.dato(profilo.NumeroLavoriStory);
    at(nv::FiltroForza);
    w.dato(4);
    if (v.protocollo >= 17 && !instrument::mappaMemoriaNuova(e)) w.dato(3);  // four phases
    if (instrument::conNomeFreno(v.protocollo, e)) {
        at(nv::NomeFreno);
        w.testoContato("Brake", nv::MaxLenNomeFreno);
    }
    at(nv::CoefDeformazioneA);
    at(nv::DefaultForzaInizio);
    w.dato(profilo.ForzaDiInizio());
    const bool ingressiA285 = instrument::funzioniIO8(e) && !instrument::funzioniIO16(e);
    if (ingressiA285 && !v.elettrica)
        for (long x : kIngressiPredefiniti) w.dato(x);
    for (std::int32_t a : kAncoreDopoForzaInizio) at(a);
    for (int k = 0; k < 8; ++k) {
        at(kPrimoSlotNomi + k * kPassoSlotNomi);
        w.testoContato(kVociSlotNomi[k] == 0 ? std::string() : testo(testi, kVociSlotNomi[k]),
                       kMaxLenSlot);
    }
    at(kTipoStrumento);
    w.dato(v.elettrica ? 2 : 1);
    at(nv::FunzioniInput16);
    if (!ingressiA285 && !v.elettrica)
        for (long x : kIngressiPredefiniti) w.dato(x);
    if (v.elettrica) scriviBloccoElettrico(w, profilo, ok);
    if (w.indirizzo() > kFineParteConfigurazione) ok = false;
    if (!w.finoA(kInizioRisorse)) ok = false;
    return ok;
}

}  // namespace provisioning
