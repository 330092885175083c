#pragma once

#include <QPixmap>
#include <QString>

namespace Look {

// The bitmap at path for a screen with the given device pixel ratio. A picture may come with
// finer variants beside it ("name@1.5x.bmp", "name@2x.bmp"); the coarsest one that is at least
// as fine as the screen is taken (else the finest there is), and it keeps the 1x picture's
// size in logical pixels, so layouts and tile grids do not change with the scale.
QPixmap picture(const QString& path, qreal devicePixelRatio);

} // namespace Look
