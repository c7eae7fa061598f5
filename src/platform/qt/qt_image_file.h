#pragma once
// Picture files beyond the Windows bitmap the tool writes itself: a PNG made from the bitmap's
// bytes through QImage (no QGuiApplication needed for that).
#include <cstdint>
#include <string>
#include <vector>

namespace platform::qt {

// false when the bitmap cannot be read or the file cannot be written.
bool writePngFromBitmap(const std::vector<std::uint8_t>& bitmap, const std::string& path);

}  // namespace platform::qt
