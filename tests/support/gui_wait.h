#pragma once
// Waiting in the window tests: Qt's QTRY_* loop (the event loop runs while the condition is
// false, up to a time limit), with its verdict handed to GoogleTest; and the modal dialogs a flow
// opens, answered as soon as they are up, with a failure and a rejected dialog when the expected
// one does not come.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <functional>

namespace testing_support {

// True as soon as cond() holds, false when it still does not after `ms` milliseconds.
template <typename Condition>
bool waitFor(Condition&& cond, int ms) {
    bool held = false;
    [&] {
        QTRY_VERIFY_WITH_TIMEOUT(cond(), ms);
        held = true;
    }();
    return held;
}

// Runs `step` on the next modal dialog of type T once it is up. When another modal dialog is up
// instead, or none comes within `ms`, the test fails and the dialog that is up is rejected, so
// that the flow ends instead of hanging.
template <typename T>
void onModal(std::function<void(T*)> step, int ms = 10000) {
    auto* timer = new QTimer;
    auto* waited = new int(0);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, step, ms] {
        QWidget* up = QApplication::activeModalWidget();
        if (auto* w = qobject_cast<T*>(up)) {
            timer->stop();
            timer->deleteLater();
            delete waited;
            step(w);
            return;
        }
        *waited += timer->interval();
        if (*waited < ms) return;
        timer->stop();
        timer->deleteLater();
        delete waited;
        ADD_FAILURE() << "the dialog " << T::staticMetaObject.className() << " did not open"
                      << (up ? std::string(", ") + up->metaObject()->className() + " is up"
                             : std::string());
        if (auto* d = qobject_cast<QDialog*>(up)) d->reject();
    });
    timer->start(20);
}

}  // namespace testing_support

// Waits (running the event loop) until `cond` holds; fails the test after `ms` milliseconds.
#define KRN_WAIT_FOR(cond, ms)                                                         \
    ASSERT_TRUE(testing_support::waitFor([&] { return static_cast<bool>(cond); }, ms)) \
        << "still false after " << (ms) << " ms: " #cond
#define KRN_EXPECT_SOON(cond, ms)                                                      \
    EXPECT_TRUE(testing_support::waitFor([&] { return static_cast<bool>(cond); }, ms)) \
        << "still false after " << (ms) << " ms: " #cond
