#include "platform/qt/qt_udp_socket.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QUdpSocket>

namespace platform::qt {

// The instruments are on the local network: a datagram never goes through a proxy. Without this
// every bind asks the system's proxy configuration (libproxy), which may look on the network for
// one and is shared, unsynchronised, by the fleet backup's sockets on their threads.
QtUdpSocket::QtUdpSocket() : socket_(std::make_unique<QUdpSocket>()) {
    socket_->setProxy(QNetworkProxy::NoProxy);
}
QtUdpSocket::~QtUdpSocket() = default;

bool QtUdpSocket::bind(const std::string& localAddress, std::uint16_t port) {
    close();
    QHostAddress address = localAddress.empty()
                               ? QHostAddress(QHostAddress::AnyIPv4)
                               : QHostAddress(QString::fromStdString(localAddress));
    return socket_->bind(address, port);
}

void QtUdpSocket::close() {
    socket_->close();
}

bool QtUdpSocket::sendTo(ByteSpan data, const std::string& host, std::uint16_t port) {
    if (socket_->state() == QAbstractSocket::UnconnectedState &&
        !socket_->bind(QHostAddress(QHostAddress::AnyIPv4), 0))
        return false;
    std::string address = resolve(host);
    if (address.empty()) return false;
    qint64 n = socket_->writeDatagram(reinterpret_cast<const char*>(data.data()),
                                      static_cast<qint64>(data.size()),
                                      QHostAddress(QString::fromStdString(address)), port);
    return n == static_cast<qint64>(data.size());
}

bool QtUdpSocket::hasPendingDatagram() {
    if (socket_->state() == QAbstractSocket::UnconnectedState) return false;
    if (!socket_->hasPendingDatagrams()) socket_->waitForReadyRead(0);
    return socket_->hasPendingDatagrams();
}

std::optional<Datagram> QtUdpSocket::receive() {
    if (!hasPendingDatagram()) return std::nullopt;
    QNetworkDatagram d = socket_->receiveDatagram();
    if (!d.isValid()) return std::nullopt;
    Datagram out;
    QByteArray data = d.data();
    out.data.assign(data.begin(), data.end());
    bool ok = false;
    quint32 v4 = d.senderAddress().toIPv4Address(&ok);
    out.senderAddress =
        ok ? QHostAddress(v4).toString().toStdString() : d.senderAddress().toString().toStdString();
    out.senderPort = static_cast<std::uint16_t>(d.senderPort());
    return out;
}

bool QtUdpSocket::waitForReadyRead(std::chrono::milliseconds timeout) {
    if (socket_->state() == QAbstractSocket::UnconnectedState) return false;
    if (socket_->hasPendingDatagrams()) return true;
    return socket_->waitForReadyRead(static_cast<int>(timeout.count())) ||
           socket_->hasPendingDatagrams();
}

std::string QtUdpSocket::resolve(const std::string& host) {
    QHostAddress direct;
    if (direct.setAddress(QString::fromStdString(host))) return direct.toString().toStdString();
    QHostInfo info = QHostInfo::fromName(QString::fromStdString(host));
    for (const QHostAddress& a : info.addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol) return a.toString().toStdString();
    return {};
}

std::uint16_t QtUdpSocket::localPort() const {
    return socket_->localPort();
}

}  // namespace platform::qt
