#include "editor/celldelegate.h"

#include "editor/longlineedit.h"

#include <QKeyEvent>
#include <limits>

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    m_original = index.data(Qt::EditRole).toString();
    QWidget* editor = m_original.size() > LongLineEdit::Stretch
                          ? new LongLineEdit(parent)
                          : QStyledItemDelegate::createEditor(parent, option, index);
    openEditor = editor;
    // Every keystroke goes into the row's buffer, so the record selector shows the pencil
    // from the first change and nothing typed depends on how the cell is left.
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        // A cell holds any verse the table holds: never cut a long one short.
        line->setMaxLength(std::numeric_limits<int>::max());
        connect(line, &QLineEdit::textEdited, this, &CellDelegate::commitSender);
    }
    return editor;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    // The buffer echoes every keystroke back; setting the same text again would only
    // move the text cursor to the end.
    const QString value = index.data(Qt::EditRole).toString();
    if (textOf(editor) == value)
        return;
    if (auto* longEdit = dynamic_cast<LongLineEdit*>(editor))
        longEdit->setVerse(value);
    else
        QStyledItemDelegate::setEditorData(editor, index);
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
    if (auto* longEdit = dynamic_cast<LongLineEdit*>(editor))
        model->setData(index, longEdit->verse(), Qt::EditRole);
    else
        QStyledItemDelegate::setModelData(editor, model, index);
}

void CellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (openEditor == editor)
        openEditor = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void CellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (isCursor && isCursor(index))
        option->state |= QStyle::State_Selected;
    else
        option->state &= ~QStyle::State_Selected;
    // The view marks its current cell as focused while it has the focus: that frame shows
    // keyboard users that the grid takes their keys.
}

bool CellDelegate::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && tabOut) {
            // Tab leaves the grid for the next control, keeping the typed text.
            auto* editor = static_cast<QWidget*>(object);
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            tabOut(key == Qt::Key_Tab);
            return true;
        }
        if (key == Qt::Key_Escape) {
            // Escape takes back what was typed since the cell opened.
            auto* editor = static_cast<QWidget*>(object);
            if (qobject_cast<QLineEdit*>(editor) && textOf(editor) != m_original) {
                if (auto* longEdit = dynamic_cast<LongLineEdit*>(editor))
                    longEdit->setVerse(m_original);
                else
                    static_cast<QLineEdit*>(editor)->setText(m_original);
                emit commitData(editor);
            }
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

QString CellDelegate::textOf(QWidget* editor) {
    if (auto* longEdit = dynamic_cast<LongLineEdit*>(editor))
        return longEdit->verse();
    auto* line = qobject_cast<QLineEdit*>(editor);
    return line ? line->text() : QString();
}
