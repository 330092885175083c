#pragma once

#include <QPointer>
#include <QTableView>

class CellDelegate;
class DataControl;

// The grid's table of cells over a data control: the cursor goes only where the control
// agrees to move, and only the control's current row takes typing.
class DataGridView : public QTableView {
public:
    explicit DataGridView(QWidget* parent);

    // Shows the control's rows; moves of the cursor go through the control.
    void setControl(DataControl* control);
    DataControl* control() const { return m_control; }

    // Pushes the open editor's text into the control's buffer and closes the editor.
    void commitOpenEditor();

    // Puts the cursor on the control's current row, keeping the column; with no current row
    // there is no cursor, so that Down goes to the first line.
    void follow(int row);

    bool isCursor(const QModelIndex& index) const;

protected:
    // Screen readers take the view's current cell for the focused one. Once the focus has
    // gone to another control, no cell is current; the cursor still shows, and comes back
    // when the focus does.
    void focusOutEvent(QFocusEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

    // Only the control's current row takes typing: what an editor on another row received
    // would be dropped. So the cursor moves to the cell first (through the gate, which asks
    // the control), and nothing opens when that move is refused. A double click comes after
    // the press that already asked for the move. Calls that cannot open an editor (a press,
    // the cursor moving) are left alone.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

    void paintEvent(QPaintEvent* event) override;

    void keyPressEvent(QKeyEvent* event) override;

private:
    bool mayMoveTo(const QModelIndex& index);

    QPointer<DataControl> m_control;
    CellDelegate* m_delegate;
    bool m_following = false;
    bool m_left = false;  // the focus is on another control
    int m_leftColumn = 0; // the cursor's column meanwhile
};
