#pragma once
// CreaFileNVRAM: the complete initial NVRAM content from address 46 of an instrument of the
// given version, set up for a profile: factory configuration, display resources in one or two
// languages, icons, text address tables and the memory partition. The image is written to a
// text file ("RamSetup.asm"), one decimal byte per line, CR LF.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backup/memory_files.h"
#include "provisioning/profilo.h"

namespace platform {
class Progress;
}
namespace instrument {
class UCKRNVisual;
}

namespace provisioning {

inline constexpr const char* kFileImmagine = "RamSetup.asm";
inline constexpr const char* kFileFont8x10 = "Font8x10.asm";
inline constexpr const char* kFileFont6x6 = "Font6x6.asm";
inline constexpr const char* kAvvisoBugfix = "Ask for Bugfix !!!!";
inline constexpr const char* kAvvisoMemoria = "OUT OF MEMORY!!!!";
inline constexpr std::int32_t kInizioRisorse = 768;
inline constexpr std::int32_t kFineParteConfigurazione = 512;
inline constexpr std::int32_t kDimensioneBlocco226 = 226;
inline constexpr std::int32_t kMassimoIndirizzoImmagine = 65535;

struct ParametriImmagine {
    std::int16_t formatoFont = 0;
    std::int16_t formatoNVRAM = 0;
    bool elettrica = false;
    std::int16_t protocollo = 0;
    std::int16_t estensioni = 0;
    float versione = 0;
    std::int32_t memorySize = 0;
    std::int32_t fbSize = 0;
    // Bytes of one job record, where the instrument has told it (0: unknown, one byte is
    // assumed): the job memory must hold one job at least.
    std::int32_t dimensioneLavoro = 0;
};

// The addresses the format procedure writes into the NVRAM header after sending the image.
struct IndirizziImmagine {
    std::int32_t font8x10 = 0;
    std::int32_t font6x6 = 0;
    std::int32_t risorse = 0;
    std::int32_t menuPrincipale = 0;  // the main-language menu records
    std::int32_t menuSecondo = 0;     // the second-language menu records (0 without)
    std::int32_t tabellaTesti1 = 0;
    std::int32_t tabellaTesti2 = 0;  // 0 without a second language
    std::int32_t icone = 0;
    std::int32_t lavoro1 = 0;       // job record 1
    std::int32_t fineLavori = 0;    // end of job memory = start of the history area
    std::int32_t blocco226 = 0;     // start of the 226-byte block
    std::int32_t fineLavoriFB = 0;  // end of job memory below the field-bus area
    std::int32_t fine = 0;          // the address after the last byte of the image
};

struct Immagine {
    bool ok = false;
    std::string avviso;  // the box to show ("Ask for Bugfix !!!!", "OUT OF MEMORY!!!!"), or ""
    // A file that could not be read or written, or "": "cannot read PATH", "cannot read PATH:
    // line N: why" for a malformed one, "cannot write PATH".
    std::string erroreFile;
    std::string fileErrato;                       // that file's path
    std::optional<backup::FileProblem> problema;  // its line at fault, when it was malformed
    // A profile value that does not fit its field or this instrument's memory, naming the key
    // and the limit, or "": the image is not written and nothing may be sent.
    std::string erroreProfilo;
    IndirizziImmagine indirizzi;
    std::vector<std::string> righe;  // the lines of the file
    std::vector<std::uint8_t> byte;  // the same, as NVRAM bytes from address 46
    std::int32_t inizioTesti = 0;    // the first main-language text, just after the 6x6 font
    int testiPrincipali = 0;         // text slots of the main language
    int testiSecondi = 0;
};

// What the builder needs of the connected instrument: its own font type, NVRAM format, press
// kind, protocol, extension, version, memory size and field-bus memory size.
ParametriImmagine parametriStrumento(const instrument::UCKRNVisual& strumento);

// Why the profile's memory partition cannot be this instrument's, naming the key and its
// limits, or nothing: the areas may not overlap (image, job memory, field-bus area, the
// 226-byte block, history), the job memory holds one job at least and the history area the
// pointer table the format clears in it (and, at extension 46, the operator list that follows).
std::optional<std::string> partizioneErrata(const ParametriImmagine& parametri,
                                            const CProfilo& profilo,
                                            const IndirizziImmagine& indirizzi);

// Whether an image can be built for the protocol and extension pair.
bool versioneSupportata(std::int16_t protocollo, std::int16_t estensioni);
// Whether the second language goes into the image.
constexpr bool conSecondaLingua(std::int16_t protocollo, std::int16_t estensioni) {
    return protocollo >= 9 && estensioni >= 11;
}

// Builds the image in memory from the program folder's display and font files. Progress:
// start(100), the block percentages, stop(ok); a cancel stops the build (ok false). A file that
// cannot be read, or a font line that is not a number from 0 to 255, stops it with erroreFile
// naming the file (and the line).
Immagine costruisciImmagine(const std::string& cartella, const ParametriImmagine& parametri,
                            const CProfilo& profilo, platform::Progress& progress);
// Builds the image and writes it to nomeFile (also when ok is false after the build started, as
// the instrument's own tool does; never for an unsupported version pair).
Immagine CreaFileNVRAM(const std::string& nomeFile, const std::string& cartella,
                       const ParametriImmagine& parametri, const CProfilo& profilo,
                       platform::Progress& progress);

// The bytes of an image file (blanks around each number allowed); nothing when a line is not a
// number from 0 to 255 (its number, from 1, is left in rigaErrata when given; 0 when the file
// cannot be read).
// `motivo`, when given, says why a file that could not be read was refused ("it is a folder,
// not a file").
std::optional<std::vector<std::uint8_t>> leggiFileImmagine(const std::string& path,
                                                           int* rigaErrata = nullptr,
                                                           std::string* motivo = nullptr);

}  // namespace provisioning
