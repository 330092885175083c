#include "favourites/wrappedbutton.h"

#include "look/verselabel.h"

#include <QEvent>
#include <QStyleOptionButton>

WrappedButton::WrappedButton(QWidget* parent) : QPushButton(parent), m_label(new VerseLabel(this)) {
    setAutoDefault(false);
    setDefault(false);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // A favourite's words, shown unmasked: they read in their own direction.
    m_label->setFollowsTextDirection(true);
    m_label->setForegroundRole(QPalette::ButtonText);
    // Clicks on the words belong to the button.
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_label->setFocusPolicy(Qt::NoFocus);
}

void WrappedButton::setCaption(const QString& caption) {
    m_label->setText(caption);
    // As a plain label would be named, for a reader that looks inside the button.
    m_label->setAccessibleName(caption);
    setAccessibleName(caption);
    placeLabel();
}

void WrappedButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    placeLabel();
}

void WrappedButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        placeLabel();
}

void WrappedButton::placeLabel() {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect inside =
        style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(2, 0, -2, 0);
    const int width = std::max(1, inside.width());
    // As many whole lines as fit, from the first, their heights those of the fonts that draw
    // them (a full-width line is taller than a Latin one); that block is centred.
    const int height = m_label->wholeLinesHeight(width, inside.height());
    m_label->setGeometry(inside.left(), inside.top() + (inside.height() - height) / 2, width,
                         height);
}
