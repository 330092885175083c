#include "app/database.h"

#include <QFileInfo>

namespace Database {

namespace {
// Said of a lock when the user can still repeat what failed; a lost edit cannot be repeated.
const QString LockedAdvice = QStringLiteral(" Try again once that program is done.");
} // namespace

RuntimeError errorFrom(const QSqlError& error, const QString& path) {
    const QString engine = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    const int native = error.nativeErrorCode().toInt();
    // SQLite's primary result code is the low byte of its extended code.
    switch (native & 0xFF) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return RuntimeError(RuntimeError::DatabaseLocked,
                            QStringLiteral("The verse database '%1' is in use by another program, "
                                           "which kept it locked.%2 (%3)")
                                .arg(path, LockedAdvice, engine));
    case 13: // SQLITE_FULL
        return RuntimeError(RuntimeError::DiskFull,
                            QStringLiteral("The disk holding the verse database '%1' is full. (%2)")
                                .arg(path, engine));
    case 26: // SQLITE_NOTADB
        return RuntimeError(RuntimeError::NotADatabase,
                            QStringLiteral("'%1' is not a verse database. (%2)").arg(path, engine));
    case 8: // SQLITE_READONLY
        return RuntimeError(
            RuntimeError::PermissionDenied,
            QStringLiteral("The verse database '%1' cannot be written. (%2)").arg(path, engine));
    default:
        break;
    }
    // A failed COMMIT reaches us without the engine's code, only with its words.
    if (engine.contains(QLatin1String("database is locked")) ||
        engine.contains(QLatin1String("database table is locked")))
        return errorFrom(QSqlError(error.driverText(), engine, error.type(), QStringLiteral("5")),
                         path);
    if (engine.contains(QLatin1String("no such table")))
        return RuntimeError(RuntimeError::TableNotFound,
                            QStringLiteral("The verse database '%1' has no table 'verses'. (%2)")
                                .arg(path, engine));
    if (engine.contains(QLatin1String("no such column")))
        return RuntimeError(RuntimeError::ItemNotFound,
                            QStringLiteral("The table 'verses' in '%1' lacks a column the program "
                                           "needs. (%2)")
                                .arg(path, engine));
    return RuntimeError(
        native > 0 ? native : RuntimeError::PathFileAccess,
        QStringLiteral("The verse database '%1' could not be used. (%2)")
            .arg(path, engine.isEmpty() ? QStringLiteral("unknown error") : engine));
}

namespace {

QString whatNow(Outcome outcome, const QString& refresh) {
    switch (outcome) {
    case Outcome::EditKept:
        return QStringLiteral(" Your edit is still in the grid to copy; press Escape in the grid "
                              "to drop it. ") +
               refresh;
    case Outcome::NotDeleted:
        return QLatin1Char(' ') + refresh;
    case Outcome::EditLost:
        break;
    }
    return QStringLiteral(" The edit of the current verse was not saved.");
}

} // namespace

RuntimeError rowChanged(Outcome outcome) {
    return RuntimeError(
        RuntimeError::RowChanged,
        QStringLiteral("The verse was changed or removed by another program after the editor "
                       "read it, so nothing was written.") +
            whatNow(outcome, QStringLiteral("Refresh shows the table as it is now.")));
}

RuntimeError rowUnreadable(Outcome outcome) {
    return RuntimeError(RuntimeError::DatabaseLocked,
                        QStringLiteral("The verse could not be read while another program held "
                                       "the verse database, so nothing was written.") +
                            whatNow(outcome, QStringLiteral("The grid reads it again once the "
                                                            "other program is done.")));
}

RuntimeError tableChanged(const QSqlError& error, const QString& path,
                          std::optional<Outcome> outcome) {
    const RuntimeError cause = errorFrom(error, path);
    if (cause.number() != RuntimeError::ItemNotFound &&
        cause.number() != RuntimeError::TableNotFound)
        return cause;
    const QString what = QStringLiteral("The table 'verses' in '%1' was changed by another program "
                                        "after the editor read it (%2)")
                             .arg(path, error.databaseText());
    const QString refresh = QStringLiteral("Refresh reads the table again.");
    if (!outcome)
        return RuntimeError(cause.number(),
                            what + QStringLiteral(", so its verses cannot be read as listed. ") +
                                refresh);
    return RuntimeError(cause.number(), what + QStringLiteral(", so nothing was written.") +
                                            whatNow(*outcome, refresh));
}

RuntimeError rowRemoved() {
    return RuntimeError(RuntimeError::RowRemoved,
                        QStringLiteral("The verse was removed by another program after the editor "
                                       "listed it. Refresh shows the table as it is now."));
}

RuntimeError noCurrentRecord() {
    return RuntimeError(RuntimeError::NoCurrentRecord, QStringLiteral("No current record."));
}

RuntimeError recordDeleted() {
    return RuntimeError(RuntimeError::RowRemoved,
                        QStringLiteral("The current record was deleted."));
}

RuntimeError invalidBookmark() {
    return RuntimeError(RuntimeError::InvalidBookmark,
                        QStringLiteral("Not a valid bookmark: the row no longer exists."));
}

RuntimeError fileGone(const QString& path, bool replaced, Outcome outcome) {
    return RuntimeError(
        replaced ? RuntimeError::FileReplaced : RuntimeError::DatabaseNotFound,
        QStringLiteral("The verse database '%1' was %2 after the editor read it, so nothing was "
                       "written.")
                .arg(path, replaced ? QStringLiteral("replaced by another file")
                                    : QStringLiteral("deleted or moved away by another program")) +
            whatNow(outcome, replaced ? QStringLiteral("Refresh shows the verses of the new file.")
                                      : QStringLiteral("Refresh reads the file again once it is "
                                                       "back.")));
}

RuntimeError editLost(const RuntimeError& cause) {
    const QString lost = whatNow(Outcome::EditLost, QString());
    if (cause.description().endsWith(lost))
        return cause;
    return RuntimeError(cause.number(), QString(cause.description()).remove(LockedAdvice) + lost);
}

RuntimeError readOnlyTable(const QString& path) {
    return RuntimeError(
        RuntimeError::ReadOnlyTable,
        QStringLiteral("The table 'verses' in '%1' has no row id the editor can tell its rows "
                       "apart by (its own columns are named rowid, oid and _rowid_, or it is a "
                       "WITHOUT ROWID table). The verses are shown read-only: they can be "
                       "browsed and selected, but not changed.")
            .arg(path));
}

QSqlDatabase open(const QString& path, const QString& connectionName) {
    const QFileInfo info(path);
    if (!info.exists())
        throw RuntimeError(RuntimeError::DatabaseNotFound,
                           QStringLiteral("Could not find the verse database '%1'.").arg(path));
    if (!info.isFile())
        throw RuntimeError(RuntimeError::NotADatabase,
                           QStringLiteral("'%1' is not a verse database file.").arg(path));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (!db.open()) {
        const RuntimeError error = errorFrom(db.lastError(), path);
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw error;
    }
    return db;
}

void close(const QString& connectionName) {
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

} // namespace Database
