// krnctl identify: who the instrument is, what it can do, where its memory lies.
#include <algorithm>
#include <iostream>
#include <sstream>

#include "cli/commands.h"
#include "cli/json.h"
#include "instrument/options.h"
#include "service/settings/nvram_writes.h"

namespace cli {
namespace {

struct Field {
    const char* name;
    std::int64_t value;
};

// Whether the header 0..11 holds this instrument's whole signature ("FontOK", font type, "KRNV",
// format number): a format or a send broken off leaves part of it cleared, which the
// configuration read, looking at "KRNV" and the format number only, does not see. Nothing while
// the loader runs.
using Signature = std::optional<bool>;

constexpr const char* kSignatureInvalid =
    "the header's signature is not valid (a format or a text send was broken off): format "
    "the instrument again";

std::string stateText(const instrument::UCKRNVisual& c, Signature valid) {
    if (!c.UpdateMode()) return valid.value_or(true) ? "ready" : std::string(kSignatureInvalid);
    switch (c.StatoConfigurazione()) {
        case 3:
            return "update mode: NVRAM not formatted (signature missing)";
        case 4:
            return "update mode: NVRAM format number differs from " +
                   std::to_string(c.FormatoNVRAM());
        default:
            return "update mode: the instrument runs its firmware loader";
    }
}

std::vector<Field> fields(const instrument::UCKRNVisual& c) {
    const auto& id = c.identity();
    return {{"Protocollo", c.Protocollo()},
            {"Estensioni", c.Estensioni()},
            {"FormatoNVRAM", c.FormatoNVRAM()},
            {"FormatoFONT", c.FormatoFONT()},
            {"FlagCapacita", id.FlagCapacita},
            {"NumeroMassimoFasi", id.NumeroMassimoFasi},
            {"NumeroMassimoRipetizioni", id.NumeroMassimoRipetizioni},
            {"NumeroLavoriSelezionabili", id.NumeroLavoriSelezionabili},
            {"NumeroMassimoCheckPoint", id.NumeroMassimoCheckPoint},
            {"NumeroMassimoPuntiFascia", id.NumeroMassimoPuntiFascia},
            {"NumeroMassimoTestInput", id.NumeroMassimoTestInput},
            {"NumeroMassimoEnableInput", id.NumeroMassimoEnableInput},
            {"NumeroMassimoIngressi", id.NumeroMassimoIngressi},
            {"NumeroMassimoUscite", id.NumeroMassimoUscite},
            {"MaxLenNome", id.MaxLenNome},
            {"MemorySize", id.MemorySize},
            {"FielBusMemorySize", id.FielBusMemorySize},
            {"BufferSize", id.BufferSize},
            {"IndirizzoConfigurazione", id.IndirizzoConfigurazione},
            {"DimensioneConfigurazione", id.DimensioneConfigurazione()},
            {"IndirizzoLavori", id.IndirizzoLavori},
            {"FineMemoriaLavori", id.FineMemoriaLavori},
            {"DimTestataLavoro", id.DimTestataLavoro},
            {"DimFase", id.DimFase()},
            {"DimensioneLavori", id.DimensioneLavori()}};
}

struct Flag {
    const char* name;
    bool value;
};

std::vector<Flag> flags(const instrument::UCKRNVisual& c) {
    const auto& id = c.identity();
    return {{"UpdateMode", c.UpdateMode()},
            {"ConOrologio", id.ConOrologio},
            {"ConPLC", id.ConPLC},
            {"StrumentoConIOT", id.StrumentoConIOT},
            {"StrumentoConVIOBUS", id.StrumentoConVIOBUS},
            {"PressaElettrica", id.PressaElettrica},
            {"PressaRaddrizzatrice", id.PressaRaddrizzatrice}};
}

std::vector<std::string> activeOptions(instrument::UCKRNVisual& c) {
    std::vector<std::string> out;
    for (const auto& key : instrument::Options::chiavi())
        if (c.options().OpzioneAttiva(key)) out.push_back(key);
    return out;
}

void printJson(instrument::UCKRNVisual& c, Signature valid) {
    const auto& v = c.values();
    const bool mapped = !c.UpdateMode();
    Json doc = Json::object();
    doc.add("Nome", c.Nome()).add("Versione", c.Versione()).add("stato", c.StatoConfigurazione());
    if (valid) doc.add("FirmaValida", *valid);
    for (const Flag& f : flags(c)) doc.add(f.name, f.value);
    if (mapped) {
        for (const Field& f : fields(c)) doc.add(f.name, f.value);
        Json outputs = Json::array();
        for (const auto& n : v.NomeUscitaSetPoint) outputs.push(n);
        Json options = Json::array();
        for (const auto& o : activeOptions(c)) options.push(o);
        doc.add("NomeFreno", v.NomeFreno)
            .add("NomeUscitaSetPoint", outputs)
            .add("decimaliForza", static_cast<int>(v.decimaliForza))
            .add("umForza", c.configuration().umForza())
            .add("decimaliQuota", static_cast<int>(v.decimaliQuota))
            .add("umQuota", c.configuration().umQuota())
            .add("MotorMaxSpeed", static_cast<double>(v.MotorMaxSpeed))
            .add("ContaColpi", static_cast<std::int64_t>(v.ContaColpi))
            .add("Opzioni", options);
    } else {
        doc.add("Protocollo", c.Protocollo()).add("Estensioni", c.Estensioni());
    }
    std::cout << doc.str() << "\n";
}

void row(const std::string& label, const std::string& value) {
    std::string name = label + ":";
    name.resize(std::max<std::size_t>(name.size() + 1, 28), ' ');
    std::cout << name << value << "\n";
}

void printText(instrument::UCKRNVisual& c, Signature valid) {
    const auto& v = c.values();
    row("Instrument", c.Nome().empty() ? "(no name)" : c.Nome());
    row("State", stateText(c, valid));
    if (valid) row("Signature", *valid ? "valid" : "not valid");
    row("Protocol", std::to_string(c.Protocollo()) + "-" + std::to_string(c.Estensioni()));
    row("Version", c.Versione());
    if (c.UpdateMode()) return;
    std::string set;
    for (const Flag& f : flags(c))
        if (f.value) set += (set.empty() ? "" : " ") + std::string(f.name);
    row("Flags", set.empty() ? "-" : set);
    for (const Field& f : fields(c)) row(f.name, std::to_string(f.value));
    row("Set-point function", v.NomeFreno);
    row("Set-point outputs",
        v.NomeUscitaSetPoint[0] + ", " + v.NomeUscitaSetPoint[1] + ", " + v.NomeUscitaSetPoint[2]);
    row("Force decimals, unit code",
        std::to_string(v.decimaliForza) + ", " + std::to_string(c.configuration().umForza()));
    row("Position decimals, unit code",
        std::to_string(v.decimaliQuota) + ", " + std::to_string(c.configuration().umQuota()));
    if (c.PressaElettrica()) {
        std::ostringstream speed;
        speed << v.MotorMaxSpeed;
        row("Motor maximum speed", speed.str());
    }
    row("Hit counter", std::to_string(v.ContaColpi));
    std::string options;
    for (const auto& o : activeOptions(c)) options += (options.empty() ? "" : " ") + o;
    row("Options set", options.empty() ? "-" : options);
}

int runIdentify(Context& ctx) {
    return runSession(ctx, false, [&] {
        auto& c = ctx.instrument();
        Signature valid;
        if (!c.LoaderAttivo()) valid = service::testataValida(c);
        if ((!c.UpdateMode() && !c.LeggiContaColpi()) || (!c.LoaderAttivo() && !valid)) {
            ctx.communicationError(ctx.description());
            return kInstrumentFailed;
        }
        if (ctx.options().json)
            printJson(c, valid);
        else
            printText(c, valid);
        return kDone;
    });
}

}  // namespace

static void addIdentifyCommand(CLI::App& app, std::vector<Command>& commands) {
    CLI::App* identify = app.add_subcommand(
        "identify",
        "Identify the instrument: identity, capabilities, memory map and configuration");
    commands.push_back({identify, [](Context& ctx) { return runIdentify(ctx); }});
}

KRN_CLI_COMMANDS(20, addIdentifyCommand)

}  // namespace cli
