#include "look/backdrop.h"

#include "app/formbase.h"
#include "app/twips.h"

#include <QPainter>

namespace Backdrop {

void paintTiles(Surface& target, double tileWidth, double tileHeight) {
    // The stepping below would never end on a tile without area.
    if (!(tileWidth > 0) || !(tileHeight > 0))
        return;
    for (double y = 0; y < target.scaleHeight(); y += tileHeight)
        for (double x = 0; x < target.scaleWidth(); x += tileWidth)
            target.paintPicture(x, y, tileWidth, tileHeight);
}

namespace {

class WidgetSurface : public Surface {
public:
    WidgetSurface(FormBase& form, const QPixmap& picture)
        : m_form(form), m_painter(&form), m_picture(picture) {
        // A finer picture than the screen (the 200 % one at 150 %) is scaled down smoothly.
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
    }

    double scaleWidth() const override { return m_form.ScaleWidth(); }
    double scaleHeight() const override { return m_form.ScaleHeight(); }

    void paintPicture(double x, double y, double width, double height) override {
        const QRectF to(x / Twips::PerPixel, y / Twips::PerPixel, width / Twips::PerPixel,
                        height / Twips::PerPixel);
        if (to.size() == m_picture.deviceIndependentSize())
            m_painter.drawPixmap(to.topLeft(), m_picture);
        else
            m_painter.drawPixmap(to, m_picture, QRectF(m_picture.rect()));
    }

private:
    FormBase& m_form;
    QPainter m_painter;
    const QPixmap& m_picture;
};

} // namespace

void paint(FormBase& target, const Tile& tile) {
    WidgetSurface surface(target, tile.picture);
    paintTiles(surface, tile.width, tile.height);
}

} // namespace Backdrop
