#pragma once
// Where the fleet's backups live: DIR/KEY/STAMP.ini, one folder per instrument, and one index
// file per station (DIR/index/STATION.ini) with each instrument's name and last result. Every
// file is written by one station only, so that stations that share the folder through clones of
// one repository never change the same file.
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace service::fleet {

inline constexpr const char* kIndexFolder = "index";
inline constexpr const char* kBackupExtension = ".ini";

// A station's name as the fleet's layout uses it (letters, digits, "-", "_", "."): the given
// one, else the system's host name; "station" when it has none.
std::string stationName(const std::string& given = {});

// The folder name of an instrument: the USB chip's serial number, the Ethernet module's MAC
// address; else the port, followed by "@" and the station, because ports and addresses repeat
// from one computer (and one subnet) to the next. Characters that cannot stand in a file name
// on every system become "_".
std::string instrumentKey(const std::string& description, const std::string& mac,
                          const std::string& station);

// "2026-12-07T070129": a backup's name without its extension; it sorts in time order.
std::string stampOf(const platform::LocalDateTime& t);

// The backups in DIR/KEY, oldest first, as file names ("2026-12-07T070129.ini", and
// "2026-12-07T070129_2.ini" for a second one in the same second).
std::vector<std::string> backupsOf(const std::string& dir, const std::string& key);

// A file name for a new backup taken at stamp that no backup in DIR/KEY has yet.
std::string newBackupName(const std::string& dir, const std::string& key, const std::string& stamp);

// The instrument folders of DIR (every folder but the index and hidden ones), sorted.
std::vector<std::string> instrumentKeys(const std::string& dir);

// The stamp of a backup file name ("2026-12-07T070129_2.ini" -> "2026-12-07T070129_2").
std::string stampOfFile(const std::string& fileName);

std::string joinPath(const std::string& a, const std::string& b);
// Creates DIR/KEY (and DIR) when missing; false when it cannot.
bool makeFolder(const std::string& path);
bool isFolder(const std::string& path);

}  // namespace service::fleet
