#pragma once

#include <QString>
#include <optional>

// A verses.mdb that Microsoft Access wrote, turned into the SQLite verse database the program
// uses, the original kept beside it.
namespace AccessConversion {

// Where the verses are in the Access file; names are found regardless of case.
struct Names {
    QString table = QStringLiteral("verses");
    QString title = QStringLiteral("title");
    QString text = QStringLiteral("text");
};

struct Converted {
    qsizetype verses = 0;
    QString keptAs; // the original's new path
};

// Nothing when the file at path is not an Access database. Otherwise reads the rows of the
// table, writes a new SQLite file with them in the same order beside path, keeps the original
// under the first free name of verses-access.mdb, verses-access-2.mdb, ... and renames the
// new file over path. Throws RuntimeError; every file is then as it was.
std::optional<Converted> convertIfAccess(const QString& path, const Names& names = {});

// What the user is told once the file at path was converted.
QString message(const QString& path, const Converted& converted);

// The names start-up converts with (tests point it at the tables of real Access files).
Names startUpNames();
void setStartUpNames(const Names& names);

} // namespace AccessConversion
