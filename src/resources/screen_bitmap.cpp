#include "resources/screen_bitmap.h"

#include "platform/files.h"

namespace resources {
namespace {

void put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

constexpr std::uint32_t kFileHeader = 14;
constexpr std::uint32_t kInfoHeader = 40;
constexpr std::uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch

}  // namespace

std::vector<std::uint8_t> bitmapFile(const ScreenPicture& picture) {
    const auto width = static_cast<std::uint32_t>(picture.width());
    const auto height = static_cast<std::uint32_t>(picture.height());
    const std::uint32_t stride = (width * 3 + 3) / 4 * 4;
    const std::uint32_t imageSize = stride * height;
    std::vector<std::uint8_t> out;
    out.reserve(kFileHeader + kInfoHeader + imageSize);
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    put(out, kFileHeader + kInfoHeader + imageSize, 4);
    put(out, 0, 4);  // reserved
    put(out, kFileHeader + kInfoHeader, 4);
    // BITMAPINFOHEADER
    put(out, kInfoHeader, 4);
    put(out, width, 4);
    put(out, height, 4);  // positive: the bottom row comes first
    put(out, 1, 2);       // planes
    put(out, 24, 2);      // bits per pixel
    put(out, 0, 4);       // BI_RGB
    put(out, imageSize, 4);
    put(out, kPixelsPerMetre, 4);
    put(out, kPixelsPerMetre, 4);
    put(out, 0, 4);  // colours used
    put(out, 0, 4);  // important colours
    for (int y = picture.height() - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width(); ++x) {
            const std::uint32_t c = picture.at(x, y);
            out.push_back(static_cast<std::uint8_t>(c));        // blue
            out.push_back(static_cast<std::uint8_t>(c >> 8));   // green
            out.push_back(static_cast<std::uint8_t>(c >> 16));  // red
        }
        for (std::uint32_t pad = width * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

bool writeBitmapFile(const ScreenPicture& picture, const std::string& path) {
    const std::vector<std::uint8_t> bytes = bitmapFile(picture);
    return !platform::writeFile(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace resources
