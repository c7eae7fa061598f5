#pragma once
// The platform adapters krnctl runs on: Qt's serial port, socket and settings with libftdi on
// Linux; the Win32 ones with FTD2XX.DLL on Windows. The one place that chooses.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/glyph_renderer.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "platform/udp_socket.h"
#include "platform/usb_bridge.h"

namespace cli::adapters {

std::unique_ptr<platform::SerialPort> serialPort();
std::unique_ptr<platform::SerialPortEnumerator> serialPorts();
std::unique_ptr<platform::UdpSocket> udpSocket();
std::unique_ptr<platform::SettingsStore> settings();
// The system's USB driver; a missing driver is told on stderr when USB is first used.
std::unique_ptr<platform::UsbBridge> usbBridge();
// The font builder's drawing surface; nullptr where this build has none.
std::unique_ptr<platform::GlyphRenderer> glyphRenderer();
// Whether this build writes PNG files (krnctl.exe has no encoder and writes bitmaps only).
bool writesPng();
// PNG files; false when the file cannot be written or this build writes no PNG.
bool writePngFromBitmap(const std::vector<std::uint8_t>& bitmap, const std::string& path);
bool writeGlyphSheet(const std::string& path, const std::vector<std::vector<std::uint8_t>>& glyphs,
                     int width, const std::string& caption);
bool stdinIsTerminal();
bool stderrIsTerminal();
bool stdoutIsTerminal();
// Ctrl-C (and SIGTERM where there is one) raises the interrupt flag; a second one ends krnctl.
void installInterruptHandlers(void (*handler)(int));

}  // namespace cli::adapters
