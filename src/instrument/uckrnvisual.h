#pragma once
// The instrument control: the one object through which the tool talks to an instrument. It is
// a facade over the link and the memory concerns, each in its own class; it keeps the names the
// rest of the system uses.
#include <cstdint>
#include <optional>
#include <string>

#include "instrument/checkpoints.h"
#include "instrument/clock_members.h"
#include "instrument/configuration.h"
#include "instrument/display_memory.h"
#include "instrument/flash.h"
#include "instrument/identification.h"
#include "instrument/identity.h"
#include "instrument/io_functions.h"
#include "instrument/jobs.h"
#include "instrument/memory_check.h"
#include "instrument/nvram.h"
#include "instrument/options.h"
#include "instrument/press_control.h"
#include "instrument/users.h"
#include "link/frame_link.h"

namespace instrument {

// A firmware version as the tool shows and stores it: two decimals with ".", whatever the locale.
std::string versionText(float version);

class UCKRNVisual {
public:
    UCKRNVisual(platform::Clock& clock, platform::UsbBridge* usb,
                platform::SerialPortEnumerator* ports);
    // Closes the channel while every member is still there; the link calls nothing back after.
    ~UCKRNVisual();
    UCKRNVisual(const UCKRNVisual&) = delete;
    UCKRNVisual& operator=(const UCKRNVisual&) = delete;

    // The parts, for code that works with one concern.
    krnlink::FrameLink& link() { return link_; }
    Nvram& nvram() { return nvram_; }
    Flash& flash() { return flash_; }
    Options& options() { return options_; }
    Configuration& configuration() { return config_; }
    const Identity& identity() const { return id_; }
    Jobs& jobs() { return jobs_; }
    Users& users() { return users_; }
    IoFunctions& io() { return io_; }
    // The boxes the job write checks show; none by default.
    void setDialogs(platform::Dialogs* d) { jobs_.setDialogs(d); }
    const ConfigurationValues& values() const { return values_; }

    // Long operations take the caller's platform::Progress as their last parameter and only
    // report update(done) on it (see nessunProgresso); without one they report nothing.

    // --- link primitives (the frame buffers are the link's: link().prepare fills BufferTx) ---
    bool EseguiTransazione(bool senzaRitentativi) {
        return link_.EseguiTransazione(senzaRitentativi);
    }
    bool ComandoSemplice(std::uint8_t codice, bool senzaRitentativi) {
        return link_.ComandoSemplice(codice, senzaRitentativi);
    }
    bool ComandoConConferma() { return link_.ComandoConConferma(); }
    bool Risincronizza() { return link_.Risincronizza(); }
    static constexpr std::int16_t DimMaxBuffer() { return krnlink::FrameLink::DimMaxBuffer(); }

    // --- channels ---
    bool ApriComunicazione232(int portNumber) { return link_.ApriComunicazione232(portNumber); }
    bool ApriComunicazione232(const std::string& location) {
        return link_.ApriComunicazione232(location);
    }
    bool ApriComunicazioneUSB(const std::string& serial) {
        return link_.ApriComunicazioneUSB(serial);
    }
    void SetupPortaEth(platform::UdpSocket* socket) { link_.SetupPortaEth(socket); }
    bool ApriComunicazioneETH(const std::string& host, std::int32_t port,
                              const std::string& localAddress = {}) {
        return link_.ApriComunicazioneETH(host, port, localAddress);
    }
    std::optional<std::string> ComandoUDP(const std::string& command) {
        return link_.ComandoUDP(command);
    }
    void ChiudiPortaComunicazione() { link_.ChiudiPortaComunicazione(); }
    bool Collegato() const { return link_.Collegato(); }
    const std::string& Nome() const { return link_.Nome(); }
    void HandlePorta(platform::SerialPort* port) { link_.HandlePorta(port); }
    platform::FtHandle HandlePortaUSB() const { return link_.HandlePortaUSB(); }

    // --- NVRAM and flash ---
    std::optional<std::uint8_t> ReadNVRam1Byte(std::int32_t a) { return nvram_.ReadNVRam1Byte(a); }
    std::optional<std::int32_t> ReadNVRam2Bytes(std::int32_t a) {
        return nvram_.ReadNVRam2Bytes(a);
    }
    std::optional<std::int32_t> ReadNVRam3Bytes(std::int32_t a) {
        return nvram_.ReadNVRam3Bytes(a);
    }
    std::optional<std::vector<std::uint8_t>> ReadNVRamBytes(
        std::int32_t a, std::int32_t n, platform::Progress& p = nessunProgresso()) {
        return nvram_.ReadNVRamBytes(a, n, p);
    }
    std::optional<std::string> LeggiStringaNVRam(std::int32_t a, int massimo = 255) {
        return nvram_.LeggiStringaNVRam(a, massimo);
    }
    std::optional<std::string> LeggiIndirizzoIP(std::int32_t a) {
        return nvram_.LeggiIndirizzoIP(a);
    }
    bool WriteNVRam1Byte(std::int32_t a, std::uint8_t v) { return nvram_.WriteNVRam1Byte(a, v); }
    bool WriteNVRam2Bytes(std::int32_t a, std::int32_t v) { return nvram_.WriteNVRam2Bytes(a, v); }
    bool WriteNVRam3Bytes(std::int32_t a, std::int32_t v) { return nvram_.WriteNVRam3Bytes(a, v); }
    bool WriteNVRam10Bytes(std::int32_t a, const std::uint8_t (&d)[10]) {
        return nvram_.WriteNVRam10Bytes(a, d);
    }
    bool WriteNVRamBytes(std::int32_t a, const std::vector<std::uint8_t>& d,
                         platform::Progress& p = nessunProgresso()) {
        return nvram_.WriteNVRamBytes(a, d, p);
    }
    bool ScriviStringaNVRam(std::int32_t a, const std::string& t, int max) {
        return nvram_.ScriviStringaNVRam(a, t, max);
    }
    bool SetUpdateMode(bool richiesto, platform::Progress& p = nessunProgresso()) {
        return press_.SetUpdateMode(richiesto, p);
    }
    bool OpenWriteFlash() { return flash_.OpenWriteFlash(); }
    bool WriteFlash(std::int32_t a, std::uint8_t v) { return flash_.WriteFlash(a, v); }
    bool CloseWriteFlash() { return flash_.CloseWriteFlash(); }
    bool ClearFlash(std::int32_t a) { return flash_.ClearFlash(a); }
    std::optional<std::pair<std::uint8_t, std::uint8_t>> ReadFlash(std::int32_t a) {
        return flash_.ReadFlash(a);
    }
    // The display memory at the address (its two low bytes are sent): at least 2 data bytes.
    std::optional<std::vector<std::uint8_t>> LeggiMemoriaDisplay(std::int32_t a) {
        return instrument::LeggiMemoriaDisplay(link_, a);
    }

    // --- the instrument's memory test ---
    bool StartTestMemory(int& cicli) { return memTest_.StartTestMemory(cicli); }
    std::optional<StatoTestMemoria> StatoTestMemory() { return memTest_.StatoTestMemory(); }
    bool StopTestMemory() { return memTest_.StopTestMemory(); }
    bool TestMemoriaInCorso() const { return memTest_.inCorso(); }

    // --- identity and memory map ---
    std::int16_t Protocollo() const { return id_.Protocollo; }
    std::int16_t Estensioni() const { return link_.flags.Estensioni; }
    bool UpdateMode() const { return link_.flags.UpdateMode; }
    bool LoaderAttivo() const { return id_.LoaderAttivo; }
    std::string Versione() const;
    float versione() const { return id_.versione; }
    bool ConOrologio() const { return id_.ConOrologio; }
    bool ConPLC() const { return id_.ConPLC; }
    bool PressaElettrica() const { return id_.PressaElettrica; }
    std::int32_t MemorySize() const { return id_.MemorySize; }
    std::int32_t IndirizzoLavori() const { return id_.IndirizzoLavori; }
    std::int32_t DimensioneLavori() const { return id_.DimensioneLavori(); }
    std::int16_t DimensioneConfigurazione() const { return id_.DimensioneConfigurazione(); }
    std::int16_t FormatoNVRAM() const { return ident_.FormatoNVRAM(); }
    std::int16_t FormatoFONT() const { return ident_.FormatoFONT(); }
    float MotorMaxSpeed() const { return values_.MotorMaxSpeed; }
    bool MemoriaPerLavoro(std::int32_t n) const { return ident_.MemoriaPerLavoro(n); }
    bool LeggiVersione() { return ident_.LeggiVersione(); }
    bool LeggiIdentita() { return ident_.LeggiIdentita(); }

    // --- configuration ---
    // The configuration read of every open; the job image starts empty, sized for the instrument.
    bool LeggiConfigurazione();
    bool RileggiConfigurazione(int& stato) { return config_.RileggiConfigurazione(stato); }
    bool LeggiMainInfo() { return config_.LeggiMainInfo(); }
    // 0 normal, 3 NVRAM signature missing, 4 NVRAM format number differs (last reread).
    int StatoConfigurazione() const { return config_.ultimoStato(); }
    bool LeggiContaColpi() { return config_.LeggiContaColpi(); }
    bool WriteContaColpi(std::int32_t c) { return config_.WriteContaColpi(c); }
    std::int32_t ContaColpi() const { return values_.ContaColpi; }
    bool ScriviNome(const std::string& nome) { return config_.ScriviNome(nome); }
    bool LeggiCoefDeformazione() { return config_.LeggiCoefDeformazione(); }
    bool WriteCoefDeformazione(std::uint8_t a, std::uint8_t b,
                               platform::Progress& p = nessunProgresso()) {
        return config_.WriteCoefDeformazione(a, b, p);
    }
    void AssegnaCodiciOpzione() { options_.AssegnaCodiciOpzione(); }

    // --- jobs, phases, checkpoints, bands ---
    JobImage& lavoro() { return jobs_.image(); }
    bool LeggiLavoro(std::int32_t numero, platform::Progress& p = nessunProgresso()) {
        return jobs_.LeggiLavoro(numero, p);
    }
    bool ScriviLavoro(std::int32_t numero, platform::Progress& p = nessunProgresso()) {
        return jobs_.ScriviLavoro(numero, p);
    }
    std::optional<std::int32_t> LeggiTotaleLavori() { return jobs_.LeggiTotaleLavori(); }
    std::optional<std::string> LeggiNomeLavoro(std::int32_t n) { return jobs_.LeggiNomeLavoro(n); }
    std::optional<StatoStrumento> LeggiStato() { return jobs_.LeggiStato(); }
    // Checkpoints and band of one phase (1-based) of the job image.
    CurveChecks curve(int fase) {
        return CurveChecks(jobs_.image().fasi.at(static_cast<std::size_t>(fase) - 1),
                           id_.NumeroMassimoPuntiFascia);
    }

    // --- users, passwords, history ---
    bool ConUtenti() const { return users_.ConUtenti(); }
    bool LeggiStatoStory() { return users_.LeggiStatoStory(link_); }
    bool AggiungiUtente(std::int32_t codice, const std::string& nome, std::int32_t diritti) {
        return users_.AggiungiUtente(link_, codice, nome, diritti);
    }
    bool EliminaUtenti() { return users_.EliminaUtenti(link_); }
    bool PasswordValida(std::int32_t codice) { return users_.PasswordValida(codice); }

    // --- inputs and outputs ---
    std::string NomeInput(int i) const { return io_.NomeInput(i); }
    std::string NomeOutput(int i) const { return io_.NomeOutput(i); }
    bool zzConEventoPezzoFinito() const { return io_.zzConEventoPezzoFinito(); }

    // --- press, keyboard, restart ---
    PressLock BloccaPressa() { return press_.BloccaPressa(); }
    bool SbloccaPressa(bool senzaRitentativi) { return press_.SbloccaPressa(senzaRitentativi); }
    bool ChiudiComunicazioni00(bool senzaRitentativi) {
        return press_.ChiudiComunicazioni00(senzaRitentativi);
    }
    bool BloccaTastiera() { return press_.BloccaTastiera(); }
    bool SbloccaTastiera(bool senzaRitentativi) { return press_.SbloccaTastiera(senzaRitentativi); }
    bool ResetStrumento(int da, int a, platform::Progress& p = nessunProgresso()) {
        return press_.ResetStrumento(da, a, p);
    }
    void setRestartWaitScale(double scale) { press_.setRestartWaitScale(scale); }
    void AttendiConProgresso(double secondi, int da, int a,
                             platform::Progress& p = nessunProgresso()) {
        press_.AttendiConProgresso(secondi, da, a, p);
    }
    bool PressaBloccata() const { return link_.flags.PressaBloccata; }

    // --- clock ---
    std::optional<platform::LocalDateTime> LeggiOra() { return instrument::LeggiOra(link_); }
    bool SicronizzaOra() { return instrument::SicronizzaOra(link_); }

private:
    // What the USB write mode follows; kept here, read by the link.
    krnlink::InstrumentFlags flags_;
    krnlink::FrameLink link_;
    Identity id_;
    ConfigurationValues values_;
    Nvram nvram_;
    Flash flash_;
    Identification ident_;
    Options options_;
    PressControl press_;
    IoFunctions io_;
    Configuration config_;
    Jobs jobs_;
    Users users_;
    MemoryTest memTest_{link_};
};

}  // namespace instrument
