#include "app/screen_copy_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_udp_socket.h"
#include "service/core/controller.h"

namespace app {

FCopiaDisplay::FCopiaDisplay(Environment& env, service::CommandHost& host, QWidget* parent)
    : QDialog(parent),
      env_(env),
      host_(host),
      serial_(std::make_unique<platform::qt::QtSerialPort>()),
      socket_(std::make_unique<platform::qt::QtUdpSocket>()),
      control_(std::make_unique<instrument::UCKRNVisual>(env.clock, &env.usb, &env.ports)),
      copy_(std::make_unique<service::ScreenCopy>(false)),
      picture_(new QLabel(this)),
      start_(new QPushButton(tr("Start"), this)),
      save_(new QPushButton(tr("Save..."), this)),
      close_(new QPushButton(tr("Close"), this)) {
    setObjectName("FCopiaDisplay");
    setWindowTitle(tr("Screen copy"));
    picture_->setObjectName("Picture1");
    start_->setObjectName("cmdStartCopia");
    save_->setObjectName("cmdSalva");
    close_->setObjectName("cmdChiudi");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture_);
    layout->addLayout(buttons);
    connect(start_, &QPushButton::clicked, this, &FCopiaDisplay::cmdStartCopia_Click);
    connect(save_, &QPushButton::clicked, this, &FCopiaDisplay::cmdSalva_Click);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    // A silent instrument is waited for probe by probe; the dialog repaints in between and a
    // close request gives the open up.
    control_->link().betweenWaits = [this] {
        QApplication::processEvents();
        return !host_.controller().Annullando();
    };
}

FCopiaDisplay::~FCopiaDisplay() = default;

void FCopiaDisplay::prepare(const std::string& description, bool menuMode) {
    description_ = description;
    copy_ = std::make_unique<service::ScreenCopy>(menuMode);
    redraw();
}

void FCopiaDisplay::ShowForm(const std::string& description, bool menuMode) {
    prepare(description, menuMode);
    exec();
}

void FCopiaDisplay::redraw() {
    const resources::ScreenPicture& p = copy_->picture();
    QImage image(p.width(), p.height(), QImage::Format_RGB32);
    for (int y = 0; y < p.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < p.width(); ++x) line[x] = 0xFF000000u | p.at(x, y);
    }
    picture_->setPixmap(QPixmap::fromImage(image));
    picture_->setFixedSize(p.width(), p.height());
}

void FCopiaDisplay::enableButtons(bool on) {
    start_->setEnabled(on);
    save_->setEnabled(on);
    close_->setEnabled(on);
}

void FCopiaDisplay::cmdStartCopia_Click() {
    if (running_) return;
    running_ = true;
    started_ = true;
    enableButtons(false);
    lastEnd_ = copy_->start(host_, description_, {*control_, serial_.get(), socket_.get()},
                            [this] { redraw(); });
    redraw();
    enableButtons(true);
    running_ = false;
}

void FCopiaDisplay::cmdSalva_Click() {
    copy_->save(host_);
}

void FCopiaDisplay::reject() {
    // A close request while the copy runs stops it after the current read.
    if (running_) {
        host_.controller().Annulla();
        return;
    }
    QDialog::reject();
}

}  // namespace app
