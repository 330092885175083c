#pragma once

#include "base/database.h"
#include "base/runtimeerror.h"
#include "editor/editorerrors.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <optional>

class DataControl;
class QSqlDatabase;
class QSqlQuery;

// Which file a path names and when it last changed.
struct FileStamp {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modified = 0; // ns
    qint64 changed = 0;  // ns
    bool operator==(const FileStamp&) const = default;
};

// Identifies a row for as long as it exists: its SQLite row id. Empty: no row.
using RowBookmark = std::optional<qint64>;

// What a data control shows: columns of one table in an order. The control lists, reads and
// writes the rows through the table itself (values are read by row id, which a query over a
// subquery would not carry through), so the order is part of the source, not of a query text.
struct TableSource {
    QString table;
    QStringList columns;
    QString orderBy; // a column
    // The rows as the source shows them, in its order.
    QString query() const;
};

struct Field {
    QString Name;
    QVariant Value; // a NULL field stays a null QVariant
};

// The rows of a data control's record source and the current row among them. Every move
// raises Validate on the control before the current row is left and Reposition after.
class Recordset {
public:
    void MoveNext();
    void MoveLast();
    // EOF is a C library macro, hence the spelling.
    bool Eof() const;

    // Removes the current row from the table at once. The position stays on the gap, so
    // MoveNext goes to the row that followed it; there is no Reposition until then.
    void Delete();

    // 0-based, -1 when no row is current (empty, before the first, after the last, the
    // new-row line, or a row just deleted).
    int AbsolutePosition() const;
    // Throws RuntimeError when no row is current or the name is unknown.
    Field Fields(const QString& name) const;

    RowBookmark LastModified() const;
    void setBookmark(const RowBookmark& bookmark);

private:
    friend class DataControl;
    explicit Recordset(DataControl& control) : m_control(control) {}
    DataControl& m_control;
};

// The record selector's marks, the grid's row headers: the current row, the current row with
// unsaved edits, the new-row line.
namespace RowMark {
inline const QString Current = QStringLiteral("\u25B6");
inline const QString Edited = QStringLiteral("\u270E");
inline const QString NewRow = QStringLiteral("*");
} // namespace RowMark

// A data control over one SQLite table: keeps the ordered list of rowids of its record
// source and reads the values of rows lazily, a page at a time, so a table of any size opens
// at once. It is the model a grid shows: the rows, then the new-row line where typing adds a
// row; the columns of the record source; the record selector's marks as row headers. Edits of the
// current row (or of the new-row line) wait in a buffer until the row is left or saved. Methods
// called by code throw RuntimeError; failures of the control's own work (its navigation buttons, a
// move made in a bound grid) raise the Error event instead.
class DataControl : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Action : int {
        Cancel = 0,
        MoveFirstAction = 1,
        MovePreviousAction = 2,
        MoveNextAction = 3,
        MoveLastAction = 4,
        AddNewAction = 5,
        UpdateAction = 6,
        DeleteAction = 7,
        BookmarkAction = 9,
        UnloadAction = 10,
        RefreshAction = 11,
    };

    // What the owner of the control is told. Validate may set action to Cancel to stop the
    // move, or save to false to drop the pending edits. Error's response starts at 1 (the
    // control reports the failure itself); 0 means the handler took care of it.
    class Events {
    public:
        virtual ~Events() = default;
        virtual void Validate(int& action, bool& save) {
            Q_UNUSED(action)
            Q_UNUSED(save)
        }
        virtual void Reposition() {}
        virtual void Error(int dataErr, int& response) {
            Q_UNUSED(dataErr)
            Q_UNUSED(response)
        }
    };

    explicit DataControl(QObject* parent = nullptr);
    ~DataControl() override;

    void setEvents(Events* events) { m_events = events; }

    QString DatabaseName;
    // Set before a grid shows the control and before the first Refresh.
    TableSource RecordSource;

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);

    // Saves the current row as leaving it does (Validate with the Refresh action first; Cancel
    // stops the Refresh), opens the database afresh and runs the record source again; the
    // first row becomes current. All or nothing: on failure the rows, the position and any
    // edits not yet saved stay.
    void Refresh();
    // Writes the pending edits of the current row, without a Validate.
    void UpdateRecord();
    // Validate with the Unload action, the pending edits saved unless refused, then the
    // connection closed and the rows dropped. Never throws: a failed save raises Error.
    void Close();

    Recordset& recordset() { return m_recordset; }
    const Recordset& recordset() const { return m_recordset; }

    bool isLoaded() const { return m_loaded; }
    // The table gives no row id to address rows by: its rows were read whole, and every
    // write is refused with readOnlyReason().
    bool isReadOnly() const { return m_readOnly.has_value(); }
    RuntimeError readOnlyReason() const;
    // The description of error dataErr: the last failure's own words when it had that number.
    // (Error is raised right after that failure, so a handler always finds them.)
    QString errorText(int dataErr) const;

    // --- For bound controls: rows by index, the new-row line at index recordCount() ---
    int recordCount() const;
    int fieldCount() const { return int(m_fields.size()); }
    int fieldIndex(const QString& name) const;
    // The grid row holding the cursor: a row, recordCount() on the new-row line, -1 for none.
    int currentGridRow() const;
    bool hasPendingEdits() const { return m_hasPending; }
    // The pending edits were refused for good (the row, the table or the file is no longer
    // what the grid showed): they are not tried again, only dropped.
    bool hasRefusedEdit() const { return m_refusal.has_value(); }
    // Rows another program kept from being read show as such until this is called (the grid
    // calls it each time it is drawn); then they are read again.
    void retryUnreadable() { m_unreadable.clear(); }
    // Drops the pending edits of the current row, an open cell's text included.
    void cancelPending();
    // A move asked for by a bound grid or the navigation bar; failures raise Error. True
    // when the row is current afterwards, false when Validate refused or the save failed.
    bool moveToGridRow(int row);
    void navigate(Action action);

    // The model: pending edits where there are some, otherwise the stored values, read with
    // their page on first use. Setting a value puts it into the edit buffer of the current
    // row; any other row, a row whose values could not be read and a read-only control refuse.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // A column's caption.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

signals:
    void captionChanged(const QString& caption);
    // Bound controls push their open edits into the buffer before anything saves or moves.
    void flushRequested();
    // After the row marks changed.
    void currentRowChanged(int previousGridRow, int gridRow);

private:
    int columnField(int column) const;
    // A page that cannot be read is tried again only after retryUnreadable(), and
    // rowUnreadable() tells it from an empty row meanwhile.
    QVariant displayValue(int row, int field) const;
    bool rowUnreadable(int row) const;
    bool setPendingValue(int row, int field, const QVariant& value);
    // Values or pending state of one row changed.
    void rowValuesChanged(int row);
    void markChanged(int row);
    void currentRowMoved(int previous, int row);

    friend class Recordset;
    enum class Target { First, Previous, Next, Last, Row, NewRow };

    // onRows: the target is kept within the rows (the navigation bar's moves).
    void move(int action, Target target, int row = -1, bool onRows = false);
    // Bound controls hand over their open edits, then Validate may stop the action (false)
    // or drop the edits (save false).
    bool validate(int action, bool& save);
    void saveOrCancel(bool save);
    void raiseError(const RuntimeError& error);
    void raiseReposition();
    void commitPending(EditorErrors::Outcome outcome = EditorErrors::Outcome::EditKept);
    void writePending(EditorErrors::Outcome outcome);
    // The statement and values that store the pending edits: the new-row line's insert, or the
    // current row's update guarded by the values shown.
    QString insertStatement(QVariantList& values) const;
    QString updateStatement(int row, const QVector<QVariant>& shown, QVariantList& values) const;
    // Runs one write in a transaction of its own, rolled back when the statement fails or
    // (guarded) finds no row that still holds what the grid showed; then runs before the
    // commit. Throws RuntimeError.
    void runWrite(const QString& sql, const QVariantList& values, bool guarded,
                  EditorErrors::Outcome outcome, const std::function<void(QSqlQuery&)>& then = {});
    // Takes in a row just written, as read back (the new-row line becomes row `row`).
    void adoptWritten(int row, qint64 id, const QVector<QVariant>& stored, bool added);
    // Keeps the pending edits from being tried again when error refused them for good.
    void noteRefusal(const RuntimeError& error);
    // Throws when the file opened by the last Refresh is gone or another stands in its place.
    void checkFile(EditorErrors::Outcome outcome);
    // The connection is in WAL mode and another file stands in the place of the one it
    // opened: its write-ahead log belongs to a file no longer there.
    bool logIsStale() const;
    void closeConnection();
    // Lists the rows again after another program changed the table, keeping the current row.
    void queueResync() const;
    void resync();
    // The position in ids of the row holding values, nearest near; -1 for none.
    int nearestHolding(const QVector<qint64>& ids, const QVector<QVariant>& values, int near) const;
    // Takes the rows listed again: the current row at found, or near its old place row.
    void takeRelisted(QVector<qint64> ids, qint64 version, int row, int found,
                      const QVector<QVariant>& kept);
    // The values of a row as the editor last read them, which a write expects to find.
    QVector<QVariant> shownValues(int row, EditorErrors::Outcome outcome) const;
    // The record source's columns, as the statements that address the table name them.
    QString selectList() const;
    QString whereShown() const;
    QVector<QVariant> readBack(QSqlQuery& q, qint64 id) const;
    // Statements wait for a lock the full busy timeout, or not at all once a read has failed
    // (until a read succeeds or the next move), so that one action waits only once.
    void waitForLocks(bool wait) const;
    // Reads the new current row, then raises Reposition, then Error if it could not be read.
    void repositioned();
    void clearPending();
    void deleteCurrent();
    int currentRowIndex() const; // a real current row's index, or -1
    QVector<QVariant> fetchRow(int row) const;
    void fetchPage(int row) const;
    // Past the cache's limit, all but the current row's values go.
    void trimCache() const;
    QStringList pageIds(int row) const;
    void setPosition(int pos, bool adding);
    void dropState();

    // What Refresh reads from a fresh connection before it takes the place of the old rows.
    struct Listing {
        QStringList fields;
        QString idColumn;
        qint64 dataVersion = -1;
        QVector<qint64> rowids;
        QVector<QVector<QVariant>> wholeRows;
    };
    // Refresh's steps. The edits to save go to the file they were made in, once the new
    // connection showed that the file and the source are usable.
    void checkBeforeRefresh(bool save);
    Listing readListing(QSqlDatabase& db, bool save);
    void adoptListing(const QString& connection, Listing listing);
    QStringList sourceFields(QSqlQuery& q) const;
    QString rowidsInOrder(const QString& idColumn) const;
    QString freeIdColumn(QSqlQuery& q) const;
    // The row values a read-only control holds, or the cache's; null when not held.
    const QVector<QVariant>* heldValues(int row) const;

    Recordset m_recordset;
    Events* m_events = nullptr;
    QString m_caption = QStringLiteral(" ");
    QString m_connection;
    QString m_openedPath;
    FileStamp m_fileStamp; // the file as the last Refresh or own write left it
    QString m_idColumn;    // rowid, oid or _rowid_: the first that no column of the table shadows
    std::optional<RuntimeError> m_readOnly;
    mutable bool m_waiting = true;
    // PRAGMA data_version when the row ids were listed: another program changed the table
    // when it differs.
    qint64 m_dataVersion = -1;
    mutable bool m_resyncQueued = false;
    // Why the last batch of rows could not be read, until one is.
    mutable std::optional<QSqlError> m_readFailure;
    std::optional<RuntimeError> m_refusal;
    QStringList m_fields;
    // The rows in order: by row id, read a page at a time; in a read-only control (no row id)
    // their values, read whole by Refresh and addressed by position.
    QVector<qint64> m_rowids;
    QVector<QVector<QVariant>> m_wholeRows;
    mutable QHash<qint64, QVector<QVariant>> m_cache;
    mutable QSet<qint64> m_unreadable;
    bool m_loaded = false;
    int m_pos = 0;
    bool m_onDeleted = false;
    bool m_adding = false;
    QVector<QVariant> m_pending;
    QVector<bool> m_pendingSet;
    bool m_hasPending = false;
    RowBookmark m_lastModified;
    std::optional<RuntimeError> m_lastError;
    QMap<int, QString> m_captions;
};
