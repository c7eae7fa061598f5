#pragma once
// Turning an instrument description into an open link, and preparing the instrument for a
// command: press and keyboard locked unless it runs its loader; released again at the end.
#include <string>

#include "instrument/uckrnvisual.h"
#include "platform/serial_port.h"
#include "platform/udp_socket.h"

namespace instrument {

// Result codes of connecting and of the format flows.
enum ErrPR : int {
    errPR_OK = 0,
    errPR_InUse = 1,
    errPR_VerInstrument = 2,
    errPR_Comm = 3,
    errPR_Erase = 4,
    errPR_Memory = 5,
    errPR_Setup = 6,
};

// Opens the link for "USB: serial", "COM: n", "COM: /dev/..." or "IP: host:port", with the
// configuration read at the end. Any other text, or "IP:" without ":", opens nothing.
bool ApriCollegamento(UCKRNVisual& control, const std::string& description,
                      platform::SerialPort* serial, platform::UdpSocket* socket);

// Locks the press, then the keyboard, unless the instrument is in update mode.
ErrPR PreparaStrumento(UCKRNVisual& control);

// Unlocks keyboard and press, ends the conversation and closes the link; results ignored.
void Disconnect(UCKRNVisual& control);

}  // namespace instrument
