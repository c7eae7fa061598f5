#pragma once
// IniFile: the INI-style text store of the configuration backup. The whole file is held as
// lines; a section (Chiave) and a key (Target) are selected by name and values are read or
// written on the key's line. Key searches start just behind the key found last, so a file read
// in the order it was written costs one line per lookup.
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace backup {

class IniFile {
public:
    static constexpr std::int32_t kMaxLines = 120001;
    static constexpr std::int16_t kErroreApertura = 52;

    ~IniFile() { OpenFile1(false); }

    void OpenFile1(bool open);
    // Loads the lines from bytes already in memory, as OpenFile1(true) loads a file's bytes; the
    // store is then open unless the bytes break a loading limit. For tests and fuzzing.
    void Carica(const std::string& bytes);
    void Svuota();
    bool OpenFile() const { return aperto_; }
    std::int32_t Count() const { return numeroRighe_; }
    std::int32_t Index() const { return indiceTarget_; }
    void File1(const std::string& name);
    const std::string& File() const { return nomeFile_; }
    bool Salvato() const { return !modificato_; }
    bool Esiste() const;
    std::int16_t ERRORE() const { return codiceErrore_; }
    // Why the last open or save failed, in words ("is a folder", "line 3 is longer than ...");
    // empty when it did not fail.
    const std::string& MotivoErrore() const { return motivoErrore_; }

    // Writing the selected key's value, formatted by its type.
    void Value(bool v);
    void Value(const platform::LocalDateTime& v);
    void Value(const std::string& v);
    void Value(const char* v) { Value(std::string(v)); }
    void Value(std::int16_t v) { writeValue(formatNumber(v, 15)); }
    void Value(std::int32_t v) { writeValue(formatNumber(v, 15)); }
    void Value(float v) { writeValue(formatNumber(v, 7)); }
    void Value(double v) { writeValue(formatNumber(v, 15)); }
    void ValuePassword(std::int16_t key, const std::string& text);
    void LetPunto(float x, float y);
    bool GetPunto(float& x, float& y);

    // Reading the selected key's value.
    std::optional<std::string> ValueRead() const;  // nullopt: Empty
    std::string ValPassword(std::int16_t key) const;
    std::string ValString() const;
    double ValDouble() const;
    std::int32_t ValLong() const;
    float ValSingle() const;
    platform::LocalDateTime ValData() const;
    bool ValBoolean() const { return ValDouble() != 0; }
    std::int16_t ValInteger() const;

    void Chiave(const std::string& name);
    std::string Chiave() const { return ChiaveTrovata() ? nomeChiave_ : std::string(); }
    void StopTarget(const std::string& prefix);
    void Target(const std::string& name);
    const std::string& Target() const { return nomeTarget_; }
    bool TargetTrovato() const { return indiceTarget_ <= numeroRighe_ && !targetFermato_; }
    bool ChiaveTrovata() const { return inizioChiave_ <= numeroRighe_; }
    void RinfrescaChiave();
    bool Salva();

    // The short number form of the value writer: " 5", "-5", " .5", " 1.5E+07".
    static std::string formatNumber(double v, int significantDigits);
    // The lenient number reader: blanks skipped, "." decimal, &H and &O, stops at the first
    // character that cannot continue the number; 0 without a number. Neither the formatter nor
    // the reader depends on the user's locale.
    static double parseNumber(const std::string& text);
    // The same number when the whole text (blanks aside) is one, else nullopt.
    static std::optional<double> parseWholeNumber(const std::string& text);
    // The lines, 1-based, for tests and diffs.
    const std::string& Riga(std::int32_t i) const { return righe_[static_cast<std::size_t>(i)]; }

private:
    bool isHeader(const std::string& line, std::size_t minClose) const;
    bool startsWithPattern(const std::string& line) const;
    std::int32_t PreparaRiga(std::int32_t i);
    void writeValue(const std::string& afterName);
    void grow(std::int32_t capacity);
    void loadLines(const std::vector<std::string>& lines);
    void failLoad(const std::string& reason);

    std::vector<std::string> righe_{std::string()};  // index 0 unused
    std::int32_t numeroRighe_ = 0;
    std::int32_t capacitaRighe_ = 0;
    std::string nomeFile_;
    std::string nomeChiave_;
    std::int32_t inizioChiave_ = -1;
    std::int32_t fineChiave_ = -1;
    std::string nomeTarget_;
    std::int32_t indiceTarget_ = 0;
    std::string prefissoStop_;
    bool targetFermato_ = false;
    std::int32_t indicePunto_ = 0;
    bool aperto_ = false;
    bool modificato_ = false;
    std::int16_t codiceErrore_ = 0;
    std::string motivoErrore_;
};

}  // namespace backup
