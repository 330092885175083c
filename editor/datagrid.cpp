#include "editor/datagrid.h"

#include "app/twips.h"
#include "editor/datacontrol.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <functional>
#include <limits>

namespace {
constexpr int RowHeight = 16;
constexpr int SelectorWidth = 14;
} // namespace

namespace {

// The record selector: draws its marks as shapes, so they never depend on the fonts at hand.
class RowSelectorHeader : public QHeaderView {
public:
    explicit RowSelectorHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
        setSectionResizeMode(QHeaderView::Fixed);
        setMinimumSectionSize(1);
        setDefaultSectionSize(RowHeight);
        setSectionsClickable(true);
        setHighlightSections(false);
    }

    QSize sizeHint() const override {
        return QSize(SelectorWidth, QHeaderView::sizeHint().height());
    }

protected:
    void paintSection(QPainter* p, const QRect& rect, int section) const override {
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = rect;
        option.section = section;
        option.text.clear();
        style()->drawControl(QStyle::CE_HeaderSection, &option, p, this);

        const QString mark =
            model() ? model()->headerData(section, Qt::Vertical).toString() : QString();
        if (mark.isEmpty())
            return;
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        const QPointF c = QRectF(rect).center();
        const QColor ink = palette().color(QPalette::ButtonText);
        if (mark == RowMark::Current) {
            p->setPen(Qt::NoPen);
            p->setBrush(ink);
            p->drawPolygon(QPolygonF{c + QPointF(3, 0), c + QPointF(-2, -4), c + QPointF(-2, 4)});
        } else if (mark == RowMark::NewRow) {
            p->setPen(QPen(ink, 1.3));
            for (int k = 0; k < 3; ++k) {
                const QLineF arm = QLineF::fromPolar(3.5, 90 + 60 * k);
                p->drawLine(c - arm.p2(), c + arm.p2());
            }
        } else {
            // A pencil lying from lower left to upper right, point down.
            p->translate(c);
            p->rotate(-45);
            p->setPen(QPen(ink, 1));
            p->setBrush(palette().color(QPalette::Button));
            p->drawRect(QRectF(-2, -2, 6, 4));
            p->setBrush(ink);
            p->drawPolygon(QPolygonF{QPointF(-2, -2), QPointF(-2, 2), QPointF(-5, 0)});
        }
        p->restore();
    }
};

// The cell editor for a verse too long to lay out again on every key (a line edit lays out
// all its text on each change). It holds the whole verse but gives the line edit only a
// stretch around the cursor, and moves the stretch when the cursor nears one of its ends.
// With the whole stretch selected the whole verse counts as selected: typing, deleting, cutting
// or copying then work on all of it, as in a short cell.
class LongLineEdit : public QLineEdit {
public:
    static constexpr int Stretch = 2000;
    static constexpr int Margin = 500;

    explicit LongLineEdit(QWidget* parent) : QLineEdit(parent) {
        setMaxLength(std::numeric_limits<int>::max());
        // Connected before anyone else, so the verse is whole when others hear of the edit.
        connect(this, &QLineEdit::textEdited, this, [this](const QString& shown) {
            m_verse.replace(m_start, m_length, shown);
            m_length = int(shown.size());
        });
    }

    QString verse() const { return m_verse; }
    // The cursor at the end, as a line edit given a text puts it.
    void setVerse(const QString& verse) {
        m_verse = verse;
        showAround(int(verse.size()));
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
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
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLineEdit::mouseReleaseEvent(event);
        followCursor();
    }

private:
    bool hidesText() const { return m_start > 0 || m_start + m_length < m_verse.size(); }
    bool wholeVerseSelected() const {
        return hidesText() && hasSelectedText() && selectionStart() == 0 &&
               selectionLength() == m_length;
    }
    // An edit replacing the whole verse, told as the line edit tells its own.
    void replaceAll(const QString& verse) {
        m_verse.clear();
        m_start = 0;
        m_length = 0;
        setText(verse);
        m_verse = verse;
        m_length = int(verse.size());
        emit textEdited(verse);
    }
    void followCursor() {
        const int cursor = cursorPosition();
        if ((cursor < Margin && m_start > 0) ||
            (cursor > m_length - Margin && m_start + m_length < m_verse.size())) {
            const int anchor = hasSelectedText() ? (selectionStart() == cursor
                                                        ? selectionStart() + selectionLength()
                                                        : selectionStart())
                                                 : cursor;
            showAround(m_start + cursor, m_start + anchor);
        }
    }
    // Shows the stretch around an absolute cursor position; a selection keeps what of it
    // falls into the new stretch.
    void showAround(int cursor, int anchor = -1) {
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

    QString m_verse;
    int m_start = 0;  // where the stretch starts in the verse
    int m_length = 0; // the stretch's length
};

// Paints the current cell highlighted and tells the view when Tab leaves an open editor.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

    std::function<void(bool forward)> tabOut;
    // Whether a cell is the cursor's, which is painted highlighted.
    std::function<bool(const QModelIndex&)> isCursor;
    // Set while an editor is open; creating and destroying editors are const calls.
    mutable QPointer<QWidget> openEditor;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
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
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
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
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* longEdit = dynamic_cast<LongLineEdit*>(editor))
            model->setData(index, longEdit->verse(), Qt::EditRole);
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
        if (openEditor == editor)
            openEditor = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (isCursor && isCursor(index))
            option->state |= QStyle::State_Selected;
        else
            option->state &= ~QStyle::State_Selected;
        // The view marks its current cell as focused while it has the focus: that frame shows
        // keyboard users that the grid takes their keys.
    }

    bool eventFilter(QObject* object, QEvent* event) override {
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

private:
    void commitSender() { emit commitData(qobject_cast<QWidget*>(sender())); }
    static QString textOf(QWidget* editor) {
        if (auto* longEdit = dynamic_cast<LongLineEdit*>(editor))
            return longEdit->verse();
        auto* line = qobject_cast<QLineEdit*>(editor);
        return line ? line->text() : QString();
    }

    mutable QString m_original; // the cell's text when its editor opened
};

// Lets the current index change rows only when the control agrees to move there.
class RowGate : public QItemSelectionModel {
public:
    RowGate(QAbstractItemModel* model, QObject* parent) : QItemSelectionModel(model, parent) {}

    std::function<bool(const QModelIndex&)> mayBecomeCurrent;

    void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override {
        if (index.isValid() && mayBecomeCurrent && !mayBecomeCurrent(index))
            return;
        QItemSelectionModel::setCurrentIndex(index, command);
    }
};

} // namespace

class DataGridView : public QTableView {
public:
    explicit DataGridView(QWidget* parent) : QTableView(parent) {
        setVerticalHeader(new RowSelectorHeader(this));
        m_delegate = new CellDelegate(this);
        m_delegate->tabOut = [this](bool forward) { focusNextPrevChild(forward); };
        m_delegate->isCursor = [this](const QModelIndex& index) { return isCursor(index); };
        setItemDelegate(m_delegate);

        setSelectionMode(QAbstractItemView::NoSelection);
        setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                        QAbstractItemView::EditKeyPressed);
        // Tab belongs to the window's focus chain, not to the cells.
        setTabKeyNavigation(false);
        setWordWrap(false);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        horizontalHeader()->setHighlightSections(false);
        horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        horizontalHeader()->setMinimumSectionSize(20);
    }

    // Shows the control's rows; moves of the cursor go through the control.
    void setControl(DataControl* control) {
        m_control = control;
        QItemSelectionModel* previous = selectionModel();
        setModel(control);
        QItemSelectionModel* made = selectionModel();
        if (control) {
            auto* gate = new RowGate(control, this);
            gate->mayBecomeCurrent = [this](const QModelIndex& index) { return mayMoveTo(index); };
            setSelectionModel(gate);
            delete made;
        }
        delete previous;
    }
    DataControl* control() const { return m_control; }

    // Pushes the open editor's text into the control's buffer and closes the editor.
    void commitOpenEditor() {
        if (QWidget* editor = m_delegate->openEditor) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

    // Puts the cursor on the control's current row, keeping the column; with no current row
    // there is no cursor, so that Down goes to the first line.
    void follow(int row) {
        const int column = currentIndex().isValid() ? currentIndex().column() : m_leftColumn;
        const QModelIndex target = m_control ? m_control->index(row, column) : QModelIndex();
        if (m_left) {
            viewport()->update();
            if (target.isValid())
                scrollTo(target);
            return;
        }
        m_following = true;
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
        m_following = false;
        if (target.isValid())
            scrollTo(target);
    }

    bool isCursor(const QModelIndex& index) const {
        if (!m_left)
            return index == currentIndex();
        return m_control && index.row() == m_control->currentGridRow() &&
               index.column() == m_leftColumn;
    }

protected:
    // Screen readers take the view's current cell for the focused one. Once the focus has
    // gone to another control, no cell is current; the cursor still shows, and comes back
    // when the focus does.
    void focusOutEvent(QFocusEvent* event) override {
        QTableView::focusOutEvent(event);
        QWidget* now = QApplication::focusWidget();
        if (!now || now == this || isAncestorOf(now) || !currentIndex().isValid())
            return;
        m_leftColumn = currentIndex().column();
        m_left = true;
        m_following = true;
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        m_following = false;
    }
    void focusInEvent(QFocusEvent* event) override {
        if (m_left) {
            m_left = false;
            if (m_control)
                follow(m_control->currentGridRow());
        }
        QTableView::focusInEvent(event);
    }

    // Only the control's current row takes typing: what an editor on another row received
    // would be dropped. So the cursor moves to the cell first (through the gate, which asks
    // the control), and nothing opens when that move is refused. A double click comes after
    // the press that already asked for the move. Calls that cannot open an editor (a press,
    // the cursor moving) are left alone.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        DataControl* control = m_control;
        const bool opens = trigger == AllEditTriggers || editTriggers().testFlag(trigger);
        if (opens && index.isValid() && control && index.row() != control->currentGridRow()) {
            if (trigger == DoubleClicked)
                return false;
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
            if (index.row() != control->currentGridRow())
                return false;
        }
        return QTableView::edit(index, trigger, event);
    }

    void paintEvent(QPaintEvent* event) override {
        // Rows another program kept from being read are tried again each time they are drawn.
        if (m_control)
            m_control->retryUnreadable();
        QTableView::paintEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override {
        // Escape with no cell open drops the row's unsaved edits.
        if (event->key() == Qt::Key_Escape && state() != EditingState && m_control &&
            m_control->hasPendingEdits()) {
            m_control->cancelPending();
            return;
        }
        QTableView::keyPressEvent(event);
    }

private:
    bool mayMoveTo(const QModelIndex& index) {
        if (m_following || !m_control || index.row() == m_control->currentGridRow())
            return true;
        return m_control->moveToGridRow(index.row());
    }

    QPointer<DataControl> m_control;
    CellDelegate* m_delegate;
    bool m_following = false;
    bool m_left = false;  // the focus is on another control
    int m_leftColumn = 0; // the cursor's column meanwhile
};

DataGrid::DataGrid(QWidget* parent) : QWidget(parent) {
    const QFont font = Twips::sansSerif(false);
    setFont(font);

    m_caption = new QLabel(this);
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_caption->setFixedHeight(RowHeight + 2);
    m_caption->setAutoFillBackground(true);
    m_caption->setFocusPolicy(Qt::NoFocus);

    m_view = new DataGridView(this);
    m_view->setFont(font);
    m_view->horizontalHeader()->setFont(font);
    m_view->horizontalHeader()->setFixedHeight(RowHeight + 2);

    // White on black cells, dark grey lines between them.
    QPalette pal = m_view->palette();
    pal.setColor(QPalette::Base, Qt::black);
    pal.setColor(QPalette::AlternateBase, Qt::black);
    pal.setColor(QPalette::Text, Qt::white);
    pal.setColor(QPalette::Highlight, QColor(0, 0, 128));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    m_view->setPalette(pal);
    // The floating editor keeps the cells' colours.
    m_view->setStyleSheet(QStringLiteral("QTableView { gridline-color: #404040; }"
                                         "QTableView QLineEdit { background: black; color: white;"
                                         " border: 1px solid #808080; }"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_caption);
    layout->addWidget(m_view, 1);
    setFocusProxy(m_view);
}

void DataGrid::setDataSource(DataControl* control) {
    if (m_view->control())
        m_view->control()->disconnect(this);
    m_view->setControl(control);
    if (!control)
        return;
    connect(control, &DataControl::flushRequested, this, [this] { m_view->commitOpenEditor(); });
    connect(control, &DataControl::currentRowChanged, this,
            [this](int, int row) { m_view->follow(row); });
}

QString DataGrid::caption() const {
    return m_caption->text();
}
void DataGrid::setCaption(const QString& caption) {
    m_caption->setText(caption);
}

void DataGrid::setColumnWidthTwips(int index, int twips) {
    m_view->setColumnWidth(index, Twips::px(twips));
}

QTableView* DataGrid::view() const {
    return m_view;
}
