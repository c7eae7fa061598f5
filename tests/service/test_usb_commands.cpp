// The USB identity commands on the simulated bridge: the selection, the blank-chip question and
// the ambiguity refusal, the list on boxes, the record programmed in the chip's layout, and the
// failure paths with their boxes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "service/core/menu_commands.h"
#include "service/device/usb_commands.h"
#include "support/test_host.h"

using namespace testing_support;
using platform::MessageIcon;
using service::Outcome;

namespace {

namespace fs = std::filesystem;

struct UsbBench {
    UsbBench() : rig(*sim::findProfile("p36e51")), host(rig) {
        folder = (fs::temp_directory_path() / ("krn_usb_" + std::to_string(::getpid()))).string();
        fs::create_directories(folder);
        list = folder + "/list.rtf";
        resources::writeSerialList(list, {"QX300125  A", "QX300099  B"});
        host.store.setValue("SetupPrograms", "Main", "FileSN", list);
        rig.clock.setLocal({2026, 12, 6, 9, 0, 0});
    }
    ~UsbBench() { fs::remove_all(folder); }
    sim::SimUsbDevice& chip(std::size_t i = 0) { return rig.usb.devices()[i]; }
    void blank(std::size_t i = 0) {
        chip(i).serialNumber.clear();
        chip(i).eepromEmpty = true;
    }
    Outcome run(service::MenuCommand c) { return service::runCommand(host, c); }
    InstrumentRig rig;
    TestHost host;
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
    EXPECT_EQ(b.host.selectionTitles, std::vector<std::string>{"Select device"});
    EXPECT_EQ(b.host.boxes.prompts, (std::vector<std::string>{"Serial number:", "Name:", "User:"}));
    ASSERT_EQ(b.host.boxes.boxes.size(), 2u);
    EXPECT_EQ(b.host.boxes.boxes[0].text, "Are you sure to program EEprom?");
    EXPECT_EQ(b.host.boxes.boxes[0].buttons, platform::MessageButtons::YesNoCancel);
    EXPECT_EQ(b.host.boxes.boxes[0].defaultButton, 1);
    EXPECT_EQ(b.host.boxes.boxes[1].text, "Unplug then plug the instrument for identification.");
    EXPECT_EQ(b.host.boxes.boxes[1].icon, MessageIcon::Exclamation);
    const auto& e = b.chip().eeprom;
    EXPECT_EQ(e.vendorId, 0x0403);
    EXPECT_EQ(e.productId, 0x6001);
    EXPECT_EQ(e.serialNumber, "QX300126");
    EXPECT_EQ(e.description, "Line 7");
    EXPECT_EQ(e.manufacturer, "FTDI");
    EXPECT_EQ(e.maxPower, 0);
    EXPECT_TRUE(e.plugAndPlay && e.selfPowered && !e.remoteWakeup);
    EXPECT_EQ(e.version, 2u);
    EXPECT_EQ(e.signature2, 0xFFFFFFFFu);
    // A new enumeration (re-plugging) shows the new identity.
    std::string serial;
    ASSERT_EQ(b.rig.usb.ListDevicesByIndex(0, serial), platform::FtStatus::Ok);
    EXPECT_EQ(serial, "QX300126");
    EXPECT_EQ(resources::readSerialList(b.list)->back(),
              "QX300126  Line 7              06/12/2026  Magazzino Varnolide");
    EXPECT_EQ(b.host.store.value("krnsetup", "Main", "LastSerialNumber3"), "126");
    EXPECT_EQ(b.rig.usb.openHandles(), 0);
}

TEST(WriteEEprom, OlderChipsTakeTheUnversionedRecordAndStringsAreKept) {
    UsbBench b;
    b.chip().type = platform::FtDeviceType::BM;
    b.chip().eeprom.manufacturer = "Maker";
    b.chip().eeprom.manufacturerId = "MK";
    b.host.selections = {"USB: QX3000001"};
    b.host.boxes.inputs = {std::string("126"), std::string("KRN-Visual"), std::string("u")};
    EXPECT_EQ(b.run(&service::WriteEEpromCommand), Outcome::Done);
    EXPECT_EQ(b.host.boxes.texts(),
              std::vector<std::string>{"Unplug then plug the instrument for identification."});
    EXPECT_EQ(b.chip().eeprom.version, 0u);
    EXPECT_EQ(b.chip().eeprom.manufacturer, "Maker");
    EXPECT_EQ(b.chip().programs, 1);
}

TEST(WriteEEprom, RefusalsAndFailures) {
    struct Case {
        const char* name;
        void (*prepare)(UsbBench&);
        std::optional<std::string> selection;
        Outcome outcome;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {"two blank chips",
         [](UsbBench& b) {
             b.blank();
             b.rig.usb.addDevice(b.chip());
         },
         "USB: EEPROM Empty",
         Outcome::Refused,
         {"Connecting only one instrument to prevent abiquity"}},
        {"question not answered Yes",
         [](UsbBench& b) {
             b.blank();
             b.host.boxes.answers = {platform::MessageResult::No};
         },
         "USB: ",
         Outcome::Cancelled,
         {"Are you sure to program EEprom?"}},
        {"not a USB device",
         [](UsbBench&) {},
         "COM: 1",
         Outcome::Refused,
         {"Instrument type non supported."}},
        {"cannot open",
         [](UsbBench& b) { b.chip().failOpen = true; },
         "USB: QX3000001",
         Outcome::Failed,
         {"Communication with USB device error"}},
        {"EEPROM read fails otherwise",
         [](UsbBench& b) {
             b.chip().eepromReadStatus = platform::FtStatus::EepromReadFailed;
             b.host.boxes.inputs = {std::string("126"), std::string("n"), std::string("u")};
         },
         "USB: QX3000001",
         Outcome::Failed,
         {"EEProm setup fail."}},
        {"programming fails",
         [](UsbBench& b) {
             b.chip().failProgram = true;
             b.host.boxes.inputs = {std::string("126"), std::string("n"), std::string("u")};
         },
         "USB: QX3000001",
         Outcome::Failed,
         {"EEProm setup fail."}},
        {"list closed", [](UsbBench&) {}, "USB: QX3000001", Outcome::Cancelled, {}},
        {"number refused",
         [](UsbBench& b) {
             b.host.boxes.inputs = {std::string("100000"), std::string("n"), std::string("u")};
         },
         "USB: QX3000001",
         Outcome::Cancelled,
         {"Lenght of serial number: QX3100000 is wrong"}},
        {"list missing",
         [](UsbBench& b) {
             b.host.store.setValue("SetupPrograms", "Main", "FileSN", b.folder + "/none");
         },
         "USB: QX3000001",
         Outcome::Cancelled,
         {"File not found\nCorreggere la chiave del registro: SetupPrograms/Main/FileSN"}},
    };
    for (const Case& c : cases) {
        UsbBench b;
        c.prepare(b);
        b.host.selections = {c.selection};
        EXPECT_EQ(b.run(&service::WriteEEpromCommand), c.outcome) << c.name;
        EXPECT_EQ(b.host.boxes.texts(), c.boxes) << c.name;
        for (const auto& d : b.rig.usb.devices()) EXPECT_EQ(d.programs, 0) << c.name;
        EXPECT_EQ(b.rig.usb.openHandles(), 0) << c.name;
        // The number is given out by the list before the chip is written; a failed write keeps
        // its line, so that the number is never given twice.
        const bool listed = c.boxes == std::vector<std::string>{"EEProm setup fail."};
        EXPECT_EQ(resources::readSerialList(b.list)->size(), listed ? 3u : 2u) << c.name;
    }
}

TEST(WriteEEprom, ASixtyFourCharacterNameIsWrittenWithoutTrailingBlanksAndSixtyFiveRefused) {
    const std::string n64(64, 'n');
    {
        UsbBench b;
        b.host.selections = {"USB: QX3000001"};
        b.host.boxes.inputs = {std::string("126"), n64 + "   ", std::string("u")};
        EXPECT_EQ(b.run(&service::WriteEEpromCommand), Outcome::Done);
        EXPECT_EQ(b.chip().eeprom.description, n64);
        EXPECT_EQ(resources::readSerialList(b.list)->back(), "QX300126  " + n64 + "06/12/2026  u");
    }
    {
        UsbBench b;
        b.host.selections = {"USB: QX3000001"};
        b.host.boxes.inputs = {std::string("126"), n64 + "n", std::string("u")};
        EXPECT_EQ(b.run(&service::WriteEEpromCommand), Outcome::Cancelled);
        EXPECT_EQ(b.host.boxes.texts(), std::vector<std::string>{"Lenght of name is wrong"});
        EXPECT_EQ(b.chip().programs, 0);
        EXPECT_EQ(resources::readSerialList(b.list)->size(), 2u);
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
        EXPECT_EQ(e.vendorId, 0x0403);
        EXPECT_EQ(e.productId, 0x6001);
        EXPECT_EQ(e.serialNumber, "QX3000001");
        EXPECT_EQ(e.manufacturer, "Maker");
        // The power fields change only in the version-2 layout.
        EXPECT_EQ(e.maxPower, type == platform::FtDeviceType::R ? 0 : 90);
        EXPECT_EQ(b.host.boxes.texts(),
                  std::vector<std::string>{"Unplug then plug the instrument for identification."});
    }
    UsbBench b;
    b.host.selections = {"USB: "};
    EXPECT_EQ(b.run(&service::UsbIdsCommand), Outcome::Cancelled);
    EXPECT_TRUE(b.host.boxes.boxes.empty());
}

}  // namespace
