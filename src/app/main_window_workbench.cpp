// FMain's workbench: the instrument panel and the activity log under the menu, the status bar,
// and what each command leaves in them.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>

#include "app/instrument_panel.h"
#include "app/main_window.h"

namespace app {

void FMain::buildWorkbench() {
    panel_ = new InstrumentPanel(this);
    activity_ = new ActivityView(this);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(panel_);
    split->addWidget(activity_);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    setCentralWidget(split);

    status_->setObjectName("lblTrasferimento");
    version_->setObjectName("lblVersione");
    bar_->setMaximumWidth(220);
    bar_->setTextVisible(false);
    cancel_->setObjectName("cmdAnnulla");
    cancel_->setAutoDefault(false);
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(bar_);
    statusBar()->addPermanentWidget(cancel_);
    statusBar()->addPermanentWidget(version_);

    // What the control knew of the instrument is lost when it closes its link; take it first.
    auto& link = control_->link();
    link.onClose = [this, previous = link.onClose] {
        noteClosing();
        if (previous) previous();
    };
    // Between the probes and attempts of a silent instrument the window repaints and takes the
    // Cancel button, which gives an open up.
    link.betweenWaits = [this] {
        processEvents();
        return !controller_->Annullando();
    };
}

void FMain::noteClosing() {
    if (!control_->Collegato()) return;
    reached_ = snapshotOf(*control_, commandInstrument_.empty() ? chosen_ : commandInstrument_);
}

void FMain::beginCommand() {
    commandInstrument_.clear();
    reached_.reset();
    dialogOutcome_.reset();
    recorder_.take();
}

void FMain::endCommand(const std::string& caption, service::Outcome outcome) {
    ActivityEntry entry;
    entry.time = env_.clock.localNow();
    entry.command = caption;
    entry.result = outcome;
    entry.message = recorder_.take();
    // What the command did beyond its boxes: values written, files saved, counts.
    for (const std::string& line : activity)
        entry.message += (entry.message.empty() ? "" : " / ") + line;
    if (reached_ || !commandInstrument_.empty()) {
        InstrumentSnapshot s;
        if (reached_)
            s = *reached_;
        else
            s.description = commandInstrument_;
        entry.instrument = instrumentText(s);
        panel_->showInstrument(s);
        if (reached_) rememberInstrument(env_.settings, env_.application, s.description);
    }
    log_.add(entry);
    activity_->add(entry);
    // The last thing done stays in the status line until the next command (a file saved).
    if (!activity.empty()) showStatus(activity.back());
}

}  // namespace app
