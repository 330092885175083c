#pragma once

#include <QString>

// The verse table, checked at start-up: the editor reads and writes its rows.
class VerseLibrary {
public:
    // How long a read waits for another program's lock (tests shorten it).
    static void setBusyTimeoutMs(int ms);

    // Checks that the file at path holds a readable table verses with columns title and
    // text. Throws RuntimeError. Only reads; the one write SQLite may make is rolling back a
    // change that a crash left half done.
    static void attach(const QString& path);
};
