#include "editor/datacontrol.h"

#include "base/cp1252.h"
#include "base/database.h"
#include "base/oneline.h"
#include "windowbase/host.h"

#include <QColor>
#include <QCoreApplication>
#include <QFile>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringDecoder>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

constexpr int PageSize = 64;
// Far more characters than the widest cell shows.
constexpr int ShownInCell = 500;
// What a row shows while another program keeps it from being read: never an empty verse.
const QString UnreadableText = QStringLiteral("(cannot be read)");
// Past this many rows in memory the cache starts over; the rows in view are read again.
constexpr int CacheLimit = 16384;

// Grave accents, never double quotes: SQLite reads a double-quoted name that is no column as
// a string, so a column another program renamed would read as its own name.
QString quoted(const QString& identifier) {
    return QLatin1Char('`') + QString(identifier).replace(QLatin1Char('`'), QLatin1String("``")) +
           QLatin1Char('`');
}

// Values are read as the bytes stored, so that a write can compare them exactly. Text that is
// not UTF-8 (written in Windows-1252 by older programs) is kept as those bytes and shown as
// Windows-1252, as the favourites file is read; everything else is kept as text.
QVariant fromStored(const QVariant& stored) {
    if (stored.isNull())
        return {};
    const QByteArray bytes = stored.toByteArray();
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return bytes;
    return text;
}

QString shownText(const QVariant& value) {
    if (value.typeId() == QMetaType::QByteArray)
        return Cp1252::decode(value.toByteArray());
    return value.toString();
}

QVariant asShown(const QVariant& value) {
    return value.typeId() == QMetaType::QByteArray ? QVariant(shownText(value)) : value;
}

// The bytes a value read by fromStored() came from.
QVariant storedBytes(const QVariant& value) {
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QByteArray)
        return value;
    return value.toString().toUtf8();
}

// What stands in the database's header for its journal: 1 rollback, 2 WAL; 0 unreadable.
int journalVersion(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray header = f.read(20);
    return header.size() == 20 && header.startsWith("SQLite format 3") ? int(header.at(18)) : 0;
}

// NULL and the empty string read the same in a text box; an edit that changes one into the
// other is no edit.
bool sameText(const QVariant& a, const QVariant& b) {
    return shownText(a) == shownText(b);
}

FileStamp stampOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    auto ns = [](const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return {true,
            quint64(info.st_dev),
            quint64(info.st_ino),
            qint64(info.st_size),
            ns(info.st_mtim),
            ns(info.st_ctim)};
}

// Closing a connection normally copies its write-ahead log into the file; this one's log
// belongs to a file that is no longer there.
void keepLogOnClose(const QString& connection) {
    const QVariant handle = QSqlDatabase::database(connection, false).driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return;
    if (auto* db = *static_cast<sqlite3* const*>(handle.constData()))
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

int nextConnectionNumber() {
    static int counter = 0;
    return ++counter;
}

} // namespace

// --- Recordset: the positional face of the control ---

void Recordset::MoveNext() {
    m_control.move(DataControl::MoveNextAction, DataControl::Target::Next);
}
void Recordset::MoveLast() {
    m_control.move(DataControl::MoveLastAction, DataControl::Target::Last);
}

bool Recordset::Eof() const {
    return m_control.recordCount() == 0 || m_control.m_pos >= m_control.recordCount();
}

void Recordset::Delete() {
    m_control.deleteCurrent();
}

int Recordset::AbsolutePosition() const {
    return m_control.currentRowIndex();
}

Field Recordset::Fields(const QString& name) const {
    const DataControl& c = m_control;
    const int field = c.fieldIndex(name);
    if (field < 0)
        throw RuntimeError(RuntimeError::ItemNotFound,
                           QStringLiteral("Item '%1' not found in this collection.").arg(name));
    if (c.m_onDeleted)
        throw EditorErrors::recordDeleted();
    if (c.m_adding)
        return {name, c.m_pendingSet.value(field) ? c.m_pending.value(field) : QVariant()};
    const int row = c.currentRowIndex();
    if (row < 0)
        throw EditorErrors::noCurrentRecord();
    if (c.m_pendingSet.value(field))
        return {name, c.m_pending.value(field)};
    return {name, asShown(c.fetchRow(row).value(field))};
}

RowBookmark Recordset::LastModified() const {
    return m_control.m_lastModified;
}

void Recordset::setBookmark(const RowBookmark& bookmark) {
    const int row = bookmark ? int(m_control.m_rowids.indexOf(*bookmark)) : -1;
    if (row < 0)
        throw EditorErrors::invalidBookmark();
    m_control.move(DataControl::BookmarkAction, DataControl::Target::Row, row);
}

QString TableSource::query() const {
    QStringList names;
    for (const QString& column : columns)
        names.append(quoted(column));
    return QStringLiteral("select %1 from %2 order by %3")
        .arg(names.join(QLatin1Char(',')), quoted(table), quoted(orderBy));
}

// --- DataControl ---

DataControl::DataControl(QObject* parent) : QAbstractTableModel(parent), m_recordset(*this) {
    // Ending the program closes no window: the connection is closed here all the same, so
    // that a replaced file never receives the old file's log.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { closeConnection(); });
}

DataControl::~DataControl() {
    // Going away without Close: nothing is raised any more, pending edits are dropped.
    closeConnection();
}

void DataControl::setCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    emit captionChanged(caption);
}

bool DataControl::validate(int action, bool& save) {
    emit flushRequested();
    save = m_hasPending;
    if (m_events)
        m_events->Validate(action, save);
    return action != Cancel;
}

void DataControl::saveOrCancel(bool save) {
    if (save)
        commitPending();
    else
        cancelPending();
}

int DataControl::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int DataControl::recordCount() const {
    return int(m_readOnly ? m_wholeRows.size() : m_rowids.size());
}

int DataControl::currentRowIndex() const {
    if (m_onDeleted || m_adding || m_pos < 0 || m_pos >= recordCount())
        return -1;
    return m_pos;
}

int DataControl::currentGridRow() const {
    if (!m_loaded)
        return -1;
    if (m_adding)
        return recordCount();
    return currentRowIndex();
}

void DataControl::Refresh() {
    // Reading the rows again leaves the current row: as on any move, its open editor and
    // pending edits are saved first unless Validate says otherwise.
    bool save = false;
    if (m_loaded && !validate(RefreshAction, save))
        return;
    checkBeforeRefresh(save);
    // A new connection every time, so that a file removed or replaced since the last read
    // shows as it is now; the old one stays in use until the new rows are in hand.
    const QString name = QStringLiteral("tessaline-data-%1").arg(nextConnectionNumber());
    Listing listing;
    try {
        QSqlDatabase db = Database::open(DatabaseName, name);
        listing = readListing(db, save);
    } catch (...) {
        if (QSqlDatabase::contains(name))
            Database::close(name);
        throw;
    }
    adoptListing(name, std::move(listing));
}

void DataControl::checkBeforeRefresh(bool save) {
    // Edits made in a file that is gone or replaced cannot be saved; say so at once.
    if (save) {
        try {
            checkFile(EditorErrors::Outcome::EditKept);
        } catch (const RuntimeError& error) {
            noteRefusal(error);
            throw;
        }
    }
    // A log left by the file that was replaced would show its rows over the new file's.
    if (logIsStale())
        closeConnection();
}

DataControl::Listing DataControl::readListing(QSqlDatabase& db, bool save) {
    Listing listing;
    QSqlQuery q(db);
    listing.fields = sourceFields(q);
    listing.idColumn = freeIdColumn(q);
    // The new file and the record source are usable, so nothing is written when the Refresh
    // is bound to fail. The row id list read next includes a stored new row.
    if (save)
        commitPending();

    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("PRAGMA data_version")) && q.next())
        listing.dataVersion = q.value(0).toLongLong();
    q.finish();
    const bool whole = listing.idColumn.isEmpty();
    if (!q.exec(whole ? RecordSource.query() : rowidsInOrder(listing.idColumn)))
        throw Database::errorFrom(q.lastError(), DatabaseName);
    const int n = int(listing.fields.size());
    while (q.next()) {
        if (!whole) {
            listing.rowids.append(q.value(0).toLongLong());
            continue;
        }
        QVector<QVariant> values(n);
        for (int i = 0; i < n; ++i)
            values[i] = q.value(i);
        listing.wholeRows.append(values);
    }
    if (q.lastError().isValid())
        throw Database::errorFrom(q.lastError(), DatabaseName);
    return listing;
}

QString DataControl::rowidsInOrder(const QString& idColumn) const {
    return QStringLiteral("select %1 from %2 order by %3")
        .arg(idColumn, quoted(RecordSource.table), quoted(RecordSource.orderBy));
}

QStringList DataControl::sourceFields(QSqlQuery& q) const {
    // LIMIT 0 learns the column names without running the sort.
    if (!q.exec(QStringLiteral("select * from (%1) limit 0").arg(RecordSource.query())))
        throw Database::errorFrom(q.lastError(), DatabaseName);
    QStringList fields;
    const QSqlRecord record = q.record();
    for (int i = 0; i < record.count(); ++i)
        fields.append(record.fieldName(i));
    q.finish();
    return fields;
}

QString DataControl::freeIdColumn(QSqlQuery& q) const {
    // Rows are addressed by the table's own row id, under a name that none of its columns
    // takes; a table without one (all names taken, WITHOUT ROWID) is read whole and shown.
    const QString table = quoted(RecordSource.table);
    if (!q.exec(QStringLiteral("select * from %1 limit 0").arg(table)))
        throw Database::errorFrom(q.lastError(), DatabaseName);
    QSet<QString> columns;
    for (int i = 0; i < q.record().count(); ++i)
        columns.insert(q.record().fieldName(i).toLower());
    q.finish();
    QString found;
    for (const QString& alias :
         {QStringLiteral("rowid"), QStringLiteral("oid"), QStringLiteral("_rowid_")}) {
        if (!columns.contains(alias) &&
            q.exec(QStringLiteral("select %1 from %2 limit 0").arg(alias, table))) {
            found = alias;
            break;
        }
    }
    q.finish();
    return found;
}

void DataControl::adoptListing(const QString& connection, Listing listing) {
    beginResetModel();
    closeConnection();
    m_connection = connection;
    m_dataVersion = listing.dataVersion;
    m_readFailure.reset();
    m_openedPath = DatabaseName;
    m_fileStamp = stampOf(DatabaseName);
    m_waiting = true;
    m_idColumn = listing.idColumn;
    m_readOnly.reset();
    if (m_idColumn.isEmpty())
        m_readOnly = EditorErrors::readOnlyTable(DatabaseName);
    m_fields = listing.fields;
    m_rowids = std::move(listing.rowids);
    m_wholeRows = std::move(listing.wholeRows);
    m_cache.clear();
    m_unreadable.clear();
    m_loaded = true;
    clearPending();
    m_lastModified.reset();
    m_pos = 0;
    m_onDeleted = false;
    m_adding = false;
    endResetModel();
    currentRowMoved(-1, currentGridRow());
    repositioned();
}

void DataControl::UpdateRecord() {
    emit flushRequested();
    commitPending();
}

void DataControl::Close() {
    bool save = false;
    if (m_loaded) {
        validate(UnloadAction, save);
        // A refused edit was told once and cannot be saved: it goes with the window.
        if (save && m_hasPending && !m_refusal) {
            try {
                commitPending(EditorErrors::Outcome::EditLost);
            } catch (const RuntimeError& error) {
                raiseError(EditorErrors::editLost(error));
            }
        }
    }
    dropState();
    closeConnection();
}

bool DataControl::logIsStale() const {
    const FileStamp now = stampOf(m_openedPath);
    if (m_connection.isEmpty() || now == m_fileStamp)
        return false;
    // The same file switched to WAL mode or checkpointed by another program says WAL in its
    // header still; a file put in its place is another inode or (copied over) says otherwise.
    if (now.exists && now.device == m_fileStamp.device && now.inode == m_fileStamp.inode &&
        journalVersion(m_openedPath) == 2)
        return false;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    return q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next() &&
           q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
}

void DataControl::closeConnection() {
    if (m_connection.isEmpty())
        return;
    // Another file was put in the place of the one a connection in WAL mode has open: the
    // log must not be copied into it. A file in rollback mode never has a log of its own, so
    // one left beside it is the old file's and would hide the new content from every later
    // reader.
    const bool staleLog = logIsStale();
    if (staleLog)
        keepLogOnClose(m_connection);
    Database::close(m_connection);
    m_connection.clear();
    if (staleLog && journalVersion(m_openedPath) == 1) {
        QFile::remove(m_openedPath + QLatin1String("-wal"));
        QFile::remove(m_openedPath + QLatin1String("-shm"));
    }
}

void DataControl::dropState() {
    beginResetModel();
    m_rowids.clear();
    m_wholeRows.clear();
    m_cache.clear();
    m_unreadable.clear();
    m_fields.clear();
    m_loaded = false;
    clearPending();
    m_pos = 0;
    m_onDeleted = false;
    m_adding = false;
    endResetModel();
}

RuntimeError DataControl::readOnlyReason() const {
    return m_readOnly ? *m_readOnly : EditorErrors::readOnlyTable(DatabaseName);
}

QString DataControl::errorText(int dataErr) const {
    if (m_lastError && m_lastError->number() == dataErr)
        return m_lastError->description();
    return QStringLiteral("Error %1 in the verse database.").arg(dataErr);
}

void DataControl::raiseError(const RuntimeError& error) {
    m_lastError = error;
    int response = 1;
    if (m_events)
        m_events->Error(error.number(), response);
    if (response != 0)
        Host::reportError(error);
}

void DataControl::raiseReposition() {
    if (m_events)
        m_events->Reposition();
}

void DataControl::repositioned() {
    std::optional<RuntimeError> failure;
    const int row = currentRowIndex();
    if (row >= 0) {
        try {
            fetchRow(row);
        } catch (const RuntimeError& error) {
            failure = error;
        }
    }
    raiseReposition();
    // A row read while another program had changed the table: the rows are listed again and
    // the row shown then, with no message in between.
    if (failure && !m_resyncQueued)
        raiseError(*failure);
}

void DataControl::waitForLocks(bool wait) const {
    if (wait == m_waiting || m_connection.isEmpty())
        return;
    m_waiting = wait;
    // Back to the wait the connection was opened with.
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(wait ? Database::busyTimeoutMs() : 0));
}

void DataControl::checkFile(EditorErrors::Outcome outcome) {
    const FileStamp now = stampOf(m_openedPath);
    if (!now.exists)
        throw EditorErrors::fileGone(m_openedPath, false, outcome);
    if (now.device != m_fileStamp.device || now.inode != m_fileStamp.inode)
        throw EditorErrors::fileGone(m_openedPath, true, outcome);
    if (now == m_fileStamp)
        return;
    // In WAL mode a new connection would read a file put in its place through the old
    // file's log.
    if (logIsStale())
        throw EditorErrors::fileGone(m_openedPath, true, outcome);
    // Written by someone else since: a file copied over this one may even carry the same
    // change counter, and then the engine would trust pages it holds from the old content.
    // A fresh connection reads the file as it is, so the row check below sees the truth.
    const QString name = QStringLiteral("tessaline-data-%1").arg(nextConnectionNumber());
    Database::open(m_openedPath, name);
    Database::close(m_connection);
    m_connection = name;
    m_waiting = true;
    m_fileStamp = now;
    // Unknown for the new connection: the next batch read lists the rows again.
    m_dataVersion = -1;
}

QVector<QVariant> DataControl::shownValues(int row, EditorErrors::Outcome outcome) const {
    const auto it = m_cache.constFind(m_rowids.at(row));
    if (it == m_cache.constEnd()) {
        // Unread because the table changed, or because another program held the file.
        if (m_readFailure) {
            const RuntimeError error =
                EditorErrors::tableChanged(*m_readFailure, DatabaseName, outcome);
            if (error.number() != RuntimeError::DatabaseLocked)
                throw error;
        }
        throw EditorErrors::rowUnreadable(outcome);
    }
    QVector<QVariant> bytes;
    for (const QVariant& value : *it)
        bytes.append(storedBytes(value));
    return bytes;
}

QString DataControl::selectList() const {
    QStringList columns;
    for (const QString& field : m_fields)
        columns.append(QStringLiteral("cast(%1 as blob)").arg(quoted(field)));
    return columns.join(QLatin1Char(','));
}

QString DataControl::whereShown() const {
    QString where = QStringLiteral(" where %1 = ?").arg(m_idColumn);
    for (const QString& field : m_fields)
        where += QStringLiteral(" and cast(%1 as blob) is ?").arg(quoted(field));
    return where;
}

QVector<QVariant> DataControl::readBack(QSqlQuery& q, qint64 id) const {
    QVector<QVariant> values;
    q.prepare(QStringLiteral("select %1 from %2 where %3 = ?")
                  .arg(selectList(), quoted(RecordSource.table), m_idColumn));
    q.addBindValue(id);
    if (q.exec() && q.next())
        for (int i = 0; i < fieldCount(); ++i)
            values.append(fromStored(q.value(i)));
    q.finish();
    return values;
}

void DataControl::setPosition(int pos, bool adding) {
    const int previous = currentGridRow();
    m_pos = pos;
    m_onDeleted = false;
    m_adding = adding;
    currentRowMoved(previous, currentGridRow());
}

void DataControl::move(int action, Target target, int row, bool onRows) {
    if (!m_loaded)
        return;
    waitForLocks(true);
    bool save = false;
    if (!validate(action, save))
        return;
    saveOrCancel(save);

    // Worked out after the save: storing the new-row line adds a row at the end.
    const int count = recordCount();
    int pos = m_pos;
    switch (target) {
    case Target::First:
        pos = 0;
        break;
    case Target::Last:
        pos = qMax(0, count - 1);
        break;
    case Target::Next:
        pos = m_onDeleted ? m_pos : qMin(m_pos + 1, count);
        break;
    case Target::Previous:
        pos = qMax(m_pos - 1, -1);
        break;
    case Target::Row:
        pos = row;
        break;
    case Target::NewRow:
        pos = count;
        break;
    }
    if (onRows && count > 0)
        pos = qBound(0, pos, count - 1);
    setPosition(qBound(-1, pos, count), target == Target::NewRow);
    repositioned();
}

bool DataControl::moveToGridRow(int row) {
    if (!m_loaded || row < 0 || row > recordCount())
        return false;
    if (row == currentGridRow())
        return true;
    // A refused edit keeps the cursor on its row without a message each time it is left.
    const bool refused = m_refusal.has_value();
    try {
        if (row == recordCount())
            move(AddNewAction, Target::NewRow);
        else
            move(BookmarkAction, Target::Row, row);
    } catch (const RuntimeError& error) {
        if (!refused)
            raiseError(error);
        return false;
    }
    return row == currentGridRow();
}

void DataControl::navigate(Action action) {
    if (!m_loaded || recordCount() == 0)
        return;
    // The target is worked out by move() once the row is saved, so that a typed new-row line
    // is stored first and counts among the rows. Off the rows, the cursor sits in a gap: Next
    // goes to the row after it, Previous to the row before; the bar's buttons never leave the
    // rows, so Previous on the first row and Next on the last stay where they are.
    const Target target = action == MoveFirstAction      ? Target::First
                          : action == MovePreviousAction ? Target::Previous
                          : action == MoveNextAction     ? Target::Next
                                                         : Target::Last;
    const bool refused = m_refusal.has_value();
    try {
        move(action, target, -1, true);
    } catch (const RuntimeError& error) {
        if (!refused)
            raiseError(error);
    }
}

void DataControl::deleteCurrent() {
    bool save = false;
    if (!m_loaded || !validate(DeleteAction, save))
        return;
    // The edits of a row that goes away are dropped; a new-row line never stored is simply
    // emptied.
    if (m_adding) {
        cancelPending();
        return;
    }
    const int row = currentRowIndex();
    if (row < 0)
        return;
    if (m_readOnly)
        throw *m_readOnly;
    // Only the row the grid showed goes, and only while it holds what the grid showed.
    const auto outcome = EditorErrors::Outcome::NotDeleted;
    checkFile(outcome);
    const QVector<QVariant> shown = shownValues(row, outcome);
    waitForLocks(true);
    const qint64 id = m_rowids.at(row);
    runWrite(QStringLiteral("delete from %1").arg(quoted(RecordSource.table)) + whereShown(),
             QVariantList{id} + QVariantList(shown.begin(), shown.end()), true, outcome);
    clearPending();
    beginRemoveRows({}, row, row);
    m_rowids.remove(row);
    m_cache.remove(id);
    if (m_lastModified == id)
        m_lastModified.reset();
    m_onDeleted = true;
    endRemoveRows();
}

void DataControl::clearPending() {
    m_pending = QVector<QVariant>(m_fields.size());
    m_pendingSet = QVector<bool>(m_fields.size(), false);
    m_hasPending = false;
    m_refusal.reset();
}

void DataControl::cancelPending() {
    // An open cell's text counts among the edits dropped.
    emit flushRequested();
    if (!m_hasPending)
        return;
    clearPending();
    const int row = currentGridRow();
    if (row >= 0)
        rowValuesChanged(row);
}

bool DataControl::setPendingValue(int row, int field, const QVariant& value) {
    if (!m_loaded || m_readOnly || row != currentGridRow() || row < 0 || field < 0 ||
        field >= fieldCount())
        return false;
    bool changed = true;
    if (!m_adding) {
        try {
            changed = !sameText(fetchRow(row).value(field), value);
        } catch (const RuntimeError&) {
            // A row never read cannot be edited: its save would have nothing to check against.
            return false;
        }
    }
    m_pending[field] = changed ? value : QVariant();
    m_pendingSet[field] = changed;
    m_hasPending = m_pendingSet.contains(true);
    rowValuesChanged(row);
    return true;
}

void DataControl::commitPending(EditorErrors::Outcome outcome) {
    if (!m_hasPending)
        return;
    // Refused because the row, the table or the file is no longer what the grid showed: trying
    // again cannot succeed, and the user was told.
    if (m_refusal)
        throw *m_refusal;
    try {
        writePending(outcome);
    } catch (const RuntimeError& error) {
        noteRefusal(error);
        throw;
    }
}

void DataControl::noteRefusal(const RuntimeError& error) {
    // The failures that say the row, the table or the file changed; a lock or a full disk
    // passes, and the edit may be saved later.
    switch (error.number()) {
    case RuntimeError::RowChanged:
    case RuntimeError::FileReplaced:
    case RuntimeError::DatabaseNotFound:
    case RuntimeError::ItemNotFound:
    case RuntimeError::TableNotFound:
        if (m_hasPending)
            m_refusal = error;
        break;
    default:
        break;
    }
}

void DataControl::writePending(EditorErrors::Outcome outcome) {
    const bool adding = m_adding;
    const int row = adding ? recordCount() : currentRowIndex();
    if (row < 0)
        return;
    if (m_readOnly)
        throw *m_readOnly;
    // A row is changed only while it holds what the grid showed, in the file it came from.
    checkFile(outcome);
    QVariantList values;
    const QString sql =
        adding ? insertStatement(values) : updateStatement(row, shownValues(row, outcome), values);
    waitForLocks(true);
    qint64 id = adding ? -1 : m_rowids.at(row);
    QVector<QVariant> stored;
    runWrite(sql, values, !adding, outcome, [&](QSqlQuery& q) {
        if (adding)
            id = q.lastInsertId().toLongLong();
        q.finish();
        // Read back as stored (triggers and column types may change a value): what the grid
        // shows next, and what the row's next write expects to find.
        stored = readBack(q, id);
    });
    adoptWritten(row, id, stored, adding);
}

QString DataControl::insertStatement(QVariantList& values) const {
    QStringList columns;
    QStringList marks;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (!m_pendingSet.at(i))
            continue;
        columns.append(quoted(m_fields.at(i)));
        marks.append(QStringLiteral("?"));
        values.append(m_pending.at(i));
    }
    return QStringLiteral("insert into %1 (%2) values (%3)")
        .arg(quoted(RecordSource.table), columns.join(QStringLiteral(", ")),
             marks.join(QStringLiteral(", ")));
}

QString DataControl::updateStatement(int row, const QVector<QVariant>& shown,
                                     QVariantList& values) const {
    QStringList columns;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (!m_pendingSet.at(i))
            continue;
        columns.append(quoted(m_fields.at(i)));
        values.append(m_pending.at(i));
    }
    values.append(m_rowids.at(row));
    for (const QVariant& v : shown)
        values.append(v);
    return QStringLiteral("update %1 set %2 = ?")
               .arg(quoted(RecordSource.table), columns.join(QStringLiteral(" = ?, "))) +
           whereShown();
}

void DataControl::runWrite(const QString& sql, const QVariantList& values, bool guarded,
                           EditorErrors::Outcome outcome,
                           const std::function<void(QSqlQuery&)>& then) {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        throw Database::errorFrom(db.lastError(), DatabaseName);
    QSqlQuery q(db);
    auto fail = [&](const RuntimeError& error) {
        q.finish();
        db.rollback();
        throw error;
    };
    const bool prepared = q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!prepared || !q.exec())
        fail(EditorErrors::tableChanged(q.lastError(), DatabaseName, outcome));
    if (guarded && q.numRowsAffected() == 0)
        fail(EditorErrors::rowChanged(outcome));
    if (then)
        then(q);
    q.finish();
    if (!db.commit())
        fail(Database::errorFrom(db.lastError(), DatabaseName));
    m_fileStamp = stampOf(m_openedPath);
}

void DataControl::adoptWritten(int row, qint64 id, const QVector<QVariant>& stored, bool added) {
    m_cache.remove(id);
    if (stored.size() == fieldCount())
        m_cache.insert(id, stored);
    m_unreadable.remove(id);
    m_lastModified = id;
    clearPending();
    if (added) {
        // The new-row line becomes the stored row; a fresh line appears after it.
        beginInsertRows({}, row + 1, row + 1);
        m_rowids.append(id);
        m_adding = false;
        m_pos = row;
        endInsertRows();
        rowValuesChanged(row + 1);
    }
    rowValuesChanged(row);
}

// --- The rows as a table: the grid's model ---

int DataControl::rowCount(const QModelIndex& parent) const {
    // The new-row line follows the rows.
    return parent.isValid() || !m_loaded ? 0 : recordCount() + 1;
}

int DataControl::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(RecordSource.columns.size());
}

int DataControl::columnField(int column) const {
    return fieldIndex(RecordSource.columns.value(column));
}

QVariant DataControl::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ForegroundRole)
        return {};
    // Reading first: whether the row can be read is known only once that was tried.
    const QVariant value = displayValue(index.row(), columnField(index.column()));
    if (rowUnreadable(index.row()))
        return role == Qt::DisplayRole      ? QVariant(UnreadableText)
               : role == Qt::ForegroundRole ? QVariant(QColor(Qt::gray))
                                            : QVariant();
    if (role == Qt::ForegroundRole)
        return {};
    if (role == Qt::EditRole)
        return value.toString();
    // One line per row: line breaks show as blanks. No cell shows more than the start of a
    // long verse, and drawing lays out all that it is given.
    return oneLine(value.toString().left(ShownInCell));
}

bool DataControl::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    return setPendingValue(index.row(), columnField(index.column()), value);
}

Qt::ItemFlags DataControl::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (isReadOnly() || rowUnreadable(index.row()))
        return flags;
    return flags | Qt::ItemIsEditable;
}

QVariant DataControl::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_captions.value(section);
    if (!m_loaded)
        return {};
    if (section == currentGridRow())
        return m_hasPending ? RowMark::Edited : RowMark::Current;
    return section == recordCount() ? RowMark::NewRow : QString();
}

bool DataControl::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                int role) {
    if (orientation != Qt::Horizontal || role != Qt::EditRole || section < 0 ||
        section >= columnCount())
        return false;
    m_captions.insert(section, value.toString());
    emit headerDataChanged(orientation, section, section);
    return true;
}

void DataControl::rowValuesChanged(int row) {
    if (row < 0 || row >= rowCount() || columnCount() == 0)
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    markChanged(row);
}

void DataControl::markChanged(int row) {
    if (row >= 0 && row < rowCount())
        emit headerDataChanged(Qt::Vertical, row, row);
}

void DataControl::currentRowMoved(int previous, int row) {
    markChanged(previous);
    markChanged(row);
    emit currentRowChanged(previous, row);
}

const QVector<QVariant>* DataControl::heldValues(int row) const {
    if (m_readOnly)
        return &m_wholeRows.at(row);
    const auto it = m_cache.constFind(m_rowids.at(row));
    return it == m_cache.constEnd() ? nullptr : &*it;
}

QVector<QVariant> DataControl::fetchRow(int row) const {
    if (const QVector<QVariant>* held = heldValues(row))
        return *held;
    const qint64 id = m_rowids.at(row);
    m_unreadable.remove(id);
    fetchPage(row);
    const auto it = m_cache.constFind(id);
    if (it == m_cache.constEnd())
        throw EditorErrors::rowRemoved();
    return *it;
}

void DataControl::trimCache() const {
    if (m_cache.size() <= CacheLimit)
        return;
    // The current row keeps the values it was read with: its writes expect them.
    const int current = currentRowIndex();
    const qint64 keptId = current >= 0 ? m_rowids.at(current) : -1;
    const QVector<QVariant> kept = m_cache.value(keptId);
    m_cache.clear();
    if (!kept.isEmpty())
        m_cache.insert(keptId, kept);
}

QStringList DataControl::pageIds(int row) const {
    const int first = row - row % PageSize;
    const int last = qMin(first + PageSize, recordCount());
    QStringList ids;
    for (int i = first; i < last; ++i) {
        const qint64 id = m_rowids.at(i);
        if (!m_cache.contains(id) && !m_unreadable.contains(id))
            ids.append(QString::number(id));
    }
    if (!ids.contains(QString::number(m_rowids.at(row))))
        ids.append(QString::number(m_rowids.at(row)));
    return ids;
}

void DataControl::fetchPage(int row) const {
    trimCache();
    // The rows of the page not yet held, and the row asked for in any case.
    const QStringList ids = pageIds(row);
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    auto unreadable = [&] {
        // Not tried again until the next retryUnreadable() or the rows are listed again.
        for (const QString& id : ids)
            m_unreadable.insert(id.toLongLong());
    };
    auto failed = [&] {
        // A locked file is not waited for again until a read succeeds or the next move.
        unreadable();
        m_readFailure = q.lastError();
        const RuntimeError error = EditorErrors::tableChanged(q.lastError(), DatabaseName, {});
        q.finish();
        if (error.number() == RuntimeError::DatabaseLocked)
            waitForLocks(false);
        throw error;
    };
    // Another program may have renumbered the row ids (VACUUM does) since they were listed:
    // rows read then could stand at places they do not belong. Checked before and after the
    // read, so that a change while reading counts too. Before, a lock keeps the version from
    // being read as it keeps the rows: one wait, one message.
    auto listChanged = [&](bool before) {
        const bool read = q.exec(QStringLiteral("PRAGMA data_version"));
        if (!read && before)
            failed();
        const bool same = read && q.next() && q.value(0).toLongLong() == m_dataVersion;
        q.finish();
        if (same)
            return false;
        unreadable();
        queueResync();
        return true;
    };
    if (listChanged(true))
        throw EditorErrors::rowRemoved();
    // Row ids are integers of our own: written into the statement, not bound one by one.
    if (!q.exec(QStringLiteral("select %1, %2 from %3 where %1 in (%4)")
                    .arg(m_idColumn, selectList(), quoted(RecordSource.table),
                         ids.join(QLatin1Char(',')))))
        failed();
    const int n = fieldCount();
    QHash<qint64, QVector<QVariant>> read;
    while (q.next()) {
        QVector<QVariant> values(n);
        for (int i = 0; i < n; ++i)
            values[i] = fromStored(q.value(i + 1));
        read.insert(q.value(0).toLongLong(), values);
    }
    if (q.lastError().isValid())
        failed();
    q.finish();
    if (listChanged(false))
        throw EditorErrors::rowRemoved();
    m_cache.insert(read);
    m_readFailure.reset();
    waitForLocks(true);
}

void DataControl::queueResync() const {
    if (m_resyncQueued)
        return;
    m_resyncQueued = true;
    // Not now: a read happens while the grid paints or moves, and listing the rows again
    // resets the grid.
    QMetaObject::invokeMethod(
        const_cast<DataControl*>(this), [this] { const_cast<DataControl*>(this)->resync(); },
        Qt::QueuedConnection);
}

void DataControl::resync() {
    m_resyncQueued = false;
    if (!m_loaded || m_readOnly || m_connection.isEmpty())
        return;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("PRAGMA data_version")) || !q.next())
        return; // the rows stay unreadable until Refresh or the next read
    const qint64 version = q.value(0).toLongLong();
    q.finish();
    QVector<qint64> ids;
    bool listed = q.exec(rowidsInOrder(m_idColumn));
    while (listed && q.next())
        ids.append(q.value(0).toLongLong());
    listed = listed && !q.lastError().isValid();
    if (!listed) {
        // Locked: listed on a later read. Otherwise the table itself changed (the order's
        // column gone): the current row's read says so, and later reads fail the same way
        // rather than listing again.
        const bool locked = Database::errorFrom(q.lastError(), DatabaseName).number() ==
                            RuntimeError::DatabaseLocked;
        q.finish();
        if (!locked) {
            m_dataVersion = version;
            m_unreadable.clear();
            repositioned();
        }
        return;
    }
    q.finish();

    // The current row is found again by the values it was read with, nearest its old place.
    const int row = currentRowIndex();
    const QVector<QVariant> kept = row >= 0 ? m_cache.value(m_rowids.at(row)) : QVector<QVariant>();
    const int found = kept.isEmpty() ? -1 : nearestHolding(ids, kept, row);
    takeRelisted(std::move(ids), version, row, found, kept);
}

int DataControl::nearestHolding(const QVector<qint64>& ids, const QVector<QVariant>& values,
                                int near) const {
    QString sql =
        QStringLiteral("select %1 from %2 where 1").arg(m_idColumn, quoted(RecordSource.table));
    for (const QString& field : m_fields)
        sql += QStringLiteral(" and cast(%1 as blob) is ?").arg(quoted(field));
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    int found = -1;
    if (q.prepare(sql)) {
        for (const QVariant& value : values)
            q.addBindValue(storedBytes(value));
        if (q.exec())
            while (q.next()) {
                const int at = int(ids.indexOf(q.value(0).toLongLong()));
                if (at >= 0 && (found < 0 || qAbs(at - near) < qAbs(found - near)))
                    found = at;
            }
    }
    return found;
}

void DataControl::takeRelisted(QVector<qint64> ids, qint64 version, int row, int found,
                               const QVector<QVariant>& kept) {
    beginResetModel();
    m_rowids = std::move(ids);
    m_cache.clear();
    m_unreadable.clear();
    m_readFailure.reset();
    m_dataVersion = version;
    m_lastModified.reset();
    if (m_adding)
        m_pos = recordCount();
    else if (found >= 0)
        m_pos = found;
    else if (row >= 0)
        m_pos = qMin(row, recordCount() - 1);
    else
        m_pos = qMin(m_pos, recordCount());
    if (found >= 0)
        m_cache.insert(m_rowids.at(found), kept);
    endResetModel();
    currentRowMoved(-1, currentGridRow());
    repositioned();
    // The row edited is gone or changed: its edit stays to copy, but is not saved elsewhere.
    if (row >= 0 && found < 0 && m_hasPending) {
        m_refusal = EditorErrors::rowChanged(EditorErrors::Outcome::EditKept);
        raiseError(*m_refusal);
    }
}

QVariant DataControl::displayValue(int row, int field) const {
    if (!m_loaded || field < 0 || field >= fieldCount() || row < 0 || row > recordCount())
        return {};
    const bool current = row == currentGridRow();
    if (current && m_pendingSet.value(field))
        return m_pending.at(field);
    if (row == recordCount())
        return {};
    const QVector<QVariant>* held = heldValues(row);
    if (!held && !m_unreadable.contains(m_rowids.at(row))) {
        try {
            fetchPage(row);
        } catch (const RuntimeError&) {
            // Shown as unreadable (rowUnreadable) until the grid tries again.
        }
        held = heldValues(row);
    }
    return held ? asShown(held->value(field)) : QVariant();
}

bool DataControl::rowUnreadable(int row) const {
    if (!m_loaded || m_readOnly || row < 0 || row >= recordCount())
        return false;
    const qint64 id = m_rowids.at(row);
    return !m_cache.contains(id) && m_unreadable.contains(id);
}
