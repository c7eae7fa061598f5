#pragma once
// Picture files beyond the Windows bitmap the tool writes itself: a PNG made from the bitmap's
// bytes through QImage (no QGuiApplication needed for that).
#include <cstdint>
#include <string>
#include <vector>

class QImage;

namespace platform::qt {

// Writes the image as a PNG file through platform/files.h; false when nothing was written.
bool writePng(const QImage& image, const std::string& path);
// false when the bitmap cannot be read or the file cannot be written.
bool writePngFromBitmap(const std::vector<std::uint8_t>& bitmap, const std::string& path);

}  // namespace platform::qt
