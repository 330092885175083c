#pragma once

#include "base/runtimeerror.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>

// Access to the verse database file: opening it and turning the engine's failures into
// run-time errors that name the file.
namespace Database {

// How long a statement waits for another program holding the file before it gives up.
inline constexpr int BusyTimeoutMs = 3000;
// The wait of connections opened from now on: BusyTimeoutMs unless a test shortens it.
void setBusyTimeoutMs(int ms);
int busyTimeoutMs();
// Ends the message of a lock when the user can still repeat what failed.
inline constexpr auto LockedAdvice = " Try again once that program is done.";

// The verse table of a new database. Titles sort without regard to case, as a reader expects
// ("a" next to "A", not after "Z").
inline constexpr auto CreateVersesTableSql =
    "CREATE TABLE verses (title TEXT COLLATE NOCASE, text TEXT)";

// Opens the SQLite file at path under the given connection name. Never creates the file:
// a missing one is an error. Throws RuntimeError.
QSqlDatabase open(const QString& path, const QString& connectionName);

// Closes and forgets a connection opened by open().
void close(const QString& connectionName);

// A connection opened by open() that is closed when it goes, however the work ends. Queries
// on it must go first.
class Connection {
public:
    Connection(const QString& path, const QString& connectionName)
        : m_db(open(path, connectionName)), m_name(connectionName) {}
    ~Connection() {
        m_db = QSqlDatabase();
        close(m_name);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    QSqlDatabase& db() { return m_db; }

private:
    QSqlDatabase m_db;
    QString m_name;
};

// A run-time error for a failure of the engine on the file at path.
RuntimeError errorFrom(const QSqlError& error, const QString& path);

// Access databases: read by AccessFile, converted at start-up, imported by the companion.
// libmdb cannot read the file at all.
RuntimeError accessUnreadable(const QString& path, const QString& why);
// The table asked for is not there; tables are those that are.
RuntimeError accessTableMissing(const QString& path, const QString& table,
                                const QStringList& tables);
// Some of the columns asked for are not there; columns are those that are.
RuntimeError accessColumnsMissing(const QString& path, const QString& table,
                                  const QStringList& missing, const QStringList& columns);
// The column holds something other than text or whole numbers (what: "dates", ...).
RuntimeError accessColumnNotText(const QString& path, const QString& table, const QString& column,
                                 const QString& what);
// A value could not be read back whole (row counted from 1 in stored order).
RuntimeError accessValueDamaged(const QString& path, const QString& table, const QString& column,
                                qint64 row);
// Start-up found no table or column to convert (cause): the same, saying how to bring verses
// kept under other names.
RuntimeError conversionNeedsNames(const RuntimeError& cause);
// The converted copy of the Access database at path could not be written; the original is
// untouched. folderReadOnly: the folder refused the new file.
RuntimeError conversionNotWritten(const QString& path, const QString& why, bool diskFull,
                                  bool folderReadOnly);

} // namespace Database
