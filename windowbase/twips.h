#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Layout is given in twips; the display has 15 twips per pixel.
namespace Twips {

inline constexpr int PerPixel = 15;

constexpr int px(int twips) {
    return twips / PerPixel;
}
inline QRect rect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}
inline QSize size(int width, int height) {
    return QSize(px(width), px(height));
}
constexpr double fromPx(double pixels) {
    return pixels * PerPixel;
}

// 15 twips per pixel is 96 pixels per inch: a font of p points is p * 96 / 72 pixels high,
// whatever the screen reports, so text keeps its size relative to the layout.
inline QFont font(const QString& family, double points, bool bold) {
    QFont f(family);
    f.setPixelSize(qRound(points * 96.0 / 72.0));
    f.setBold(bold);
    return f;
}

// The face of the windows' buttons and boxes, at its usual 8.25 points unless said otherwise.
inline QFont sansSerif(bool bold, double points = 8.25) {
    return font(QStringLiteral("MS Sans Serif"), points, bold);
}

} // namespace Twips
