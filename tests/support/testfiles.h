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

// Tests that need file permissions to hold, or SIGXFSZ at its default (so that only the
// program's own start-up keeps a write past a size limit alive), run again in a child process:
// the current test function and data row, as the user nobody when the suite runs as root.
// True in that child.
bool inTestChild();

// What the child run by rerunInChild() gave: whether it ended in time (one that blocks, on a
// named pipe say, is killed), whether its test passed, and what it printed.
struct ChildVerdict {
    bool finished = false;
    bool passed = false;
    QByteArray output;
};
ChildVerdict rerunInChild(int timeoutMs);
