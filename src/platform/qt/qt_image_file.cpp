#include "platform/qt/qt_image_file.h"

#include "platform/files.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>

namespace platform::qt {

bool writePng(const QImage& image, const std::string& path) {
    // Encoded in memory and written through the file module, whose every step is checked: a full
    // disk or a target that is no file is a failure, never an empty "written" file.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
    return !platform::writeFile(path,
                                std::string(png.constData(), static_cast<std::size_t>(png.size())));
}

bool writePngFromBitmap(const std::vector<std::uint8_t>& bitmap, const std::string& path) {
    QImage image;
    if (!image.loadFromData(bitmap.data(), static_cast<int>(bitmap.size()), "BMP")) return false;
    return writePng(image, path);
}

}  // namespace platform::qt
