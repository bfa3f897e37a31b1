#include "image_file.h"

#include <QImage>
#include <QSaveFile>
#include <QString>

namespace rova::tool {

bool savePng(const QImage& image, const std::string& path) {
    if (image.isNull()) return false;
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace rova::tool
