#include "look/picture.h"

#include "windowbase/imagefile.h"

#include <QFile>

namespace Look {

namespace {

// The file of a picture's variant: "picture1@2x.bmp" for "picture1.bmp" and "@2x".
QString variantFile(const QString& path, QLatin1String suffix) {
    const qsizetype dot = path.lastIndexOf(u'.');
    QString name = path;
    name.insert(dot < 0 ? name.size() : dot, suffix);
    return name;
}

} // namespace

QPixmap picture(const QString& path, qreal devicePixelRatio) {
    struct Variant {
        qreal scale;
        QLatin1String suffix;
    };
    static const Variant variants[] = {
        {1, QLatin1String("")}, {1.5, QLatin1String("@1.5x")}, {2, QLatin1String("@2x")}};
    QPixmap chosen;
    QSize base;
    for (const Variant& variant : variants) {
        const QString name = variantFile(path, variant.suffix);
        if (variant.scale > 1 && !QFile::exists(name))
            continue;
        QPixmap pixmap = QPixmap::fromImage(ImageFile::read(name));
        if (pixmap.isNull())
            continue;
        if (variant.scale == 1)
            base = pixmap.size();
        // A block of several tiles (see tiles()) is no single picture.
        else if (!base.isEmpty() && pixmap.size() != (QSizeF(base) * variant.scale).toSize())
            continue;
        pixmap.setDevicePixelRatio(variant.scale);
        chosen = pixmap;
        // Small tolerance: a ratio of 1.4999 still takes the 150 % picture.
        if (variant.scale >= devicePixelRatio - 0.01)
            break;
    }
    return chosen;
}

QImage tiles(const QString& path, qreal devicePixelRatio) {
    // Only 150 % needs it: 1x and 2x tiles are whole pixels.
    if (qAbs(devicePixelRatio - 1.5) > 0.01)
        return {};
    const QImage block = ImageFile::read(variantFile(path, QLatin1String("@1.5x")));
    // Read in its own format, as every picture is, so no image plugin is loaded for it.
    const QSize base = ImageFile::read(path).size();
    if (block.isNull() || base.isEmpty() || block.height() != qRound(base.height() * 1.5) ||
        block.width() != base.width() * 3)
        return {};
    return block.convertToFormat(QImage::Format_RGB32);
}

} // namespace Look
