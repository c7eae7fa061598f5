#pragma once
// What the image builder takes from the display resources of a language: the numbered texts of
// its display-text file, its menu file, and the renumbering chain that says which entry each
// text slot of the instrument shows.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "backup/memory_files.h"

namespace provisioning {

// Entry number -> text (Windows-1252 bytes between the double quotes).
using TestiLingua = std::map<long, std::string>;

// The display-text file of a language; nothing when it cannot be read, or when one of its lines
// is not an entry (problema, when given, then names the line; its line stays 0 for a file that
// cannot be read). A line that the image would silently leave out would cut the instrument's
// text table short at that entry.
std::optional<TestiLingua> leggiTestiLingua(const std::string& folder, int lingua,
                                            backup::FileProblem* problema = nullptr);
// The display-text lines as numbered entries: number, blanks or a tab, text in double quotes.
TestiLingua testiDaRighe(const std::vector<std::string>& righe);
// The first line that is neither blank, a comment (";") nor an entry, or an entry whose number
// came before; a file without any entry is empty or cut short.
std::optional<backup::FileProblem> rigaTestiErrata(const std::vector<std::string>& righe);

// The entry a text slot shows on an instrument of this version, as a 16-bit number: 65000 and
// above stand for the negative entry (value - 65536).
struct VersioneTesti {
    std::int16_t protocollo;
    std::int16_t estensioni;
    bool elettrica;
};
long voceDelloSlot(int slot, const VersioneTesti& v);
// The signed entry of a 16-bit entry number.
inline long voceConSegno(long voce) {
    return voce >= 65000 ? voce - 65536 : voce;
}
inline constexpr int kMassimoSlotTesti = 1024;

// A language's menu file split where the menu line table ends: the lines that begin with a
// double quote come first, the records follow.
struct MenuLingua {
    std::vector<std::string> testiRighe;  // the text of each table line, in file order
    std::vector<std::string> record;      // the record lines, empty ones dropped
};
// The menu file of a language; nothing when it cannot be read or a line is malformed, as for
// the display texts.
std::optional<MenuLingua> leggiMenuLingua(const std::string& folder, int lingua,
                                          backup::FileProblem* problema = nullptr);
MenuLingua menuDaRighe(const std::vector<std::string>& righe);
// The first malformed line: a table line without its closing double quote, or a record that is
// not "lines used (0..3), icon, value field" and one whole number per line used, separated by
// commas (text may follow the last number after a blank or a tab); a file without a menu line or
// without a record is empty or cut short.
std::optional<backup::FileProblem> rigaMenuErrata(const std::vector<std::string>& righe);
inline constexpr std::size_t kMassimoRigheMenu = 1000;

// A font file: one number 0..255 per line (blank lines skipped), exactly `valori` of them; with
// `valori` 0, at least one (the image builder copies a font as it stands; a command that sends
// the image checks the program folder's fonts whole first).
std::optional<backup::FileProblem> fontErrato(const std::vector<std::string>& righe,
                                              std::size_t valori);
inline constexpr std::size_t kValoriFont8x10 = 123 * 10;
inline constexpr std::size_t kValoriFont6x6 = 12 * 6;

// The files an image is built from, read and checked before an instrument is touched: both
// fonts, and the display-text and menu files of every language that has them in the folder. The
// first file at fault, with its line (0 for a file that cannot be read) and why.
struct FileRifiutato {
    std::string file;
    backup::FileProblem problema;
};
std::optional<FileRifiutato> controllaFileImmagine(const std::string& cartella);

// One menu record: lines used, icon, value field, and the three line codes.
struct RecordMenu {
    long righe = 0;
    long icona = 0;
    long campoValore = 0;
    long codici[3] = {0, 0, 0};
};
RecordMenu recordDaRiga(const std::string& riga);
// From extension 25 the value fields 174 and 159 are numbered 42 and 31.
long campoValorePer(long campo, std::int16_t estensioni);
// The word a line code becomes: the address of the table line, or a placeholder word 65520 ...
long parolaDelCodice(long codice, const std::vector<std::int32_t>& indirizziRighe);

}  // namespace provisioning
