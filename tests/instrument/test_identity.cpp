// Identification, memory map and texts of the simulated generations; an open that can be given up.
#include <gtest/gtest.h>

#include <algorithm>
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

// Every channel of every profile is identified by the end-to-end tests; the map is the serial one.
TEST(Identification, IdentifiesAndMapsEveryProfile) {
    for (const auto& [profile, map] : kProfiles) {
        InstrumentRig rig(profile);
        ASSERT_TRUE(rig.openSerial()) << profile;
        EXPECT_EQ(mapOf(rig.control), map);
    }
}

// Units, names and values of each generation, old firmware versions, short capability records
// and refused protocols are read by the backup and restore tests and krnctl identify.
TEST(Identification, MemoriaPerLavoroKeeps15000BytesFreeAndAtMost250Jobs) {
    OpenRig rig("p36e51"), big("p41e1072");
    EXPECT_TRUE(rig.control.MemoriaPerLavoro(250) && !rig.control.MemoriaPerLavoro(251));
    EXPECT_TRUE(big.control.MemoriaPerLavoro(138) && !big.control.MemoriaPerLavoro(139));
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
        // Identification, clock and PLC queries, capability record, version; a short answer goes
        // on to the NVRAM header (at 7) and the rest, up to command 7; a failed exchange stops.
        const std::vector<int> c = rig.commands();
        ASSERT_GE(c.size(), 6u);
        EXPECT_EQ(std::vector<int>(c.begin(), c.begin() + 5),
                  (std::vector<int>{1, 29, 31, 39, 12}));
        EXPECT_EQ(c.back() == 7, ok);
        EXPECT_EQ(rig.instrument.requests()[5] == platform::Bytes({0x05, 41, 7, 0, 0, 0x35}), ok);
    }
}

std::string times(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

// Instrument texts are Windows-1252 bytes in NVRAM: one byte per character, cut by characters.
TEST(Configuration, InstrumentTextsAreCutInCharactersNotInUtf8Bytes) {
    const struct {
        std::int32_t address;
        int length;  // length byte; the characters are all 0xE9
        int expected;
    } cases[] = {{106, 40, 40}, {106, 70, 13}, {255, 20, 13}, {412, 20, 13}};
    for (const auto& k : cases) {
        InstrumentRig rig("p36e51");
        auto& nv = rig.instrument.nvram();
        nv[static_cast<std::size_t>(k.address)] = static_cast<std::uint8_t>(k.length);
        std::fill_n(nv.begin() + k.address + 1, k.length, 0xE9);
        ASSERT_TRUE(rig.openSerial());
        // The name, the set-point function name, the second set-point output name.
        const auto& v = rig.control.values();
        const std::string read = k.address == 106   ? rig.control.Nome()
                                 : k.address == 255 ? v.NomeFreno
                                                    : v.NomeUscitaSetPoint[1];
        EXPECT_EQ(read, times("\xC3\xA9", k.expected)) << k.address << " " << k.length;
    }
}

TEST(Configuration, ANewNameIsCutToMaxLenNomeInCharactersAndStoredInWindows1252) {
    OpenRig rig("p36e51");
    ASSERT_TRUE(rig.control.ScriviNome(times("\xC3\xA9", 20) + "\xE2\x82\xAC"));  // 20 "é", "€"
    const auto& nv = rig.instrument.nvram();
    EXPECT_EQ(nv[106], 13);
    EXPECT_EQ(std::count(nv.begin() + 107, nv.begin() + 120, 0xE9), 13);
    EXPECT_EQ(rig.control.Nome(), times("\xC3\xA9", 13));
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
