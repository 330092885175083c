#include "companion/versestore.h"

#include "base/database.h"
#include "base/verselibrary.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <sqlite3.h>
#include <vector>

namespace VerseStore {

size_t memorySlots = size_t(1) << 20; // 16 bytes each

namespace {

const QString Connection = QStringLiteral("tessaline-verses");

void exec(QSqlQuery& query, const QString& statement, const QString& path) {
    if (!query.exec(statement))
        throw Database::errorFrom(query.lastError(), path);
}

// The verse database open, its verse table checked, and closed again however the work ends.
class Opened {
public:
    explicit Opened(const QString& path) : m_connection(path, Connection) {
        VerseLibrary::checkTable(db(), path);
    }
    QSqlDatabase& db() { return m_connection.db(); }

private:
    Database::Connection m_connection;
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

// The rows already in the table, found by a digest of title and text; a digest that matches is
// confirmed against the row itself. The digests and their rows are kept in memory while they fit
// in a table of bounded size (16 MB: some 890,000 rows), then in a temporary table of the
// engine's (a file, with a cache of its own), so that memory stays bounded whatever the size of
// the file. A verse is
// added first and taken back when it turns out to be there already: one lookup of its digest
// instead of two, duplicates being the rare case.
class Seen {
public:
    Seen(QSqlDatabase& db, sqlite3* handle, const QString& path)
        : m_db(db), m_handle(handle), m_path(path) {
        m_row.emplace(handle, "SELECT title, text FROM verses WHERE rowid = ?", path);
        m_scan.emplace(handle,
                       "SELECT 1 FROM verses WHERE title = ? COLLATE BINARY AND text = ? "
                       "COLLATE BINARY AND rowid <> ? LIMIT 1",
                       path);
        resize(std::min<size_t>(1 << 12, memorySlots));
        Statement all(handle, "SELECT rowid, title, text FROM verses", path);
        while (all.step())
            noteOrFind(digest(all.text(1), all.text(2)), all.integer(0));
    }
    ~Seen() {
        m_find.reset();
        m_note.reset();
        m_row.reset();
        m_scan.reset();
        if (m_spilled)
            QSqlQuery(m_db).exec(QStringLiteral("DROP TABLE IF EXISTS temp.tessaline_seen"));
    }

    static qint64 digest(const QString& title, const QString& text) {
        return qint64(qHashMulti(0x7e55a11e, title, text));
    }

    // Notes the digest of the verse added as row; when the digest was there already, nothing is
    // noted and the row it was noted with is returned.
    std::optional<qint64> noteOrFind(qint64 key, qint64 row) {
        if (m_spilled) {
            m_note->bind(1, key);
            m_note->bind(2, row);
            m_note->step();
            m_note->reset();
            if (sqlite3_changes(m_handle) == 1)
                return std::nullopt;
            m_find->bind(1, key);
            const qint64 found = m_find->step() ? m_find->integer(0) : 0;
            m_find->reset();
            return found;
        }
        const quint64 stored = key == 0 ? 1 : quint64(key); // 0 marks an empty slot
        const size_t mask = m_keys.size() - 1;
        size_t slot = stored & mask;
        for (; m_keys[slot] != 0; slot = (slot + 1) & mask)
            if (m_keys[slot] == stored)
                return m_rows[slot];
        m_keys[slot] = stored;
        m_rows[slot] = row;
        ++m_count;
        const size_t most = memorySlots;
        if (m_keys.size() < most ? m_count * 4 > m_keys.size() * 3
                                 : m_count * 20 > m_keys.size() * 17)
            m_keys.size() < most ? resize(m_keys.size() * 2) : spill();
        return std::nullopt;
    }

    // Whether a row other than added holds the verse, whose digest was noted with noted.
    bool holdsOther(const Companion::Verse& verse, qint64 noted, qint64 added) {
        m_row->bind(1, noted);
        const bool same =
            m_row->step() && m_row->text(0) == verse.title && m_row->text(1) == verse.text;
        m_row->reset();
        if (same)
            return true;
        // Two different rows with the same digest: rare enough to look through the table.
        m_scan->bind(1, verse.title);
        m_scan->bind(2, verse.text);
        m_scan->bind(3, added);
        const bool found = m_scan->step();
        m_scan->reset();
        return found;
    }

private:
    void resize(size_t size) {
        std::vector<quint64> keys(size, 0);
        std::vector<qint64> rows(size, 0);
        std::swap(keys, m_keys);
        std::swap(rows, m_rows);
        m_count = 0;
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] != 0)
                noteOrFind(qint64(keys[i]), rows[i]);
    }

    void spill() {
        QSqlQuery query(m_db);
        exec(query,
             QStringLiteral("CREATE TEMP TABLE tessaline_seen (digest INTEGER PRIMARY KEY, "
                            "row INTEGER)"),
             m_path);
        m_find.emplace(m_handle, "SELECT row FROM temp.tessaline_seen WHERE digest = ?", m_path);
        m_note.emplace(m_handle, "INSERT OR IGNORE INTO temp.tessaline_seen VALUES (?, ?)", m_path);
        // In the order of the digests, so that each goes at the end of the table's tree; an
        // order of indexes costs less memory than sorted copies.
        std::vector<quint32> order;
        order.reserve(m_count);
        for (size_t i = 0; i < m_keys.size(); ++i)
            if (m_keys[i] != 0)
                order.push_back(quint32(i));
        std::sort(order.begin(), order.end(),
                  [this](quint32 a, quint32 b) { return qint64(m_keys[a]) < qint64(m_keys[b]); });
        std::vector<quint64> keys;
        std::vector<qint64> rows;
        std::swap(keys, m_keys);
        std::swap(rows, m_rows);
        m_spilled = true;
        for (const quint32 i : order)
            noteOrFind(qint64(keys[i]), rows[i]);
    }

    QSqlDatabase& m_db;
    sqlite3* m_handle;
    QString m_path;
    std::vector<quint64> m_keys; // in memory: open addressing, 0 for an empty slot
    std::vector<qint64> m_rows;
    size_t m_count = 0;
    bool m_spilled = false;
    std::optional<Statement> m_find, m_note, m_row, m_scan;
};

// Adds the verses on a connection that is already open (path names the file in messages).
Added addOn(QSqlDatabase& db, const QString& path, const Source& next,
            const std::function<void()>& afterEach) {
    QSqlQuery query(db);
    // Digests beyond what memory holds go to a temporary file, with a cache of their own.
    exec(query, QStringLiteral("PRAGMA temp_store = FILE"), path);
    exec(query, QStringLiteral("PRAGMA temp.cache_size = -8000"), path);
    // The write lock is taken first, so no other writer comes between the check for rows that
    // are already there and the inserts.
    exec(query, QStringLiteral("BEGIN IMMEDIATE"), path);
    try {
        Added result;
        {
            sqlite3* handle = handleOf(db);
            Seen seen(db, handle, path);
            Statement insert(handle, "INSERT INTO verses (title, text) VALUES (?, ?)", path);
            Statement takeBack(handle, "DELETE FROM verses WHERE rowid = ?", path);
            while (const std::optional<Companion::Verse> verse = next()) {
                insert.bind(1, verse->title);
                insert.bind(2, verse->text);
                insert.step();
                insert.reset();
                const qint64 row = sqlite3_last_insert_rowid(handle);
                const qint64 key = Seen::digest(verse->title, verse->text);
                const std::optional<qint64> noted = seen.noteOrFind(key, row);
                if (noted && seen.holdsOther(*verse, *noted, row)) {
                    takeBack.bind(1, row);
                    takeBack.step();
                    takeBack.reset();
                    ++result.skipped;
                } else {
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

} // namespace

Added add(const QString& path, const Source& next, const std::function<void()>& afterEach) {
    Opened opened(path);
    return addOn(opened.db(), path, next, afterEach);
}

Added add(const QString& path, const QList<Companion::Verse>& verses,
          const Companion::Progress& progress) {
    qsizetype done = 0;
    return add(
        path,
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

QList<Companion::Verse> readAll(const QString& path) {
    Opened opened(path);
    QSqlQuery query(opened.db());
    query.setForwardOnly(true);
    exec(query, QStringLiteral("SELECT title, text FROM verses ORDER BY title, rowid"), path);
    QList<Companion::Verse> verses;
    while (query.next())
        verses.append({query.value(0).toString(), query.value(1).toString()});
    return verses;
}

} // namespace VerseStore
