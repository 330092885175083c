#include "companion/versestore.h"

#include "base/database.h"

#include <QSet>
#include <QSqlQuery>

namespace VerseStore {
namespace {

const QString Connection = QStringLiteral("tessaline-verses");

// Opens the file and proves it holds the table and columns the program uses.
QSqlDatabase openChecked(const QString& path) {
    QSqlDatabase db = Database::open(path, Connection);
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT title, text FROM verses LIMIT 0"))) {
        const RuntimeError error = Database::errorFrom(probe.lastError(), path);
        probe = QSqlQuery();
        db = QSqlDatabase();
        Database::close(Connection);
        throw error;
    }
    return db;
}

void exec(QSqlQuery& query, const QString& statement, const QString& path) {
    if (!query.exec(statement))
        throw Database::errorFrom(query.lastError(), path);
}

// Closes the connection however the work ends.
class Opened {
public:
    explicit Opened(const QString& path) : db(openChecked(path)) {}
    ~Opened() {
        db = QSqlDatabase();
        Database::close(Connection);
    }
    QSqlDatabase db;
};

} // namespace

Added add(QSqlDatabase& db, const QString& path, const QList<Companion::Verse>& verses,
          const Companion::Progress& progress) {
    QSqlQuery query(db);
    // The write lock is taken first, so no other writer comes between the check for rows that
    // are already there and the inserts.
    exec(query, QStringLiteral("BEGIN IMMEDIATE"), path);
    try {
        QSet<std::pair<QString, QString>> present;
        query.setForwardOnly(true);
        exec(query, QStringLiteral("SELECT title, text FROM verses"), path);
        while (query.next())
            present.insert({query.value(0).toString(), query.value(1).toString()});

        Added result;
        QSqlQuery insert(db);
        if (!insert.prepare(QStringLiteral("INSERT INTO verses (title, text) VALUES (?, ?)")))
            throw Database::errorFrom(insert.lastError(), path);
        for (const Companion::Verse& verse : verses) {
            if (progress)
                progress(result.added + result.skipped + 1, verses.size());
            if (present.contains({verse.title, verse.text})) {
                ++result.skipped;
                continue;
            }
            insert.bindValue(0, verse.title);
            insert.bindValue(1, verse.text);
            if (!insert.exec())
                throw Database::errorFrom(insert.lastError(), path);
            present.insert({verse.title, verse.text});
            ++result.added;
        }
        exec(query, QStringLiteral("COMMIT"), path);
        return result;
    } catch (...) {
        // The engine may have rolled back on its own already (a full disk); then this fails
        // harmlessly.
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

Added add(const QString& path, const QList<Companion::Verse>& verses,
          const Companion::Progress& progress) {
    Opened opened(path);
    return add(opened.db, path, verses, progress);
}

QList<Companion::Verse> readAll(const QString& path) {
    Opened opened(path);
    QSqlQuery query(opened.db);
    query.setForwardOnly(true);
    exec(query, QStringLiteral("SELECT title, text FROM verses ORDER BY title, rowid"), path);
    QList<Companion::Verse> verses;
    while (query.next())
        verses.append({query.value(0).toString(), query.value(1).toString()});
    return verses;
}

} // namespace VerseStore
