#include "editor/longlineedit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <limits>

LongLineEdit::LongLineEdit(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(std::numeric_limits<int>::max());
    // Connected before anyone else, so the verse is whole when others hear of the edit.
    connect(this, &QLineEdit::textEdited, this, [this](const QString& shown) {
        m_verse.replace(m_start, m_length, shown);
        m_length = int(shown.size());
    });
}

void LongLineEdit::setVerse(const QString& verse) {
    m_verse = verse;
    showAround(int(verse.size()));
}

void LongLineEdit::keyPressEvent(QKeyEvent* event) {
    if (wholeVerseSelected()) {
        if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut)) {
            QGuiApplication::clipboard()->setText(m_verse);
            if (event->matches(QKeySequence::Cut))
                replaceAll({});
            return;
        }
        const bool erases = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
        const bool types = !event->text().isEmpty() && event->text().at(0).isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (erases || types) {
            replaceAll({});
            if (erases)
                return;
        }
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (!shift && (event->matches(QKeySequence::MoveToStartOfLine) ||
                   event->matches(QKeySequence::MoveToStartOfDocument))) {
        showAround(0);
        return;
    }
    if (!shift && (event->matches(QKeySequence::MoveToEndOfLine) ||
                   event->matches(QKeySequence::MoveToEndOfDocument))) {
        showAround(int(m_verse.size()));
        return;
    }
    QLineEdit::keyPressEvent(event);
    followCursor();
}

void LongLineEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    followCursor();
}

bool LongLineEdit::wholeVerseSelected() const {
    return hidesText() && hasSelectedText() && selectionStart() == 0 &&
           selectionLength() == m_length;
}

void LongLineEdit::replaceAll(const QString& verse) {
    m_verse.clear();
    m_start = 0;
    m_length = 0;
    setText(verse);
    m_verse = verse;
    m_length = int(verse.size());
    emit textEdited(verse);
}

void LongLineEdit::followCursor() {
    const int cursor = cursorPosition();
    if ((cursor < Margin && m_start > 0) ||
        (cursor > m_length - Margin && m_start + m_length < m_verse.size())) {
        const int anchor = hasSelectedText()
                               ? (selectionStart() == cursor ? selectionStart() + selectionLength()
                                                             : selectionStart())
                               : cursor;
        showAround(m_start + cursor, m_start + anchor);
    }
}

void LongLineEdit::showAround(int cursor, int anchor) {
    const int size = int(m_verse.size());
    m_start = qBound(0, cursor - Stretch / 2, qMax(0, size - Stretch));
    m_length = qMin(Stretch, size - m_start);
    setText(m_verse.mid(m_start, m_length));
    const int at = cursor - m_start;
    if (anchor >= 0 && anchor != cursor) {
        const int from = qBound(0, anchor - m_start, m_length);
        setSelection(from, at - from);
    } else {
        setCursorPosition(at);
    }
}
