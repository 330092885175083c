#include "companion/versestore.h"

#include "app/database.h"

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

// Rows already in the table are found by a digest of title and text kept in a temporary table
// (on disk, in the engine's temporary store) rather than in memory, so that memory does not
// grow with the file; a digest that matches is confirmed against the row itself.
class Seen {
public:
    Seen(QSqlDatabase& db, const QString& path)
        : m_db(db), m_path(path), m_find(db), m_note(db), m_row(db), m_scan(db) {
        QSqlQuery query(db);
        exec(query,
             QStringLiteral("CREATE TEMP TABLE tessaline_seen (digest INTEGER PRIMARY KEY, "
                            "row INTEGER)"),
             path);
        prepare(m_find, QStringLiteral("SELECT row FROM temp.tessaline_seen WHERE digest = ?"));
        prepare(m_note, QStringLiteral("INSERT OR IGNORE INTO temp.tessaline_seen VALUES (?, ?)"));
        prepare(m_row, QStringLiteral("SELECT title, text FROM verses WHERE rowid = ?"));
        prepare(m_scan, QStringLiteral("SELECT 1 FROM verses WHERE title = ? COLLATE BINARY AND "
                                       "text = ? COLLATE BINARY LIMIT 1"));
        query.setForwardOnly(true);
        exec(query, QStringLiteral("SELECT rowid, title, text FROM verses"), path);
        while (query.next())
            note(digest(query.value(1).toString(), query.value(2).toString()),
                 query.value(0).toLongLong());
    }
    ~Seen() {
        for (QSqlQuery* query : {&m_find, &m_note, &m_row, &m_scan})
            *query = QSqlQuery();
        QSqlQuery(m_db).exec(QStringLiteral("DROP TABLE IF EXISTS temp.tessaline_seen"));
    }

    static qint64 digest(const QString& title, const QString& text) {
        return qint64(qHashMulti(0x7e55a11e, title, text));
    }

    bool contains(qint64 key, const Companion::Verse& verse) {
        run(m_find, {key});
        if (!m_find.next())
            return false;
        const qint64 row = m_find.value(0).toLongLong();
        m_find.finish();
        run(m_row, {row});
        if (m_row.next() && m_row.value(0).toString() == verse.title &&
            m_row.value(1).toString() == verse.text) {
            m_row.finish();
            return true;
        }
        m_row.finish();
        // Two different rows with the same digest: rare enough to look through the table.
        run(m_scan, {verse.title, verse.text});
        const bool found = m_scan.next();
        m_scan.finish();
        return found;
    }

    void note(qint64 key, qint64 row) { run(m_note, {key, row}); }

private:
    void prepare(QSqlQuery& query, const QString& statement) {
        query.setForwardOnly(true);
        if (!query.prepare(statement))
            throw Database::errorFrom(query.lastError(), m_path);
    }
    void run(QSqlQuery& query, std::initializer_list<QVariant> values) {
        int i = 0;
        for (const QVariant& value : values)
            query.bindValue(i++, value);
        if (!query.exec())
            throw Database::errorFrom(query.lastError(), m_path);
    }

    QSqlDatabase& m_db;
    QString m_path;
    QSqlQuery m_find, m_note, m_row, m_scan;
};

} // namespace

Added add(QSqlDatabase& db, const QString& path, const Source& next,
          const std::function<void()>& afterEach) {
    QSqlQuery query(db);
    // The digests go to a file like the database's own pages, never to memory.
    exec(query, QStringLiteral("PRAGMA temp_store = FILE"), path);
    // The write lock is taken first, so no other writer comes between the check for rows that
    // are already there and the inserts.
    exec(query, QStringLiteral("BEGIN IMMEDIATE"), path);
    try {
        Added result;
        {
            Seen seen(db, path);
            QSqlQuery insert(db);
            if (!insert.prepare(QStringLiteral("INSERT INTO verses (title, text) VALUES (?, ?)")))
                throw Database::errorFrom(insert.lastError(), path);
            while (const std::optional<Companion::Verse> verse = next()) {
                const qint64 key = Seen::digest(verse->title, verse->text);
                if (seen.contains(key, *verse)) {
                    ++result.skipped;
                } else {
                    insert.bindValue(0, verse->title);
                    insert.bindValue(1, verse->text);
                    if (!insert.exec())
                        throw Database::errorFrom(insert.lastError(), path);
                    seen.note(key, insert.lastInsertId().toLongLong());
                    ++result.added;
                }
                if (afterEach)
                    afterEach();
            }
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

Added add(QSqlDatabase& db, const QString& path, const QList<Companion::Verse>& verses,
          const Companion::Progress& progress) {
    qsizetype done = 0;
    return add(
        db, path,
        [&]() -> std::optional<Companion::Verse> {
            if (done == verses.size())
                return std::nullopt;
            return verses[done++];
        },
        [&] {
            if (progress)
                progress(done, verses.size());
        });
}

Added add(const QString& path, const Source& next, const std::function<void()>& afterEach) {
    Opened opened(path);
    return add(opened.db, path, next, afterEach);
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
