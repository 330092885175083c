#include "look/picture.h"

#include <QFile>

namespace Look {

QPixmap picture(const QString& path, qreal devicePixelRatio) {
    struct Variant {
        qreal scale;
        QLatin1String suffix;
    };
    static const Variant variants[] = {
        {1, QLatin1String("")}, {1.5, QLatin1String("@1.5x")}, {2, QLatin1String("@2x")}};
    const qsizetype dot = path.lastIndexOf(u'.');
    QPixmap chosen;
    for (const Variant& variant : variants) {
        QString name = path;
        name.insert(dot < 0 ? name.size() : dot, variant.suffix);
        if (variant.scale > 1 && !QFile::exists(name))
            continue;
        QPixmap pixmap(name);
        if (pixmap.isNull())
            continue;
        pixmap.setDevicePixelRatio(variant.scale);
        chosen = pixmap;
        // Small tolerance: a ratio of 1.4999 still takes the 150 % picture.
        if (variant.scale >= devicePixelRatio - 0.01)
            break;
    }
    return chosen;
}

} // namespace Look
