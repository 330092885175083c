#pragma once

#include "app/accessconversion.h"
#include "companion/verse.h"

#include <QCommandLineOption>

class QCommandLineParser;

// tessaline-verses import of an Access database: which table and columns hold the verses.
namespace AccessImport {

// What --help says about Access files.
QString help();

// --table, --title-column and --text-column.
QList<QCommandLineOption> options();

// Empty when the Access options given fit the command and file; otherwise what is wrong.
QString misuse(const QCommandLineParser& parser, const QString& command, bool accessFile);

// The table and columns the command line names (defaults verses, title, text).
AccessConversion::Names names(const QCommandLineParser& parser);

// The verses of the file's table, in stored order. Throws RuntimeError naming a missing table
// or column and listing those there are.
QList<Companion::Verse> read(const QString& path, const AccessConversion::Names& names,
                             const Companion::Progress& progress = {});

} // namespace AccessImport
