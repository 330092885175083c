#pragma once

#include <QSqlDatabase>
#include <QString>

// The verse table the program reads and the editor writes: a table verses with the columns
// title and text.
namespace VerseLibrary {

// Checks that the open connection db (to the file at path) holds a readable verse table.
// Throws RuntimeError naming the file: the engine's error, or the columns the table lacks.
void checkTable(QSqlDatabase& db, const QString& path);

// Opens the file at path, checks its verse table, and closes it again: start-up's check.
// Throws RuntimeError. Only reads; the one write SQLite may make is rolling back a change
// that a crash left half done.
void checkFile(const QString& path);

} // namespace VerseLibrary
