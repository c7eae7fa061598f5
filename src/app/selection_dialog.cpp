#include "app/selection_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/qt/qt_udp_socket.h"

namespace app {
namespace {
// Datagrams are looked for every 50 ms; every eighth look is the discovery's 400 ms tick.
constexpr int kPollMs = 50;
constexpr int kPollsPerTick = 8;
}  // namespace

FSceltaStrumento::FSceltaStrumento(Environment& env, platform::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      env_(env),
      dialogs_(dialogs),
      moduleSocket_(std::make_unique<platform::qt::QtUdpSocket>()),
      probeSocket_(std::make_unique<platform::qt::QtUdpSocket>()),
      probe_(
          std::make_unique<instrument::InstrumentProbe>(env.clock, &env.usb, probeSocket_.get())),
      list_(new QTreeWidget(this)),
      busy_(new QWidget(this)),
      hint_(new QLabel(this)),
      ok_(nullptr),
      refresh_(nullptr),
      timer_(new QTimer(this)) {
    setObjectName("FSceltaStrumento");
    auto* label = new QLabel(tr("&List of machine:"), this);
    label->setBuddy(list_);
    list_->setColumnCount(3);
    list_->setHeaderLabels({tr("Name"), tr("Port/SN"), tr("Info")});
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // The name column is about twice the port column, the information column a little narrower
    // than the port: names are long, port texts and serial numbers short.
    list_->setColumnWidth(0, 270);
    list_->setColumnWidth(1, 140);
    list_->setColumnWidth(2, 110);

    // The busy indicator: a running bar and its words, no picture the font may lack.
    auto* bar = new QProgressBar(busy_);
    bar->setRange(0, 0);
    bar->setMaximumWidth(120);
    bar->setMaximumHeight(14);
    auto* busyLayout = new QHBoxLayout(busy_);
    busyLayout->setContentsMargins(0, 0, 0, 0);
    busyLayout->addWidget(bar);
    busyLayout->addWidget(new QLabel(tr("Looking for instruments..."), busy_));
    busy_->setObjectName("busy");
    hint_->setObjectName("hint");
    hint_->setWordWrap(true);
    hint_->setText(
        tr("No instrument found. Check the cable and that the instrument is on, then press "
           "Refresh."));
    hint_->setVisible(false);

    auto* buttons = new QDialogButtonBox(this);
    refresh_ = buttons->addButton(tr("&Refresh"), QDialogButtonBox::ResetRole);
    ok_ = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    refresh_->setAutoDefault(false);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &FSceltaStrumento::choose);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(refresh_, &QPushButton::clicked, this, &FSceltaStrumento::again);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
        // A row the technician selected stays his; the focus alone selects nothing.
        if (!refreshing_) picked_ = true;
        updateOk();
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (ok_->isEnabled()) choose();
    });
    connect(timer_, &QTimer::timeout, this, &FSceltaStrumento::poll);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(busy_);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_);
    layout->addWidget(hint_);
    layout->addLayout(bottom);
    resize(560, 320);
}

FSceltaStrumento::~FSceltaStrumento() = default;

void FSceltaStrumento::fill(krnlink::SelectionOptions options) {
    if (filling_) return;
    options_ = options;
    timer_->stop();
    if (discovery_) discovery_->stop();
    discovery_.reset();
    refreshing_ = true;
    list_->clear();
    refreshing_ = false;
    picked_ = false;
    filling_ = true;
    selection_ = std::make_unique<krnlink::SelectionList>(&env_.usb, &env_.ports, *probe_,
                                                          env_.clock, options);
    refresh();
    if (isVisible()) repaint();  // the busy bar is up before the first device is probed
    // Each row is drawn as it is found. Only the dialog is repainted: running the event loop
    // here would let timers and clicks in while the list is half built.
    selection_->fill(nullptr, [this] {
        refresh();
        if (isVisible()) repaint();
    });
    filling_ = false;
    if (selection_->wantsEthernet()) {
        discovery_ = std::make_unique<krnlink::EthernetDiscovery>(
            *moduleSocket_, env_.clock, dialogs_, *probe_, selection_->rows(), env_.discovery,
            options.SoloEthernet);
        discovery_->repeatLimit = kRepeatLimit;
        discovery_->start();
        pollsSinceTick_ = 0;
        timer_->start(kPollMs);
    }
    refresh();
}

void FSceltaStrumento::again() {
    fill(options_);
}

void FSceltaStrumento::poll() {
    if (!discovery_) return;
    while (discovery_->running()) {
        auto d = moduleSocket_->receive();
        if (!d) break;
        discovery_->onDatagram(*d);
    }
    if (++pollsSinceTick_ >= kPollsPerTick) {
        pollsSinceTick_ = 0;
        discovery_->tick();
    }
    if (!discovery_->running()) timer_->stop();
    refresh();
}

void FSceltaStrumento::runDiscoveryToEnd() {
    if (discovery_) discovery_->runToEnd();
    timer_->stop();
    refresh();
}

void FSceltaStrumento::refresh() {
    refreshing_ = true;
    const int selected =
        list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
    const auto& rows = selection_->rows();
    while (list_->topLevelItemCount() > static_cast<int>(rows.size()))
        delete list_->takeTopLevelItem(list_->topLevelItemCount() - 1);
    int preferredRow = -1;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(i));
        if (!item) item = new QTreeWidgetItem(list_);
        item->setText(0, QString::fromStdString(rows[i].name));
        item->setText(1, QString::fromStdString(rows[i].sn));
        item->setText(2, QString::fromStdString(rows[i].info));
        if (!preferred_.empty() && rows[i].sn == preferred_) preferredRow = static_cast<int>(i);
    }
    if (!picked_ && preferredRow >= 0)
        list_->setCurrentItem(list_->topLevelItem(preferredRow));
    else if (selected >= 0 && selected < list_->topLevelItemCount())
        list_->setCurrentItem(list_->topLevelItem(selected));
    refreshing_ = false;
    const bool looking = filling_ || discovering();
    busy_->setVisible(looking);
    hint_->setVisible(!looking && rows.empty());
    refresh_->setEnabled(!filling_);
    updateOk();
}

void FSceltaStrumento::updateOk() {
    bool ok = !filling_ && selection_ && list_->currentItem() && !list_->selectedItems().isEmpty();
    if (ok && discovering()) {
        // A USB or serial row needs nothing from the discovery; an Ethernet one waits for it.
        const int row = list_->indexOfTopLevelItem(list_->currentItem());
        ok = row >= 0 && krnlink::localRow(selection_->rows()[static_cast<std::size_t>(row)]);
    }
    ok_->setEnabled(ok);
}

void FSceltaStrumento::choose() {
    if (!ok_->isEnabled()) return;
    result_ = selection_->choose(list_->indexOfTopLevelItem(list_->currentItem()));
    timer_->stop();
    if (discovery_) discovery_->stop();
    accept();
}

krnlink::SelectionResult FSceltaStrumento::LoadForm(const std::string& title,
                                                    krnlink::SelectionOptions options) {
    setWindowTitle(QString::fromStdString(title));
    result_ = {};
    // The dialog is up before the first device is probed, so that the technician sees it look.
    QTimer::singleShot(0, this, [this, options] { fill(options); });
    exec();
    timer_->stop();
    if (discovery_) discovery_->stop();
    return result_;
}

}  // namespace app
