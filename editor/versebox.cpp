#include "editor/versebox.h"

#include <limits>

namespace {
// Far more characters than the widest box shows.
constexpr int ShownWithoutFocus = 1000;
} // namespace

VerseBox::VerseBox(QWidget* parent) : QLineEdit(parent) {
    // The box carries a whole verse: never cut a long one short.
    setMaxLength(std::numeric_limits<int>::max());
}

void VerseBox::setVerse(const QString& verse) {
    m_verse = verse;
    m_partial = !hasFocus() && verse.size() > ShownWithoutFocus;
    setText(m_partial ? verse.left(ShownWithoutFocus) : verse);
    setCursorPosition(0);
}

void VerseBox::focusInEvent(QFocusEvent* event) {
    if (m_partial) {
        m_partial = false;
        setText(m_verse);
        setCursorPosition(0);
    }
    QLineEdit::focusInEvent(event);
}
