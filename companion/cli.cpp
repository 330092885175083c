#include "companion/cli.h"

#include "base/accessfile.h"
#include "base/paths.h"
#include "base/runtimeerror.h"
#include "companion/accessimport.h"
#include "companion/bibles.h"
#include "companion/versefile.h"
#include "companion/versestore.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSettings>
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

// The user's choices, kept in $XDG_CONFIG_HOME/tessaline/tessaline-verses.conf.
const QString DefaultBibleKey = QStringLiteral("defaultBible");

QString defaultBible() {
    return QSettings(QStringLiteral("tessaline"), QStringLiteral("tessaline-verses"))
        .value(DefaultBibleKey)
        .toString();
}

void setDefaultBible(const QString& name) {
    QSettings settings(QStringLiteral("tessaline"), QStringLiteral("tessaline-verses"));
    settings.setValue(DefaultBibleKey, name);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw RuntimeError(
            RuntimeError::PathFileAccess,
            QStringLiteral("Could not save the default Bible in '%1'.").arg(settings.fileName()));
}

// The command line: its options, and one function per command.
class Command {
public:
    Command(QTextStream& out, const RunSettings& settings)
        : m_out(out), m_settings(settings), m_progress(out, settings.progress) {
        m_parser.setApplicationDescription(
            QStringLiteral(
                "Adds verses to Tessaline's verse database from the Bibles installed for the SWORD "
                "library, or from files; exports them.\n\n"
                "Commands:\n"
                "  bibles                  list the installed Bibles (* marks the default)\n"
                "  add REFERENCE...        add verses, e.g. \"John 3:16\" \"Ps 23:1-3\"\n"
                "  import FILE             add the verses of a TSV, CSV or text file\n"
                "  export FILE             write every verse to a UTF-8 CSV file ('-': standard "
                "output)\n\n"
                "References name a book, then chapter and verse: \"John 3:16\", \"John 3:16-18\", "
                "\"John 3:16-4:2\", \"Ps 23\", \"Jude 3\", \"John 3:16; Rom 8:28\". Books may be "
                "written in English or in the Bible's own language (\"Juan 3:16\" in a Spanish "
                "Bible); titles are in the Bible's language. LANG and the other locale settings "
                "change neither.") +
            AccessImport::help());
        m_parser.addOptions({m_help, m_bible, m_default, m_eachVerse, m_format, m_db});
        m_parser.addOptions(AccessImport::options());
        m_parser.addPositionalArgument(QStringLiteral("command"),
                                       QStringLiteral("bibles, add, import or export."));
    }

    int run(const QStringList& arguments) {
        if (!m_parser.parse(arguments))
            throw UsageError{m_parser.errorText()};
        if (m_parser.isSet(m_help)) {
            m_out << m_parser.helpText();
            return 0;
        }
        const QStringList args = m_parser.positionalArguments();
        const QString command = args.value(0);
        m_operands = args.mid(1);
        m_accessFile = command == u"import" && m_operands.size() == 1 &&
                       AccessFile::hasSignature(m_operands[0]);
        if (const QString wrong = AccessImport::misuse(m_parser, command, m_accessFile);
            !wrong.isEmpty())
            throw UsageError{wrong};
        m_dbPath = m_parser.isSet(m_db) ? checkedName(m_parser.value(m_db)) : Paths::versesPath();
        if (command == u"bibles")
            return bibles();
        if (command == u"add")
            return add();
        if (command == u"import")
            return import();
        if (command == u"export")
            return exportAll();
        throw UsageError{command.isEmpty() ? QStringLiteral("No command given.")
                                           : QStringLiteral("Unknown command '%1'.").arg(command)};
    }

private:
    // Refuses the command's options that are not in allowed.
    void only(const QString& command, std::initializer_list<const QCommandLineOption*> allowed) {
        for (const QCommandLineOption* option : {&m_bible, &m_default, &m_eachVerse, &m_format})
            if (m_parser.isSet(*option) &&
                std::find(allowed.begin(), allowed.end(), option) == allowed.end())
                throw UsageError{QStringLiteral("--%1 does not apply to '%2'.")
                                     .arg(option->names().constFirst(), command)};
    }

    int bibles() {
        only(QStringLiteral("bibles"), {&m_default});
        if (!m_operands.isEmpty())
            throw UsageError{QStringLiteral("'bibles' takes no arguments.")};
        const Bibles bibles(m_settings.swordPath);
        if (m_parser.isSet(m_default)) {
            const BibleInfo chosen = bibles.choose(m_parser.value(m_default));
            setDefaultBible(chosen.name);
            m_out << QStringLiteral("'add' now takes verses from %1 (%2) when --bible is not "
                                    "given.\n")
                         .arg(chosen.name, chosen.abbreviation);
            return 0;
        }
        const QList<BibleInfo> list = bibles.list();
        if (list.isEmpty())
            bibles.choose({}); // says what to install
        const QString chosen = defaultBible();
        int nameWidth = 4, shortWidth = 5, languageWidth = 8;
        for (const BibleInfo& info : list) {
            nameWidth = qMax(nameWidth, int(info.name.size()));
            shortWidth = qMax(shortWidth, int(info.abbreviation.size()));
            languageWidth = qMax(languageWidth, int(info.language.size()));
        }
        const auto row = [&](const QString& a, const QString& b, const QString& c,
                             const QString& d) {
            m_out << a.leftJustified(nameWidth + 2) << b.leftJustified(shortWidth + 2)
                  << c.leftJustified(languageWidth + 2) << d << '\n';
        };
        row(QStringLiteral("NAME"), QStringLiteral("SHORT"), QStringLiteral("LANGUAGE"),
            QStringLiteral("DESCRIPTION"));
        for (const BibleInfo& info : list)
            row(info.name, info.abbreviation, info.language,
                info.description + (info.name == chosen ? QStringLiteral(" *") : QString()));
        if (list.size() > 1 && chosen.isEmpty())
            m_out << "\nNo default Bible: give --bible to 'add', or choose one with "
                     "'tessaline-verses bibles --default NAME'.\n";
        return 0;
    }

    int add() {
        only(QStringLiteral("add"), {&m_bible, &m_eachVerse});
        if (m_operands.isEmpty())
            throw UsageError{QStringLiteral("'add' needs at least one reference, such as "
                                            "\"John 3:16\".")};
        return addAll([&] {
            const Bibles bibles(m_settings.swordPath);
            const BibleInfo chosen = bibles.choose(m_parser.value(m_bible), defaultBible());
            const QList<Verse> verses = bibles.lookUp(
                chosen, m_operands, m_parser.isSet(m_eachVerse),
                m_progress.step(QStringLiteral("Reading %1").arg(chosen.abbreviation)));
            return VerseStore::add(m_dbPath, verses,
                                   m_progress.step(QStringLiteral("Adding to the database")));
        });
    }

    int import() {
        only(QStringLiteral("import"), {&m_format});
        if (m_operands.size() != 1)
            throw UsageError{QStringLiteral("'import' needs one file name.")};
        const QString file = m_operands[0];
        if (m_accessFile)
            return addAll([&] {
                const QList<Verse> verses =
                    AccessImport::read(file, AccessImport::names(m_parser),
                                       m_progress.step(QStringLiteral("Reading %1").arg(file)));
                return VerseStore::add(m_dbPath, verses,
                                       m_progress.step(QStringLiteral("Adding to the database")));
            });
        const std::optional<VerseFile::Format> format =
            m_parser.isSet(m_format) ? VerseFile::formatNamed(m_parser.value(m_format))
                                     : VerseFile::formatOf(file);
        if (!format)
            throw UsageError{m_parser.isSet(m_format)
                                 ? QStringLiteral("Unknown format '%1': use tsv, csv or text.")
                                       .arg(m_parser.value(m_format))
                                 : QStringLiteral("Cannot tell the format of '%1' from its "
                                                  "name: give --format tsv, csv or text.")
                                       .arg(file)};
        return addAll([&] {
            VerseFile::Reader reader(checkedName(file), *format);
            const Progress progress = m_progress.step(QStringLiteral("Adding to the database"));
            return VerseStore::add(
                m_dbPath, [&] { return reader.next(); },
                [&] {
                    if (progress)
                        progress(reader.position(), reader.size());
                });
        });
    }

    int exportAll() {
        only(QStringLiteral("export"), {});
        if (m_operands.size() != 1)
            throw UsageError{QStringLiteral("'export' needs one file name.")};
        const QString target = m_operands[0];
        const QList<Verse> verses = VerseStore::readAll(m_dbPath);
        const QByteArray bytes = VerseFile::csv(verses);
        if (target == u"-") {
            m_out << QString::fromUtf8(bytes) << Qt::flush; // nothing else: the data may be piped
            return 0;
        }
        VerseFile::write(checkedName(target), bytes);
        m_out << QStringLiteral("Wrote %1 to '%2'.\n")
                     .arg(count(verses.size(), "verse", "verses"), target);
        return 0;
    }

    // Adds the verses in one transaction and says how it went; on any failure says that nothing
    // was added.
    int addAll(const std::function<VerseStore::Added()>& work) {
        try {
            const VerseStore::Added added = work();
            m_progress.clear();
            reportAdded(m_out, added, m_dbPath);
            return 0;
        } catch (const RuntimeError& error) {
            throw RuntimeError(error.number(),
                               error.description() + QStringLiteral(" Nothing was added."));
        } catch (const std::bad_alloc&) {
            throw RuntimeError(RuntimeError::Internal,
                               QStringLiteral("There was not enough memory. Nothing was added."));
        }
    }

    // A name given on the command line that is not valid UTF-8 reaches us with replacement
    // characters; no file can be found under the name we have.
    QString checkedName(const QString& path) const {
        if (path.contains(QChar::ReplacementCharacter) && !QFileInfo::exists(path))
            throw RuntimeError(RuntimeError::PathFileAccess,
                               QStringLiteral("The name '%1' is not valid in the system's "
                                              "file-name encoding (UTF-8), so the file cannot be "
                                              "opened. Rename it, or give the name of a link to "
                                              "it.")
                                   .arg(path));
        return path;
    }

    QTextStream& m_out;
    const RunSettings& m_settings;
    ProgressLine m_progress;
    QCommandLineParser m_parser;
    QStringList m_operands;
    bool m_accessFile = false; // import of an Access database
    QString m_dbPath;

    const QCommandLineOption m_help{QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Show this help.")};
    const QCommandLineOption m_bible{
        QStringLiteral("bible"),
        QStringLiteral("add: the Bible to take verses from (module or short name; default: the "
                       "one set with 'bibles --default', else the only one)."),
        QStringLiteral("NAME")};
    const QCommandLineOption m_default{
        QStringLiteral("default"),
        QStringLiteral("bibles: the Bible 'add' uses when --bible is not given (kept in "
                       "$XDG_CONFIG_HOME/tessaline/)."),
        QStringLiteral("NAME")};
    const QCommandLineOption m_eachVerse{
        QStringLiteral("each-verse"),
        QStringLiteral("add: one row per verse instead of one per reference.")};
    const QCommandLineOption m_format{QStringLiteral("format"),
                                      QStringLiteral("import: tsv, csv or text (default: from "
                                                     "the file name's ending)."),
                                      QStringLiteral("FORMAT")};
    const QCommandLineOption m_db{QStringLiteral("db"),
                                  QStringLiteral("The verse database (default: Tessaline's own, "
                                                 "in ~/.local/share/tessaline when installed, "
                                                 "else beside the program)."),
                                  QStringLiteral("PATH")};
};

} // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err,
        const RunSettings& settings) {
    try {
        Command command(out, settings);
        return command.run(arguments);
    } catch (const UsageError& error) {
        err << "tessaline-verses: " << error.message << '\n' << "Try 'tessaline-verses --help'.\n";
        return 2;
    } catch (const RuntimeError& error) {
        err << "tessaline-verses: " << error.description() << '\n';
        return 1;
    }
}

} // namespace Companion
