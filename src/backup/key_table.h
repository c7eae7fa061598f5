#pragma once
// The key table of the configuration backup: one row per way a key is written, in the order of
// the file. A row says where the value lives (field, address, width, text slot), at which
// firmware levels the backup writes it from there, and into which restore group and target
// levels the restore writes it back. Both EseguiBackup and EseguiRipristino walk this table; the
// few keys that do not simply copy their field carry an Exception that names what they do.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace backup {

struct Levels {
    int from = INT_MIN;
    int to = INT_MAX;
    bool has(int level) const { return level >= from && level <= to; }
};
inline Levels above(int l) {
    return {l + 1, INT_MAX};
}
inline Levels atLeast(int l) {
    return {l, INT_MAX};
}
inline Levels below(int l) {
    return {INT_MIN, l - 1};
}
inline Levels atMost(int l) {
    return {INT_MIN, l};
}
inline Levels between(int from, int to) {
    return {from, to};
}

enum class Field {
    Constant,  // no memory: the row's constant
    Property,  // a value the instrument control knows
    Byte,      // one byte
    Word,      // 16 bits, little-endian
    Int24,     // 24 bits, little-endian
    Text,      // a length byte, then at most `slot` characters
    Address,   // four bytes, written as dotted decimal text
    Block,     // a run of keys written by its own code
};

// How the value is written into the file.
enum class Value { Integer, Long, Single, Double, Boolean, Text, Scrambled };

// The restore groups; None: the restore never writes the row.
enum class Group {
    None,
    Calibration,    // Taratura
    Configuration,  // ConfigStrumento
    Cylinder,       // ConfigCilindro: electric press limits
    Motion,         // ConfigStrumento: electric press motion
    Network,        // ConfigStrumento, written last
};

enum class Property {
    Versione,
    PressaElettrica,
    Protocollo,
    Estensioni,
    TimerAcq,
    ContaColpi,
    NumLavSel,
    NumFasi,
    JobName
};
enum class Block { Types, Users, Options, ConfigValues };
// What the instrument must be for the backup to write the row.
enum class Need { Any, ProtocolBelow39, ElectricPress };

// The deliberate exceptions to "the backup reads the field, the restore writes it back".
enum class Exception {
    None,
    LowTwoBits,         // FORMATO_ORA: the backup keeps bits 0-1 of the byte only
    BelowThree,         // UMFORZA: restored only when below 3
    AcquisitionRate,    // FREQACQ: times 5 into the family from 1000, divided by 5 out of it
    OnlyWithoutMask,    // TOTALECELLE: restored only from files without MASKCELLEOFF
    HighCoefficient,    // COEF_DEFOR_HF / COEF_DEFO_A: converted between the two units
    LowCoefficient,     // COEF_DEFOR_LF / COEF_DEFO_LF: likewise
    Password,           // restored only without operator management; older files: plain text
    SupplementaryName,  // NOMESUPPLEMENTARE: from level 45 it becomes the first test-input name
    TestName,           // NOMETEST1 ... NOMECHKPNTOUT3: only from files without NOMESUPPLEMENTARE
    InstrumentName,     // NOMESTRUMENTO: also cut to the instrument's MaxLenNome
    ManutPos,           // optPE_MANUT_POS: written back as the 16-bit field it was read from
};

struct KeySpec {
    std::string key;
    Field field = Field::Constant;
    std::int32_t address = 0;
    Value value = Value::Integer;
    Levels backup;  // levels whose backup writes the key from this row
    Need need = Need::Any;
    Group group = Group::None;
    Levels restore;             // target levels the restore writes this row to
    Levels fileLevels;          // levels of the file's instrument the restore takes it from
    int slot = 0;               // Text: most characters
    double scale = 1;           // the file holds the field's value divided by this
    std::int16_t scramble = 0;  // Scrambled: the scrambling key
    std::int32_t number = 0;    // Constant: numeric value
    std::string text;           // Constant: text value
    std::string legacy;         // key of older files read when this key is missing
    Exception exception = Exception::None;
    Property property = Property::Versione;
    Block block = Block::Types;

    // The field's width in bytes (0 for the fields that are not numbers in memory).
    int width() const;
    // Builders, for the table.
    KeySpec& to(Group g, Levels l = {}) {
        group = g, restore = l;
        return *this;
    }
    KeySpec& except(Exception e) {
        exception = e;
        return *this;
    }
    KeySpec& needs(Need n) {
        need = n;
        return *this;
    }
    KeySpec& old(std::string k) {
        legacy = std::move(k);
        return *this;
    }
    KeySpec& fromFiles(Levels l) {
        fileLevels = l;
        return *this;
    }
    KeySpec& scaled(double s, Value v) {
        scale = s, value = v;
        return *this;
    }
    KeySpec& scrambled(std::int16_t k) {
        scramble = k, value = Value::Scrambled;
        return *this;
    }
};

// Every row in file order.
const std::vector<KeySpec>& keyTable();

// Text slots that depend on the level: the instrument name has 14 characters below 1067 and
// 25 from 1067 (its slot then reaches the fieldbus variables at 132).
inline constexpr int kNameSlotBefore1067 = 14;
inline constexpr int kNameSlotFrom1067 = 25;

}  // namespace backup
