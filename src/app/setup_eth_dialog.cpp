#include "app/setup_eth_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/qt/qt_udp_socket.h"
#include "service/device/ethernet_commands.h"

namespace app {
namespace {
// Answers are looked for every 50 ms; every eighth look is the set-up's 400 ms tick.
constexpr int kPollMs = 50;
constexpr int kPollsPerTick = 8;
}  // namespace

FSetupEth::FSetupEth(Environment& env, platform::Dialogs& dialogs, const std::string& localAddress,
                     QWidget* parent, std::unique_ptr<platform::UdpSocket> socket)
    : QDialog(parent),
      env_(env),
      dialogs_(dialogs),
      socket_(socket ? std::move(socket) : std::make_unique<platform::qt::QtUdpSocket>()),
      txtIP_(new QLineEdit(this)),
      txtLocalIP_(new QLineEdit(QString::fromStdString(localAddress), this)),
      ok_(nullptr),
      timer_(new QTimer(this)) {
    setObjectName("FSetupEth");
    setWindowTitle(QString::fromUtf8(service::kEthernetSetupTitle));
    txtIP_->setObjectName("txtIP");
    txtLocalIP_->setObjectName("txtLocalIP");
    txtLocalIP_->setReadOnly(true);
    auto* form = new QFormLayout;
    form->addRow(tr("Local IP address:"), txtLocalIP_);
    form->addRow(tr("IP address:"), txtIP_);
    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    connect(ok_, &QPushButton::clicked, this, &FSetupEth::confirm);
    connect(cancel, &QPushButton::clicked, this, [this] {
        if (setup_) setup_->cancel();
        reject();
    });
    connect(timer_, &QTimer::timeout, this, &FSetupEth::poll);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

FSetupEth::~FSetupEth() = default;

void FSetupEth::begin(const std::string& mac) {
    txtIP_->clear();
    setup_ = std::make_unique<krnlink::EthernetSetup>(
        *socket_, env_.clock, dialogs_, env_.discovery, mac, txtLocalIP_->text().toStdString());
    setup_->start();
    pollsSinceTick_ = 0;
    timer_->start(kPollMs);
    refresh();
}

krnlink::EthernetSetup::End FSetupEth::LoadForm(const std::string& mac) {
    begin(mac);
    exec();
    timer_->stop();
    if (setup_ && !setup_->closed()) setup_->cancel();
    return setup_ ? setup_->end() : krnlink::EthernetSetup::End::Cancelled;
}

void FSetupEth::poll() {
    if (!setup_) return;
    const bool hadAddress = setup_->ipEnabled();
    while (!setup_->closed()) {
        auto d = socket_->receive();
        if (!d) break;
        setup_->onDatagram(*d);
    }
    if (++pollsSinceTick_ >= kPollsPerTick) {
        pollsSinceTick_ = 0;
        setup_->tick();
    }
    if (!hadAddress && setup_->ipEnabled())
        txtIP_->setText(QString::fromStdString(setup_->ipText()));
    refresh();
    if (setup_->closed()) {
        timer_->stop();
        done(setup_->end() == krnlink::EthernetSetup::End::Done ? Accepted : Rejected);
    }
}

void FSetupEth::confirm() {
    if (setup_ && setup_->confirm(txtIP_->text().toStdString())) pollsSinceTick_ = 0;
    refresh();
}

void FSetupEth::refresh() {
    txtIP_->setEnabled(setup_ && setup_->ipEnabled());
    ok_->setEnabled(setup_ && setup_->okEnabled());
}

}  // namespace app
