// The USB identity commands on the simulated bridge: the selection, the blank-chip question and
// the ambiguity refusal, the list on boxes, the record programmed in the chip's layout, and the
// failure paths with their boxes.
#include <gtest/gtest.h>

#include "service/command_log.h"
#include "service/device/usb_commands.h"
#include "support/image_folder.h"

using namespace testing_support;
using platform::MessageIcon;
using service::Outcome;

namespace {

const std::string kUnplug = "Unplug then plug the instrument for identification.";

struct UsbBench {
    UsbBench() : rig(*sim::findProfile("p36e51")), host(rig), dir("usb"), folder(dir.path()) {
        list = folder + "/list.rtf";
        resources::writeSerialList(list, {"QX300125  A", "QX300099  B"});
        host.store.setValue("SetupPrograms", "Main", "FileSN", list);
        rig.clock.setLocal({2026, 12, 6, 9, 0, 0});
    }
    sim::SimUsbDevice& chip(std::size_t i = 0) { return rig.usb.devices()[i]; }
    void blank(std::size_t i = 0) {
        chip(i).serialNumber.clear();
        chip(i).eepromEmpty = true;
    }
    Outcome run(service::MenuCommand c) { return service::runCommand(host, c); }
    InstrumentRig rig;
    TestHost host;
    ImageFolder dir;
    std::string folder, list;
};

TEST(WriteEEprom, ABlankChipGetsTheNextNumberAndItsName) {
    UsbBench b;
    b.blank();
    b.host.selections = {"USB: EEPROM Empty"};
    b.host.boxes.answers = {platform::MessageResult::Yes};
    b.host.boxes.inputs = {std::string("126"), std::string("Line 7"),
                           std::string("Magazzino Varnolide")};
    EXPECT_EQ(b.run(&service::WriteEEpromCommand), Outcome::Done);
    EXPECT_EQ(b.host.selectionTitles, Texts{"Select device"});
    EXPECT_EQ(b.host.boxes.prompts, (Texts{"Serial number:", "Name:", "User:"}));
    ASSERT_EQ(b.host.boxes.boxes.size(), 2u);  // the texts: e2e UsbProgramProgram
    EXPECT_EQ(std::make_pair(b.host.boxes.boxes[0].buttons, b.host.boxes.boxes[0].defaultButton),
              std::make_pair(platform::MessageButtons::YesNoCancel, 1));
    EXPECT_EQ(b.host.boxes.boxes[1].icon, MessageIcon::Exclamation);
    const auto& e = b.chip().eeprom;
    EXPECT_EQ(std::make_tuple(e.vendorId, e.productId, e.serialNumber, e.description,
                              e.manufacturer, e.maxPower, e.version, e.signature2),
              std::make_tuple(0x0403, 0x6001, "QX300126", "Line 7", "FTDI", 0, 2u, 0xFFFFFFFFu));
    EXPECT_TRUE(e.plugAndPlay && e.selfPowered && !e.remoteWakeup);
    // Re-plugging shows the new identity, the list's new line holds the date and the user: e2e
    // UsbProgramProgram.
    EXPECT_EQ(b.host.store.value("krnsetup", "Main", "LastSerialNumber3"), "126");
    EXPECT_EQ(b.rig.usb.openHandles(), 0);
}

TEST(WriteEEprom, RefusalsAndFailures) {
    using P = void (*)(UsbBench&);
    const P none = [](UsbBench&) {};
    const P twoBlank = [](UsbBench& b) {
        b.blank();
        b.rig.usb.addDevice(b.chip());
    };
    const P blankNo = [](UsbBench& b) {
        b.blank();
        b.host.boxes.answers = {platform::MessageResult::No};
    };
    const P noOpen = [](UsbBench& b) { b.chip().failOpen = true; };
    const P noRead = [](UsbBench& b) {
        b.chip().eepromReadStatus = platform::FtStatus::EepromReadFailed;
    };
    const P noProgram = [](UsbBench& b) { b.chip().failProgram = true; };
    const P noList = [](UsbBench& b) {
        b.host.store.setValue("SetupPrograms", "Main", "FileSN", b.folder + "/none");
    };
    const std::string ambiguity = "Connecting only one instrument to prevent abiquity";
    const std::string fail = "EEProm setup fail.", qx = "USB: QX3000001";
    const std::string listMissing =
        "File not found\nCorreggere la chiave del registro: SetupPrograms/Main/FileSN";
    const std::string longNumber = "Lenght of serial number: QX3100000 is wrong";
    struct Case {
        P prepare;
        std::optional<std::string> selection, number, name;
        Outcome outcome;
        Texts boxes;
    };
    const Case cases[] = {
        {twoBlank, "USB: EEPROM Empty", {}, {}, Outcome::Refused, {ambiguity}},
        {blankNo, "USB: ", {}, {}, Outcome::Cancelled, {"Are you sure to program EEprom?"}},
        {none, "COM: 1", {}, {}, Outcome::Refused, {"Instrument type non supported."}},
        {noOpen, qx, {}, {}, Outcome::Failed, {"Communication with USB device error"}},
        {noRead, qx, "126", "n", Outcome::Failed, {fail}},  // an EEPROM read that fails otherwise
        {noProgram, qx, "126", "n", Outcome::Failed, {fail}},
        {none, qx, {}, {}, Outcome::Cancelled, {}},  // the list closed
        {none, qx, "100000", "n", Outcome::Cancelled, {longNumber}},
        {none, qx, "12a", "n", Outcome::Cancelled, {"Serial number is not a number!"}},
        {none, qx, "126", std::string(65, 'n'), Outcome::Cancelled, {"Lenght of name is wrong"}},
        {noList, qx, {}, {}, Outcome::Cancelled, {listMissing}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.boxes));
        UsbBench b;
        c.prepare(b);
        b.host.selections = {c.selection};
        if (c.number) b.host.boxes.inputs = {c.number, c.name, std::string("u")};
        EXPECT_EQ(b.run(&service::WriteEEpromCommand), c.outcome);
        EXPECT_EQ(b.host.boxes.texts(), c.boxes);
        for (const auto& d : b.rig.usb.devices()) EXPECT_EQ(d.programs, 0);
        EXPECT_EQ(b.rig.usb.openHandles(), 0);
        // The number is given out by the list before the chip is written; a failed write keeps
        // its line, so that the number is never given twice.
        EXPECT_EQ(resources::readSerialList(b.list)->size(), c.boxes == Texts{fail} ? 3u : 2u);
    }
}

TEST(UsbIds, RewritesTheIdentifiersAndKeepsEveryString) {
    for (auto type : {platform::FtDeviceType::BM, platform::FtDeviceType::R}) {
        UsbBench b;
        b.chip().type = type;
        b.chip().eeprom.vendorId = 0x1234;
        b.chip().eeprom.productId = 0x5678;
        b.chip().eeprom.maxPower = 90;
        b.chip().eeprom.manufacturer = "Maker";
        b.host.selections = {"USB: QX3000001"};
        EXPECT_EQ(b.run(service::menuCommands().at("mnuCambiaIdUSB")), Outcome::Done);
        const auto& e = b.chip().eeprom;
        // The power fields change only in the version-2 layout.
        EXPECT_EQ(
            std::make_tuple(e.vendorId, e.productId, e.serialNumber, e.manufacturer, e.maxPower),
            std::make_tuple(0x0403, 0x6001, "QX3000001", "Maker",
                            type == platform::FtDeviceType::R ? 0 : 90));
        EXPECT_EQ(b.host.boxes.texts(), Texts{kUnplug});
    }
    UsbBench b;
    b.host.selections = {"USB: "};
    EXPECT_EQ(b.run(&service::UsbIdsCommand), Outcome::Cancelled);
    EXPECT_TRUE(b.host.boxes.boxes.empty());
}

}  // namespace
