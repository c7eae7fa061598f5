#pragma once
// Fixed NVRAM addresses of the instrument (byte addresses). The identification, the
// configuration values, the jobs, the operators and the I/O tables take them from here, and so
// should every other reader or writer of these places (NVRAM image, backup, format and send).
// Widths are in the comments; multi-byte values are little-endian, strings are a length byte
// followed by Windows-1252 characters.
#include <cstdint>

namespace instrument::nvmap {

using Address = std::int32_t;

// --- header and memory map ---
inline constexpr Address Firma = 7;  // 4: the signature "KRNV"
inline constexpr int LunghezzaFirma = 4;
inline constexpr Address Formato = 11;  // 1: NVRAM format number; bit 7 = start the loader
inline constexpr Address FineConfigurazione = 16;  // 2: first byte after the configuration area
inline constexpr Address FineMemoriaLavori = 18;   // 3: end of job memory (extension 47..1065)
inline constexpr Address AddressStory = 18;        // 3: the same word read as the history's start
inline constexpr Address ListaUtenti = 38;         // 3: operator list (extension 47 and above)
inline constexpr Address FineMemoriaLavoriNuova =
    41;                                         // 3: end of job memory (extension 1066 and above)
inline constexpr Address IndirizzoLavori = 44;  // 2: address of job record 1
inline constexpr Address IndirizzoConfigurazione = 46;  // first byte of the configuration area
// Protocol below 31: the job sizes at the start of the configuration area, one byte each.
inline constexpr Address DimTestataLavoro = 46;
inline constexpr Address DimFaseBase = 47;
inline constexpr Address NumeroMassimoPuntiFascia = 48;
inline constexpr Address DimStatoStrumento = 49;
inline constexpr Address AreeConPassword =
    48;  // 1: password-protected areas (extension 45 and above)

// --- configuration values ---
inline constexpr Address CampioniValidi = 52;      // 1
inline constexpr Address CampioniAttesaFine = 53;  // 1
inline constexpr Address Opzioni9 = 56;            // 1: option entry 9 (extension 49 and above)
inline constexpr Address Opzioni10 = 57;           // 1: option entry 10 (extension 49 and above)
inline constexpr Address DecimaliForza = 58;       // 1
inline constexpr Address UnitaForza = 59;          // 1: unit index, clamped to 3
inline constexpr Address DecimaliQuota = 64;       // 1
inline constexpr Address UnitaQuota = 65;          // 1: unit index, clamped to 3
inline constexpr Address DecimaliSuppl = 70;       // 1: supplementary channel
inline constexpr Address UnitaSuppl = 71;          // 1
inline constexpr Address ContaColpi = 72;      // 4: hit counter, top bit of the last byte ignored
inline constexpr Address DecimaliForza2 = 76;  // 1: second force channel (extension 1069 and above)
inline constexpr Address UnitaForza2 = 77;     // 1
inline constexpr Address PasswordModificaLavoro = 86;  // string
inline constexpr Address PasswordConfigurazione = 93;  // string
inline constexpr Address Opzioni1 = 100;               // 1: option entry 1
inline constexpr Address Opzioni2 = 101;  // 1: option entry 2; bit 3 = operator list in use
inline constexpr Address LavoriSelezionabili =
    102;                                      // 1: below protocol 17 also bits 4-5 = phases - 1
inline constexpr Address Opzioni8 = 103;      // 1: option entry 8
inline constexpr Address TotaleLavori = 105;  // 1: number of jobs in use
inline constexpr Address Nome = 106;          // string: the instrument name
inline constexpr Address PasswordSbloccaScarto = 194;  // string
inline constexpr Address Opzioni5 = 201;               // 1: option entry 5
inline constexpr Address Opzioni3 = 208;               // 1: option entry 3
inline constexpr Address Opzioni6 = 240;               // 1: option entry 6
inline constexpr Address LavoriConStory = 241;         // 1: jobs that keep a history
inline constexpr Address Opzioni4 = 242;               // 1: option entry 4
inline constexpr Address FiltroForza = 243;            // 1
inline constexpr Address NumeroFasi = 244;  // 1: bits 0-1 = phases - 1; also option entry 7
inline constexpr Address Opzioni7 = 244;
inline constexpr Address NomeFreno = 255;           // string: the set-point function name
inline constexpr int MaxLenNomeFreno = 13;          // its slot runs to 268
inline constexpr Address CoefDeformazioneA = 269;   // 1
inline constexpr Address CoefDeformazioneB = 270;   // 1
inline constexpr Address DefaultForzaInizio = 284;  // 1
inline constexpr Address FunzioniInput8 = 285;      // 8: input functions (extension 40 to 50)
inline constexpr Address FunzioniOutput8 = 293;     // 8: output functions (extension 40 to 50)
// The names of set-point outputs 1 to 3: slots of a length byte and 13 characters.
inline constexpr Address NomeUscitaSetPoint = 398;
inline constexpr int PassoNomeUscitaSetPoint = 14;
inline constexpr int MaxLenNomeUscitaSetPoint = 13;
inline constexpr Address FunzioniInput16 = 448;   // 16: input functions (extension 51 and above)
inline constexpr Address FunzioniOutput16 = 464;  // 16: output functions (extension 51 and above)
inline constexpr Address MotorMaxSpeed = 498;     // 2: tenths (electric press)
inline constexpr Address Opzioni11 = 511;         // 1: option entry 11 (electric press)

// The address of set-point output name n (1..3).
constexpr Address nomeUscitaSetPoint(int n) {
    return NomeUscitaSetPoint + PassoNomeUscitaSetPoint * (n - 1);
}

}  // namespace instrument::nvmap
