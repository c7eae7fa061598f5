#include "service/fleet/fleet_backup.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "backup/ini_file.h"
#include "service/backup/backup_commands.h"
#include "service/core/command_host.h"
#include "service/core/controller.h"
#include "service/core/menu_commands.h"
#include "service/fleet/fleet_layout.h"

namespace service::fleet {
namespace {

// The host of one worker: its own instrument control and channels; the boxes a command shows are
// kept as the instrument's failure text, and questions are answered No (nobody is there to
// answer them while many instruments run).
class WorkerHost final : public CommandHost, public ProgressView, public platform::Dialogs {
public:
    WorkerHost(platform::Clock& clock, Channels channels, bool verify, platform::FrameTrace* trace)
        : clock_(clock),
          channels_(std::move(channels)),
          control_(clock, channels_.usb, channels_.ports.get()),
          controller_(*this) {
        control_.setDialogs(this);
        setVerifica(verify);
        if (trace) control_.link().setTrace(trace);
    }

    void begin(const std::string& description) {
        description_ = description;
        messages_.clear();
    }
    const std::string& messages() const { return messages_; }

    // CommandHost
    platform::Dialogs& dialogs() override { return *this; }
    platform::Clock& clock() override { return clock_; }
    platform::SettingsStore& settings() override { return settings_; }
    const std::string& programFolder() override { return folder_; }
    instrument::UCKRNVisual& control() override { return control_; }
    platform::SerialPort* serialPort() override { return channels_.serial.get(); }
    platform::UdpSocket* socket() override { return channels_.socket.get(); }
    platform::UsbBridge& usb() override { return *channels_.usb; }
    CMain& controller() override { return controller_; }
    ProgressView& progressView() override { return *this; }
    std::optional<std::string> selectInstrument(const std::string&,
                                                const krnlink::SelectionOptions&) override {
        return description_;
    }
    // The backup shows no window; one that a command asked for anyway is not there.
    bool screenCopyVisible() override { return false; }
    bool showFolder(const std::string&) override { return false; }
    void showClockDialog(instrument::UCKRNVisual&) override {}
    void showCommunicationTest(const std::string&) override {}
    std::optional<int> chooseLanguage(const std::string&, bool) override { return std::nullopt; }
    void showFontBuilder() override {}
    void showScreenCopy(const std::string&, bool) override {}
    Outcome showEthernetSetup(const std::string&) override { return Outcome::Refused; }
    std::optional<resources::SerialAssignment> showSerialList(int) override { return std::nullopt; }
    bool showProfileForm(provisioning::CProfilo&, bool, bool, bool) override { return false; }

    // ProgressView: a worker draws nothing; the fleet prints one line per instrument.
    void showStatus(const std::string&) override {}
    void showProgress(long) override {}
    void setProgress(long) override {}
    void hideProgress() override {}
    void processEvents() override {}

    // platform::Dialogs
    platform::MessageResult message(const platform::MessageBox& box) override {
        std::string text = box.text;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        if (!text.empty()) messages_ += (messages_.empty() ? "" : "\n") + text;
        switch (box.buttons) {
            case platform::MessageButtons::Ok:
                return platform::MessageResult::Ok;
            case platform::MessageButtons::YesNo:
            case platform::MessageButtons::YesNoCancel:
                return platform::MessageResult::No;
            case platform::MessageButtons::AbortRetryIgnore:
                return platform::MessageResult::Abort;
            case platform::MessageButtons::OkCancel:
            case platform::MessageButtons::RetryCancel:
                break;
        }
        return platform::MessageResult::Cancel;
    }
    std::optional<std::string> input(const std::string&, const std::string&,
                                     const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFile(const std::string&, const std::string&,
                                        const std::vector<platform::FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&,
                                        const std::vector<platform::FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<platform::FontChoice> chooseFont(const platform::FontChoice&) override {
        return std::nullopt;
    }

private:
    platform::Clock& clock_;
    Channels channels_;
    platform::MemorySettingsStore settings_;
    std::string folder_;
    instrument::UCKRNVisual control_;
    CMain controller_;
    std::string description_;
    std::string messages_;
};

std::string savedName(const std::string& path) {
    backup::IniFile ini;
    ini.File1(path);
    ini.OpenFile1(true);
    if (!ini.OpenFile()) return {};
    ini.Chiave("STRUMENTO");
    ini.Target("NOMESTRUMENTO");
    return ini.TargetTrovato() ? ini.ValString() : std::string();
}

MemberResult backupOne(WorkerHost& host, const Member& m, const RunSettings& run) {
    MemberResult r;
    r.member = m;
    r.started = true;
    if (!m.unreachable.empty()) {
        r.why = m.unreachable;
        return r;
    }
    const std::string keyFolder = joinPath(run.folder, m.key);
    if (!makeFolder(keyFolder)) {
        r.why = "The folder " + keyFolder + " cannot be created.";
        return r;
    }
    const std::vector<std::string> earlier = backupsOf(run.folder, m.key);
    const std::string fileName = newBackupName(run.folder, m.key, run.stamp);
    const std::string path = joinPath(keyFolder, fileName);
    host.begin(m.description);
    std::string summary;
    const Outcome outcome =
        runCommand(host, [&](CommandHost& h) { return BackupCommand(h, path, summary); });
    if (outcome != Outcome::Done) {
        r.why = host.messages().empty() ? "The backup was not written." : host.messages();
        return r;
    }
    r.saved = true;
    r.file = m.key + "/" + fileName;
    r.name = savedName(path);
    if (earlier.empty()) return r;
    r.previous = m.key + "/" + earlier.back();
    backup::BackupComparison c = backup::diffBackups(joinPath(keyFolder, earlier.back()), path);
    if (c.result) r.changes = std::move(c.differences);
    return r;
}

}  // namespace

std::vector<MemberResult> backupFleet(const std::vector<Member>& members,
                                      const RunSettings& settings, platform::Clock& clock,
                                      const std::function<Channels()>& makeChannels) {
    std::vector<MemberResult> results(members.size());
    for (std::size_t i = 0; i < members.size(); ++i) results[i].member = members[i];
    std::atomic<std::size_t> next{0};
    std::mutex reporting;
    int done = 0;
    const std::size_t workers =
        std::min<std::size_t>(members.size(), static_cast<std::size_t>(std::max(settings.jobs, 1)));
    platform::FrameTrace* trace = settings.jobs <= 1 ? settings.trace : nullptr;
    auto work = [&] {
        WorkerHost host(clock, makeChannels(), settings.verify, trace);
        while (true) {
            if (settings.stopRequested && settings.stopRequested()) return;
            const std::size_t i = next++;
            if (i >= members.size()) return;
            MemberResult r = backupOne(host, members[i], settings);
            std::lock_guard lock(reporting);
            results[i] = std::move(r);
            ++done;
            if (settings.onResult) settings.onResult(results[i], done);
        }
    };
    if (workers <= 1) {
        if (!members.empty()) work();
        return results;
    }
    std::vector<std::thread> threads;
    threads.reserve(workers);
    for (std::size_t w = 0; w < workers; ++w) threads.emplace_back(work);
    for (auto& t : threads) t.join();
    return results;
}

}  // namespace service::fleet
