#pragma once

#include <QPixmap>

class FormBase;

// Covers a window's client area with tiles of the practice window's backdrop picture.
namespace Backdrop {

// What the tiling routine needs of the window it paints on; sizes and positions in twips.
class Surface {
public:
    virtual ~Surface() = default;
    virtual double scaleWidth() const = 0;
    virtual double scaleHeight() const = 0;
    virtual void paintPicture(double x, double y, double width, double height) = 0;
};

// Lays the tiles row by row from (0, 0), each at the picture's own size; the client size is
// read afresh before every row and every tile. A tile without area draws nothing.
void paintTiles(Surface& target, double tileWidth, double tileHeight);

// The picture the windows are tiled with and its size in twips. Start-up provides it from the
// practice window's picture box, read afresh for every paint.
struct Tile {
    QPixmap picture;
    double width = 0;
    double height = 0;
    // Where the tile is no whole number of the screen's pixels: the picture drawn at the
    // screen's resolution as a block of whole tiles (Look::tiles), used instead of it.
    QPixmap block = {};
};

// Paints the target window's backdrop with the tile.
void paint(FormBase& target, const Tile& tile);

} // namespace Backdrop
