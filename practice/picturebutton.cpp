#include "practice/picturebutton.h"

#include "look/picture.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOption>

PictureButton::PictureButton(const QString& picturePath, const QString& words, QWidget* parent)
    : QAbstractButton(parent), m_face(Look::picture(picturePath, devicePixelRatioF())) {
    // The words are only in the picture: say them to screen readers and on hover.
    setAccessibleName(words);
    setToolTip(words);
    setFocusPolicy(Qt::StrongFocus);
}

QSize PictureButton::sizeHint() const {
    return m_face.deviceIndependentSize().toSize() + QSize(4, 2);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    const QSize face = m_face.deviceIndependentSize().toSize();
    const QRect faceRect(QPoint((r.width() - face.width()) / 2, (r.height() - face.height()) / 2),
                         face);
    p.drawPixmap(faceRect.topLeft(), m_face);
    QStyleOption option;
    option.initFrom(this);
    if (hasFocus() && option.state & QStyle::State_KeyboardFocusChange) {
        // A dotted rectangle inside the face, as graphical buttons mark the focus; its dots
        // alternate dark and light, so it shows on any face. Drawn as plain fills: the style's
        // antialiased frame hands its pixels to Qt's paint threads, and starting those made
        // the practice window's first paint about 0.5 ms slower.
        const QRect mark = faceRect.adjusted(3, 3, -4, -4);
        const QRect sides[] = {{mark.topLeft(), QSize(mark.width(), 1)},
                               {mark.bottomLeft(), QSize(mark.width(), 1)},
                               {mark.topLeft(), QSize(1, mark.height())},
                               {mark.topRight(), QSize(1, mark.height())}};
        for (const QRect& side : sides)
            p.fillRect(side, Qt::white);
        // Every other pixel dark, counted in the window's own pixels so that the dots stay
        // dots on a scaled screen (a pattern brush would be in the screen's finer pixels).
        for (const QRect& side : sides)
            for (int y = side.top(); y <= side.bottom(); ++y)
                for (int x = side.left() + (side.left() + y) % 2; x <= side.right(); x += 2)
                    p.fillRect(x, y, 1, 1, Qt::black);
    }
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
    m_downByBlank = false;
    emit mouseDown();
    QAbstractButton::mousePressEvent(event);
}

void PictureButton::keyPressEvent(QKeyEvent* event) {
    const bool wasDown = isDown();
    QAbstractButton::keyPressEvent(event);
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && !wasDown && isDown())
        m_downByBlank = true;
}

void PictureButton::keyReleaseEvent(QKeyEvent* event) {
    const bool blankUp = event->key() == Qt::Key_Space && !event->isAutoRepeat();
    m_clickByBlank = blankUp && m_downByBlank;
    if (blankUp)
        m_downByBlank = false;
    QAbstractButton::keyReleaseEvent(event);
    m_clickByBlank = false;
}

void PictureButton::focusOutEvent(QFocusEvent* event) {
    m_downByBlank = false;
    QAbstractButton::focusOutEvent(event);
}
