#include "image_file.h"

#include <QBuffer>
#include <QImage>
#include <QString>

#include "platform/file_set.h"

namespace rova::tool {

bool savePng(const QImage& image, const std::string& path) {
    if (image.isNull()) return false;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return false;
    const QByteArray& png = buffer.data();
    return writeFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                               static_cast<std::size_t>(png.size())))
        .empty();
}

}  // namespace rova::tool
