#pragma once
// A command host on the simulated instrument: boxes and input boxes answered from queues, the
// selection answered from a queue, progress and dialogs recorded.
#include <array>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/settings_store.h"
#include "service/core/command_host.h"
#include "service/core/controller.h"
#include "service/device/usb_commands.h"
#include "support/instrument_rig.h"
#include "support/recording_dialogs.h"

namespace testing_support {

struct TestHost final : service::CommandHost, service::ProgressView {
    explicit TestHost(InstrumentRig& rig, std::string folder = "/tmp")
        : rig_(rig), folder_(std::move(folder)), controller_(*this) {}

    platform::Dialogs& dialogs() override { return boxes; }
    platform::Clock& clock() override { return rig_.clock; }
    platform::SettingsStore& settings() override { return store; }
    const std::string& programFolder() override { return folder_; }
    instrument::UCKRNVisual& control() override { return rig_.control; }
    platform::SerialPort* serialPort() override { return &rig_.serial; }
    platform::UdpSocket* socket() override { return &rig_.socket; }
    platform::UsbBridge& usb() override { return rig_.usb; }
    service::CMain& controller() override { return controller_; }
    service::ProgressView& progressView() override { return *this; }
    std::optional<std::string> selectInstrument(const std::string& title,
                                                const krnlink::SelectionOptions&) override {
        selectionTitles.push_back(title);
        if (selections.empty()) return std::nullopt;
        auto s = selections.front();
        selections.pop_front();
        return s;
    }
    bool showFolder(const std::string& path) override {
        foldersShown.push_back(path);
        return folderOpens;
    }
    void showClockDialog(instrument::UCKRNVisual&) override { ++clockDialogs; }
    void showCommunicationTest(const std::string& description) override {
        communicationTests.push_back(description);
    }
    std::optional<int> chooseLanguage(const std::string& title, bool availability) override {
        languageTitles.push_back(title + (availability ? " (available)" : ""));
        if (languages.empty()) return std::nullopt;
        auto l = languages.front();
        languages.pop_front();
        return l;
    }
    void showFontBuilder() override { ++fontBuilders; }
    void showScreenCopy(const std::string& description, bool menuMode) override {
        screenCopies.emplace_back(description, menuMode);
    }
    bool screenCopyVisible() override { return screenCopyLevel; }
    service::Outcome showEthernetSetup(const std::string& mac) override {
        ethernetSetups.push_back(mac);
        return service::Outcome::Done;
    }
    std::optional<resources::SerialAssignment> showSerialList(int type) override {
        return service::serialListOnBoxes(*this, type);
    }

    void showStatus(const std::string& t) override {
        status = t;
        if (statuses.empty() || statuses.back() != t) statuses.push_back(t);
    }
    bool showProfileForm(provisioning::CProfilo& p, bool electric, bool soloLingua,
                         bool conOrologio) override {
        profileForms.push_back({electric, soloLingua, conOrologio});
        if (!profileAnswer) return false;
        p = *profileAnswer;
        return true;
    }
    void showProgress(long m) override {
        maximum = m;
        ++progressShown;
        bars.emplace_back(status, controller_.bytesPerStep());
        positions.emplace_back();
    }
    void setProgress(long v) override {
        value = v;
        if (!positions.empty()) positions.back().push_back(v);
    }
    void hideProgress() override { status.clear(); }
    void processEvents() override {
        if (cancelAfterEvents >= 0 && --cancelAfterEvents < 0) controller_.Annulla();
    }

    RecordingDialogs boxes;
    platform::MemorySettingsStore store;
    std::deque<std::optional<std::string>> selections;
    std::vector<std::string> selectionTitles;
    int clockDialogs = 0;
    std::vector<std::string> foldersShown;
    bool folderOpens = true;  // what showing a folder answers
    std::vector<std::string> communicationTests;
    std::string status;
    std::vector<std::string> statuses;  // every status text shown, repeats folded
    // The profile form: the profile OK gives (nothing: Cancel), and the flags it was opened with.
    std::optional<provisioning::CProfilo> profileAnswer = provisioning::CProfilo();
    std::vector<std::array<bool, 3>> profileForms;
    long maximum = -1, value = -1;
    int progressShown = 0;
    std::vector<std::pair<std::string, long>> bars;  // status and bytes per step of each bar
    std::vector<std::vector<long>> positions;        // the positions each bar was set to
    int cancelAfterEvents = -1;                // Cancel pressed after this many events (-1: never)
    std::deque<std::optional<int>> languages;  // answers of the language choice
    std::vector<std::string> languageTitles;
    int fontBuilders = 0;
    std::vector<std::pair<std::string, bool>> screenCopies;  // description, menu mode
    bool screenCopyLevel = false;             // the level shows the screen-copy entry
    std::vector<std::string> ethernetSetups;  // the MAC addresses the set-up dialog was opened for

private:
    InstrumentRig& rig_;
    std::string folder_;
    service::CMain controller_;
};

}  // namespace testing_support
