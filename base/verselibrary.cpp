#include "base/verselibrary.h"

#include "base/database.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

void VerseLibrary::checkTable(QSqlDatabase& db, const QString& path) {
    // Preparing the query reads the schema under a shared lock: a missing table or column,
    // a file that is no database and a file locked by another program all show here.
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT * FROM verses LIMIT 0")))
        throw Database::errorFrom(query.lastError(), path);
    // A table lacking a column is named with all it lacks.
    QStringList missing;
    for (const char* column : {"title", "text"})
        if (query.record().indexOf(QLatin1String(column)) < 0)
            missing << QStringLiteral("'%1'").arg(QLatin1String(column));
    if (!missing.isEmpty())
        throw RuntimeError(RuntimeError::ItemNotFound,
                           QStringLiteral("The table 'verses' in '%1' has no column%2 %3.")
                               .arg(path, missing.size() > 1 ? QStringLiteral("s") : QString(),
                                    missing.join(QLatin1String(" and "))));
}

void VerseLibrary::checkFile(const QString& path) {
    // Opened writable: after a crash in the middle of an editor's write, SQLite must be able
    // to roll that write back before anyone can read.
    Database::Connection connection(path, QStringLiteral("tessaline-library"));
    checkTable(connection.db(), path);
}
