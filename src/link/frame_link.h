#pragma once
// The link to one instrument: the frame buffers, the exchange with its attempts and its answer
// reader, and the opening and closing of the channel. The bytes travel through one transport
// (serial, USB or Ethernet) for the whole conversation; an exchange never changes channel.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "link/identity_guard.h"
#include "link/request.h"
#include "link/transport.h"
#include "platform/bytes.h"
#include "platform/clock.h"
#include "platform/frame_trace.h"
#include "platform/serial_port.h"
#include "platform/udp_socket.h"
#include "platform/usb_bridge.h"

namespace krnlink {

using FrameBuffer = std::array<std::uint8_t, 51>;

// How a request goes out: byte by byte with each echo checked, in one write, or byte by byte
// with a pause between bytes; in the last two the echo of the whole request is read at once.
// The serial channel always sends byte by byte, Ethernet in one datagram; on USB the mode
// follows what the instrument is.
enum class UsbWriteMode { PerByte, Block, Paced };

// What the instrument control knows about the connected instrument that chooses the USB write
// mode. The instrument control keeps these facts; the link is given them and only reads them.
struct InstrumentFlags {
    std::int16_t Estensioni = 0;
    bool UpdateMode = false;
    bool TastatoreCollegato = false;
    bool PressaBloccata = false;
};

UsbWriteMode usbWriteMode(const InstrumentFlags& f);

class FrameLink {
public:
    // `facts` belongs to the owner (the instrument control) and must outlive the link.
    FrameLink(platform::Clock& clock, platform::UsbBridge* usb,
              platform::SerialPortEnumerator* ports, InstrumentFlags& facts);
    ~FrameLink();
    FrameLink(const FrameLink&) = delete;
    FrameLink& operator=(const FrameLink&) = delete;

    // --- frame buffers and primitives ---
    FrameBuffer BufferTx{};
    FrameBuffer BufferRx{};
    std::int32_t ConteggioAttesa = 0;
    std::int32_t CostanteRitardoUSB = 0x7FFFFF;
    // The instrument's facts, as given at construction.
    InstrumentFlags& flags;

    static constexpr std::int16_t DimMaxBuffer() { return 50; }
    // Every request is prepared here: BufferTx = [LEN][code][arguments...], LEN counted from
    // the request. A request longer than Request::kMaxBytes leaves LEN 0, which no exchange
    // sends; false then.
    bool prepare(const Request& request);
    // prepare, then EseguiTransazione.
    bool exchange(const Request& request, bool senzaRitentativi);
    void AggiungiChecksum();
    bool EseguiTransazione(bool senzaRitentativi);
    bool ComandoSemplice(std::uint8_t codice, bool senzaRitentativi);
    bool ComandoConConferma();
    bool Risincronizza();
    // The USB recovery between attempts; reports true. When the device cannot be reopened the
    // link is closed, so every further exchange fails.
    bool RiapriUSB();

    // Byte operations on the open channel.
    bool InviaByte(std::uint8_t b, bool conEco);
    std::optional<std::uint8_t> RiceviByte();
    // Waits until n bytes are waiting (0.7 s serial and USB, 1.0 s Ethernet); the number of
    // looks at the input is left in ConteggioAttesa.
    bool AttendiByte(int n);
    int ByteInIngresso();

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
    // Hands over the serial port for the next serial conversation. A serial conversation under
    // way goes on through the new port at the same location; any other channel is closed.
    void HandlePorta(platform::SerialPort* port);
    // The open USB device, 0 when the link is not on USB.
    platform::FtHandle HandlePortaUSB() const;
    // The channel of the open conversation, or the one the next open would use.
    Channel currentChannel() const;

    // What every open ends with; the instrument control puts its configuration read here.
    // Without one, an open checks that the instrument answers identification (command 1 with
    // at least 2 bytes).
    std::function<bool()> configurationReader;
    // Raised when the USB recovery starts.
    std::function<void()> onNoise;
    // Raised when the channel is closed, so that the identification can be forgotten.
    std::function<void()> onClose;
    // Called between the waits of a probe and between an exchange's attempts (each at most one
    // wait limit), so that the program can repaint its window and take a Cancel. While a channel
    // is being opened, false gives the open up: it fails at once, whatever is left of its probes
    // and attempts. Later it only lets the window live: a command stops at its own checks, and
    // the closing sequence always runs.
    std::function<bool()> betweenWaits;
    // Asks betweenWaits; false once an open has been given up.
    bool keepWaiting();
    // Whether the line is checked for late bytes around each exchange (an attempt has failed
    // and fewer than kCleanExchangesToTrust exchanges have come through clean since).
    bool lineSuspect() const { return suspectFor_ > 0; }
    // How many checked exchanges in a row must come through clean before the line is trusted
    // again: a late answer may wait for the echo of a later request to come out.
    static constexpr int kCleanExchangesToTrust = 8;
    // On a suspect line, a request whose bytes left with a longer pause between two of them
    // has its answer refused: the instrument drops a frame whose bytes stop coming for a
    // while (100 ms in the simulated instrument), so a late answer may come behind it alone.
    static constexpr platform::Duration kRequestPauseLimit = std::chrono::milliseconds(50);
    // Whether the last exchange failed without a single byte from the instrument in any of its
    // attempts or in the recoveries between them (or had no channel): the line has proved
    // dead. The attempts stay as they are; a command that would go on exchange after exchange
    // stops instead, and the closing sequence skips its steps. The next byte heard clears it.
    bool lineDead() const { return dead_; }
    // How many attempts have failed on this link so far: a read during which it grew followed a
    // recovery.
    std::uint64_t failedAttempts() const { return failedAttempts_; }
    // Opens skip the configuration read (raw access for diagnostics).
    bool skipConfigurationRead = false;
    // Set when another instrument answered after a reopen or a restart (what of it differed:
    // "its name", "its NVRAM header", "its protocol"); the link was closed then and nothing more
    // went out. Cleared by the next open.
    const std::optional<std::string>& instrumentChanged() const { return changed_; }
    // How many times an exchange whose answer carries CHK 1 is made again before two answers
    // agree: a sum of 0 and a sum of 1 both give CHK 1, so one flipped low bit passes the check.
    static constexpr int kAmbiguousRepeats = 2;

    void setTrace(platform::FrameTrace* trace);
    platform::Clock& clock() { return clock_; }

private:
    struct AttemptPolicy;
    static const AttemptPolicy& policyFor(Channel c);
    UsbWriteMode writeModeFor(Channel c) const;
    // The attempts of one prepared request (checksum appended), as the channel allows them.
    bool attempts(bool senzaRitentativi);
    bool attempt(bool& answerBegun);
    // The answer in BufferRx carries CHK 1 and the request only reads what stays put.
    bool answerAmbiguous() const;
    bool confirmAnswer(bool senzaRitentativi);
    // After a reopen or a restart: true when the instrument is the one of the conversation (or
    // nothing is known that could tell); false, with the link closed when it is another one.
    bool sameInstrument();
    struct IdentityCheck {
        bool answered = false;            // every question of the check was answered
        std::optional<std::string> what;  // what differs
    };
    IdentityCheck checkIdentity();
    bool readAnswer(bool& answerBegun);
    // The longest pause between two request bytes leaving is left in longestPause.
    bool sendRequest(UsbWriteMode mode, platform::Duration& longestPause);
    bool checksumOk(int len) const;
    bool recoverAfterFailedAttempt(const AttemptPolicy& policy);
    bool readConfiguration();
    bool startConversation(std::unique_ptr<Transport> transport);
    bool finishOpen();
    void dropTransport();
    void traceFrame(Channel channel, platform::FrameTrace::Direction dir, bool ok);
    void traceNote(const std::string& text);

    platform::Clock& clock_;
    platform::UsbBridge* usb_;
    platform::SerialPortEnumerator* ports_;
    platform::SerialPort* serial_ = nullptr;
    platform::UdpSocket* socket_ = nullptr;
    platform::FrameTrace* trace_ = nullptr;

    std::unique_ptr<Transport> transport_;  // the open channel, none when closed
    Channel selected_ = Channel::Serial;    // the channel of the next open
    bool connected_ = false;
    // After a failed attempt, the number of clean exchanges still to come before the line is
    // trusted; while above 0 the line is checked around every exchange. A new conversation
    // does not reset it, because a late answer of the last one may still come.
    int suspectFor_ = 0;
    bool dead_ = false;
    bool opening_ = false;    // an open is reading the instrument's identity
    bool abandoned_ = false;  // the open under way was given up by betweenWaits
    std::uint64_t failedAttempts_ = 0;
    std::string name_;
    IdentityGuard guard_;
    bool verifying_ = false;
    std::optional<std::string> changed_;
};

}  // namespace krnlink
