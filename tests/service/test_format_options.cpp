// ConcludiFormattazione: the exact writes for standard, IOT and VIOBUS I/O hardware, the
// operator list left with ADMIN, and the option bytes per extension.
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

// The writes of ConcludiFormattazione apart from the operator list and the name, which the
// tests look at on their own.
struct Concluded {
    W options;
    W users;
    W name;
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
    const int users = c.base;
    for (const auto& w : byteWrites(rig)) {
        if (w.first >= users && w.first <= users + 225)
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
    const W expected = {
        {48, 175},  {101, 8},   {56, 10},   {57, 1},                           // before the users
        {315, 'M'}, {316, 'E'}, {317, 'T'}, {318, 'R'}, {319, 'O'}, {314, 5},  // "METRO"
        {100, 4},   {101, 74},  {208, 0},   {201, 0},   {202, 30},  {245, 5},  // option bytes
        {448, 1},   {449, 2},   {450, 5},   {451, 6},   {452, 0},   {453, 0}, {454, 0},
        {455, 0},   {464, 1},   {465, 2},   {466, 5},   {467, 6},   {468, 9}, {469, 3}};
    EXPECT_EQ(c.options, expected);
    // The operator list: ADMIN with every right, the other records cleared, then the count.
    ASSERT_EQ(c.users.size(), 226u);
    const int base = c.base;
    EXPECT_EQ(c.users[0], std::make_pair(base + 1, service::kCodiceAmministratore));
    EXPECT_EQ(c.users[2], std::make_pair(base + 3, 5));
    EXPECT_EQ(c.users[3], std::make_pair(base + 4, int('A')));
    EXPECT_EQ(c.users[13], std::make_pair(base + 14, 0xFF));
    EXPECT_EQ(c.users[14], std::make_pair(base + 15, 0x0F));
    EXPECT_EQ(c.users.back(), std::make_pair(base, 1));
    EXPECT_FALSE(c.name.empty());
}

TEST(ConcludiFormattazione, IotAndViobusColumns) {
    provisioning::CProfilo p;
    p.NumeroCesti = 2;
    p.ConIngressiMetro = true;
    p.ConUscitaMetro = true;
    p.ConValvolaSlitta = true;
    p.ConSensoreCestoPronto = true;
    p.perMECCANICA = true;
    const W iot = conclude(withFlags(0x01), p).options;
    const W iotExpected = {{101, 8},
                           {56, 10},
                           {57, 1},
                           {100, 0},
                           {101, 9},
                           {208, 0},
                           {201, 2},
                           {202, 30},
                           {245, 5},
                           // "BOITE VERTE" at 356: characters, then the length
                           {357, 'B'},
                           {358, 'O'},
                           {359, 'I'},
                           {360, 'T'},
                           {361, 'E'},
                           {362, ' '},
                           {363, 'V'},
                           {364, 'E'},
                           {365, 'R'},
                           {366, 'T'},
                           {367, 'E'},
                           {356, 11},
                           {449, 13},
                           {451, 2},
                           {452, 6}};
    EXPECT_EQ(iot, iotExpected);
    const W viobus = conclude(withFlags(0x04), p).options;
    const W viobusTail = {{448, 1},  {449, 2},  {450, 5}, {451, 6}, {452, 13}, {453, 0},
                          {454, 19}, {455, 10}, {464, 1}, {465, 2}, {466, 18}, {467, 0},
                          {468, 7},  {469, 21}, {470, 8}, {471, 0}};
    ASSERT_GE(viobus.size(), viobusTail.size());
    EXPECT_EQ(W(viobus.end() - static_cast<std::ptrdiff_t>(viobusTail.size()), viobus.end()),
              viobusTail);
}

TEST(OptionBytes, PerExtension) {
    provisioning::CProfilo metro;
    metro.ConIngressiMetro = true;
    provisioning::CProfilo plain;
    provisioning::CProfilo lumbro = lumbroTwoBoxesTwoLights();
    lumbro.perVESSALINE = true;
    struct Case {
        std::int16_t e;
        const provisioning::CProfilo* p;
        int a, b, c, d;
    };
    const Case cases[] = {
        {45, &metro, 0, 8, 0, 1},   {45, &plain, 0, 8, 0, 1},      {46, &metro, 0, 8, 0, 2},
        {46, &plain, 0, 8, 0, 0},   {51, &lumbro, 132, 74, 0, 0},  {41, &metro, 64, 0, 0, 3},
        {40, &metro, 64, 0, 0, 29}, {35, &lumbro, 67, 200, 16, 0}, {31, &lumbro, 67, 200, 0, 0},
    };
    for (const Case& c : cases) {
        const service::ByteOpzione o = service::byteOpzione(c.e, *c.p);
        EXPECT_EQ((std::vector<int>{o.a, o.b, o.c, o.d}), (std::vector<int>{c.a, c.b, c.c, c.d}))
            << "extension " << c.e;
    }
}

}  // namespace
