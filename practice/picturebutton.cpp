#include "practice/picturebutton.h"

#include "look/picture.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

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
    p.drawPixmap((r.width() - face.width()) / 2, (r.height() - face.height()) / 2, m_face);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = r.adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
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
