#include "base/database.h"

#include "base/accessfile.h"

#include <QFileInfo>

namespace Database {

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
                                .arg(path, QLatin1String(LockedAdvice), engine));
    case 13: // SQLITE_FULL
        return RuntimeError(RuntimeError::DiskFull,
                            QStringLiteral("The disk holding the verse database '%1' is full. (%2)")
                                .arg(path, engine));
    case 26: // SQLITE_NOTADB
        if (AccessFile::hasSignature(path))
            return RuntimeError(RuntimeError::NotADatabase,
                                QStringLiteral("'%1' is an Access database, not a verse database: "
                                               "add its verses with 'tessaline-verses import'. "
                                               "(%2)")
                                    .arg(path, engine));
        return RuntimeError(RuntimeError::NotADatabase,
                            QStringLiteral("'%1' is not a verse database (it is neither an SQLite "
                                           "nor an Access database). (%2)")
                                .arg(path, engine));
    case 11: // SQLITE_CORRUPT
        return RuntimeError(RuntimeError::DatabaseDamaged,
                            QStringLiteral("The verse database '%1' is damaged and cannot be "
                                           "read. (%2)")
                                .arg(path, engine));
    case 14: // SQLITE_CANTOPEN
        if (QFileInfo::exists(path) && !QFileInfo(path).isReadable())
            return RuntimeError(RuntimeError::PermissionDenied,
                                QStringLiteral("Permission denied: the verse database '%1' "
                                               "cannot be read by this user. (%2)")
                                    .arg(path, engine));
        break;
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
    // SQLite takes a file of no bytes for a database without tables.
    if (engine.contains(QLatin1String("no such table")) && QFileInfo(path).size() == 0)
        return RuntimeError(RuntimeError::TableNotFound,
                            QStringLiteral("The verse database '%1' is an empty file (0 bytes): "
                                           "it holds no verses.")
                                .arg(path));
    if (engine.contains(QLatin1String("no such table")))
        return RuntimeError(RuntimeError::TableNotFound,
                            QStringLiteral("The verse database '%1' has no table 'verses'. (%2)")
                                .arg(path, engine));
    if (engine.contains(QLatin1String("no such column")))
        return RuntimeError(RuntimeError::ItemNotFound,
                            QStringLiteral("The table 'verses' in '%1' lacks a column the program "
                                           "needs. (%2)")
                                .arg(path, engine));
    // The engine's own number, except SQLite's primary codes (below 256): as run-time error
    // numbers those mean other things (11 is division by zero, 14 out of string space).
    return RuntimeError(
        native > 255 ? native : RuntimeError::PathFileAccess,
        QStringLiteral("The verse database '%1' could not be used. (%2)")
            .arg(path, engine.isEmpty() ? QStringLiteral("unknown error") : engine));
}

namespace {
int busyTimeout = BusyTimeoutMs;
} // namespace

void setBusyTimeoutMs(int ms) {
    busyTimeout = ms;
}

int busyTimeoutMs() {
    return busyTimeout;
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
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout));
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

namespace {

QString listed(const QStringList& names) {
    return QLatin1Char('\'') + names.join(QStringLiteral("', '")) + QLatin1Char('\'');
}

} // namespace

RuntimeError accessUnreadable(const QString& path, const QString& why) {
    return RuntimeError(RuntimeError::NotADatabase,
                        QStringLiteral("'%1' is an Access database that Tessaline cannot read "
                                       "(%2): it is damaged, encrypted or protected by a "
                                       "password. Repair it or remove its password in Microsoft "
                                       "Access, then try again.")
                            .arg(path, why));
}

RuntimeError accessTableMissing(const QString& path, const QString& table,
                                const QStringList& tables) {
    return RuntimeError(RuntimeError::TableNotFound,
                        QStringLiteral("The Access database '%1' has no table '%2'. %3")
                            .arg(path, table,
                                 tables.isEmpty()
                                     ? QStringLiteral("It has no tables of its own.")
                                     : QStringLiteral("Its tables: %1.").arg(listed(tables))));
}

RuntimeError accessColumnsMissing(const QString& path, const QString& table,
                                  const QStringList& missing, const QStringList& columns) {
    return RuntimeError(
        RuntimeError::ItemNotFound,
        QStringLiteral("The table '%1' in the Access database '%2' has no %3 %4. "
                       "Its columns: %5.")
            .arg(table, path,
                 missing.size() == 1 ? QStringLiteral("column") : QStringLiteral("columns"),
                 QLatin1Char('\'') + missing.join(QStringLiteral("' or '")) + QLatin1Char('\''),
                 listed(columns)));
}

RuntimeError accessColumnNotText(const QString& path, const QString& table, const QString& column,
                                 const QString& what) {
    return RuntimeError(RuntimeError::TypeMismatch,
                        QStringLiteral("The column '%1' of table '%2' in the Access database '%3' "
                                       "holds %4, not text.")
                            .arg(column, table, path, what));
}

RuntimeError accessValueDamaged(const QString& path, const QString& table, const QString& column,
                                qint64 row) {
    return RuntimeError(RuntimeError::NotADatabase,
                        QStringLiteral("The Access database '%1' is damaged: the value of column "
                                       "'%2' in row %3 of table '%4' cannot be read. Repair it "
                                       "in Microsoft Access (Compact and Repair), then try again.")
                            .arg(path, column)
                            .arg(row)
                            .arg(table));
}

RuntimeError conversionNeedsNames(const RuntimeError& cause) {
    return RuntimeError(cause.number(),
                        cause.description() +
                            QStringLiteral(" Tessaline converts a table 'verses' with columns "
                                           "'title' and 'text'. For verses kept under other "
                                           "names: rename the file (say to old.mdb), put the "
                                           "sample verses.mdb from Tessaline's program folder in "
                                           "its place, then run tessaline-verses import old.mdb "
                                           "--table NAME --title-column NAME --text-column "
                                           "NAME."));
}

RuntimeError conversionNotWritten(const QString& path, const QString& why, bool diskFull,
                                  bool folderReadOnly) {
    const QString folder = QFileInfo(path).absolutePath();
    if (folderReadOnly)
        return RuntimeError(
            RuntimeError::PermissionDenied,
            QStringLiteral("'%1' is an Access database, and Tessaline cannot convert it because "
                           "the folder '%2' cannot be written (%3). The original is untouched. "
                           "Make the folder writable, then start Tessaline again.")
                .arg(path, folder, why));
    return RuntimeError(diskFull ? RuntimeError::DiskFull : RuntimeError::PathFileAccess,
                        QStringLiteral("'%1' is an Access database, and Tessaline could not "
                                       "write its converted copy in '%2' (%3). The original is "
                                       "untouched. %4 then start Tessaline again.")
                            .arg(path, folder, why,
                                 diskFull ? QStringLiteral("Free some space on the disk,")
                                          : QStringLiteral("Make sure the disk has room and the "
                                                           "folder can be written,")));
}

} // namespace Database
