#pragma once
// The link to one instrument: the frame buffers, the exchange with its attempts and recovery on
// each of the three channels, and the opening and closing of those channels.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "platform/bytes.h"
#include "platform/clock.h"
#include "platform/frame_trace.h"
#include "platform/serial_port.h"
#include "platform/udp_socket.h"
#include "platform/usb_bridge.h"

namespace krnlink {

using FrameBuffer = std::array<std::uint8_t, 51>;

enum class Channel { Serial, Usb, Ethernet };
const char* channelName(Channel c);

// How a request goes out on USB, chosen per exchange from what the instrument is.
enum class UsbWriteMode { PerByte, Block, Paced };

struct InstrumentFlags {
    std::int16_t Estensioni = 0;
    bool UpdateMode = false;
    bool TastatoreCollegato = false;
    bool PressaBloccata = false;
};

UsbWriteMode usbWriteMode(const InstrumentFlags& f);

// Limits of the waits.
inline constexpr platform::Duration kByteWait = std::chrono::milliseconds(700);
inline constexpr platform::Duration kEthWait = std::chrono::milliseconds(1000);
inline constexpr platform::Duration kModuleCommandWait = std::chrono::seconds(2);
inline constexpr platform::Duration kResyncBurst = std::chrono::seconds(5);

class FrameLink {
public:
    FrameLink(platform::Clock& clock, platform::UsbBridge* usb,
              platform::SerialPortEnumerator* ports);
    ~FrameLink();
    FrameLink(const FrameLink&) = delete;
    FrameLink& operator=(const FrameLink&) = delete;

    // --- frame buffers and primitives ---
    FrameBuffer BufferTx{};
    FrameBuffer BufferRx{};
    std::int32_t ConteggioAttesa = 0;
    std::int32_t CostanteRitardoUSB = 0x7FFFFF;
    InstrumentFlags flags;

    static constexpr std::int16_t DimMaxBuffer() { return 50; }
    void AggiungiChecksum();
    bool EseguiTransazione(bool senzaRitentativi);
    bool ComandoSemplice(std::uint8_t codice, bool senzaRitentativi);
    bool ComandoConConferma();
    bool Risincronizza();
    bool RiapriUSB();

    // Serial and USB byte operations.
    bool InviaByte(std::uint8_t b, bool conEco);
    std::optional<std::uint8_t> RiceviByte();
    bool AttendiByte(int n);
    int ByteInIngresso();
    // Ethernet byte operations.
    bool InviaTramaEth();
    bool AttendiByteEth(int n);
    std::uint8_t LeggiByteEth();

    // --- channels ---
    bool ApriComunicazione232(int portNumber);
    bool ApriComunicazione232(const std::string& location);
    bool ApriComunicazioneUSB(const std::string& serialNumber);
    void SetupPortaEth(platform::UdpSocket* socket);
    bool ApriComunicazioneETH(const std::string& host, std::int32_t port,
                              const std::string& localAddress = {});
    std::optional<std::string> ComandoUDP(const std::string& command);
    void ChiudiPortaComunicazione();

    bool Collegato() const { return connected_; }
    const std::string& Nome() const { return name_; }
    void setNome(std::string name) { name_ = std::move(name); }
    platform::SerialPort* HandlePorta() const { return serial_; }
    void HandlePorta(platform::SerialPort* port);
    platform::FtHandle HandlePortaUSB() const { return usbHandle_; }
    void HandlePortaUSB(platform::FtHandle h);
    Channel currentChannel() const;

    // What every open ends with; the instrument control puts its configuration read here.
    // Without one, an open checks that the instrument answers identification (command 1 with
    // at least 2 bytes).
    std::function<bool()> configurationReader;
    // Raised when the USB recovery starts.
    std::function<void()> onNoise;
    // Raised when the channel is closed, so that the identification can be forgotten.
    std::function<void()> onClose;
    // Opens skip the configuration read (raw access for diagnostics).
    bool skipConfigurationRead = false;

    void setTrace(platform::FrameTrace* trace) { trace_ = trace; }
    platform::Clock& clock() { return clock_; }

private:
    bool readConfiguration();
    bool exchangeSerial();
    bool exchangeUsb(bool senzaRitentativi);
    bool exchangeEthernet(bool senzaRitentativi);
    bool usbAttempt();
    bool usbTimedRead(std::uint8_t* out, std::uint32_t count);
    bool usbWriteAll(const std::uint8_t* data, std::uint32_t count);
    bool receiveAnswerBody(int len);
    bool checksumOk(int len) const;
    void discardInput();
    bool ethCollect(int n, int offset);
    void ethTakeDatagrams();
    void ethDrain();
    bool resyncEthernet();
    bool ensureSerialOpen();
    bool openSerialAndCheck(const std::string& location);
    bool reopenUsbDevice();
    void traceExchange(bool ok);

    platform::Clock& clock_;
    platform::UsbBridge* usb_;
    platform::SerialPortEnumerator* ports_;
    platform::SerialPort* serial_ = nullptr;
    platform::UdpSocket* socket_ = nullptr;
    platform::FrameTrace* trace_ = nullptr;

    std::string serialLocation_;
    platform::FtHandle usbHandle_ = 0;
    std::string usbSerial_;
    bool ethernetMode_ = false;
    std::string remoteHost_;      // as given
    std::string remoteAddress_;   // numeric, for matching answers
    std::uint16_t remotePort_ = 0;
    std::deque<std::uint8_t> ethRx_;  // bytes of accepted datagrams not yet taken
    bool connected_ = false;
    std::string name_;
};

}  // namespace krnlink
