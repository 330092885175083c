#include "editor/datagridview.h"

#include "editor/celldelegate.h"
#include "editor/datacontrol.h"
#include "editor/rowselectorheader.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <functional>

namespace {

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

DataGridView::DataGridView(QWidget* parent) : QTableView(parent) {
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

void DataGridView::setControl(DataControl* control) {
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

void DataGridView::commitOpenEditor() {
    if (QWidget* editor = m_delegate->openEditor) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void DataGridView::follow(int row) {
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

bool DataGridView::isCursor(const QModelIndex& index) const {
    if (!m_left)
        return index == currentIndex();
    return m_control && index.row() == m_control->currentGridRow() &&
           index.column() == m_leftColumn;
}

void DataGridView::focusOutEvent(QFocusEvent* event) {
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

void DataGridView::focusInEvent(QFocusEvent* event) {
    if (m_left) {
        m_left = false;
        if (m_control)
            follow(m_control->currentGridRow());
    }
    QTableView::focusInEvent(event);
}

bool DataGridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
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

void DataGridView::paintEvent(QPaintEvent* event) {
    // Rows another program kept from being read are tried again each time they are drawn.
    if (m_control)
        m_control->retryUnreadable();
    QTableView::paintEvent(event);
}

void DataGridView::keyPressEvent(QKeyEvent* event) {
    // Escape with no cell open drops the row's unsaved edits.
    if (event->key() == Qt::Key_Escape && state() != EditingState && m_control &&
        m_control->hasPendingEdits()) {
        m_control->cancelPending();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool DataGridView::mayMoveTo(const QModelIndex& index) {
    if (m_following || !m_control || index.row() == m_control->currentGridRow())
        return true;
    return m_control->moveToGridRow(index.row());
}
