#pragma once
// The instrument generations: what an instrument supports follows from its protocol number and
// its extension level (Estensioni). Each threshold the tool relies on is named here once, with
// what it decides; the callers ask these predicates instead of comparing numbers.
#include <cstdint>

namespace instrument {

// --- identification ---

// Extension levels above 1000 are the newer instrument generation (protocol 39 and above report
// their level plus 1000).
constexpr bool nuovaGenerazione(std::int16_t e) {
    return e > 1000;
}
// From protocol 39 the reported extension level is raised by 1000.
constexpr bool protocolloNuovaGenerazione(std::int16_t p) {
    return p >= 39;
}
// From protocol 41 the first identification byte is the whole extension level (no loader bit)
// and command 31 answers the extended capability record.
constexpr bool identificazioneEstesa(std::int16_t p) {
    return p >= 41;
}
// From protocol 15 the identification asks the clock and PLC capabilities.
constexpr bool conInterrogazioniCapacita(std::int16_t p) {
    return p >= 15;
}
// From extension 13 command 29 says whether a clock is fitted.
constexpr bool conInterrogazioneOrologio(std::int16_t e) {
    return e >= 13;
}
// Extension 17 up to 1071: command 31 says whether a PLC is fitted.
constexpr bool conInterrogazionePLC(std::int16_t e) {
    return e >= 17 && e < 1072;
}
// From protocol 31 the capability record (command 39) gives the sizes and flags; older
// instruments keep the job sizes at the start of the configuration area.
constexpr bool conRecordCapacita(std::int16_t p) {
    return p >= 31;
}
// Below protocol 34 the memory is 512512 bytes unless the capability record says otherwise.
constexpr bool memoriaPiccola(std::int16_t p) {
    return p < 34;
}
// Version 2.14 to 2.19 of the older firmware keep a 74-byte job header whatever NVRAM says.
constexpr bool testataLavoroFissa(std::int16_t p, float versione) {
    return !conRecordCapacita(p) && versione > 2.13f && versione < 2.2f;
}
// The first extension of protocol 9 has a 46-byte phase base whatever NVRAM says.
constexpr bool faseBaseFissa(std::int16_t p, std::int16_t e) {
    return p == 9 && e == 2;
}
// From extension 43 a phase has three test inputs and three enable inputs (else one and none).
constexpr bool treIngressiPerFase(std::int16_t e) {
    return e >= 43;
}
// Protocol 9 or 11 below extension 10: the first loader, switched through NVRAM byte 11 alone,
// restarted with command 13 on protocol 11.
constexpr bool loaderVecchio(std::int16_t p, std::int16_t e) {
    return (p == 9 || p == 11) && e < 10;
}
constexpr bool riavvioConComando13(std::int16_t p) {
    return p == 11;
}
// The firmware update is made for protocol 17, extension 23; any other instrument asks first.
constexpr bool firmwareCompatibile(std::int16_t p, std::int16_t e) {
    return p == 17 && e == 23;
}
// Protocol 11, or protocol 9 below extension 10: the chosen firmware is written first (block 0),
// before the two loader blocks; all others get it last (block 3).
constexpr bool firmwarePrimaDelLoader(std::int16_t p, std::int16_t e) {
    return p == 11 || (p == 9 && e < 10);
}

// --- memory map ---

// From extension 47 the end of the job memory is stored in NVRAM (else it is computed), the
// operator list has its own pointer and the history keeps no operator area.
constexpr bool fineLavoriInNVRAM(std::int16_t e) {
    return e >= 47;
}
// From extension 1066 the end of the job memory moves to NVRAM 41 and the number of phases comes
// from the capability record instead of NVRAM 244.
constexpr bool mappaMemoriaNuova(std::int16_t e) {
    return e >= 1066;
}
// Below protocol 17 NVRAM 102 holds the selectable jobs in its low nibble and the phases above.
constexpr bool byte102Condiviso(std::int16_t p) {
    return p < 17;
}
// Maximum repetitions of a phase: 1 below protocol 36, 10 up to extension 1071, then 100.
constexpr std::int16_t numeroMassimoRipetizioni(std::int16_t p, std::int16_t e) {
    return p < 36 ? 1 : e < 1072 ? 10 : 100;
}
// From extension 1068 command 49 gives the longest job and instrument name.
constexpr bool conListaLavori(std::int16_t e) {
    return e >= 1068;
}
// From extension 1069 the second force channel has its own decimals and unit, the fonts are of
// the second format, phases may be of type 4 and the graph full scales are stored as values.
constexpr bool secondoCanaleForza(std::int16_t e) {
    return e >= 1069;
}
constexpr bool fontSecondoFormato(std::int16_t e) {
    return e >= 1069;
}

// --- memory operations ---

// Protocol 33 and extension 45 on: NVRAM is read 15 bytes per frame (command 41).
constexpr bool conLetturaABlocchi(std::int16_t p, std::int16_t e) {
    return p >= 33 && e >= 45;
}
// Extension 38 on: NVRAM is written 10 bytes per frame (command 40).
constexpr bool conScritturaABlocchi(std::int16_t e) {
    return e >= 38;
}
// Extension 21 on: the instrument tests its memory itself (commands 36 to 38); older ones are
// tested byte by byte from the computer.
constexpr bool testMemoriaNelloStrumento(std::int16_t e) {
    return e >= 21;
}

// --- configuration values ---

// Protocol 17 and extension 20 on: the set-point function has a name at NVRAM 255.
constexpr bool conNomeFreno(std::int16_t p, std::int16_t e) {
    return p >= 17 && e >= 20;
}
// Protocol 33 and extension 44 on: the set-point outputs have names at NVRAM 398, 412, 426.
constexpr bool conNomiUscitaSetPoint(std::int16_t p, std::int16_t e) {
    return p >= 33 && e >= 44;
}
// Above extension 30 the deformation coefficients exist.
constexpr bool conCoefDeformazione(std::int16_t e) {
    return e > 30;
}
// From extension 51 the hit counter exists.
constexpr bool conContaColpi(std::int16_t e) {
    return e >= 51;
}
// The force filter can be written from firmware 2.49.
constexpr bool filtroForzaScrivibile(float versione) {
    return versione > 2.48f;
}
// The option bytes each generation keeps: NVRAM 100, 101 and 201 above extension 1; 103 above
// 7; 240 above 10; 208, 242 and 244 above 22; 56 and 57 from 49 on.
constexpr bool conOpzioniBase(std::int16_t e) {
    return e > 1;
}
constexpr bool conOpzioni103(std::int16_t e) {
    return e > 7;
}
constexpr bool conOpzioni240(std::int16_t e) {
    return e > 10;
}
constexpr bool conOpzioniEstese(std::int16_t e) {
    return e > 22;
}
constexpr bool conOpzioni56e57(std::int16_t e) {
    return e >= 49;
}
// Above extension 40 the option codes follow the newer assignment.
constexpr bool opzioniNuove(std::int16_t e) {
    return e > 40;
}

// --- inputs and outputs ---

// From extension 51: 16 input and 16 output functions; from 40: 8 of each; older: none.
constexpr bool funzioniIO16(std::int16_t e) {
    return e >= 51;
}
constexpr bool funzioniIO8(std::int16_t e) {
    return e >= 40;
}
// Below extension 1072 input codes 26 and 27 stand for 16 and 17.
constexpr bool codiciIngressoVecchi(std::int16_t e) {
    return e < 1072;
}
// From extension 1062 input codes 26 to 31 have the drive's names.
constexpr bool nomiIngressoAzionamento(std::int16_t e) {
    return e >= 1062;
}

// --- operators and history ---

// Above extension 52 every instrument keeps the operator list (else the option says).
constexpr bool utentiSempre(std::int16_t e) {
    return e > 52;
}
// Below extension 46 the administrator is not in the list: it is the configuration password.
constexpr bool amministratoreDaPassword(std::int16_t e) {
    return e < 46;
}
// Protocol 23 and extension 17 on: bit 3 of NVRAM 101 says whether the operator list is in use.
constexpr bool listaUtentiFacoltativa(std::int16_t p, std::int16_t e) {
    return p >= 23 && e >= 17;
}
// From extension 45 passwords are checked against the operator list and the protected areas are
// stored at NVRAM 48.
constexpr bool conAreeProtette(std::int16_t e) {
    return e >= 45;
}
// From extension 55 the protected areas are stored one bit each in a packed order.
constexpr bool areeProtetteCompatte(std::int16_t e) {
    return e >= 55;
}

// --- phases ---

// The highest phase type the generation supports: 4 from extension 1069, 3 at 1068, else 0.
constexpr int tipoFaseMassimo(std::int16_t e) {
    return e >= 1069 ? 4 : e == 1068 ? 3 : 0;
}

// --- job header ---

// The modification date is read from protocol 15 and extension 13, written from extension 13.
constexpr bool dataLavoroLetta(std::int16_t p, std::int16_t e) {
    return p >= 15 && e >= 13;
}
constexpr bool dataLavoroScritta(std::int16_t e) {
    return e >= 13;
}
// Protocol 15 to 30 from extension 13: the header carries a 16-bit JobID, Parametro and the
// self-verification fields.
constexpr bool testataIntermedia(std::int16_t p, std::int16_t e) {
    return p >= 15 && p <= 30 && e >= 13;
}
// From protocol 31 the JobID has three bytes and the header has no Parametro and no
// self-verification fields: they read as 0.
constexpr bool jobIdTreByte(std::int16_t p) {
    return p >= 31;
}
constexpr bool testataSenzaAutoverifica(std::int16_t p) {
    return p >= 31;
}
// All but the first instruments (protocol 9 and below with extension below 9) keep the flag byte.
constexpr bool conFlagLavoro(std::int16_t p, std::int16_t e) {
    return !(p <= 9 && e < 9);
}
// Header fields of later generations.
constexpr bool conCodiceLavoro(std::int16_t e) {
    return e >= 26;
}
constexpr bool conNumeroMassimoScarti(std::int16_t e) {
    return e >= 40;
}
constexpr bool conPercentualeScarti(std::int16_t e) {
    return e >= 52;
}
constexpr bool conTempoVitaFase(std::int16_t e) {
    return e >= 1057;
}
constexpr bool conConfermaFinePezzo(std::int16_t e) {
    return e >= 1064;
}
constexpr bool conSequenzaLavori(std::int16_t e) {
    return e >= 1072;
}
// From level 1000 the phase-enable byte of an existing job is written with the other fields.
constexpr bool abilitazioniFasiScritte(std::int16_t e) {
    return e >= 1000;
}

// --- phase record ---

constexpr bool sempre(std::int16_t) {
    return true;
}
// From extension 17 the first test input is stored and the position of the supplementary
// measurement written (it is read from extension 2).
constexpr bool conIngressoTestFase(std::int16_t e) {
    return e >= 17;
}
constexpr bool quotaMisuraLetta(std::int16_t e) {
    return e >= 2;
}
// From extension 51 phase byte 13 holds the phase flags and the enable inputs.
constexpr bool conFlagFase(std::int16_t e) {
    return e >= 51;
}
// The stop delay is read from extension 12, written from 34, and has two bytes from 1071.
constexpr bool stopDelayLetto(std::int16_t e) {
    return e >= 12;
}
constexpr bool stopDelayScritto(std::int16_t e) {
    return e >= 34;
}
constexpr bool stopDelayDueByte(std::int16_t e) {
    return e >= 1071;
}
// The reject-cause masks are read in their 3-byte form from extension 33, written from 36.
constexpr bool causeScartoLette(std::int16_t e) {
    return e >= 33;
}
constexpr bool causeScartoScritte(std::int16_t e) {
    return e >= 36;
}
constexpr bool conRipetizioniFase(std::int16_t e) {
    return e >= 48;
}
constexpr bool conQuotaNascondiAttrito(std::int16_t e) {
    return e >= 52;
}
// Speed limits and supplementary fields: supplementary read from 1054, both written from 1055.
constexpr bool supplementareLetto(std::int16_t e) {
    return e >= 1054;
}
constexpr bool campiAzionamentoScritti(std::int16_t e) {
    return e >= 1055;
}
// The working speed of the electric press from 1058; its speed flags from 1064.
constexpr bool conSpeedLavoro(std::int16_t e) {
    return e >= 1058;
}
constexpr bool conFlagVelocita(std::int16_t e) {
    return e >= 1064;
}
// Graph full scales as values: written from 1068, read from 1069.
constexpr bool fondoScalaScritto(std::int16_t e) {
    return e >= 1068;
}
constexpr bool fondoScalaLetto(std::int16_t e) {
    return e >= 1069;
}

}  // namespace instrument
