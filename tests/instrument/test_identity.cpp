// Identification, capabilities and memory map of every simulated generation, on every channel.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "instrument/identification.h"
#include "support/instrument_rig.h"

using krnlink::Channel;
using testing_support::InstrumentRig;

namespace {

struct Expected {
    const char* profile;
    int protocollo, estensioni;
    const char* versione;
    int formato, memorySize, dimTestata, dimFase, fasi, dimLavori, indirizzoLavori, fineLavori;
    int maxLenNome, ripetizioni, selezionabili, checkpoint, testInput;
    bool orologio, plc, elettrica;
    const char* nome;
};

// Worked out by hand from each profile's capability record and NVRAM.
const Expected kProfiles[] = {
    {"p17e23",         17, 23, "2.05", 2, 512512, 64,   138,  4,     616,     1024,
     1024 + 255 * 616, 13, 1,  4,      0, 1,      true, true, false, "KRN-17"},
    {"p36e51", 36, 51, "2.48", 11, 512768, 110,  300,   4,     1310,    1024,
     500000,   13, 10, 8,      8,  3,      true, false, false, "KRN-36"},
    {"p39e1060", 39, 1060, "3.12", 14, 512768, 120,  332,   2,    784,      1024,
     480000,     13, 10,   0,      10, 3,      true, false, true, "KRN-ELE"},
    {"p41e1072", 41, 1072, "4.05", 24, 1048576, 140,  390,   16,    6380,           1024,
     900000,     20, 100,  0,      12, 3,       true, false, false, "KRN-41 Line 3"},
};

class ProfileOnChannel : public ::testing::TestWithParam<std::tuple<Expected, Channel>> {};

TEST_P(ProfileOnChannel, IdentifiesAndMapsTheInstrument) {
    const auto& [e, channel] = GetParam();
    InstrumentRig rig(e.profile);
    ASSERT_TRUE(rig.open(channel));
    const auto& c = rig.control;
    const auto& id = c.identity();
    EXPECT_EQ(c.Protocollo(), e.protocollo);
    EXPECT_EQ(c.Estensioni(), e.estensioni);
    EXPECT_EQ(c.Versione(), e.versione);
    EXPECT_FALSE(c.UpdateMode());
    EXPECT_EQ(c.FormatoNVRAM(), e.formato);
    EXPECT_EQ(c.MemorySize(), e.memorySize);
    EXPECT_EQ(id.DimTestataLavoro, e.dimTestata);
    EXPECT_EQ(id.DimFase(), e.dimFase);
    EXPECT_EQ(id.NumeroMassimoFasi, e.fasi);
    EXPECT_EQ(c.DimensioneLavori(), e.dimLavori);
    EXPECT_EQ(c.IndirizzoLavori(), e.indirizzoLavori);
    EXPECT_EQ(id.FineMemoriaLavori, e.fineLavori);
    EXPECT_EQ(id.FineConfigurazione, 768);
    EXPECT_EQ(c.DimensioneConfigurazione(), 768 - 46);
    EXPECT_EQ(id.MaxLenNome, e.maxLenNome);
    EXPECT_EQ(id.NumeroMassimoRipetizioni, e.ripetizioni);
    EXPECT_EQ(id.NumeroLavoriSelezionabili, e.selezionabili);
    EXPECT_EQ(id.NumeroMassimoCheckPoint, e.checkpoint);
    EXPECT_EQ(id.NumeroMassimoTestInput, e.testInput);
    EXPECT_EQ(c.ConOrologio(), e.orologio);
    EXPECT_EQ(c.ConPLC(), e.plc);
    EXPECT_EQ(c.PressaElettrica(), e.elettrica);
    EXPECT_EQ(c.Nome(), e.nome);
    EXPECT_TRUE(c.Collegato());
}

INSTANTIATE_TEST_SUITE_P(AllProfiles, ProfileOnChannel,
                         ::testing::Combine(::testing::ValuesIn(kProfiles),
                                            ::testing::Values(Channel::Serial, Channel::Usb,
                                                              Channel::Ethernet)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).profile) + "_" +
                                    krnlink::channelName(std::get<1>(info.param));
                         });

TEST(Configuration, DecodesUnitsNamesAndGenerationDependentValues) {
    InstrumentRig p41("p41e1072");
    ASSERT_TRUE(p41.openSerial());
    const auto& v = p41.control.values();
    EXPECT_EQ(v.decimaliForza, 2);
    EXPECT_EQ(p41.control.configuration().umForza(), 3);  // raw index 1
    EXPECT_EQ(p41.control.configuration().umQuota(), 1);  // raw index 0
    EXPECT_EQ(v.decimaliForza2, 1);                       // read at 76, 77 from 1069 on
    EXPECT_EQ(v.umForza2Indice, 3);
    EXPECT_EQ(v.NomeFreno, "Freno");
    EXPECT_EQ(v.NomeUscitaSetPoint[2], "Stop C");
    EXPECT_EQ(p41.control.FormatoFONT(), 2);

    InstrumentRig p17("p17e23");
    ASSERT_TRUE(p17.openSerial());
    EXPECT_EQ(p17.control.values().decimaliForza2, 2);  // copied from 58, 59
    EXPECT_EQ(p17.control.values().NomeUscitaSetPoint[0], "SetPoint 1");
    EXPECT_EQ(p17.control.FormatoFONT(), 1);

    InstrumentRig ele("p39e1060");
    ASSERT_TRUE(ele.openSerial());
    EXPECT_FLOAT_EQ(ele.control.MotorMaxSpeed(), 250.0f);
}

TEST(Configuration, RereadSendsTheDocumentedCommandsInOrder) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    const std::vector<int> c = rig.commands();
    // Probes are idle zeros, not frames: identification, clock query, PLC query, capability
    // record, version, header, running state ... and command 7 at the very end.
    ASSERT_GE(c.size(), 6u);
    EXPECT_EQ(std::vector<int>(c.begin(), c.begin() + 6),
              (std::vector<int>{1, 29, 31, 39, 12, 41}));
    EXPECT_EQ(c.back(), 7);
    EXPECT_EQ(rig.instrument.requests()[5], (platform::Bytes{0x05, 41, 7, 0, 0, 0x35}));
}

TEST(Configuration, LoaderAndUnformattedInstrumentsAreReportedNotRefused) {
    struct Case {
        const char* profile;
        int stato;
    };
    for (const Case& k : {Case{"loader", 0}, Case{"unformatted", 3}, Case{"wrongformat", 4}}) {
        InstrumentRig rig(k.profile);
        ASSERT_TRUE(rig.openSerial()) << k.profile;
        EXPECT_TRUE(rig.control.UpdateMode()) << k.profile;
        rig.instrument.clearLog();
        int stato = -1;
        EXPECT_TRUE(rig.control.RileggiConfigurazione(stato)) << k.profile;
        EXPECT_EQ(stato, k.stato) << k.profile;
        if (k.stato == 0) {
            // The loader is only identified: nothing follows command 1.
            EXPECT_EQ(rig.commands(), std::vector<int>{1});
        }
    }
}

TEST(Configuration, UnsupportedProtocolIsRefusedWithoutTouchingNvram) {
    sim::Profile odd = *sim::findProfile("p36e51");
    odd.protocol = 35;
    InstrumentRig rig(odd);
    EXPECT_FALSE(rig.openSerial());
    for (int code : rig.commands())
        EXPECT_TRUE(code != 15 && code != 16 && code != 17 && code != 41) << code;
}

TEST(Identification, LoaderBitOnProtocol38) {
    sim::Profile p = *sim::findProfile("loader");
    p.protocol = 38;
    InstrumentRig rig(p);
    ASSERT_TRUE(rig.openSerial());
    EXPECT_TRUE(rig.control.UpdateMode());
    EXPECT_EQ(rig.control.Estensioni(), 51);
    p.protocol = 39;
    InstrumentRig newer(p);
    ASSERT_TRUE(newer.openSerial());
    EXPECT_EQ(newer.control.Estensioni(), 1051);
}

TEST(Identification, ShortCapabilityRecordKeepsDefaults) {
    sim::Profile p = *sim::findProfile("p36e51");
    p.capability.length = 13;
    InstrumentRig rig(p);
    ASSERT_TRUE(rig.openSerial());
    EXPECT_EQ(rig.control.MemorySize(), 512768);
    EXPECT_EQ(rig.control.identity().BufferSize, 0);
    EXPECT_EQ(rig.control.identity().FielBusMemorySize, 0);
    EXPECT_EQ(rig.control.identity().NumeroMassimoIngressi, 8);
}

TEST(Identification, OldFirmwareVersionForcesTheJobHeader) {
    for (int version : {213, 215, 219, 220}) {
        sim::Profile p = *sim::findProfile("p17e23");
        p.version = static_cast<std::uint16_t>(version);
        InstrumentRig rig(p);
        ASSERT_TRUE(rig.openSerial());
        const bool forced = version > 213 && version < 220;
        EXPECT_EQ(rig.control.identity().DimTestataLavoro, forced ? 74 : 64) << version;
    }
}

TEST(Identification, JobMemoryEndReadFromExtension47On) {
    for (int e : {46, 47}) {
        sim::Profile p = *sim::findProfile("p36e51");
        p.extensionByte = static_cast<std::uint8_t>(e);
        p.formatNumber = static_cast<std::uint8_t>(
            instrument::formatoNVRAM(36, static_cast<std::int16_t>(e), false));
        InstrumentRig rig(p);
        ASSERT_TRUE(rig.openSerial());
        const auto& id = rig.control.identity();
        EXPECT_EQ(id.FineMemoriaLavori,
                  e == 46 ? id.IndirizzoLavori + 255 * id.DimensioneLavori() : 500000)
            << e;
    }
}

TEST(Identification, MemoriaPerLavoro) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    // (500000 - 1024 - 15000) / 1310 = 369 jobs would fit; 250 is the ceiling.
    EXPECT_TRUE(rig.control.MemoriaPerLavoro(250));
    EXPECT_FALSE(rig.control.MemoriaPerLavoro(251));
    InstrumentRig big("p41e1072");
    ASSERT_TRUE(big.openSerial());
    // (900000 - 1024 - 15000) / 6380 = 138.5
    EXPECT_TRUE(big.control.MemoriaPerLavoro(138));
    EXPECT_FALSE(big.control.MemoriaPerLavoro(139));
}

TEST(FormatoNVRAM, EveryThreshold) {
    struct Case {
        int p, e;
        bool electric;
        int format;
    };
    const Case cases[] = {
        {14, 99, false, 1},    {14, 1000, false, 1},  {15, 23, false, 2},    {15, 24, false, 3},
        {15, 26, false, 3},    {17, 27, false, 4},    {17, 29, false, 4},    {17, 30, false, 5},
        {17, 32, false, 5},    {31, 33, false, 6},    {31, 42, false, 6},    {31, 43, false, 7},
        {33, 44, false, 8},    {33, 1000, false, 8},  {34, 44, false, 9},    {34, 47, false, 9},
        {36, 48, false, 10},   {36, 50, false, 10},   {36, 51, false, 11},   {36, 1000, false, 11},
        {39, 1058, true, 12},  {39, 1059, true, 14},  {39, 1061, true, 14},  {39, 1062, true, 15},
        {39, 1063, true, 17},  {39, 1065, true, 17},  {39, 1066, true, 19},  {39, 1067, true, 19},
        {39, 1068, true, 21},  {39, 1069, true, 21},  {41, 1070, true, 23},  {41, 1071, true, 23},
        {41, 1072, true, 25},  {39, 1061, false, 13}, {39, 1062, false, 16}, {39, 1063, false, 18},
        {39, 1064, false, 18}, {39, 1065, false, 20}, {39, 1067, false, 20}, {39, 1068, false, 22},
        {41, 1071, false, 22}, {41, 1072, false, 24}, {41, 2000, false, 24},
    };
    for (const Case& c : cases)
        EXPECT_EQ(instrument::formatoNVRAM(static_cast<std::int16_t>(c.p),
                                           static_cast<std::int16_t>(c.e), c.electric),
                  c.format)
            << c.p << "/" << c.e << (c.electric ? " electric" : "");
}

}  // namespace

namespace {

TEST(Configuration, AShortVersionAnswerGivesVersionZeroAndOnlyAFailedExchangeEndsTheRead) {
    using sim::Fault;
    struct Case {
        const char* what;
        std::vector<Fault> faults;  // on the version request, the fifth frame of the reread
        bool ok;
        const char* versione;
    };
    const Case cases[] = {
        {"one byte", {Fault(Fault::Kind::Replace, 0, {}, 4, {0x30})}, true, "0.00"},
        {"no byte", {Fault(Fault::Kind::Replace, 0, {}, 4, {})}, true, "0.00"},
        {"no answer to either attempt",
         {Fault(Fault::Kind::NoAnswer, 0, {}, 4), Fault(Fault::Kind::NoAnswer, 0, {}, 4)},
         false,
         "0.00"},
    };
    for (const Case& k : cases) {
        InstrumentRig rig("p36e51");
        ASSERT_TRUE(rig.openSerial());
        rig.instrument.clearLog();
        for (const Fault& f : k.faults) rig.instrument.addFault(f);
        EXPECT_EQ(rig.control.LeggiConfigurazione(), k.ok) << k.what;
        EXPECT_EQ(rig.control.Versione(), k.versione) << k.what;
        const std::vector<int> c = rig.commands();
        ASSERT_GE(c.size(), 5u) << k.what;
        EXPECT_EQ(c[4], 12) << k.what;
        // A short answer goes on to the NVRAM header and the rest; a failed exchange stops.
        EXPECT_EQ(c.back() == 7, k.ok) << k.what;
    }
}

// Instrument texts are Windows-1252 bytes in NVRAM: one byte per character, cut by characters.
TEST(Configuration, InstrumentTextsAreCutInCharactersNotInUtf8Bytes) {
    const std::string e9 = "\xC3\xA9";  // "é" in UTF-8, 0xE9 in Windows-1252
    auto times = [](const std::string& s, int n) {
        std::string r;
        for (int i = 0; i < n; ++i) r += s;
        return r;
    };
    struct Case {
        const char* what;
        std::int32_t address;
        int length;  // length byte; the characters are all 0xE9
        std::string expected;
        std::function<std::string(InstrumentRig&)> read;
    };
    auto nome = [](InstrumentRig& r) { return r.control.Nome(); };
    const Case cases[] = {
        {"name of 40 characters (kept whole)", 106, 40, times(e9, 40), nome},
        {"name above 64 characters (cut to 13)", 106, 70, times(e9, 13), nome},
        {"set-point function name", 255, 13, times(e9, 13),
         [](InstrumentRig& r) { return r.control.values().NomeFreno; }},
        {"set-point function name too long", 255, 20, times(e9, 13),
         [](InstrumentRig& r) { return r.control.values().NomeFreno; }},
        {"set-point output name too long for its slot", 412, 20, times(e9, 13),
         [](InstrumentRig& r) { return r.control.values().NomeUscitaSetPoint[1]; }},
    };
    for (const Case& k : cases) {
        InstrumentRig rig("p36e51");
        auto& nv = rig.instrument.nvram();
        nv[static_cast<std::size_t>(k.address)] = static_cast<std::uint8_t>(k.length);
        std::fill_n(nv.begin() + k.address + 1, k.length, 0xE9);
        ASSERT_TRUE(rig.openSerial()) << k.what;
        EXPECT_EQ(k.read(rig), k.expected) << k.what;
    }
}

TEST(Configuration, ANewNameIsCutInCharactersAndStoredInWindows1252) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    std::string name;
    for (int i = 0; i < 20; ++i) name += "\xC3\xA9";  // 20 x "é"
    name += "\xE2\x82\xAC";                           // "€": 0x80 in Windows-1252
    ASSERT_TRUE(rig.control.ScriviNome(name));
    const auto& nv = rig.instrument.nvram();
    EXPECT_EQ(nv[106], 13);
    EXPECT_EQ(std::count(nv.begin() + 107, nv.begin() + 120, 0xE9), 13);
    std::string expected;
    for (int i = 0; i < 13; ++i) expected += "\xC3\xA9";
    EXPECT_EQ(rig.control.Nome(), expected);

    // A character Windows-1252 cannot hold is stored as "?".
    ASSERT_TRUE(
        rig.control.ScriviNome("A\xE2\x86\x92"
                               "B"));  // "A→B"
    EXPECT_EQ(std::string(nv.begin() + 107, nv.begin() + 110), "A?B");
    EXPECT_EQ(rig.control.Nome(), "A?B");
}

}  // namespace

namespace {

// An open of a silent instrument: the program is called between every probe and every attempt
// (on the serial line never more than a resynchronisation, two waits, apart; the USB device's
// reopening and the Ethernet recovery keep it waiting up to 2.8 s and 2 s); a Cancel given
// there ends the open at once, and the next open is not affected.
TEST(SilentInstrument, OpenLetsTheWindowLiveAndCanBeGivenUp) {
    struct Case {
        Channel channel;
        double longestGap;  // seconds
    };
    for (const Case c :
         {Case{Channel::Serial, 1.41}, Case{Channel::Usb, 2.81}, Case{Channel::Ethernet, 2.01}}) {
        InstrumentRig rig;
        rig.instrument.setSilent(true);
        std::vector<double> calls;
        const auto t0 = rig.clock.now();
        int cancelAt = -1;
        rig.control.link().betweenWaits = [&] {
            calls.push_back(rig.clock.secondsSince(t0));
            return static_cast<int>(calls.size()) != cancelAt;
        };
        EXPECT_FALSE(rig.open(c.channel));
        ASSERT_GE(calls.size(), 2u) << channelName(c.channel);
        double longest = calls.front();
        for (std::size_t i = 1; i < calls.size(); ++i)
            longest = std::max(longest, calls[i] - calls[i - 1]);
        EXPECT_LE(longest, c.longestGap) << channelName(c.channel);

        calls.clear();
        cancelAt = 2;
        const auto t1 = rig.clock.now();
        rig.control.link().betweenWaits = [&] {
            calls.push_back(rig.clock.secondsSince(t1));
            return static_cast<int>(calls.size()) != cancelAt;
        };
        EXPECT_FALSE(rig.open(c.channel));
        EXPECT_EQ(calls.size(), 2u) << channelName(c.channel) << ": nothing more after Cancel";
        EXPECT_DOUBLE_EQ(rig.clock.secondsSince(t1), calls.back()) << channelName(c.channel);

        rig.instrument.setSilent(false);
        EXPECT_TRUE(rig.open(c.channel)) << channelName(c.channel);
    }
}

}  // namespace
