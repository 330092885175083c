#pragma once

#include <QString>
#include <QStringList>

// Every row of table verses, in title order, at indexes counted from 1 (index 0 stays empty).
// Start-up only checks that the table can be read; the rows themselves are read the first
// time anything asks for them. Nothing in the program reads them today, and reading a whole
// Bible's worth at start-up would take several times the program's own start-up time and
// memory.
class VerseLibrary {
public:
    // How long a read waits for another program's lock (tests shorten it).
    static void setBusyTimeoutMs(int ms);

    // Checks that the file at path holds a readable table verses with columns title and
    // text. Throws RuntimeError. Only reads; the one write SQLite may make is rolling back a
    // change that a crash left half done.
    void attach(const QString& path);

    // These read every row on first use (RuntimeError if the file can no longer be read).
    qint32 count() const;
    // Empty for index 0 and for indexes past the last row; a NULL field reads as empty.
    QString title(qint32 k) const;
    QString text(qint32 k) const;

private:
    void load() const;

    QString m_path;
    mutable bool m_loaded = false;
    mutable QStringList m_titles;
    mutable QStringList m_texts;
};
