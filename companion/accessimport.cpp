#include "companion/accessimport.h"

#include "app/accessfile.h"

#include <QCommandLineParser>

namespace AccessImport {
namespace {

const QString Table = QStringLiteral("table");
const QString TitleColumn = QStringLiteral("title-column");
const QString TextColumn = QStringLiteral("text-column");

} // namespace

QString help() {
    return QStringLiteral(
        "\n\nimport also reads an Access database (.mdb or .accdb, recognised by its contents\n"
        "whatever its name), such as a verses.mdb kept in Access: its table verses with\n"
        "columns title and text, unless --table, --title-column and --text-column name others.");
}

QList<QCommandLineOption> options() {
    return {QCommandLineOption(Table,
                               QStringLiteral("import of an Access database: the table holding "
                                              "the verses (default: verses)."),
                               QStringLiteral("NAME")),
            QCommandLineOption(TitleColumn,
                               QStringLiteral("import of an Access database: the column of the "
                                              "titles (default: title)."),
                               QStringLiteral("NAME")),
            QCommandLineOption(TextColumn,
                               QStringLiteral("import of an Access database: the column of the "
                                              "texts (default: text)."),
                               QStringLiteral("NAME"))};
}

QString misuse(const QCommandLineParser& parser, const QString& command, bool accessFile) {
    for (const QString& name : {Table, TitleColumn, TextColumn}) {
        if (!parser.isSet(name))
            continue;
        if (command != u"import")
            return QStringLiteral("--%1 does not apply to '%2'.").arg(name, command);
        if (!accessFile)
            return QStringLiteral("--%1 applies only to an Access database.").arg(name);
    }
    if (accessFile && parser.isSet(QStringLiteral("format")))
        return QStringLiteral("--format does not apply to an Access database.");
    return {};
}

AccessConversion::Names names(const QCommandLineParser& parser) {
    AccessConversion::Names names;
    if (parser.isSet(Table))
        names.table = parser.value(Table);
    if (parser.isSet(TitleColumn))
        names.title = parser.value(TitleColumn);
    if (parser.isSet(TextColumn))
        names.text = parser.value(TextColumn);
    return names;
}

QList<Companion::Verse> read(const QString& path, const AccessConversion::Names& names,
                             const Companion::Progress& progress) {
    const QList<AccessFile::Row> rows =
        AccessFile::readGuarded(path, names.table, {names.title, names.text}, progress);
    QList<Companion::Verse> verses;
    verses.reserve(rows.size());
    for (const AccessFile::Row& row : rows)
        verses.append({row[0].toString(), row[1].toString()});
    return verses;
}

} // namespace AccessImport
