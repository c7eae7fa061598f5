// Access levels and the connection controller, without widgets.
#include <gtest/gtest.h>

#include "app/access.h"
#include "app/controller.h"
#include "support/instrument_rig.h"
#include "support/recording_dialogs.h"

using testing_support::InstrumentRig;
using testing_support::RecordingDialogs;

namespace {

struct ScriptedPrompt final : app::PasswordPrompt {
    std::optional<std::string> answer;
    int asked = 0;
    std::optional<std::string> ask(const std::string&) override {
        ++asked;
        return answer;
    }
};

TEST(Access, LevelsFromTheTypedCode) {
    struct Case {
        std::string typed;
        std::optional<int> level;
    };
    const Case cases[] = {
        {"2718", 0},
        {"  2718 ", 0},
        {"2718TECNIC", 1},
        {"2718tecnic", 1},
        {"2718SVC", 2},
        {"2718SVCTECNIC", 3},
        {"2718 SVC", std::nullopt},
        {"TECNIC", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(app::levelFor("2718", c.typed), c.level) << c.typed;
}

TEST(Access, StoredCodeIsHexOfTheXoredCharacters) {
    EXPECT_EQ(app::encodeAccessCode("2718"), "686D6B62");  // '2' ^ 0x5A = 0x68 ...
    EXPECT_EQ(app::decodeAccessCode("686D6B62"), "2718");
    EXPECT_EQ(app::decodeAccessCode(app::encodeAccessCode("abc 9")), "abc 9");
    EXPECT_FALSE(app::decodeAccessCode("6G").has_value());
    EXPECT_FALSE(app::decodeAccessCode("686").has_value());
}

TEST(Access, VerificaAsksComparesAndTellsWrongPasswords) {
    platform::MemorySettingsStore settings;
    RecordingDialogs dialogs;
    ScriptedPrompt prompt;
    // The built-in seed when nothing is stored.
    prompt.answer = "2718svctecnic";
    auto r = app::Verifica("Access password", "krnsetup", settings, prompt, dialogs);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.level, 3);
    // A stored code of its own.
    settings.setValue("krnsetup", "Main", "Strumento", app::encodeAccessCode(" 4455 "));
    prompt.answer = "4455TECNIC";
    r = app::Verifica("Access password", "krnsetup", settings, prompt, dialogs);
    EXPECT_EQ(r.level, 1);
    prompt.answer = "2718";
    r = app::Verifica("Access password", "krnsetup", settings, prompt, dialogs);
    EXPECT_FALSE(r.accepted);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Wrong password");
    EXPECT_EQ(dialogs.boxes[0].title, "Access password");
    EXPECT_EQ(dialogs.boxes[0].icon, platform::MessageIcon::Information);
    // Cancel: not accepted, nothing shown.
    prompt.answer.reset();
    r = app::Verifica("Access password", "krnsetup", settings, prompt, dialogs);
    EXPECT_FALSE(r.accepted);
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    // An empty stored code opens at level 0 without asking.
    settings.setValue("krnsetup", "Main", "Strumento", "");
    prompt.asked = 0;
    r = app::Verifica("Access password", "krnsetup", settings, prompt, dialogs);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.level, 0);
    EXPECT_EQ(prompt.asked, 0);
}

struct View final : app::MainView {
    int clockDialogs = 0;
    std::string status;
    long maximum = -1, value = -1;
    void showStatus(const std::string& t) override { status = t; }
    void showProgress(long m) override { maximum = m; }
    void setProgress(long v) override { value = v; }
    void hideProgress() override { status.clear(); }
    void processEvents() override {}
    void showClockDialog(instrument::UCKRNVisual&) override { ++clockDialogs; }
};

TEST(Controller, RetriesAFailedOpenUntilCancelled) {
    InstrumentRig rig("p36e51");
    RecordingDialogs dialogs;
    dialogs.answers = {platform::MessageResult::Retry, platform::MessageResult::Cancel};
    View view;
    app::CMain c(dialogs, view, rig.clock, &rig.serial, &rig.socket);
    EXPECT_EQ(c.Connect(rig.control, "COM: 0"), instrument::errPR_Comm);
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"Communication error\nCOM: 0", "Communication error\nCOM: 0"}));
    EXPECT_EQ(dialogs.boxes[0].buttons, platform::MessageButtons::RetryCancel);
    EXPECT_EQ(dialogs.boxes[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(rig.serial.opens(), 0);
}

TEST(Controller, ClockMoreThanTwoSecondsOffOpensTheClockDialog) {
    for (int offset : {-3, -2, 2, 3}) {
        InstrumentRig rig("p36e51");
        rig.clock.setLocal({2026, 12, 6, 10, 0, 0, 0});
        rig.instrument.setClock(platform::fromEpochSeconds(platform::toEpochSeconds(rig.clock.localNow()) + offset),
                                rig.clock.now());
        RecordingDialogs dialogs;
        View view;
        app::CMain c(dialogs, view, rig.clock, &rig.serial, &rig.socket);
        EXPECT_EQ(c.Connect(rig.control, "COM: 1"), instrument::errPR_OK);
        EXPECT_EQ(view.clockDialogs, std::abs(offset) > 2 ? 1 : 0) << offset;
        EXPECT_TRUE(rig.instrument.pressLocked());
        EXPECT_TRUE(rig.instrument.keyboardLocked());
        c.Disconnect(rig.control);
        EXPECT_FALSE(rig.instrument.pressLocked());
        EXPECT_FALSE(rig.control.Collegato());
    }
}

TEST(Controller, UpdateModeInstrumentIsConnectedWithoutLock) {
    InstrumentRig rig("loader");
    RecordingDialogs dialogs;
    View view;
    app::CMain c(dialogs, view, rig.clock, &rig.serial, &rig.socket);
    EXPECT_EQ(c.Connect(rig.control, "COM: 1"), instrument::errPR_OK);
    for (int code : rig.commands()) EXPECT_TRUE(code != 18 && code != 20) << code;
}

TEST(Controller, RefusedPressLockAndErrorTexts) {
    InstrumentRig rig("p36e51");
    rig.instrument.setPressLockRefused(true);
    RecordingDialogs dialogs;
    View view;
    app::CMain c(dialogs, view, rig.clock, &rig.serial, &rig.socket);
    EXPECT_EQ(c.Connect(rig.control, "COM: 1"), instrument::errPR_InUse);
    EXPECT_FALSE(rig.instrument.keyboardLocked());
    const std::pair<instrument::ErrPR, std::string> texts[] = {
        {instrument::errPR_InUse, "Error communication for blocking the instruments."},
        {instrument::errPR_VerInstrument, "The instrument is not supported.\nType: 36\nRelease: 51"},
        {instrument::errPR_Comm, "Communication error"},
        {instrument::errPR_Erase, "Errore."},
        {instrument::errPR_Memory, "Test memory fail."},
        {instrument::errPR_Setup, "Errore."},
    };
    for (const auto& [code, text] : texts) {
        dialogs.boxes.clear();
        c.ShowErrorMsg(code, rig.control);
        ASSERT_EQ(dialogs.boxes.size(), 1u);
        EXPECT_EQ(dialogs.boxes[0].text, text);
    }
}

TEST(Controller, ProgressScaleAndStageTexts) {
    const std::pair<long, int> scales[] = {{0, 1}, {32000, 1}, {32001, 10}, {320000, 10}, {320001, 100},
                                           {3200000, 100}, {3200001, 1000}};
    for (const auto& [total, scale] : scales) EXPECT_EQ(app::CMain::scaleFor(total), scale) << total;
    InstrumentRig rig;
    RecordingDialogs dialogs;
    View view;
    app::CMain c(dialogs, view, rig.clock, nullptr, nullptr);
    c.setStage(app::idProc_MemoryTest);
    c.StartTransfer(64000);
    EXPECT_EQ(view.status, "Memory test:");
    EXPECT_EQ(view.maximum, 6400);
    EXPECT_FALSE(c.UpdateTransfer(32000));
    EXPECT_EQ(view.value, 3200);
    c.Annulla();
    EXPECT_TRUE(c.UpdateTransfer(32010));
    c.setStage(99);
    c.StartTransfer(10);
    EXPECT_EQ(view.status, "Progress...");
}

}  // namespace
