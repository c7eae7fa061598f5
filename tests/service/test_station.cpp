// The production station on a simulated bench of blank instruments: every instrument gets the
// next serial number, is formatted, named, checked and backed up, with one report row each; a
// failed format keeps its number and a second run finishes that instrument without a new one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "resources/serial_list.h"
#include "service/production/station.h"
#include "sim/sim_usb_bench.h"
#include "support/image_folder.h"
#include "support/test_host.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// The operator of a test: unplugs each instrument when told and plugs the next one.
struct Operator final : service::StationView {
    explicit Operator(sim::SimUsbBench& b) : bench(b) {}
    void stage(const std::string& text) override {
        stages.push_back(text);
        if (onStage) onStage(text);
    }
    void row(const service::StationRow& r) override { rows.push_back(r); }
    void unplugRequested(const std::string&) override {
        bench.unplug();
        if (!next.empty()) {
            bench.plug(next.front());
            next.erase(next.begin());
        }
    }
    bool stopRequested() override { return stopAfterStage && stages.size() >= stopAfterStage; }
    sim::SimUsbBench& bench;
    std::vector<int> next;  // the instruments plugged after each unplug
    std::size_t stopAfterStage = 0;
    std::function<void(const std::string&)> onStage;
    std::vector<std::string> stages;
    std::vector<service::StationRow> rows;
};

std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

struct Station : ::testing::Test {
    Station() : rig("p36e51"), host(rig, folder.path()), bench(rig.usb, profile(), 3) {
        folder.shipped();
        list = folder.file("SNlist.txt");
        resources::writeSerialList(list, {"QX300125  earlier"});
        host.store.setValue(resources::kSerialListApplication, "Main", resources::kSerialListKey,
                            list);
        rig.clock.setLocal({2026, 12, 7, 8, 30, 0});
        options.profile.NomeStrumento = "PRESS";
        options.report = folder.file("report.csv");
        options.backups = folder.file("backups");
        options.operatorName = "Anna";
    }
    static const sim::Profile& profile() { return *sim::findProfile("p36e51"); }

    ImageFolder folder{"station"};
    InstrumentRig rig;
    TestHost host;
    sim::SimUsbBench bench;
    std::string list;
    service::StationOptions options;
};

TEST_F(Station, ThreeBlankInstrumentsAFailedFormatKeepsItsNumberAndASecondRunFinishesIt) {
    Operator op(bench);
    op.next = {1, 2};
    bench.plug(0);
    bench.instrument(1).setFaultyCell(2000);  // its memory test fails during the format
    options.count = 3;
    auto result = service::runStation(host, options, op);
    EXPECT_EQ(std::make_pair(result.done, result.failed), std::make_pair(2, 1));
    ASSERT_EQ(op.rows.size(), 3u);
    const std::string serials[] = {"QX300126", "QX300127", "QX300128"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(op.rows[i].serial, serials[i]);
        EXPECT_EQ(op.rows[i].result, i == 1 ? "failed" : "done") << op.rows[i].reason;
        EXPECT_EQ(bench.chip(i).serialNumber, serials[i]);
        EXPECT_EQ(bench.chip(i).description, "KRN " + serials[i]);
    }
    EXPECT_EQ(op.rows[1].failedStage, "format");
    EXPECT_FALSE(fs::exists(options.backups + "/QX300127.ini"));

    // The second instrument, mended, comes back: it keeps QX300127 and goes on from its format.
    bench.instrument(1).clearFaultyCells();
    op.rows.clear();
    bench.plug(1);
    options.count = 1;
    result = service::runStation(host, options, op);
    ASSERT_EQ(op.rows.size(), 1u);
    EXPECT_EQ(op.rows[0].serial, "QX300127");
    EXPECT_EQ(op.rows[0].result, "done") << op.rows[0].reason;
    EXPECT_EQ(bench.chip(1).programs, 1);
    const auto listed = *resources::readSerialList(list);
    ASSERT_EQ(listed.size(), 4u);  // the failed one's number too, and no new one
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(listed[i + 1].substr(0, 22), serials[i] + "  KRN " + serials[i]);
        EXPECT_TRUE(fs::exists(options.backups + "/" + serials[i] + ".ini")) << serials[i];
    }

    const auto report = lines(options.report);
    ASSERT_EQ(report.size(), 5u);
    EXPECT_EQ(report[0],
              "time,serial,name,protocol,extension,firmware version,result,failed stage,seconds,"
              "operator\r");
    EXPECT_EQ(report[1].rfind("2026-12-07 08:30:00,QX300126,KRN QX300126,36,51,", 0), 0u)
        << report[1];
    EXPECT_NE(report[2].find(",failed,format,"), std::string::npos) << report[2];
    EXPECT_NE(report[4].find("QX300127,KRN QX300127,36,51,"), std::string::npos) << report[4];
    EXPECT_NE(report[4].find(",done,,"), std::string::npos) << report[4];
    EXPECT_EQ(report[4].substr(report[4].size() - 6), ",Anna\r");
}

TEST_F(Station, AListOrReportThatCannotBeUsedStopsTheStationBeforeAnyChipIsProgrammed) {
    Operator op(bench);
    bench.plug(0);
    const std::string report = options.report;
    options.report = folder.file("no/such/folder/report.csv");
    auto result = service::runStation(host, options, op);
    EXPECT_EQ(result.error, "Cannot write the report " + options.report);
    options.report = report;
    fs::remove(list);
    result = service::runStation(host, options, op);
    EXPECT_EQ(result.error,
              "File not found\nCorreggere la chiave del registro: SetupPrograms/Main/FileSN");
    EXPECT_TRUE(op.rows.empty());
    EXPECT_EQ(bench.chip(0).programs, 0);
    EXPECT_FALSE(fs::exists(options.report));
}

TEST_F(Station, AFinishedInstrumentPluggedAgainIsLeftAloneAndAStopCancelsTheRunningOne) {
    Operator op(bench);
    bench.plug(0);
    options.count = 1;
    ASSERT_EQ(service::runStation(host, options, op).done, 1);
    // Plugged again, the done instrument is not touched; the next one is stopped in its format.
    op.rows.clear();
    op.next = {1};
    op.stages.clear();
    op.stopAfterStage = 7;  // waiting, done already, unplug, waiting, identity, replug, format
    bench.plug(0);
    const auto result = service::runStation(host, options, op);
    EXPECT_TRUE(result.cancelled);
    ASSERT_EQ(op.rows.size(), 1u);
    EXPECT_EQ(op.stages[1], "QX300126: done already.");
    EXPECT_EQ(std::tie(op.rows[0].serial, op.rows[0].result, op.rows[0].failedStage),
              std::make_tuple("QX300127", "cancelled", "format"));
    EXPECT_EQ(bench.chip(0).programs, 1);
    EXPECT_EQ(lines(options.report).size(), 3u);

    // Without a report, a listed chip whose header holds its signature goes on from its name.
    op.rows.clear();
    op.stages.clear();
    op.stopAfterStage = 0;
    options.report.clear();
    bench.plug(0);
    ASSERT_EQ(service::runStation(host, options, op).done, 1);
    EXPECT_EQ(op.stages,
              (std::vector<std::string>{"Waiting for an instrument on USB...", "QX300126: name",
                                        "QX300126: header", "QX300126: backup"}));
}

TEST_F(Station, AFormatWaitsWhileAnotherCommandOfThisComputerHoldsTheProgramFolder) {
    platform::FileLock other;
    ASSERT_EQ(other.take(folder.file(platform::kWorkFilesLock)), platform::FileLock::Result::Taken);
    Operator op(bench);
    op.onStage = [&](const std::string& text) {
        if (text.find("waiting for the program folder") != std::string::npos) other.release();
    };
    bench.plug(0);
    options.count = 1;
    ASSERT_EQ(service::runStation(host, options, op).done, 1);
    EXPECT_EQ(op.stages.at(4),
              "QX300126: waiting for the program folder, which another command uses.");
    EXPECT_EQ(op.stages.at(5), "QX300126: format");
}

}  // namespace
