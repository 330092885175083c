#include "companion/versestore.h"

#include "app/database.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

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

// A statement of the engine's own interface, on the connection Qt opened: the rows of an import
// go through these, without Qt's per-statement cost.
class Statement {
public:
    Statement(sqlite3* handle, const char* sql, const QString& path)
        : m_handle(handle), m_path(path) {
        if (sqlite3_prepare_v2(handle, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            throw failure();
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, qint64 value) { sqlite3_bind_int64(m_statement, index, value); }
    // The text stays ours until the statement is reset.
    void bind(int index, const QString& text) {
        sqlite3_bind_text16(m_statement, index, text.utf16(), int(text.size() * 2), SQLITE_STATIC);
    }
    // True while it gives a row; throws on failure.
    bool step() {
        const int result = sqlite3_step(m_statement);
        if (result == SQLITE_ROW)
            return true;
        if (result != SQLITE_DONE)
            throw failure();
        return false;
    }
    void reset() {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    QString text(int column) const {
        const void* data = sqlite3_column_text16(m_statement, column);
        return data ? QString(static_cast<const QChar*>(data),
                              sqlite3_column_bytes16(m_statement, column) / 2)
                    : QString();
    }

private:
    RuntimeError failure() const {
        return Database::errorFrom(QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(m_handle)),
                                             QSqlError::StatementError,
                                             QString::number(sqlite3_extended_errcode(m_handle))),
                                   m_path);
    }

    sqlite3* m_handle;
    sqlite3_stmt* m_statement = nullptr;
    QString m_path;
};

sqlite3* handleOf(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw RuntimeError(RuntimeError::Internal,
                           QStringLiteral("The verse database is not open through SQLite."));
    return *static_cast<sqlite3* const*>(handle.constData());
}

// Rows already in the table are found by a digest of title and text kept in a temporary table
// (on disk, in the engine's temporary store) rather than in memory, so that memory does not
// grow with the file; a digest that matches is confirmed against the row itself.
class Seen {
public:
    Seen(QSqlDatabase& db, sqlite3* handle, const QString& path) : m_db(db) {
        QSqlQuery query(db);
        exec(query,
             QStringLiteral("CREATE TEMP TABLE tessaline_seen (digest INTEGER PRIMARY KEY, "
                            "row INTEGER)"),
             path);
        m_find.emplace(handle, "SELECT row FROM temp.tessaline_seen WHERE digest = ?", path);
        m_note.emplace(handle, "INSERT OR IGNORE INTO temp.tessaline_seen VALUES (?, ?)", path);
        m_row.emplace(handle, "SELECT title, text FROM verses WHERE rowid = ?", path);
        m_scan.emplace(handle,
                       "SELECT 1 FROM verses WHERE title = ? COLLATE BINARY AND text = ? "
                       "COLLATE BINARY LIMIT 1",
                       path);
        Statement all(handle, "SELECT rowid, title, text FROM verses", path);
        while (all.step())
            note(digest(all.text(1), all.text(2)), all.integer(0));
    }
    ~Seen() {
        m_find.reset();
        m_note.reset();
        m_row.reset();
        m_scan.reset();
        QSqlQuery(m_db).exec(QStringLiteral("DROP TABLE IF EXISTS temp.tessaline_seen"));
    }

    static qint64 digest(const QString& title, const QString& text) {
        return qint64(qHashMulti(0x7e55a11e, title, text));
    }

    bool contains(qint64 key, const Companion::Verse& verse) {
        m_find->bind(1, key);
        const bool listed = m_find->step();
        const qint64 row = listed ? m_find->integer(0) : 0;
        m_find->reset();
        if (!listed)
            return false;
        m_row->bind(1, row);
        const bool same =
            m_row->step() && m_row->text(0) == verse.title && m_row->text(1) == verse.text;
        m_row->reset();
        if (same)
            return true;
        // Two different rows with the same digest: rare enough to look through the table.
        m_scan->bind(1, verse.title);
        m_scan->bind(2, verse.text);
        const bool found = m_scan->step();
        m_scan->reset();
        return found;
    }

    void note(qint64 key, qint64 row) {
        m_note->bind(1, key);
        m_note->bind(2, row);
        m_note->step();
        m_note->reset();
    }

private:
    QSqlDatabase& m_db;
    std::optional<Statement> m_find, m_note, m_row, m_scan;
};

} // namespace

Added add(QSqlDatabase& db, const QString& path, const Source& next,
          const std::function<void()>& afterEach) {
    QSqlQuery query(db);
    // The digests go to a temporary file, with a cache of their own that holds those of about a
    // million rows: memory stays bounded whatever the file's size.
    exec(query, QStringLiteral("PRAGMA temp_store = FILE"), path);
    exec(query, QStringLiteral("PRAGMA temp.cache_size = -24000"), path);
    // The write lock is taken first, so no other writer comes between the check for rows that
    // are already there and the inserts.
    exec(query, QStringLiteral("BEGIN IMMEDIATE"), path);
    try {
        Added result;
        {
            sqlite3* handle = handleOf(db);
            Seen seen(db, handle, path);
            Statement insert(handle, "INSERT INTO verses (title, text) VALUES (?, ?)", path);
            while (const std::optional<Companion::Verse> verse = next()) {
                const qint64 key = Seen::digest(verse->title, verse->text);
                if (seen.contains(key, *verse)) {
                    ++result.skipped;
                } else {
                    insert.bind(1, verse->title);
                    insert.bind(2, verse->text);
                    insert.step();
                    insert.reset();
                    seen.note(key, sqlite3_last_insert_rowid(handle));
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
