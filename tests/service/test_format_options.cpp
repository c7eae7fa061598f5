// ConcludiFormattazione: the exact writes for standard, IOT and VIOBUS I/O hardware, and the
// operator list left with ADMIN.
#include <gtest/gtest.h>

#include "service/command_log.h"
#include "service/format/format_options.h"

using namespace testing_support;
using W = ByteWrites;

namespace {

sim::Profile withFlags(std::uint8_t flags) {
    sim::Profile p = *sim::findProfile("p36e51");
    p.capability.flags = flags;
    return p;
}

provisioning::CProfilo lumbroTwoBoxesTwoLights() {
    provisioning::CProfilo p;
    p.NomeStrumento = "LINE 7";
    p.Destination = provisioning::Lumbro;
    p.NumeroCesti = 2;
    p.NumeroRossi = 2;
    return p;
}

W operator+(W a, const W& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A text field at `at`: its characters from the next byte on, then its length.
W textAt(int at, const std::string& s) {
    W w;
    for (std::size_t i = 0; i < s.size(); ++i) w.emplace_back(at + 1 + int(i), s[i]);
    return w + W{{at, int(s.size())}};
}

// The writes of ConcludiFormattazione: the operator list and the name apart from the others.
struct Concluded {
    W options, users, name;
    int base = 0;  // the operator list
};
Concluded conclude(const sim::Profile& profile, const provisioning::CProfilo& p) {
    InstrumentRig rig(profile);
    TestHost host(rig);
    EXPECT_TRUE(rig.openSerial());
    rig.instrument.clearLog();
    EXPECT_TRUE(service::ConcludiFormattazione(host, false, p));
    Concluded c;
    c.base = rig.control.users().AddressListaUtenti;
    for (const auto& w : byteWrites(rig)) {
        if (w.first >= c.base && w.first <= c.base + 225)
            c.users.push_back(w);
        else if (w.first >= 106 && w.first < 120)
            c.name.push_back(w);
        else
            c.options.push_back(w);
    }
    // Both restarts happened, and the instrument ends up locked again after the first.
    EXPECT_GE(rig.instrument.restarts(), 2);
    return c;
}

TEST(ConcludiFormattazione, StandardIoLumbroWithTwoBoxesAndTwoLights) {
    const Concluded c = conclude(*sim::findProfile("p36e51"), lumbroTwoBoxesTwoLights());
    const W expected = W{{48, 175}, {101, 8}, {56, 10}, {57, 1}} + textAt(314, "METRO") +
                       W{{100, 4}, {101, 74}, {208, 0}, {201, 0}, {202, 30}, {245, 5}, {448, 1},
                         {449, 2}, {450, 5},  {451, 6}, {452, 0}, {453, 0},  {454, 0}, {455, 0},
                         {464, 1}, {465, 2},  {466, 5}, {467, 6}, {468, 9},  {469, 3}};
    EXPECT_EQ(c.options, expected);
    // The operator list: ADMIN with every right, the other records cleared, then the count.
    ASSERT_EQ(c.users.size(), 226u);
    W admin;  // as offsets into the list
    for (int i : {0, 2, 3, 13, 14, 225})
        admin.emplace_back(c.users[i].first - c.base, c.users[i].second);
    EXPECT_EQ(
        admin,
        (W{{1, service::kCodiceAmministratore}, {3, 5}, {4, 'A'}, {14, 0xFF}, {15, 0x0F}, {0, 1}}));
}

TEST(ConcludiFormattazione, IotAndViobusColumns) {
    provisioning::CProfilo p;
    p.NumeroCesti = 2;
    p.ConIngressiMetro = p.ConUscitaMetro = p.ConValvolaSlitta = true;
    p.ConSensoreCestoPronto = p.perMECCANICA = true;
    const W iot = W{{101, 8}, {56, 10}, {57, 1},   {100, 0}, {101, 9},
                    {208, 0}, {201, 2}, {202, 30}, {245, 5}} +
                  textAt(356, "BOITE VERTE") + W{{449, 13}, {451, 2}, {452, 6}};
    EXPECT_EQ(conclude(withFlags(0x01), p).options, iot);
    const W viobus = conclude(withFlags(0x04), p).options;
    const W viobusTail = {{448, 1},  {449, 2},  {450, 5}, {451, 6}, {452, 13}, {453, 0},
                          {454, 19}, {455, 10}, {464, 1}, {465, 2}, {466, 18}, {467, 0},
                          {468, 7},  {469, 21}, {470, 8}, {471, 0}};
    ASSERT_GE(viobus.size(), viobusTail.size());
    EXPECT_EQ(W(viobus.end() - static_cast<std::ptrdiff_t>(viobusTail.size()), viobus.end()),
              viobusTail);
}

}  // namespace
