#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

// What the tests of every layer use, widgets or not: a program directory and verse files.

// A fresh program directory for one test: the verses database and favourites file live here.
class TestProgramDir {
public:
    TestProgramDir();
    ~TestProgramDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// A verse row; a null QVariant is a NULL field.
struct VerseRow {
    QVariant title;
    QVariant text;
};

// Writes bytes to a file, replacing what it held.
[[nodiscard]] bool writeFile(const QString& path, const QByteArray& bytes);

// Writes a SQLite verses table with the rows in the given order.
[[nodiscard]] bool writeVersesDb(const QString& path, const QList<VerseRow>& rows);
QList<VerseRow> readVersesDb(const QString& path);
// Runs one statement on the SQLite file at path, as another program would.
[[nodiscard]] bool runSql(const QString& path, const QString& sql);
// A trigger that makes every change of a verse fail with "verses are read-only today".
inline const QString RefuseUpdatesSql =
    QStringLiteral("create trigger no_edits before update on verses begin "
                   "select raise(abort, 'verses are read-only today'); end");

// A second program's connection to the verse file, open until it goes.
class OtherProgram {
public:
    OtherProgram();
    ~OtherProgram();
    bool exec(const QString& sql);
    QVariant value(const QString& sql);

private:
    QString m_name;
};
