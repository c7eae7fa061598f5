#include "platform/qt/qt_image_file.h"

#include <QImage>
#include <QString>

namespace platform::qt {

bool writePngFromBitmap(const std::vector<std::uint8_t>& bitmap, const std::string& path) {
    QImage image;
    if (!image.loadFromData(bitmap.data(), static_cast<int>(bitmap.size()), "BMP")) return false;
    return image.save(QString::fromStdString(path), "PNG");
}

}  // namespace platform::qt
