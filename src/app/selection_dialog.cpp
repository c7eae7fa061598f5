#include "app/selection_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
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
      hourglass_(new QLabel(QString::fromUtf8("\u231B"), this)),
      ok_(nullptr),
      timer_(new QTimer(this)) {
    setObjectName("FSceltaStrumento");
    auto* label = new QLabel(tr("&List of machine:"), this);
    label->setBuddy(list_);
    list_->setColumnCount(3);
    list_->setHeaderLabels({tr("Name"), tr("Port/SN"), tr("Info")});
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Column widths in the proportion of the original twips: 4100, 2000, 1500.
    list_->setColumnWidth(0, 270);
    list_->setColumnWidth(1, 140);
    list_->setColumnWidth(2, 110);
    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    connect(ok_, &QPushButton::clicked, this, &FSceltaStrumento::choose);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &FSceltaStrumento::updateOk);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (ok_->isEnabled()) choose();
    });
    connect(timer_, &QTimer::timeout, this, &FSceltaStrumento::poll);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(hourglass_);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_);
    layout->addLayout(bottom);
    resize(560, 320);
}

FSceltaStrumento::~FSceltaStrumento() = default;

void FSceltaStrumento::fill(krnlink::SelectionOptions options) {
    timer_->stop();
    selection_ = std::make_unique<krnlink::SelectionList>(&env_.usb, &env_.ports, *probe_,
                                                          env_.clock, options);
    selection_->fill();
    discovery_.reset();
    if (selection_->wantsEthernet()) {
        discovery_ = std::make_unique<krnlink::EthernetDiscovery>(
            *moduleSocket_, env_.clock, dialogs_, *probe_, selection_->rows(), env_.discovery,
            options.SoloEthernet);
        discovery_->start();
        pollsSinceTick_ = 0;
        timer_->start(kPollMs);
    }
    refresh();
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
    const int selected =
        list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
    const auto& rows = selection_->rows();
    while (list_->topLevelItemCount() > static_cast<int>(rows.size()))
        delete list_->takeTopLevelItem(list_->topLevelItemCount() - 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(i));
        if (!item) item = new QTreeWidgetItem(list_);
        item->setText(0, QString::fromStdString(rows[i].name));
        item->setText(1, QString::fromStdString(rows[i].sn));
        item->setText(2, QString::fromStdString(rows[i].info));
    }
    if (selected >= 0 && selected < list_->topLevelItemCount())
        list_->setCurrentItem(list_->topLevelItem(selected));
    hourglass_->setVisible(discovering());
    updateOk();
}

void FSceltaStrumento::updateOk() {
    ok_->setEnabled(!discovering() && !list_->selectedItems().isEmpty());
}

void FSceltaStrumento::choose() {
    if (!ok_->isEnabled()) return;
    result_ = selection_->choose(list_->indexOfTopLevelItem(list_->currentItem()));
    accept();
}

krnlink::SelectionResult FSceltaStrumento::LoadForm(const std::string& title,
                                                    krnlink::SelectionOptions options) {
    setWindowTitle(QString::fromStdString(title));
    result_ = {};
    fill(options);
    exec();
    timer_->stop();
    if (discovery_) discovery_->stop();
    return result_;
}

}  // namespace app
