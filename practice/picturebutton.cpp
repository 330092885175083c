#include "practice/picturebutton.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

PictureButton::PictureButton(const QString& picturePath, const QString& words, QWidget* parent)
    : QAbstractButton(parent), m_face(picturePath) {
    // The words are only in the picture: say them to screen readers and on hover.
    setAccessibleName(words);
    setToolTip(words);
    setFocusPolicy(Qt::StrongFocus);
}

QSize PictureButton::sizeHint() const {
    return m_face.size() + QSize(4, 2);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.drawPixmap((r.width() - m_face.width()) / 2, (r.height() - m_face.height()) / 2, m_face);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = r.adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
    emit mouseDown();
    QAbstractButton::mousePressEvent(event);
}
