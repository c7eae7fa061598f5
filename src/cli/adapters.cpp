#include "cli/adapters.h"

#include <csignal>
#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>

#include "platform/win/d2xx_usb_bridge.h"
#include "platform/win/win_serial_port.h"
#include "platform/win/win_settings_store.h"
#include "platform/win/win_udp_socket.h"
#else
#include <signal.h>
#include <unistd.h>

#include "platform/ftdi/ftdi_usb_bridge.h"
#include "platform/qt/qt_glyph_renderer.h"
#include "platform/qt/qt_image_file.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_udp_socket.h"
#endif

namespace cli::adapters {

#ifdef _WIN32

std::unique_ptr<platform::SerialPort> serialPort() {
    return std::make_unique<platform::win::WinSerialPort>();
}
std::unique_ptr<platform::SerialPortEnumerator> serialPorts() {
    return std::make_unique<platform::win::WinSerialPortEnumerator>();
}
std::unique_ptr<platform::UdpSocket> udpSocket() {
    return std::make_unique<platform::win::WinUdpSocket>();
}
std::unique_ptr<platform::SettingsStore> settings() {
    return std::make_unique<platform::win::WinSettingsStore>();
}
std::unique_ptr<platform::UsbBridge> usbBridge() {
    return std::make_unique<platform::win::D2xxUsbBridge>(
        "FTD2XX.DLL",
        [](const std::string& text) { std::cerr << "krnctl: " << text << std::endl; });
}
std::unique_ptr<platform::GlyphRenderer> glyphRenderer() {
    return nullptr;
}
bool writesPng() {
    return false;
}
bool writePngFromBitmap(const std::vector<std::uint8_t>&, const std::string&) {
    return false;
}
bool writeGlyphSheet(const std::string&, const std::vector<std::vector<std::uint8_t>>&, int,
                     const std::string&) {
    return false;
}
bool stdinIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}
bool stderrIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}
bool stdoutIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}
void installInterruptHandlers(void (*handler)(int)) {
    // The C runtime puts the default back before it calls the handler: a second Ctrl-C ends
    // the program.
    std::signal(SIGINT, handler);
    std::signal(SIGTERM, handler);
}

#else

std::unique_ptr<platform::SerialPort> serialPort() {
    return std::make_unique<platform::qt::QtSerialPort>();
}
std::unique_ptr<platform::SerialPortEnumerator> serialPorts() {
    return std::make_unique<platform::qt::QtSerialPortEnumerator>();
}
std::unique_ptr<platform::UdpSocket> udpSocket() {
    return std::make_unique<platform::qt::QtUdpSocket>();
}
std::unique_ptr<platform::SettingsStore> settings() {
    return std::make_unique<platform::qt::QtSettingsStore>();
}
std::unique_ptr<platform::UsbBridge> usbBridge() {
    return std::make_unique<platform::ftdi::FtdiUsbBridge>();
}
std::unique_ptr<platform::GlyphRenderer> glyphRenderer() {
    return std::make_unique<platform::qt::QtGlyphRenderer>();
}
bool writesPng() {
    return true;
}
bool writePngFromBitmap(const std::vector<std::uint8_t>& bitmap, const std::string& path) {
    return platform::qt::writePngFromBitmap(bitmap, path);
}
bool writeGlyphSheet(const std::string& path, const std::vector<std::vector<std::uint8_t>>& glyphs,
                     int width, const std::string& caption) {
    return platform::qt::writeGlyphSheet(path, glyphs, width, caption);
}
bool stdinIsTerminal() {
    return ::isatty(STDIN_FILENO) != 0;
}
bool stderrIsTerminal() {
    return ::isatty(STDERR_FILENO) != 0;
}
bool stdoutIsTerminal() {
    return ::isatty(STDOUT_FILENO) != 0;
}
void installInterruptHandlers(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // A second Ctrl-C ends the program at once.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

#endif

}  // namespace cli::adapters
