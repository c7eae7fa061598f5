// krnctl image build / show: the NVRAM image "RamSetup.asm" from a profile file, for a version
// given on the command line or read from the instrument, and its annotated map.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/progress.h"
#include "provisioning/image_map.h"
#include "provisioning/profile_file.h"
#include "resources/language_files.h"

namespace cli {
namespace {

struct ImageOptions {
    std::string profile;
    int protocol = -1;
    int extension = -1;
    float version = 0;
    long memorySize = 0;
    long fbSize = 0;
    bool electric = false;
    bool fromInstrument = false;
    std::string output;
    std::string file;  // image show
};

std::optional<provisioning::CProfilo> loadProfile(Context& ctx, const std::string& path) {
    const provisioning::ProfiloLetto letto = provisioning::leggiFileProfilo(path);
    if (!letto.profilo) ctx.message("krnctl: " + letto.errore);
    return letto.profilo;
}

provisioning::ParametriImmagine givenVersion(const ImageOptions& o) {
    provisioning::ParametriImmagine v;
    v.protocollo = static_cast<std::int16_t>(o.protocol);
    v.estensioni = static_cast<std::int16_t>(o.extension);
    v.versione = o.version;
    v.memorySize = static_cast<std::int32_t>(o.memorySize);
    v.fbSize = static_cast<std::int32_t>(o.fbSize);
    v.elettrica = o.electric;
    return v;
}

std::string range(const provisioning::RigaMappa& r) {
    return r.a >= r.da && r.a != r.da ? std::to_string(r.da) + ".." + std::to_string(r.a)
                                      : std::to_string(r.da) + (r.a == r.da ? " on" : "");
}

void printAddresses(const provisioning::IndirizziImmagine& a) {
    const std::pair<const char*, std::int32_t> rows[] = {
        {"font 8x10", a.font8x10},
        {"font 6x6", a.font6x6},
        {"resource area", a.risorse},
        {"menu records", a.menuPrincipale},
        {"second menu records", a.menuSecondo},
        {"text table", a.tabellaTesti1},
        {"second text table", a.tabellaTesti2},
        {"icons", a.icone},
        {"job record 1", a.lavoro1},
        {"end of job memory", a.fineLavori},
        {"226-byte block", a.blocco226},
        {"end of job memory below the field bus", a.fineLavoriFB},
        {"end of the image", a.fine},
    };
    for (const auto& [name, value] : rows) std::cout << "  " << name << ": " << value << "\n";
}

int runBuild(Context& ctx, const ImageOptions& o) {
    const auto profilo = loadProfile(ctx, o.profile);
    if (!profilo) return kFileError;
    provisioning::ParametriImmagine v = givenVersion(o);
    if (o.fromInstrument) {
        const int rc = runSession(ctx, false, [&] {
            instrument::UCKRNVisual& c = ctx.instrument();
            v.protocollo = c.Protocollo();
            v.estensioni = c.Estensioni();
            v.versione = std::stof(c.Versione());
            v.memorySize = c.MemorySize();
            v.fbSize = c.identity().FielBusMemorySize;
            v.dimensioneLavoro = c.identity().DimensioneLavori();
            v.elettrica = c.PressaElettrica();
            v.formatoFont = c.FormatoFONT();
            v.formatoNVRAM = c.FormatoNVRAM();
            return kDone;
        });
        if (rc != kDone) return rc;
    }
    const std::string out =
        o.output.empty() ? resources::joinPath(ctx.programFolder(), provisioning::kFileImmagine)
                         : o.output;
    TerminalProgress bar(ctx.progressAllowed(), "Building the image");
    const provisioning::Immagine im =
        provisioning::CreaFileNVRAM(out, ctx.programFolder(), v, *profilo, bar);
    if (!provisioning::versioneSupportata(v.protocollo, v.estensioni)) {
        ctx.message("krnctl: no image is built for protocol " + std::to_string(v.protocollo) +
                    " with extension " + std::to_string(v.estensioni));
        return kRefused;
    }
    if (!im.erroreFile.empty()) {
        ctx.message("krnctl: " + im.erroreFile);
        return kFileError;
    }
    if (!im.erroreProfilo.empty()) {
        ctx.message("krnctl: no image is built from " + o.profile + ": " + im.erroreProfilo);
        return kRefused;
    }
    if (!im.avviso.empty()) ctx.message(im.avviso);
    if (ctx.options().json) {
        const auto& a = im.indirizzi;
        std::cout << Json::object()
                         .add("File", out)
                         .add("Esito", im.ok)
                         .add("Font8x10", a.font8x10)
                         .add("Font6x6", a.font6x6)
                         .add("Risorse", a.risorse)
                         .add("Menu", a.menuPrincipale)
                         .add("Menu2", a.menuSecondo)
                         .add("TabellaTesti", a.tabellaTesti1)
                         .add("TabellaTesti2", a.tabellaTesti2)
                         .add("Icone", a.icone)
                         .add("IndirizzoLavori", a.lavoro1)
                         .add("FineMemoriaLavori", a.fineLavori)
                         .add("Blocco226", a.blocco226)
                         .add("FineMemoriaLavoriFB", a.fineLavoriFB)
                         .add("Fine", a.fine)
                         .str()
                  << "\n";
    } else {
        std::cout << "Written: " << out << " (" << im.byte.size() << " bytes from address 46)\n";
        printAddresses(im.indirizzi);
    }
    return im.ok ? kDone : kRefused;
}

int runShow(Context& ctx, const ImageOptions& o) {
    int rigaErrata = 0;
    std::string motivo;
    const auto bytes = provisioning::leggiFileImmagine(o.file, &rigaErrata, &motivo);
    if (!bytes && !motivo.empty()) {
        ctx.message("krnctl: cannot read " + motivo);
        return kFileError;
    }
    if (!bytes) {
        ctx.message("krnctl: cannot read " + o.file +
                    " as an NVRAM image (one number 0..255 per line)" +
                    (rigaErrata > 0 ? ": line " + std::to_string(rigaErrata) + " is not" : ""));
        return kFileError;
    }
    if (bytes->empty()) {
        ctx.message("krnctl: " + o.file + " holds no byte: not an NVRAM image");
        return kFileError;
    }
    std::cout << o.file << ": " << bytes->size() << " bytes, addresses 46.." << 45 + bytes->size()
              << "\n";
    bool electric = o.electric;
    if (!o.profile.empty() && o.protocol >= 0) {
        const auto profilo = loadProfile(ctx, o.profile);
        if (!profilo) return kFileError;
        platform::NoProgress none;
        const provisioning::Immagine im =
            provisioning::costruisciImmagine(ctx.programFolder(), givenVersion(o), *profilo, none);
        if (im.byte == *bytes) {
            std::cout << "Blocks (the image these options build):\n";
            for (const auto& r : provisioning::mappaBlocchi(im))
                std::cout << "  " << range(r) << "  " << r.cosa << "\n";
            std::cout << "Recorded addresses:\n";
            printAddresses(im.indirizzi);
        } else {
            std::size_t i = 0;
            while (i < im.byte.size() && i < bytes->size() && im.byte[i] == (*bytes)[i]) ++i;
            std::cout << "The file differs from the image these options build from address "
                      << 46 + i << "; only the configuration is decoded.\n";
        }
    } else {
        std::cout << "Blocks: 46..767 configuration, 768 on resource area and fonts (give "
                     "--profile and the "
                     "version for the whole map)\n";
    }
    std::cout << "Configuration:\n";
    // A short file: the values past its end are not shown as zeros.
    const auto fine = static_cast<std::int32_t>(46 + bytes->size());
    for (const auto& c : provisioning::decodificaConfigurazione(*bytes, electric))
        std::cout << "  " << c.indirizzo << "  " << c.nome << ": "
                  << (c.indirizzo < fine ? c.valore : "(past the end of the file)") << "\n";
    return kDone;
}

void addVersionOptions(CLI::App* cmd, ImageOptions& o) {
    // The instrument keeps protocol and extension in 16 bits; memories lie in the 24-bit
    // address space.
    cmd->add_option("--protocol", o.protocol, "Protocol number of the instrument")
        ->check(CLI::Range(0, 32767));
    cmd->add_option("--extension", o.extension,
                    "Extension level (above 1000 for protocol 39 and later)")
        ->check(CLI::Range(0, 32767));
    cmd->add_option("--version", o.version, "Firmware version, e.g. 2.48")
        ->check(CLI::Range(0.0, 99.99));
    cmd->add_option("--memory-size", o.memorySize, "Instrument memory in bytes")
        ->check(CLI::Range(1L, 16777216L));
    cmd->add_option("--fb-size", o.fbSize, "Field-bus memory in bytes (default 0)")
        ->check(CLI::Range(0L, 16777216L));
    cmd->add_flag("--electric", o.electric, "The instrument is for an electric press");
}

}  // namespace

static void addImageCommands(CLI::App& app, std::vector<Command>& commands) {
    CLI::App* image = app.add_subcommand("image", "The NVRAM image RamSetup.asm");
    image->require_subcommand(1);
    auto o = std::make_shared<ImageOptions>();
    CLI::App* build = image->add_subcommand("build", "Build the NVRAM image from a profile file");
    build->add_option("--profile", o->profile, "Profile file")->required();
    addVersionOptions(build, *o);
    build->add_flag("--from-instrument", o->fromInstrument, "Take the version from the instrument");
    build->add_option("-o,--output", o->output,
                      "Image file (default RamSetup.asm in the program folder)");
    commands.push_back({build, [o, build](Context& ctx) {
                            const bool given =
                                build->count("--protocol") && build->count("--extension") &&
                                build->count("--version") && build->count("--memory-size");
                            if (given == o->fromInstrument) {
                                ctx.message(
                                    "krnctl: give either --protocol, --extension, --version and "
                                    "--memory-size, or --from-instrument");
                                return static_cast<int>(kUsage);
                            }
                            return runBuild(ctx, *o);
                        }});
    auto s = std::make_shared<ImageOptions>();
    CLI::App* show = image->add_subcommand("show", "Annotated map of an NVRAM image");
    show->add_option("FILE", s->file, "Image file")->required();
    show->add_option("--profile", s->profile, "Profile file the image was built from");
    addVersionOptions(show, *s);
    commands.push_back({show, [s](Context& ctx) { return runShow(ctx, *s); }});
}

KRN_CLI_COMMANDS(130, addImageCommands)

}  // namespace cli
