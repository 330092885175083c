#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

// A database file made by Microsoft Access (Jet 3, Jet 4 or ACE), read through libmdb. Only
// reads: the file is never changed. Table and column names are found regardless of case, as
// Access finds them.
class AccessFile {
public:
    // True when the file begins with the signature of an Access database ("Standard Jet DB"
    // or "Standard ACE DB"), whatever its name.
    static bool hasSignature(const QString& path);

    // Opens the file. Throws RuntimeError when libmdb cannot read it (damaged, encrypted).
    explicit AccessFile(const QString& path);
    ~AccessFile();
    AccessFile(const AccessFile&) = delete;
    AccessFile& operator=(const AccessFile&) = delete;

    // The user's tables, in the order the file lists them (Access's own MSys tables left out).
    QStringList tables() const;

    // One value per column asked for; a NULL field is a null QVariant, any other a QString.
    using Row = QList<QVariant>;
    // Told how far the reading has got: rows read of the rows the table holds.
    using Progress = std::function<void(qint64 done, qint64 total)>;

    // The given columns of every row of the table, in the order the table stores them; deleted
    // rows are not read. Text comes back exactly: Jet 3 text in the file's code page, Jet 4
    // Unicode (compressed or not), memo values however long and wherever they are stored.
    // Throws RuntimeError naming a missing table (listing the tables there are), every missing
    // column (listing the columns there are), a column that holds no text, or damage found on
    // the way.
    QList<Row> rows(const QString& table, const QStringList& columns,
                    const Progress& progress = {}) const;

    // The same read in a child process, so that a file that makes libmdb crash or loop for
    // ever (some damaged ones do) ends in an error saying so rather than taking the program
    // with it: a child that stops making progress for the stall time is stopped.
    static QList<Row> readGuarded(const QString& path, const QString& table,
                                  const QStringList& columns, const Progress& progress = {});
    // How long readGuarded waits for a sign of progress (tests shorten it).
    static void setStallTimeoutMs(int ms);
    // The libmdb loaded when the first file is read (empty: its soname); tests name one that is
    // not there. A file that cannot be read for want of it throws RuntimeError 53.
    static void setLibraryFileName(const QString& fileName);

private:
    QString m_path;
    struct Handle;
    Handle* m_handle;
};
