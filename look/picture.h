#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

namespace Look {

// The bitmap at path for a screen with the given device pixel ratio. A picture may come with
// finer variants beside it ("name@1.5x.bmp", "name@2x.bmp"); the coarsest one that is at least
// as fine as the screen is taken (else the finest there is), and it keeps the 1x picture's
// size in logical pixels, so layouts and tile grids do not change with the scale.
QPixmap picture(const QString& path, qreal devicePixelRatio);

// For a tile that is no whole number of pixels on this screen (171 pixels at 150 % are
// 256.5), the tile drawn at the screen's own resolution as a block of two tiles side by side
// ("name@1.5x.bmp", 513 pixels wide), which repeats on whole pixels. Null where none is
// needed or none is there.
QImage tiles(const QString& path, qreal devicePixelRatio);

} // namespace Look
