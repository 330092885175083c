#include "companion/cli.h"

#include "base/accessfile.h"
#include "base/paths.h"
#include "base/runtimeerror.h"
#include "companion/accessimport.h"
#include "companion/bibles.h"
#include "companion/versefile.h"
#include "companion/versestore.h"

#include <QCommandLineParser>
#include <QTextStream>
#include <functional>

namespace Companion {
namespace {

QString count(qsizetype n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

struct UsageError {
    QString message;
};

// One line rewritten in place while long work runs; nothing unless the output is a terminal.
class ProgressLine {
public:
    ProgressLine(QTextStream& out, bool enabled) : m_out(out), m_enabled(enabled) {}
    ~ProgressLine() { clear(); }

    Progress step(const QString& label) {
        if (!m_enabled)
            return {};
        return [this, label](qint64 done, qint64 total) {
            const int percent = total > 0 ? int(qMin<qint64>(100, done * 100 / total)) : 0;
            if (label == m_label && percent == m_percent)
                return;
            m_label = label;
            m_percent = percent;
            const QString line = QStringLiteral("%1: %2%").arg(label).arg(percent);
            m_out << '\r' << line.leftJustified(m_width) << Qt::flush;
            m_width = qMax(m_width, int(line.size()));
        };
    }

    void clear() {
        if (m_width > 0)
            m_out << '\r' << QString(m_width, u' ') << '\r' << Qt::flush;
        m_width = 0;
        m_label.clear();
    }

private:
    QTextStream& m_out;
    bool m_enabled;
    QString m_label;
    int m_percent = -1;
    int m_width = 0;
};

void reportAdded(QTextStream& out, const VerseStore::Added& added, const QString& path) {
    out << QStringLiteral("Added %1 to '%2'.").arg(count(added.added, "verse", "verses"), path);
    if (added.skipped > 0)
        out << QStringLiteral(" Skipped %1 already there (same title and text).")
                   .arg(count(added.skipped, "verse", "verses"));
    out << '\n';
}

// Gathers the verses, then adds them in one transaction and says how it went; on any failure
// says that nothing was added.
int addAll(const std::function<QList<Verse>()>& gather, const QString& dbPath,
           ProgressLine& progress, QTextStream& out) {
    try {
        const QList<Verse> verses = gather();
        const VerseStore::Added added = VerseStore::add(
            dbPath, verses, progress.step(QStringLiteral("Adding to the database")));
        progress.clear();
        reportAdded(out, added, dbPath);
        return 0;
    } catch (const RuntimeError& error) {
        throw RuntimeError(error.number(),
                           error.description() + QStringLiteral(" Nothing was added."));
    }
}

} // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err,
        const RunSettings& settings) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Adds verses to Tessaline's verse database from the Bibles installed for "
                       "the SWORD library, or from files; exports them.\n\n"
                       "Commands:\n"
                       "  bibles                  list the installed Bibles\n"
                       "  add REFERENCE...        add verses, e.g. \"John 3:16\" \"Ps 23:1-3\"\n"
                       "  import FILE             add the verses of a TSV, CSV or text file\n"
                       "  export FILE             write every verse to a UTF-8 CSV file") +
        AccessImport::help());
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption bible(QStringLiteral("bible"),
                                   QStringLiteral("add: the Bible to take verses from (module or "
                                                  "short name; default: the only one)."),
                                   QStringLiteral("NAME"));
    const QCommandLineOption eachVerse(QStringLiteral("each-verse"),
                                       QStringLiteral("add: one row per verse instead of one per "
                                                      "reference."));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("import: tsv, csv or text (default: from the "
                                                   "file name's ending)."),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption db(QStringLiteral("db"),
                                QStringLiteral("The verse database (default: Tessaline's own, "
                                               "in ~/.local/share/tessaline when installed, "
                                               "else beside the program)."),
                                QStringLiteral("PATH"));
    parser.addOptions({help, bible, eachVerse, format, db});
    parser.addOptions(AccessImport::options());
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("bibles, add, import or export."));

    try {
        if (!parser.parse(arguments))
            throw UsageError{parser.errorText()};
        if (parser.isSet(help)) {
            out << parser.helpText();
            return 0;
        }
        const QStringList args = parser.positionalArguments();
        const QString command = args.value(0);
        const QStringList operands = args.mid(1);
        const bool accessFile =
            command == u"import" && operands.size() == 1 && AccessFile::hasSignature(operands[0]);
        if (const QString wrong = AccessImport::misuse(parser, command, accessFile);
            !wrong.isEmpty())
            throw UsageError{wrong};
        const auto only = [&](const QString& name,
                              std::initializer_list<const QCommandLineOption*> allowed) {
            for (const QCommandLineOption* option : {&bible, &eachVerse, &format})
                if (parser.isSet(*option) &&
                    std::find(allowed.begin(), allowed.end(), option) == allowed.end())
                    throw UsageError{QStringLiteral("--%1 does not apply to '%2'.")
                                         .arg(option->names().constFirst(), name)};
        };
        const QString dbPath = parser.isSet(db) ? parser.value(db) : Paths::versesPath();
        ProgressLine progress(out, settings.progress);

        if (command == u"bibles") {
            only(command, {});
            if (!operands.isEmpty())
                throw UsageError{QStringLiteral("'bibles' takes no arguments.")};
            const Bibles bibles(settings.swordPath);
            const QList<BibleInfo> list = bibles.list();
            if (list.isEmpty())
                bibles.choose({}); // says what to install
            int nameWidth = 4, shortWidth = 5, languageWidth = 8;
            for (const BibleInfo& info : list) {
                nameWidth = qMax(nameWidth, int(info.name.size()));
                shortWidth = qMax(shortWidth, int(info.abbreviation.size()));
                languageWidth = qMax(languageWidth, int(info.language.size()));
            }
            const auto row = [&](const QString& a, const QString& b, const QString& c,
                                 const QString& d) {
                out << a.leftJustified(nameWidth + 2) << b.leftJustified(shortWidth + 2)
                    << c.leftJustified(languageWidth + 2) << d << '\n';
            };
            row(QStringLiteral("NAME"), QStringLiteral("SHORT"), QStringLiteral("LANGUAGE"),
                QStringLiteral("DESCRIPTION"));
            for (const BibleInfo& info : list)
                row(info.name, info.abbreviation, info.language, info.description);
            return 0;
        }
        if (command == u"add") {
            only(command, {&bible, &eachVerse});
            if (operands.isEmpty())
                throw UsageError{QStringLiteral("'add' needs at least one reference, such as "
                                                "\"John 3:16\".")};
            return addAll(
                [&] {
                    const Bibles bibles(settings.swordPath);
                    const BibleInfo chosen = bibles.choose(parser.value(bible));
                    return bibles.lookUp(
                        chosen, operands, parser.isSet(eachVerse),
                        progress.step(QStringLiteral("Reading %1").arg(chosen.abbreviation)));
                },
                dbPath, progress, out);
        }
        if (command == u"import") {
            only(command, {&format});
            if (operands.size() != 1)
                throw UsageError{QStringLiteral("'import' needs one file name.")};
            const QString file = operands[0];
            if (accessFile)
                return addAll(
                    [&] {
                        return AccessImport::read(
                            file, AccessImport::names(parser),
                            progress.step(QStringLiteral("Reading %1").arg(file)));
                    },
                    dbPath, progress, out);
            std::optional<VerseFile::Format> fileFormat =
                parser.isSet(format) ? VerseFile::formatNamed(parser.value(format))
                                     : VerseFile::formatOf(file);
            if (!fileFormat)
                throw UsageError{parser.isSet(format)
                                     ? QStringLiteral("Unknown format '%1': use tsv, csv or text.")
                                           .arg(parser.value(format))
                                     : QStringLiteral("Cannot tell the format of '%1' from its "
                                                      "name: give --format tsv, csv or text.")
                                           .arg(file)};
            return addAll([&] { return VerseFile::read(file, *fileFormat); }, dbPath, progress,
                          out);
        }
        if (command == u"export") {
            only(command, {});
            if (operands.size() != 1)
                throw UsageError{QStringLiteral("'export' needs one file name.")};
            const QList<Verse> verses = VerseStore::readAll(dbPath);
            VerseFile::write(operands[0], VerseFile::csv(verses));
            out << QStringLiteral("Wrote %1 to '%2'.\n")
                       .arg(count(verses.size(), "verse", "verses"), operands[0]);
            return 0;
        }
        throw UsageError{command.isEmpty() ? QStringLiteral("No command given.")
                                           : QStringLiteral("Unknown command '%1'.").arg(command)};
    } catch (const UsageError& error) {
        err << "tessaline-verses: " << error.message << '\n' << "Try 'tessaline-verses --help'.\n";
        return 2;
    } catch (const RuntimeError& error) {
        err << "tessaline-verses: " << error.description() << '\n';
        return 1;
    }
}

} // namespace Companion
