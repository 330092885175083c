#include "favourites/wrappedbutton.h"

#include <QEvent>
#include <QLabel>
#include <QStyleOptionButton>

WrappedButton::WrappedButton(QWidget* parent) : QPushButton(parent), m_label(new QLabel(this)) {
    setAutoDefault(false);
    setDefault(false);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_label->setForegroundRole(QPalette::ButtonText);
    // Clicks on the words belong to the button.
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_label->setFocusPolicy(Qt::NoFocus);
}

void WrappedButton::setCaption(const QString& caption) {
    m_label->setText(caption);
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
    // Every line of the label is as high as a single one, measured the way the label lays out
    // its text: show as many whole lines as fit, from the first, and centre that block.
    const QRect oneLine = m_label->fontMetrics().boundingRect(0, 0, width, 2000, Qt::TextWordWrap,
                                                              QStringLiteral("X"));
    const int lineHeight = std::max(1, oneLine.height());
    const int wholeLines = std::max(1, inside.height() / lineHeight);
    const int needed = m_label->text().isEmpty() ? 0 : m_label->heightForWidth(width);
    const int height = std::min(needed, wholeLines * lineHeight);
    m_label->setGeometry(inside.left(), inside.top() + (inside.height() - height) / 2, width,
                         height);
}
