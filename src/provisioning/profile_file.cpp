#include "provisioning/profile_file.h"

#include "platform/files.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>

#include "backup/ini_file.h"
#include "backup/memory_files.h"
#include "platform/text_checks.h"

namespace provisioning {
namespace {

// One numeric field of the file: its key, its range and where it lives in the profile.
struct CampoNumerico {
    const char* chiave;
    long minimo;
    long massimo;
    std::function<long(const CProfilo&)> leggi;
    std::function<void(CProfilo&, long)> scrivi;
};

template <typename T>
CampoNumerico campo(const char* chiave, long minimo, long massimo, T CProfilo::*membro) {
    return {chiave, minimo, massimo,
            [membro](const CProfilo& p) { return static_cast<long>(p.*membro); },
            [membro](CProfilo& p, long v) { p.*membro = static_cast<T>(v); }};
}

const std::vector<CampoNumerico>& campiNumerici() {
    static const std::vector<CampoNumerico> campi = {
        campo("Lingua1", LItaliano, LCeco, &CProfilo::Lingua1),
        campo("Lingua2", LItaliano, LCeco, &CProfilo::Lingua2),
        campo("NumeroLavoriStory", 0, kMassimoLavoriConStoria, &CProfilo::NumeroLavoriStory),
        campo("MemoriaStory", 0, 16777215, &CProfilo::MemoriaStory),
        campo("FormatoOra", 0, 1, &CProfilo::FormatoOra),
        campo("Destination", CompletePress, Lumbro, &CProfilo::Destination),
        campo("NonUsareCylChip", 0, 1, &CProfilo::NonUsareCylChip),
        campo("TipoElettroPressa", NonElectric, kUltimoModello, &CProfilo::TipoElettroPressa),
        campo("NumeroCesti", 0, 3, &CProfilo::NumeroCesti),
        campo("NumeroRossi", 0, 3, &CProfilo::NumeroRossi),
        campo("ConNomiLumbro", 0, 1, &CProfilo::ConNomiLumbro),
        campo("ConValvolaRitornoLeva", 0, 1, &CProfilo::ConValvolaRitornoLeva),
        campo("ConValvolaAperturaBuoni", 0, 1, &CProfilo::ConValvolaAperturaBuoni),
        campo("ConValvolaSlitta", 0, 1, &CProfilo::ConValvolaSlitta),
        campo("ConChiaveManutenzione", 0, 1, &CProfilo::ConChiaveManutenzione),
        campo("ConSensoreCestoPronto", 0, 1, &CProfilo::ConSensoreCestoPronto),
        campo("ConIngressiMetro", 0, 1, &CProfilo::ConIngressiMetro),
        campo("ConUscitaMetro", 0, 1, &CProfilo::ConUscitaMetro),
        campo("perVESSALINE", 0, 1, &CProfilo::perVESSALINE),
        campo("perMECCANICA", 0, 1, &CProfilo::perMECCANICA),
    };
    return campi;
}

constexpr const char* kChiaveNome = "NomeStrumento";

std::string intervallo(const CampoNumerico& c) {
    return std::string(c.chiave) + " must be a whole number from " + std::to_string(c.minimo) +
           " to " + std::to_string(c.massimo);
}

std::optional<std::string> nomeErrato(const std::string& nome) {
    if (nome.size() > kMassimoNomeStrumento)
        return std::string(kChiaveNome) + " is longer than " +
               std::to_string(kMassimoNomeStrumento) + " characters";
    if (platform::hasControlCharacter(nome))
        return std::string(kChiaveNome) + " holds a control character";
    return std::nullopt;
}

std::string numero(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

bool stessaChiave(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool intestazione(const std::string& riga) {
    return !riga.empty() && riga[0] == '[' && riga.find(']') != std::string::npos;
}

// The first line of the profile section that the reader would not take: a line that is not
// "Key=value", a key that is no field of the profile (a misspelt key would leave its field at
// the default without a word), a key given twice, a second profile section. Blank lines and
// comments (";") pass.
std::optional<backup::FileProblem> rigaErrata(const backup::IniFile& ini) {
    const std::string sezione = std::string("[") + kSezioneFileProfilo + "]";
    std::int32_t i = 1;
    while (i <= ini.Count() && !stessaChiave(ini.Riga(i).substr(0, sezione.size()), sezione)) ++i;
    std::map<std::string, std::int32_t> viste;  // key in lower case -> its line
    bool dentro = true;                         // in the profile section
    for (++i; i <= ini.Count(); ++i) {
        const std::string& riga = ini.Riga(i);
        if (intestazione(riga)) {
            if (stessaChiave(riga.substr(0, sezione.size()), sezione))
                return backup::FileProblem{i, "a second " + sezione + " section"};
            dentro = false;
        }
        if (!dentro || riga.find_first_not_of(" \t") == std::string::npos || riga[0] == ';')
            continue;
        const std::size_t uguale = riga.find('=');
        if (uguale == std::string::npos) return backup::FileProblem{i, "not \"Key=value\""};
        const std::string chiave = riga.substr(0, uguale);
        const bool nota =
            stessaChiave(chiave, kChiaveNome) ||
            std::any_of(campiNumerici().begin(), campiNumerici().end(),
                        [&](const CampoNumerico& c) { return stessaChiave(chiave, c.chiave); });
        if (!nota) return backup::FileProblem{i, "\"" + chiave + "\" is not a key of a profile"};
        std::string minuscola = chiave;
        for (char& c : minuscola)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto [prima, nuova] = viste.emplace(minuscola, i);
        if (!nuova)
            return backup::FileProblem{i, chiave + " is given twice (first on line " +
                                              std::to_string(prima->second) + ")"};
    }
    return std::nullopt;
}

}  // namespace

ProfiloLetto leggiFileProfilo(const std::string& path) {
    if (platform::pathKind(path) == platform::PathKind::Missing)
        return {std::nullopt, "cannot read " + path + ": it does not exist"};
    backup::IniFile ini;
    ini.File1(path);
    ini.OpenFile1(true);
    if (!ini.OpenFile()) return {std::nullopt, "cannot read " + path + ": " + ini.MotivoErrore()};
    ini.Chiave(kSezioneFileProfilo);
    if (!ini.ChiaveTrovata())
        return {std::nullopt, path + " is not a profile file: it has no [" +
                                  std::string(kSezioneFileProfilo) + "] section"};
    const auto rifiuto = [&](std::int32_t riga, const std::string& perche) {
        return ProfiloLetto{
            std::nullopt, "cannot read " + path + ": line " + std::to_string(riga) + ": " + perche};
    };
    if (const auto errata = rigaErrata(ini)) return rifiuto(errata->line, errata->reason);
    CProfilo p;
    p.Inizializza();
    for (const CampoNumerico& c : campiNumerici()) {
        ini.Target(c.chiave);
        const std::optional<std::string> testo = ini.ValueRead();
        if (!testo) continue;
        const std::optional<double> v = backup::IniFile::parseWholeNumber(*testo);
        if (!v || *v != std::floor(*v) || *v < c.minimo || *v > c.massimo)
            return rifiuto(ini.Index(), intervallo(c) + ", not \"" + *testo + "\"");
        c.scrivi(p, static_cast<long>(*v));
    }
    ini.Target(kChiaveNome);
    if (const std::optional<std::string> nome = ini.ValueRead()) {
        if (const auto errato = nomeErrato(*nome)) return rifiuto(ini.Index(), *errato);
        p.NomeStrumento = *nome;
    }
    return {p, {}};
}

std::optional<std::string> valoreFuoriCampo(const CProfilo& p) {
    for (const CampoNumerico& c : campiNumerici()) {
        const long v = c.leggi(p);
        if (v < c.minimo || v > c.massimo) return intervallo(c) + ", not " + std::to_string(v);
    }
    return nomeErrato(p.NomeStrumento);
}

std::string scriviFileProfilo(const CProfilo& p, const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(path, ec)) return "cannot write " + path + ": it is a folder";
    const std::string part = path + ".part";
    fs::remove(part, ec);
    {
        backup::IniFile ini;
        ini.File1(part);
        ini.OpenFile1(true);
        if (!ini.OpenFile()) return "cannot write " + path + ": " + ini.MotivoErrore();
        ini.Chiave(kSezioneFileProfilo);
        ini.Target(kChiaveNome);
        ini.Value(p.NomeStrumento);
        for (const CampoNumerico& c : campiNumerici()) {
            ini.Target(c.chiave);
            ini.Value(std::to_string(c.leggi(p)));
        }
        if (!ini.Salva()) {
            fs::remove(part, ec);
            return "cannot write " + path + ": " + ini.MotivoErrore();
        }
    }
    fs::rename(part, path, ec);
    if (ec) {
        fs::remove(part, ec);
        return "cannot write " + path + ": it cannot be replaced";
    }
    return {};
}

std::vector<RigaProfilo> descriviProfilo(const CProfilo& p) {
    std::vector<RigaProfilo> righe;
    righe.push_back({kChiaveNome, p.NomeStrumento, false});
    for (const CampoNumerico& c : campiNumerici())
        righe.push_back({c.chiave, std::to_string(c.leggi(p)), false});
    const auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
    const std::vector<RigaProfilo> derivati = {
        {"Electric", flag(p.Electric()), true},
        {"SensoreTemperatura", flag(p.SensoreTemperatura()), true},
        {"ConCylChip", flag(p.ConCylChip()), true},
        {"EncoderDiv32", flag(p.EncoderDiv32()), true},
        {"EncoderDiv91", flag(p.EncoderDiv91()), true},
        {"EncoderDiv189", flag(p.EncoderDiv189()), true},
        {"SpeedMaxMMSEC", std::to_string(p.SpeedMaxMMSEC()), true},
        {"DenominatoreGear5", std::to_string(p.DenominatoreGear5()), true},
        {"PassoInMicron", std::to_string(p.PassoInMicron()), true},
        {"BassaForzaN", std::to_string(p.BassaForzaN()), true},
        {"ForzaMassimaN", std::to_string(p.ForzaMassimaN()), true},
        {"CorrenteMotoreA", std::to_string(p.CorrenteMotoreA()), true},
        {"ForzaInChilonewton", flag(p.ForzaInChilonewton()), true},
        {"decimaliForza", std::to_string(p.decimaliForza()), true},
        {"CorsaUtile", std::to_string(p.CorsaUtile()), true},
        {"ForzaDiInizio", std::to_string(p.ForzaDiInizio()), true},
        {"AccelerazioneMassima", numero(p.AccelerazioneMassima()), true},
        {"DecelerazioneMassima", numero(p.DecelerazioneMassima()), true},
        {"PressaStandardConFotoelettriche", flag(p.PressaStandardConFotoelettriche()), true},
        {"QuotaIngrassaggio", numero(p.QuotaIngrassaggio()), true},
    };
    righe.insert(righe.end(), derivati.begin(), derivati.end());
    return righe;
}

}  // namespace provisioning
