#pragma once

#include "companion/verse.h"

#include <optional>

// Files of verses: TSV and CSV (columns title and text, header row optional) and plain text
// (a title line, then text lines; passages separated by blank lines).
namespace VerseFile {

enum class Format { Tsv, Csv, Text };

// "tsv", "csv" or "text".
std::optional<Format> formatNamed(const QString& name);
// From the file name's ending (.tsv, .csv, .txt); nothing when it tells none.
std::optional<Format> formatOf(const QString& path);

// The verses of a file's text. Throws RuntimeError naming the file, line and column of the
// first fault.
QList<Companion::Verse> parse(const QString& content, Format format, const QString& fileName);

// Reads the file (UTF-8 or Windows-1252) and parses it. Throws RuntimeError.
QList<Companion::Verse> read(const QString& path, Format format);

// UTF-8 CSV with a header row, fields quoted where they need it, lines ended by CR LF.
QByteArray csv(const QList<Companion::Verse>& verses);

// Writes bytes to path, all or nothing. Throws RuntimeError.
void write(const QString& path, const QByteArray& bytes);

} // namespace VerseFile
