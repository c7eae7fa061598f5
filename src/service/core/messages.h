#pragma once
// The system's own message texts that more than one command shows. Each lives here once; a text
// that only one command shows lives in that command's file.
#include <string>

#include "backup/memory_files.h"

namespace service::text {

inline constexpr const char* kSelectInstrument = "Select instrument";
inline constexpr const char* kCommunicationError = "Communication error";
inline constexpr const char* kCommunicationErrorDot = "Communication error.";
inline constexpr const char* kBlockingError = "Error communication for blocking the instruments.";
inline constexpr const char* kBlockingFailed = "Blocking instruments failed.";
inline constexpr const char* kNotSupported = "The instrument is not supported.";
inline constexpr const char* kTestMemoryFail = "Test memory fail.";
inline constexpr const char* kErrore = "Errore.";
inline constexpr const char* kNoClock = "No clock";
inline constexpr const char* kNoClockDot = "No clock.";
inline constexpr const char* kKrnBlocking = "Is not possible the KRN's blocking.";
inline constexpr const char* kCannotWriteFile = "Impossibile scrivere il file ";

using backup::refusedFile;

}  // namespace service::text
