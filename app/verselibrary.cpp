#include "app/verselibrary.h"

#include "app/database.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

#include <utility>

namespace {

const QString Connection = QStringLiteral("tessaline-library");
int busyTimeout = Database::BusyTimeoutMs;

// The columns title and text; a table lacking either is named with all it lacks.
std::pair<int, int> columnsOf(const QSqlRecord& record, const QString& path) {
    const int title = record.indexOf(QLatin1String("title"));
    const int text = record.indexOf(QLatin1String("text"));
    QStringList missing;
    if (title < 0)
        missing << QStringLiteral("'title'");
    if (text < 0)
        missing << QStringLiteral("'text'");
    if (!missing.isEmpty())
        throw RuntimeError(RuntimeError::ItemNotFound,
                           QStringLiteral("The table 'verses' in '%1' has no column%2 %3.")
                               .arg(path, missing.size() > 1 ? QStringLiteral("s") : QString(),
                                    missing.join(QLatin1String(" and "))));
    return {title, text};
}

// Runs sql on the file and hands the query to read; the connection is closed again whatever
// happens. Only SELECTs run here, but the file is opened writable: after a crash in the middle
// of an editor's write, SQLite must be able to roll that write back before anyone can read.
template <class Read> void readVerses(const QString& path, const QString& sql, Read read) {
    QSqlDatabase db = Database::open(path, Connection);
    try {
        QSqlQuery(db).exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(busyTimeout));
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(sql))
            throw Database::errorFrom(query.lastError(), path);
        const auto [title, text] = columnsOf(query.record(), path);
        read(query, title, text);
        if (query.lastError().isValid())
            throw Database::errorFrom(query.lastError(), path);
    } catch (...) {
        db = QSqlDatabase();
        Database::close(Connection);
        throw;
    }
    db = QSqlDatabase();
    Database::close(Connection);
}

} // namespace

void VerseLibrary::setBusyTimeoutMs(int ms) {
    busyTimeout = ms;
}

void VerseLibrary::attach(const QString& path) {
    // Preparing the query reads the schema under a shared lock: a missing table or column,
    // a file that is no database and a file locked by another program all show here.
    readVerses(path, QStringLiteral("SELECT * FROM verses LIMIT 0"), [](QSqlQuery&, int, int) {});
}
