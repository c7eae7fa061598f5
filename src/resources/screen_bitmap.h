#pragma once
// The screen copy's picture and its file: a Windows bitmap (24 bits a pixel, uncompressed,
// rows bottom-up, each padded to 4 bytes), as every Windows viewer opens it.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace resources {

// Colours as 0xRRGGBB.
inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kLightGrey = 0xC0C0C0;

class ScreenPicture {
public:
    ScreenPicture(int width, int height, std::uint32_t background = kWhite)
        : width_(width),
          height_(height),
          pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), background) {}
    int width() const { return width_; }
    int height() const { return height_; }
    // Outside the picture: nothing drawn, background read.
    void set(int x, int y, std::uint32_t colour) {
        if (inside(x, y)) pixels_[index(x, y)] = colour;
    }
    std::uint32_t at(int x, int y) const { return inside(x, y) ? pixels_[index(x, y)] : kWhite; }
    void clear(std::uint32_t background = kWhite) {
        std::fill(pixels_.begin(), pixels_.end(), background);
    }

private:
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }
    int width_, height_;
    std::vector<std::uint32_t> pixels_;
};

// The bytes of the bitmap file.
std::vector<std::uint8_t> bitmapFile(const ScreenPicture& picture);
// Writes them; false when the file cannot be written completely.
bool writeBitmapFile(const ScreenPicture& picture, const std::string& path);

}  // namespace resources
