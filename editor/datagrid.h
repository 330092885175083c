#pragma once

#include <QWidget>

class DataControl;
class DataGridModel;
class DataGridView;
class QLabel;
class QTableView;

// A grid bound to a data control: a caption strip over the column headers, a record
// selector at the left (▶ current row, ✎ unsaved edits, * the new-row line) and one line per
// row of the control plus an empty new-row line at the end where typing adds a row. The
// grid's cursor and the control's current row follow each other; edits wait in the
// control's buffer until the cursor leaves the row or the control saves.
class DataGrid : public QWidget {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);

    void setDataSource(DataControl* control);
    QString caption() const;
    void setCaption(const QString& caption);

    // Column `index` shows `field` under `caption`; columns are added as needed.
    void bindColumn(int index, const QString& caption, const QString& field);
    void setColumnWidthTwips(int index, int twips);

    QTableView* view() const;
    // The record selector's mark for a row: "▶", "✎", "*" or "".
    QString rowMarker(int row) const;
    // The text a cell shows (the buffer's edits included).
    QString cellText(int row, int column) const;

private:
    QLabel* m_caption;
    DataGridModel* m_model;
    DataGridView* m_view;
};
