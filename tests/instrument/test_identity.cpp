// Identification, capabilities and memory map of every simulated generation, on every channel.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "instrument/identification.h"
#include "instrument/open_rig.h"
#include "support/instrument_rig.h"

using krnlink::Channel;
using testing_support::InstrumentRig;
using testing_support::OpenRig;

namespace {

// What identification and the configuration read tell of an instrument, in one line.
std::string mapOf(const instrument::UCKRNVisual& c) {
    const auto& id = c.identity();
    std::ostringstream s;
    s << c.Protocollo() << "/" << c.Estensioni() << " v" << c.Versione() << " fmt "
      << c.FormatoNVRAM() << " mem " << c.MemorySize() << " job " << id.DimTestataLavoro << "+"
      << id.DimFase() << "x" << id.NumeroMassimoFasi << "=" << c.DimensioneLavori() << " @"
      << c.IndirizzoLavori() << ".." << id.FineMemoriaLavori << " cfg " << id.FineConfigurazione
      << "/" << c.DimensioneConfigurazione() << " name " << id.MaxLenNome << " rep "
      << id.NumeroMassimoRipetizioni << " sel " << id.NumeroLavoriSelezionabili << " cp "
      << id.NumeroMassimoCheckPoint << " ti " << id.NumeroMassimoTestInput << " clk/plc/ele/upd/on "
      << c.ConOrologio() << c.ConPLC() << c.PressaElettrica() << c.UpdateMode() << c.Collegato()
      << " " << c.Nome();
    return s.str();
}

// Worked out by hand from each profile's capability record and NVRAM.
const std::pair<const char*, const char*> kProfiles[] = {
    {"p17e23",
     "17/23 v2.05 fmt 2 mem 512512 job 64+138x4=616 @1024..158104 cfg 768/722 name 13 "
     "rep 1 sel 4 cp 0 ti 1 clk/plc/ele/upd/on 11001 KRN-17"},
    {"p36e51",
     "36/51 v2.48 fmt 11 mem 512768 job 110+300x4=1310 @1024..500000 cfg 768/722 name "
     "13 rep 10 sel 8 cp 8 ti 3 clk/plc/ele/upd/on 10001 KRN-36"},
    {"p39e1060",
     "39/1060 v3.12 fmt 14 mem 512768 job 120+332x2=784 @1024..480000 cfg 768/722 "
     "name 13 rep 10 sel 0 cp 10 ti 3 clk/plc/ele/upd/on 10101 KRN-ELE"},
    {"p41e1072",
     "41/1072 v4.05 fmt 24 mem 1048576 job 140+390x16=6380 @1024..900000 cfg 768/722 "
     "name 20 rep 100 sel 0 cp 12 ti 3 clk/plc/ele/upd/on 10001 KRN-41 Line 3"},
};

class ProfileOnChannel
    : public ::testing::TestWithParam<std::tuple<std::pair<const char*, const char*>, Channel>> {};

TEST_P(ProfileOnChannel, IdentifiesAndMapsTheInstrument) {
    const auto& [profile, channel] = GetParam();
    InstrumentRig rig(profile.first);
    ASSERT_TRUE(rig.open(channel));
    EXPECT_EQ(mapOf(rig.control), profile.second);
}

INSTANTIATE_TEST_SUITE_P(AllProfiles, ProfileOnChannel,
                         ::testing::Combine(::testing::ValuesIn(kProfiles),
                                            ::testing::Values(Channel::Serial, Channel::Usb,
                                                              Channel::Ethernet)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).first) + "_" +
                                    krnlink::channelName(std::get<1>(info.param));
                         });

TEST(Configuration, DecodesUnitsNamesAndGenerationDependentValues) {
    OpenRig p41("p41e1072"), p17("p17e23"), ele("p39e1060");
    const auto& v = p41.control.values();
    // Units: raw indices 1 and 0; the second force unit is read at 76, 77 from 1069 on.
    EXPECT_EQ(std::vector<int>({v.decimaliForza, p41.control.configuration().umForza(),
                                p41.control.configuration().umQuota(), v.decimaliForza2,
                                v.umForza2Indice, p41.control.FormatoFONT()}),
              std::vector<int>({2, 3, 1, 1, 3, 2}));
    EXPECT_EQ(v.NomeFreno, "Freno");
    EXPECT_EQ(v.NomeUscitaSetPoint[2], "Stop C");
    EXPECT_EQ(p17.control.values().decimaliForza2, 2);  // copied from 58, 59
    EXPECT_EQ(p17.control.values().NomeUscitaSetPoint[0], "SetPoint 1");
    EXPECT_EQ(p17.control.FormatoFONT(), 1);
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
    for (const auto& [profile, expected] :
         {std::pair("loader", 0), std::pair("unformatted", 3), std::pair("wrongformat", 4)}) {
        InstrumentRig rig(profile);
        ASSERT_TRUE(rig.openSerial()) << profile;
        EXPECT_TRUE(rig.control.UpdateMode()) << profile;
        rig.instrument.clearLog();
        int stato = -1;
        EXPECT_TRUE(rig.control.RileggiConfigurazione(stato)) << profile;
        EXPECT_EQ(stato, expected) << profile;
        // The loader is only identified: nothing follows command 1.
        if (expected == 0) {
            EXPECT_EQ(rig.commands(), std::vector<int>{1});
        }
    }
}

// The profile `name` with one thing changed.
template <typename Change>
sim::Profile changed(const char* name, Change change) {
    sim::Profile p = *sim::findProfile(name);
    change(p);
    return p;
}

TEST(Configuration, UnsupportedProtocolIsRefusedWithoutTouchingNvram) {
    InstrumentRig rig(changed("p36e51", [](auto& p) { p.protocol = 35; }));
    EXPECT_FALSE(rig.openSerial());
    for (int code : rig.commands())
        EXPECT_TRUE(code != 15 && code != 16 && code != 17 && code != 41) << code;
}

TEST(Identification, TheLoaderBitOnProtocol38AndAShortCapabilityRecord) {
    OpenRig p38(changed("loader", [](auto& p) { p.protocol = 38; }));
    OpenRig p39(changed("loader", [](auto& p) { p.protocol = 39; }));
    EXPECT_TRUE(p38.control.UpdateMode());
    EXPECT_EQ(std::tuple(p38.control.Estensioni(), p39.control.Estensioni()), std::tuple(51, 1051));
    // A short record keeps the defaults.
    OpenRig rig(changed("p36e51", [](auto& p) { p.capability.length = 13; }));
    const auto& id = rig.control.identity();
    EXPECT_EQ(std::tuple(rig.control.MemorySize(), id.BufferSize, id.FielBusMemorySize,
                         id.NumeroMassimoIngressi),
              std::tuple(512768, 0, 0, 8));
}

TEST(Identification, OldFirmwareVersionsForceTheJobHeaderAndExtension47ReadsTheJobMemoryEnd) {
    for (const auto& [version, header] :
         {std::pair(213, 64), std::pair(215, 74), std::pair(219, 74), std::pair(220, 64)}) {
        OpenRig rig(changed("p17e23", [v = version](auto& p) { p.version = v; }));
        EXPECT_EQ(rig.control.identity().DimTestataLavoro, header) << version;
    }
    // Below 47 the job memory ends after 255 jobs.
    for (const auto& [extension, end] : {std::pair(46, 1024 + 255 * 1310), std::pair(47, 500000)}) {
        OpenRig rig(changed("p36e51", [e = extension](auto& p) {
            p.extensionByte = static_cast<std::uint8_t>(e);
            p.formatNumber = static_cast<std::uint8_t>(instrument::formatoNVRAM(36, e, false));
        }));
        EXPECT_EQ(rig.control.identity().FineMemoriaLavori, end) << extension;
    }
}

TEST(Identification, MemoriaPerLavoro) {
    OpenRig rig("p36e51"), big("p41e1072");
    // (500000 - 1024 - 15000) / 1310 = 369 jobs would fit; 250 is the ceiling.
    EXPECT_TRUE(rig.control.MemoriaPerLavoro(250));
    EXPECT_FALSE(rig.control.MemoriaPerLavoro(251));
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

TEST(Configuration, AShortVersionAnswerGivesVersionZeroAndOnlyAFailedExchangeEndsTheRead) {
    using sim::Fault;
    const Fault noAnswer(Fault::Kind::NoAnswer, 0, {}, 4);
    // Faults on the version request, the fifth frame of the reread.
    const std::pair<std::vector<Fault>, bool> cases[] = {
        {{Fault(Fault::Kind::Replace, 0, {}, 4, {0x30})}, true},  // one byte
        {{Fault(Fault::Kind::Replace, 0, {}, 4, {})}, true},      // no byte
        {{noAnswer, noAnswer}, false},                            // no answer to either attempt
    };
    for (const auto& [faults, ok] : cases) {
        OpenRig rig("p36e51");
        for (const Fault& f : faults) rig.instrument.addFault(f);
        EXPECT_EQ(rig.control.LeggiConfigurazione(), ok);
        EXPECT_EQ(rig.control.Versione(), "0.00");
        const std::vector<int> c = rig.commands();
        ASSERT_GE(c.size(), 5u);
        EXPECT_EQ(c[4], 12);
        // A short answer goes on to the NVRAM header and the rest; a failed exchange stops.
        EXPECT_EQ(c.back() == 7, ok);
    }
}

std::string times(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

// Instrument texts are Windows-1252 bytes in NVRAM: one byte per character, cut by characters.
TEST(Configuration, InstrumentTextsAreCutInCharactersNotInUtf8Bytes) {
    const std::string e9 = "\xC3\xA9";  // "é" in UTF-8, 0xE9 in Windows-1252
    using Read = std::function<std::string(InstrumentRig&)>;
    const Read nome = [](InstrumentRig& r) { return r.control.Nome(); };
    const Read freno = [](InstrumentRig& r) { return r.control.values().NomeFreno; };
    const struct {
        const char* what;
        std::int32_t address;
        int length;  // length byte; the characters are all 0xE9
        int expected;
        Read read;
    } cases[] = {
        {"name of 40 characters (kept whole)", 106, 40, 40, nome},
        {"name above 64 characters (cut to 13)", 106, 70, 13, nome},
        {"set-point function name", 255, 13, 13, freno},
        {"set-point function name too long", 255, 20, 13, freno},
        {"set-point output name too long for its slot", 412, 20, 13,
         [](InstrumentRig& r) { return r.control.values().NomeUscitaSetPoint[1]; }},
    };
    for (const auto& k : cases) {
        InstrumentRig rig("p36e51");
        auto& nv = rig.instrument.nvram();
        nv[static_cast<std::size_t>(k.address)] = static_cast<std::uint8_t>(k.length);
        std::fill_n(nv.begin() + k.address + 1, k.length, 0xE9);
        ASSERT_TRUE(rig.openSerial()) << k.what;
        EXPECT_EQ(k.read(rig), times(e9, k.expected)) << k.what;
    }
}

TEST(Configuration, ANewNameIsCutToMaxLenNomeInCharactersAndStoredInWindows1252) {
    OpenRig rig("p36e51");
    ASSERT_TRUE(rig.control.ScriviNome(times("\xC3\xA9", 20) + "\xE2\x82\xAC"));  // 20 "é", "€"
    const auto& nv = rig.instrument.nvram();
    EXPECT_EQ(nv[106], 13);
    EXPECT_EQ(std::count(nv.begin() + 107, nv.begin() + 120, 0xE9), 13);
    EXPECT_EQ(rig.control.Nome(), times("\xC3\xA9", 13));
    // A character Windows-1252 cannot hold is stored as "?".
    ASSERT_TRUE(
        rig.control.ScriviNome("A\xE2\x86\x92"
                               "B"));  // "A→B"
    EXPECT_EQ(std::string(nv.begin() + 107, nv.begin() + 110), "A?B");
    EXPECT_EQ(rig.control.Nome(), "A?B");
    OpenRig p41("p41e1072");  // MaxLenNome 20
    ASSERT_TRUE(p41.control.ScriviNome("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    EXPECT_EQ(p41.control.Nome(), "ABCDEFGHIJKLMNOPQRST");
}

// An open of a silent instrument: the program is called between every probe and every attempt
// (on the serial line never more than a resynchronisation, two waits, apart; the USB device's
// reopening and the Ethernet recovery keep it waiting up to 2.8 s and 2 s); a Cancel given
// there ends the open at once, and the next open is not affected.
TEST(SilentInstrument, OpenLetsTheWindowLiveAndCanBeGivenUp) {
    for (const auto& [channel, longestGap] :
         {std::pair(Channel::Serial, 1.41), std::pair(Channel::Usb, 2.81),
          std::pair(Channel::Ethernet, 2.01)}) {
        const std::string what = krnlink::channelName(channel);
        InstrumentRig rig;
        rig.instrument.setSilent(true);
        std::vector<double> calls;
        int cancelAt = -1;
        auto t0 = rig.clock.now();
        rig.control.link().betweenWaits = [&] {
            calls.push_back(rig.clock.secondsSince(t0));
            return static_cast<int>(calls.size()) != cancelAt;
        };
        EXPECT_FALSE(rig.open(channel));
        ASSERT_GE(calls.size(), 2u) << what;
        double longest = calls.front();
        for (std::size_t i = 1; i < calls.size(); ++i)
            longest = std::max(longest, calls[i] - calls[i - 1]);
        EXPECT_LE(longest, longestGap) << what;

        calls.clear();
        cancelAt = 2;
        t0 = rig.clock.now();
        EXPECT_FALSE(rig.open(channel));
        EXPECT_EQ(calls.size(), 2u) << what << ": nothing more after Cancel";
        EXPECT_DOUBLE_EQ(rig.clock.secondsSince(t0), calls.back()) << what;
        rig.instrument.setSilent(false);
        EXPECT_TRUE(rig.open(channel)) << what;
    }
}

}  // namespace
