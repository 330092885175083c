#include "tests/support/testfiles.h"

#include "base/paths.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

TestProgramDir::TestProgramDir() {
    Paths::setProgramDir(m_dir.path());
}

TestProgramDir::~TestProgramDir() {
    Paths::resetProgramDir();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool writeVersesDb(const QString& path, const QList<VerseRow>& rows) {
    const QString name = QStringLiteral("test-writer");
    bool written = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QSqlQuery q(db);
        written = db.open() && q.exec(QStringLiteral("DROP TABLE IF EXISTS verses")) &&
                  q.exec(QStringLiteral("CREATE TABLE verses (title TEXT, text TEXT)")) &&
                  db.transaction() &&
                  q.prepare(QStringLiteral("INSERT INTO verses (title, text) VALUES (?, ?)"));
        for (const VerseRow& row : rows) {
            q.addBindValue(row.title);
            q.addBindValue(row.text);
            written = written && q.exec();
        }
        written = written && db.commit();
        if (!written)
            qWarning("%s: %s", qPrintable(path), qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(name);
    return written;
}

bool runSql(const QString& path, const QString& sql) {
    const QString name = QStringLiteral("test-sql");
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QSqlQuery q(db);
        done = db.open() && q.exec(sql);
        if (!done)
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(name);
    return done;
}

QList<VerseRow> readVersesDb(const QString& path) {
    QList<VerseRow> out;
    const QString name = QStringLiteral("test-reader");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(QStringLiteral("SELECT title, text FROM verses ORDER BY rowid"), db);
            while (q.next())
                out.append({q.value(0), q.value(1)});
        }
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}

OtherProgram::OtherProgram() : m_name(QStringLiteral("other-program")) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(Paths::versesPath());
    db.open();
}

OtherProgram::~OtherProgram() {
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

bool OtherProgram::exec(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    if (q.exec(sql))
        return true;
    qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return false;
}

QVariant OtherProgram::value(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    return q.exec(sql) && q.next() ? q.value(0) : QVariant();
}
