// krnctl job, users, io: the instrument's jobs, operators and input/output functions.
#include <algorithm>
#include <array>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>

#include "cli/commands.h"
#include "cli/json.h"

namespace cli {
namespace {

std::string number(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

struct FloatMember {
    const char* name;
    float instrument::FaseLavoro::*member;
};

const FloatMember kPhaseValues[] = {
    {"ForzaStop", &instrument::FaseLavoro::ForzaStop},
    {"ForzaMin", &instrument::FaseLavoro::ForzaMin},
    {"ForzaMax", &instrument::FaseLavoro::ForzaMax},
    {"ForzaZero", &instrument::FaseLavoro::ForzaZero},
    {"QuotaStop", &instrument::FaseLavoro::QuotaStop},
    {"QuotaMin", &instrument::FaseLavoro::QuotaMin},
    {"QuotaMax", &instrument::FaseLavoro::QuotaMax},
    {"QuotaInizioMin", &instrument::FaseLavoro::QuotaInizioMin},
    {"QuotaInizioMax", &instrument::FaseLavoro::QuotaInizioMax},
    {"SetPoint", &instrument::FaseLavoro::SetPoint},
    {"SpeedMin", &instrument::FaseLavoro::SpeedMin},
    {"SpeedMax", &instrument::FaseLavoro::SpeedMax},
    {"StopDelay", &instrument::FaseLavoro::StopDelay},
    {"OrigineQuotaGrafico", &instrument::FaseLavoro::OrigineQuotaGrafico},
    {"SupplemQuotaMisura", &instrument::FaseLavoro::SupplemQuotaMisura},
};

Json phaseJson(const instrument::FaseLavoro& f) {
    Json p = Json::object();
    p.add("NomeFase", f.NomeFase).add("FaseAbilitata", f.FaseAbilitata).add("TipoFase", f.TipoFase);
    for (const FloatMember& m : kPhaseValues) p.add(m.name, static_cast<double>(f.*m.member));
    p.add("NumeroRipetizioniFase", f.NumeroRipetizioniFase)
        .add("ArrestoImmediato", static_cast<std::int64_t>(f.ArrestoImmediato))
        .add("BloccoConPassword", static_cast<std::int64_t>(f.BloccoConPassword))
        .add("BloccoNormale", static_cast<std::int64_t>(f.BloccoNormale))
        .add("ScartoSpeciale", static_cast<std::int64_t>(f.ScartoSpeciale));
    Json cps = Json::array();
    for (const auto& cp : f.checkPoint)
        if (cp.tipo != 0)
            cps.push(Json::object()
                         .add("Tipo", cp.tipo)
                         .add("Valore1", static_cast<double>(cp.valore1))
                         .add("Valore2", static_cast<double>(cp.valore2))
                         .add("Valore3", static_cast<double>(cp.valore3))
                         .add("Valore4", static_cast<double>(cp.valore4)));
    p.add("CheckPoint", cps);
    auto edge = [](const std::vector<instrument::PuntoFascia>& pts, int n) {
        Json e = Json::array();
        for (int i = 0; i < n; ++i)
            e.push(Json::object()
                       .add("Quota", static_cast<double>(pts[static_cast<std::size_t>(i)].quota))
                       .add("Forza", static_cast<double>(pts[static_cast<std::size_t>(i)].forza)));
        return e;
    };
    p.add("BordoInferiore", edge(f.bordoInferiore, f.PuntiBordoInferiore))
        .add("BordoSuperiore", edge(f.bordoSuperiore, f.PuntiBordoSuperiore));
    return p;
}

int runJobShow(Context& ctx, int numero) {
    return runSession(ctx, false, [&] {
        auto& c = ctx.instrument();
        if (c.UpdateMode()) {
            ctx.message("krnctl: the instrument is in update mode; it has no jobs to show");
            return kRefused;
        }
        if (!c.LeggiLavoro(numero)) {
            ctx.communicationError("job " + std::to_string(numero) + " could not be read");
            return kInstrumentFailed;
        }
        const auto& j = c.lavoro();
        if (ctx.options().json) {
            Json fasi = Json::array();
            for (const auto& f : j.fasi) fasi.push(phaseJson(f));
            std::cout << Json::object()
                             .add("PosizioneLavoro", j.PosizioneLavoro)
                             .add("NomeLavoro", j.NomeLavoro)
                             .add("CodiceLavoro", j.CodiceLavoro)
                             .add("DataModifiche", platform::dateTimeText(j.DataModifiche))
                             .add("NumeroBuoni", j.NumeroBuoni)
                             .add("NumeroScarti", j.NumeroScarti)
                             .add("NumeroMassimoScarti", j.NumeroMassimoScarti)
                             .add("JobID", j.JobID)
                             .add("ChiediCodice", j.ChiediCodice)
                             .add("SpecialJob", j.SpecialJob)
                             .add("Fasi", fasi)
                             .str()
                      << "\n";
            return kDone;
        }
        std::cout << "Job " << j.PosizioneLavoro << ": " << j.NomeLavoro
                  << (j.CodiceLavoro.empty() ? "" : "  code " + j.CodiceLavoro) << "\n"
                  << "Changed " << platform::dateTimeText(j.DataModifiche) << ", good "
                  << j.NumeroBuoni << ", rejected " << j.NumeroScarti << "\n";
        for (std::size_t p = 0; p < j.fasi.size(); ++p) {
            const auto& f = j.fasi[p];
            std::cout << "Phase " << p + 1 << " " << f.NomeFase
                      << (f.FaseAbilitata ? "" : " (disabled)") << ":";
            for (const FloatMember& m : kPhaseValues)
                std::cout << " " << m.name << "=" << number(f.*m.member);
            int checkpoints = 0;
            for (const auto& cp : f.checkPoint) checkpoints += cp.tipo != 0;
            std::cout << " checkpoints=" << checkpoints << " band=" << f.PuntiBordoInferiore << "/"
                      << f.PuntiBordoSuperiore << "\n";
        }
        return kDone;
    });
}

int runJobList(Context& ctx) {
    return runSession(ctx, false, [&] {
        auto& c = ctx.instrument();
        auto total = c.LeggiTotaleLavori();
        auto stato = total ? c.LeggiStato() : std::nullopt;
        if (!stato) {
            ctx.communicationError(ctx.description());
            return kInstrumentFailed;
        }
        Json list = Json::array();
        for (int n = 1; n <= *total; ++n) {
            auto name = c.LeggiNomeLavoro(n);
            if (!name) {
                ctx.communicationError(ctx.description());
                return kInstrumentFailed;
            }
            const bool current = n == stato->LavoroCorrente;
            if (ctx.options().json)
                list.push(Json::object()
                              .add("PosizioneLavoro", n)
                              .add("NomeLavoro", *name)
                              .add("Corrente", current));
            else
                std::cout << (current ? "* " : "  ") << n << "  " << *name << "\n";
        }
        if (ctx.options().json)
            std::cout << list.str() << "\n";
        else if (*total == 0)
            std::cout << "(no jobs)\n";
        return kDone;
    });
}

int runUsers(Context& ctx) {
    return runSession(ctx, false, [&] {
        auto& c = ctx.instrument();
        if (!c.ConUtenti()) {
            ctx.message("krnctl: this instrument keeps no operator list");
            return kRefused;
        }
        auto list = c.LeggiStatoStory() ? c.users().ElencoUtenti() : std::nullopt;
        if (!list) {
            ctx.communicationError(ctx.description());
            return kInstrumentFailed;
        }
        Json out = Json::array();
        for (const auto& o : *list) {
            if (ctx.options().json)
                out.push(Json::object()
                             .add("Codice", o.Codice)
                             .add("Nome", o.Nome)
                             .add("Diritti", o.Diritti));
            else
                std::cout << o.Codice << "  " << o.Nome << "  rights " << o.Diritti << "\n";
        }
        if (ctx.options().json) std::cout << out.str() << "\n";
        return kDone;
    });
}

// The inputs or the outputs: "  n  name" lines under their title, or the JSON entries (number
// under `key`, function, name).
Json ioList(Context& ctx, const char* title, const char* key, int count,
            const std::array<std::int32_t, 16>& functions,
            const std::function<std::string(int)>& name) {
    Json list = Json::array();
    if (!ctx.options().json) std::cout << title << ":\n";
    for (int i = 0; i < std::min(count, 16); ++i) {
        if (ctx.options().json)
            list.push(Json::object()
                          .add(key, i + 1)
                          .add("Funzione", functions[static_cast<std::size_t>(i)])
                          .add("Nome", name(i)));
        else
            std::cout << "  " << i + 1 << "  " << name(i) << "\n";
    }
    return list;
}

int runIo(Context& ctx) {
    return runSession(ctx, false, [&] {
        auto& c = ctx.instrument();
        const auto& id = c.identity();
        const auto& io = c.io();
        const Json inputs = ioList(ctx, "Inputs", "Ingresso", id.NumeroMassimoIngressi,
                                   io.FunzioniInput, [&](int i) { return c.NomeInput(i); });
        const Json outputs = ioList(ctx, "Outputs", "Uscita", id.NumeroMassimoUscite,
                                    io.FunzioniOutput, [&](int i) { return c.NomeOutput(i); });
        if (ctx.options().json)
            std::cout << Json::object()
                             .add("Ingressi", inputs)
                             .add("Uscite", outputs)
                             .add("zzConEventoPezzoFinito", c.zzConEventoPezzoFinito())
                             .str()
                      << "\n";
        return kDone;
    });
}

}  // namespace

static void addDataCommands(CLI::App& app, std::vector<Command>& commands) {
    auto numero = std::make_shared<int>(0);
    CLI::App* job = app.add_subcommand("job", "Show the instrument's jobs");
    job->require_subcommand(1);
    CLI::App* show = job->add_subcommand(
        "show", "Show job N decoded in engineering units (0 = the current job)");
    show->add_option("N", *numero, "Job number")->required()->check(CLI::Range(0, 255));
    commands.push_back({show, [numero](Context& ctx) { return runJobShow(ctx, *numero); }});
    CLI::App* list =
        job->add_subcommand("list", "List the jobs by number and name; * marks the current one");
    commands.push_back({list, [](Context& ctx) { return runJobList(ctx); }});

    CLI::App* users = commandGroup(app, "users", "The instrument's operators");
    CLI::App* usersList = users->add_subcommand("list", "List the operators: code, name, rights");
    commands.push_back({usersList, [](Context& ctx) { return runUsers(ctx); }});

    CLI::App* io = app.add_subcommand("io", "The instrument's inputs and outputs");
    io->require_subcommand(1);
    CLI::App* ioShow =
        io->add_subcommand("show", "Show the function assigned to each input and output");
    commands.push_back({ioShow, [](Context& ctx) { return runIo(ctx); }});
}

KRN_CLI_COMMANDS(60, addDataCommands)

}  // namespace cli
