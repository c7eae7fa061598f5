// krnctl profile show / new: the profile files that production lines provision from.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/option_checks.h"
#include "provisioning/profile_file.h"

namespace cli {
namespace {

struct NewOptions {
    int model = 0;
    int language1 = provisioning::LItaliano;
    int language2 = provisioning::LInglese;
    int dateFormat = 0;
    int history = 3;
    std::string name = "KRNVisual";
    bool cylinderAlone = false;
    bool noCylinderChip = false;
    std::string output;
};

void printProfile(Context& ctx, const provisioning::CProfilo& p) {
    const auto rows = provisioning::descriviProfilo(p);
    if (ctx.options().json) {
        Json fields = Json::object();
        Json derived = Json::object();
        for (const auto& r : rows) {
            Json& into = r.derivato ? derived : fields;
            if (auto n = parseNumber(r.valore, INT32_MAX); n && r.nome != "NomeStrumento")
                into.add(r.nome, *n);
            else if (r.valore.find_first_not_of("-.0123456789") == std::string::npos &&
                     r.nome != "NomeStrumento")
                into.add(r.nome, std::stod(r.valore));
            else
                into.add(r.nome, r.valore);
        }
        std::cout << Json::object().add("Profilo", fields).add("Derivati", derived).str() << "\n";
        return;
    }
    bool derivedShown = false;
    for (const auto& r : rows) {
        if (r.derivato && !derivedShown) {
            std::cout << "derived from the model:\n";
            derivedShown = true;
        }
        std::cout << (r.derivato ? "  " : "") << r.nome << ": " << r.valore << "\n";
    }
}

int runShow(Context& ctx, const std::string& path) {
    const provisioning::ProfiloLetto letto = provisioning::leggiFileProfilo(path);
    if (!letto.profilo) {
        ctx.message("krnctl: " + letto.errore);
        return kFileError;
    }
    printProfile(ctx, *letto.profilo);
    return kDone;
}

int runNew(Context& ctx, const NewOptions& o) {
    provisioning::CProfilo p;
    p.Inizializza();
    p.TipoElettroPressa = static_cast<provisioning::CylinderType>(o.model);
    p.Lingua1 = static_cast<std::int16_t>(o.language1);
    p.Lingua2 = static_cast<std::int16_t>(o.language2);
    p.FormatoOra = static_cast<std::int16_t>(o.dateFormat);
    p.NumeroLavoriStory = static_cast<std::int16_t>(o.history);
    p.MemoriaStory = o.history > 0 ? provisioning::kMemoriaStoryNormale : 0;
    p.NomeStrumento = o.name;
    p.Destination = o.cylinderAlone ? provisioning::CylinderAlone : provisioning::CompletePress;
    p.NonUsareCylChip = o.noCylinderChip;
    if (const std::string e = provisioning::scriviFileProfilo(p, o.output); !e.empty()) {
        ctx.message("krnctl: " + e);
        return kFileError;
    }
    if (ctx.options().json)
        std::cout << Json::object().add("File", o.output).str() << "\n";
    else
        std::cout << "Written: " << o.output << "\n";
    return kDone;
}

}  // namespace

static void addProfileCommands(CLI::App& app, std::vector<Command>& commands) {
    CLI::App* profile = app.add_subcommand("profile", "Machine profile files for provisioning");
    profile->require_subcommand(1);
    auto path = std::make_shared<std::string>();
    CLI::App* show =
        profile->add_subcommand("show", "Print a profile file's fields and every derived constant");
    show->add_option("FILE", *path, "Profile file")->required();
    commands.push_back({show, [path](Context& ctx) { return runShow(ctx, *path); }});

    auto o = std::make_shared<NewOptions>();
    CLI::App* created = profile->add_subcommand("new", "Write a profile file");
    created->add_option("--model", o->model, "Electric press model, 0 (not electric) to 26")
        ->required()
        ->check(CLI::Range(0, provisioning::kUltimoModello));
    created->add_option("--language1", o->language1, "Main display language 0..5 (default 0)")
        ->check(CLI::Range(0, 5));
    created->add_option("--language2", o->language2, "Second display language 0..5 (default 1)")
        ->check(CLI::Range(0, 5));
    created->add_option("--date-format", o->dateFormat, "0 day/month/year, 1 month/day/year")
        ->check(CLI::Range(0, 1));
    created
        ->add_option("--history", o->history, "Jobs that keep a history, 0 (off) to 60 (default 3)")
        ->check(CLI::Range(0, 60));
    created
        ->add_option("--name", o->name,
                     "Instrument name, one line of at most 64 characters (default KRNVisual)")
        ->check(oneLineText(provisioning::kMassimoNomeStrumento));
    created->add_flag("--cylinder-alone", o->cylinderAlone, "Mounted on a bare cylinder");
    created->add_flag("--no-cylinder-chip", o->noCylinderChip,
                      "Do not use the cylinder identification chip");
    created->add_option("-o,--output", o->output, "Profile file to write")->required();
    commands.push_back({created, [o](Context& ctx) { return runNew(ctx, *o); }});
}

KRN_CLI_COMMANDS(120, addProfileCommands)

}  // namespace cli
