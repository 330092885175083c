// Builds the sample verse database, and optionally the starter favourites, from their readable
// sources:
//
//     tessaline_mkdb <source.txt> <out.db> [<favourites.txt> <out favs.ini>]
//
// The source holds comment lines starting with '#' and verses, each a line "== <title>"
// followed by its text on the next lines up to a blank line. The database gets one table,
// verses (title TEXT, text TEXT), filled in the order of the source. The favourites source
// lists titles of those verses, one a line ('#' starts a comment); favs.ini gets them in the
// program's own layout.

#include "app/cp1252.h"
#include "app/database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringDecoder>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

struct Verse {
    QString title;
    QString text;
    int line = 0;
};

[[noreturn]] void fail(const QString& message) {
    std::fprintf(stderr, "tessaline_mkdb: %s\n", qPrintable(message));
    std::exit(1);
}

// The program shows text in Windows-1252, so anything outside it would turn into "?".
bool inCp1252(char32_t c) {
    if (c >= 0x20 && c <= 0x7e)
        return true;
    if (c >= 0xa0 && c <= 0xff)
        return true;
    switch (c) {
    case 0x20ac:
    case 0x201a:
    case 0x0192:
    case 0x201e:
    case 0x2026:
    case 0x2020:
    case 0x2021:
    case 0x02c6:
    case 0x2030:
    case 0x0160:
    case 0x2039:
    case 0x0152:
    case 0x017d:
    case 0x2018:
    case 0x2019:
    case 0x201c:
    case 0x201d:
    case 0x2022:
    case 0x2013:
    case 0x2014:
    case 0x02dc:
    case 0x2122:
    case 0x0161:
    case 0x203a:
    case 0x0153:
    case 0x017e:
    case 0x0178:
        return true;
    default:
        return false;
    }
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    return file.readAll();
}

QList<Verse> parse(const QString& path) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString content = decoder.decode(readAll(path));
    if (decoder.hasError())
        fail(QStringLiteral("%1 is not valid UTF-8").arg(path));

    const QString name = QFileInfo(path).fileName();
    auto where = [&name](int line) { return QStringLiteral("%1:%2: ").arg(name).arg(line); };

    QList<Verse> verses;
    bool open = false; // a title was read and its text has not ended yet
    auto finish = [&]() {
        if (open && verses.last().text.isEmpty())
            fail(where(verses.last().line) +
                 QStringLiteral("verse \"%1\" has no text").arg(verses.last().title));
        open = false;
    };

    const QStringList lines = content.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int number = i + 1;
        QString line = lines[i].trimmed();
        if (i == 0 && line.startsWith(QChar(0xfeff)))
            line = line.mid(1).trimmed();
        if (line.startsWith(QLatin1Char('#')))
            continue;
        if (line.isEmpty()) {
            finish();
            continue;
        }
        for (char32_t c : line.toUcs4())
            if (!inCp1252(c))
                fail(where(number) + QStringLiteral("character U+%1 is not in Windows-1252")
                                         .arg(QString::number(static_cast<uint>(c), 16)
                                                  .toUpper()
                                                  .rightJustified(4, QLatin1Char('0'))));
        if (line.startsWith(QLatin1String("=="))) {
            finish();
            const QString title = line.mid(2).trimmed();
            if (title.isEmpty())
                fail(where(number) + QStringLiteral("a verse needs a title after \"==\""));
            verses.append({title, QString(), number});
            open = true;
            continue;
        }
        if (!open)
            fail(where(number) + QStringLiteral("text outside a verse; start one with \"== "
                                                "<title>\" and end it with a blank line"));
        QString& text = verses.last().text;
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += line;
    }
    finish();
    if (verses.isEmpty())
        fail(QStringLiteral("%1 holds no verses").arg(path));
    return verses;
}

// Writes the whole database under a temporary name; only a complete file takes the final name.
void write(const QList<Verse>& verses, const QString& outPath, const QString& tempPath) {
    const QString connection = QStringLiteral("tessaline_mkdb");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(tempPath);
        if (!db.open())
            fail(QStringLiteral("cannot create %1: %2").arg(tempPath, db.lastError().text()));
        QSqlQuery query(db);
        auto run = [&](bool ok) {
            if (!ok)
                fail(QStringLiteral("writing %1 failed: %2")
                         .arg(outPath, query.lastError().isValid() ? query.lastError().text()
                                                                   : db.lastError().text()));
        };
        run(query.exec(QLatin1String(Database::CreateVersesTableSql)));
        run(db.transaction());
        run(query.prepare(QStringLiteral("INSERT INTO verses (title, text) VALUES (?, ?)")));
        for (const Verse& verse : verses) {
            query.bindValue(0, verse.title);
            query.bindValue(1, verse.text);
            run(query.exec());
        }
        query.finish();
        run(db.commit());
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);

    std::error_code error;
    std::filesystem::rename(std::filesystem::path(tempPath.toStdU16String()),
                            std::filesystem::path(outPath.toStdU16String()), error);
    if (error)
        fail(QStringLiteral("cannot rename %1 to %2: %3")
                 .arg(tempPath, outPath, QString::fromStdString(error.message())));
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

// Six slots of text line and title line, each ended by CR LF, in Windows-1252.
void writeFavourites(const QList<Verse>& verses, const QString& titlesPath,
                     const QString& outPath) {
    QStringList chosen;
    for (const QString& raw : QString::fromUtf8(readAll(titlesPath)).split(QLatin1Char('\n'))) {
        const QString title = raw.trimmed();
        if (!title.isEmpty() && !title.startsWith(QLatin1Char('#')))
            chosen.append(title);
    }
    constexpr int Slots = 6;
    if (chosen.size() > Slots)
        fail(QStringLiteral("%1 names %2 verses; favs.ini holds %3")
                 .arg(titlesPath)
                 .arg(chosen.size())
                 .arg(Slots));
    QString content;
    for (int slot = 0; slot < Slots; ++slot) {
        QString text, title;
        if (slot < chosen.size()) {
            const auto found = std::find_if(verses.begin(), verses.end(), [&](const Verse& v) {
                return v.title == chosen[slot];
            });
            if (found == verses.end())
                fail(QStringLiteral("%1: no sample verse is titled \"%2\"")
                         .arg(titlesPath, chosen[slot]));
            text = found->text;
            title = found->title;
        }
        content += text + QLatin1String("\r\n") + title + QLatin1String("\r\n");
    }
    writeAll(outPath, Cp1252::encode(content));
}

QString tempPathFor(const QString& outPath) {
    return outPath + QStringLiteral(".tmp");
}

void removeTemp(const QString& tempPath) {
    QFile::remove(tempPath);
    QFile::remove(tempPath + QStringLiteral("-journal"));
}

QString tempToClean;

void cleanUpAtExit() {
    if (!tempToClean.isEmpty())
        removeTemp(tempToClean);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 && args.size() != 5) {
        std::fprintf(stderr, "usage: tessaline_mkdb <source.txt> <out.db> [<favourites.txt> "
                             "<out favs.ini>]\n");
        return 2;
    }
    const QString sourcePath = args[1];
    const QString outPath = args[2];

    const QList<Verse> verses = parse(sourcePath);

    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        fail(QStringLiteral("the Qt SQLite driver (QSQLITE) is not available"));
    const QString outDir = QFileInfo(outPath).absolutePath();
    if (!QDir().mkpath(outDir))
        fail(QStringLiteral("cannot create folder %1").arg(outDir));

    // A leftover from an interrupted run would make CREATE TABLE fail.
    const QString tempPath = tempPathFor(outPath);
    removeTemp(tempPath);
    tempToClean = tempPath;
    std::atexit(cleanUpAtExit);

    write(verses, outPath, tempPath);
    tempToClean.clear();
    if (args.size() == 5)
        writeFavourites(verses, args[3], args[4]);
    std::printf("tessaline_mkdb: wrote %lld verses to %s\n", static_cast<long long>(verses.size()),
                qPrintable(QDir::toNativeSeparators(outPath)));
    return 0;
}
