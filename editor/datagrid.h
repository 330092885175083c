#pragma once

#include <QWidget>

class DataControl;
class DataGridView;
class QLabel;
class QTableView;

// A grid showing a data control: a caption strip over the column headers, a record selector
// at the left (▶ current row, ✎ unsaved edits, * the new-row line) and one line per row of the
// control plus an empty new-row line at the end where typing adds a row. The
// grid's cursor and the control's current row follow each other; edits wait in the
// control's buffer until the cursor leaves the row or the control saves.
class DataGrid : public QWidget {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);

    void setDataSource(DataControl* control);
    QString caption() const;
    void setCaption(const QString& caption);

    void setColumnWidthTwips(int index, int twips);

    QTableView* view() const;

private:
    QLabel* m_caption;
    DataGridView* m_view;
};
