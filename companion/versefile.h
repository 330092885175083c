#pragma once

#include "companion/verse.h"

#include <memory>
#include <optional>

// Files of verses: TSV and CSV (columns title and text, header row optional, fields quoted as
// spreadsheets quote them) and plain text (a title line, then text lines; passages separated by
// blank lines).
namespace VerseFile {

enum class Format { Tsv, Csv, Text };

// "tsv", "csv" or "text".
std::optional<Format> formatNamed(const QString& name);
// From the file name's ending (.tsv, .csv, .txt); nothing when it tells none.
std::optional<Format> formatOf(const QString& path);

// Reads a file's verses one at a time, holding only a small part of the file in memory. The
// file is UTF-8, UTF-16 with a byte-order mark, or else Windows-1252.
class Reader {
public:
    // Opens the file. Throws RuntimeError.
    Reader(const QString& path, Format format);
    ~Reader();

    // The next verse; nothing at the end of the file. Throws RuntimeError naming the file, line
    // and column of the first fault, or "holds no verses" when the file ends without one.
    std::optional<Companion::Verse> next();

    // How far reading has got, in bytes of the file, and the file's size (0 when unknown).
    qint64 position() const;
    qint64 size() const;

private:
    struct Source;
    std::unique_ptr<Source> m_source;
    Format m_format;
    bool m_seenRecord = false;
    bool m_seenVerse = false;
};

// UTF-8 CSV with a header row, fields quoted where they need it, lines ended by CR LF.
QByteArray csv(const QList<Companion::Verse>& verses);

// Writes bytes to path: a regular file (or a new one) all or nothing, through a temporary file
// renamed into place; a pipe, device or other special file directly; "-" to standard output.
// Throws RuntimeError.
void write(const QString& path, const QByteArray& bytes);

} // namespace VerseFile
