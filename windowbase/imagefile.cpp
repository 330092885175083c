#include "windowbase/imagefile.h"

#include <QImageReader>

namespace ImageFile {

QImage read(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    QImageReader reader(path, dot < 0 ? QByteArray() : path.mid(dot + 1).toLower().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace ImageFile
