// The desktop program driven as the technician drives it: the password box, then "&Clock..." and
// "Communication test..." on each simulated instrument, through the modal dialogs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "app/access.h"
#include "app/clock_dialog.h"
#include "app/comm_test.h"
#include "app/main_window.h"
#include "app/password_dialog.h"
#include "app/profile_dialog.h"
#include "app/selection_dialog.h"
#include "app/simulation.h"
#include "sim/sim_serial_port.h"
#include "support/recording_dialogs.h"
#include "support/simulated_environment.h"

namespace {

// Runs `step` on the next modal dialog of type T once it is up; steps chain.
template <typename T>
void onModal(std::function<void(T*)> step) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            step(w);
        }
    });
    timer->start(20);
}

// In the selection: wait for discovery to end, pick the row whose "Port/SN" starts with
// `prefix`, press OK.
void pick(const QString& prefix, std::function<void()> next) {
    onModal<app::FSceltaStrumento>([prefix, next](app::FSceltaStrumento* d) {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, d, prefix, next] {
            if (d->discovering()) return;
            poll->stop();
            poll->deleteLater();
            for (int i = 0; i < d->list()->topLevelItemCount(); ++i)
                if (d->list()->topLevelItem(i)->text(1).startsWith(prefix))
                    d->list()->setCurrentItem(d->list()->topLevelItem(i));
            next();
            d->okButton()->click();
        });
        poll->start(20);
    });
}

TEST(GuiFlow, PasswordThenClockAndCommunicationTestOnEverySimulatedInstrument) {
    testing_support::SimulatedEnvironment s("/FUL");
    ASSERT_TRUE(s.started);
    auto& env = s.env;
    auto& settings = s.settings;
    testing_support::RecordingDialogs dialogs;

    app::FPassword password;
    onModal<app::FPassword>([](app::FPassword* p) {
        p->field()->setText("2718tecnic");
        p->accept();
    });
    const auto access =
        app::Verifica("Access password", env.application, settings, password, dialogs);
    ASSERT_TRUE(access.accepted);
    EXPECT_EQ(access.level, 1);

    app::FMain window(env, &dialogs);
    window.SetupCustomer(access.level);
    window.SetupMenu();
    window.show();

    const QString rows[] = {"USB:", "COM:", "IP:"};
    for (const QString& row : rows) {
        QString instrumentTime;
        pick(row, [&instrumentTime] {
            onModal<app::FDataOra>([&instrumentTime](app::FDataOra* d) {
                QTimer::singleShot(300, d, [d, &instrumentTime] {
                    instrumentTime = d->instrumentLabel()->text();
                    d->accept();
                });
            });
        });
        window.action("mnuOrologio")->trigger();
        EXPECT_FALSE(instrumentTime.isEmpty()) << row.toStdString();

        QString result;
        pick(row, [&result] {
            onModal<app::FTestComm>([&result](app::FTestComm* d) {
                QTimer::singleShot(400, d, [d, &result] {
                    result = d->result()->text();
                    d->accept();
                });
            });
        });
        window.action("mnuTestComm")->trigger();
        EXPECT_EQ(result, "OK") << row.toStdString();
    }
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_FALSE(window.UCKRNVisual1().Collegato());
}

}  // namespace

namespace {

// "Instrument memory format..." opens the profile form (FProfilo) for the chosen instrument;
// Cancel there ends the command before any question or write.
TEST(GuiFlow, TheFormatOpensTheProfileFormAndItsCancelEndsTheCommand) {
    testing_support::SimulatedEnvironment s("");
    ASSERT_TRUE(s.started);
    testing_support::RecordingDialogs dialogs;
    app::FMain window(s.env, &dialogs);
    window.SetupCustomer(0);
    window.SetupMenu();
    window.show();
    bool formShown = false;
    pick("COM:", [&formShown] {
        // The clock dialog may come first (the simulated clock differs from the computer's).
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, &formShown] {
            QWidget* w = QApplication::activeModalWidget();
            if (auto* clock = qobject_cast<app::FDataOra*>(w)) clock->accept();
            if (auto* form = qobject_cast<app::FProfilo*>(w)) {
                formShown = true;
                timer->stop();
                timer->deleteLater();
                form->reject();
            }
        });
        timer->start(20);
    });
    window.action("mnuInviaSetup")->trigger();
    EXPECT_TRUE(formShown);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_FALSE(window.UCKRNVisual1().Collegato());
}

}  // namespace
