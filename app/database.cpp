#include "app/database.h"

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
                            QStringLiteral("The verse database '%1' is in use by another program "
                                           "and stayed locked. Close the other program and try "
                                           "again. (%2)")
                                .arg(path, engine));
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
