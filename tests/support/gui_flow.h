#pragma once
// The steps of a window flow: choosing a row of the selection, confirming the preselected one,
// closing a dialog once it shows what the test waits for.
#include <unistd.h>

#include <QPushButton>
#include <QString>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <string>

#include "app/selection_dialog.h"
#include "support/gui_wait.h"

namespace testing_support {

// A program folder of the test's own, removed afterwards.
struct ProgramFolder {
    explicit ProgramFolder(const std::string& name)
        : path(std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ProgramFolder() { std::filesystem::remove_all(path); }
    std::filesystem::path path;
};

// In the selection: wait until the row whose "Port/SN" starts with `prefix` can be chosen,
// select it, run `next` (which sets up the dialogs that follow) and press OK.
inline void pick(const QString& prefix, std::function<void()> next) {
    onModal<app::FSceltaStrumento>([prefix, next](app::FSceltaStrumento* d) {
        auto rowOf = [d, prefix] {
            for (int i = 0; i < d->list()->topLevelItemCount(); ++i)
                if (d->list()->topLevelItem(i)->text(1).startsWith(prefix)) return i;
            return -1;
        };
        const bool found = waitFor(
            [&] {
                const int row = rowOf();
                if (row < 0) return false;
                d->list()->setCurrentItem(d->list()->topLevelItem(row));
                return d->okButton()->isEnabled();
            },
            10000);
        QString rows;
        for (int i = 0; i < d->list()->topLevelItemCount(); ++i)
            rows += d->list()->topLevelItem(i)->text(1) + "; ";
        EXPECT_TRUE(found) << "no row " << prefix.toStdString() << " to choose among "
                           << rows.toStdString() << (d->filling() ? " (still filling)" : "");
        next();
        if (found)
            d->okButton()->click();
        else
            d->reject();
    });
}

// In the selection: the preselected row is `expected`; OK as soon as it can be pressed.
inline void confirmPreselected(const QString& expected, std::function<void()> next) {
    onModal<app::FSceltaStrumento>([expected, next](app::FSceltaStrumento* d) {
        const bool ready = waitFor(
            [&] {
                auto* item = d->list()->currentItem();
                return item && item->text(1) == expected && d->okButton()->isEnabled();
            },
            5000);
        EXPECT_TRUE(ready) << "the last instrument " << expected.toStdString()
                           << " was not preselected";
        next();
        if (ready)
            d->okButton()->click();
        else
            d->reject();
    });
}

// Closes the dialog of type T once `done` holds for it.
template <typename T>
void closeWhen(std::function<bool(T*)> done, std::function<void(T*)> look = {}) {
    onModal<T>([done, look](T* d) {
        EXPECT_TRUE(waitFor([&] { return done(d); }, 5000)) << T::staticMetaObject.className();
        if (look) look(d);
        d->accept();
    });
}

}  // namespace testing_support
