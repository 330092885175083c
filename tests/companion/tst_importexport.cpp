#include "base/paths.h"
#include "base/runtimeerror.h"
#include "companion/versestore.h"
#include "tests/companion/companiontest.h"

#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

using Companion::Verse;

namespace {

const Verse Existing{QStringLiteral("Mine"), QStringLiteral("A verse typed in the editor.")};

// Limits the size of files this process writes; a write beyond it fails with EFBIG instead of
// ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// A disk that fills up: while it lives, the database engine's writes that would take a file past
// `bytes` fail as they fail on a full disk. Connections opened meanwhile use it.
class FullDisk {
public:
    explicit FullDisk(qint64 bytes) {
        s_bytes = bytes;
        s_real = sqlite3_vfs_find(nullptr);
        m_vfs = *s_real;
        m_vfs.zName = "full-disk";
        m_vfs.xOpen = &open;
        sqlite3_vfs_register(&m_vfs, 1);
    }
    ~FullDisk() { sqlite3_vfs_unregister(&m_vfs); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    // The engine's own file methods with the write replaced; `real` says where to go on.
    struct Methods {
        sqlite3_io_methods methods;
        const sqlite3_io_methods* real;
    };

    static int open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out) {
        const int rc = s_real->xOpen(s_real, name, file, flags, out);
        if (rc == SQLITE_OK && file->pMethods) {
            auto& wrapped = s_methods[file->pMethods];
            if (!wrapped) {
                wrapped = std::make_unique<Methods>(Methods{*file->pMethods, file->pMethods});
                wrapped->methods.xWrite = &write;
            }
            file->pMethods = &wrapped->methods;
        }
        return rc;
    }
    static int write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
        if (offset + amount > s_bytes)
            return SQLITE_FULL;
        const auto* wrapped = reinterpret_cast<const Methods*>(file->pMethods);
        return wrapped->real->xWrite(file, data, amount, offset);
    }

    sqlite3_vfs m_vfs{};
    static inline sqlite3_vfs* s_real = nullptr;
    static inline qint64 s_bytes = 0;
    static inline std::map<const sqlite3_io_methods*, std::unique_ptr<Methods>> s_methods;
};

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

// tessaline-verses import / export: the file formats, their encodings, and faults in files and
// in the database, which leave the table as it was.
class TestImportExport : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;

private slots:
    void init() {
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(writeVerses(Paths::versesPath(), {Existing}));
    }
    void cleanup() { dir.reset(); }

    // Each file is imported, the table exported, and the export imported into an empty table:
    // both imports hold the same verses.
    void importsAndRoundTrips_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("format"); // empty: from the file name
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<Verse>>("verses");

        const QList<Verse> two{{"John 3:16", "For God so loved the world"},
                               {"Ps 23:1", "Yahweh is my shepherd"}};
        QTest::newRow("tsv with header") << "v.tsv"
                                         << ""
                                         << QByteArray("title\ttext\nJohn 3:16\tFor God so loved "
                                                       "the world\nPs 23:1\tYahweh is my "
                                                       "shepherd\n")
                                         << two;
        QTest::newRow("tsv, CR LF, no header, no last line end")
            << "v.TSV"
            << ""
            << QByteArray("John 3:16\tFor God so loved the world\r\n\r\nPs 23:1\tYahweh is my "
                          "shepherd")
            << two;
        QTest::newRow("csv with quotes, commas and line breaks")
            << "v.csv"
            << ""
            << QByteArray("Title,Text\r\n\"Ps 23:1, WEB\",\"He said, \"\"Come\"\"\r\nand "
                          "rest\"\r\nJohn 3:16,For God so loved the world\r\n")
            << QList<Verse>{{"Ps 23:1, WEB", "He said, \"Come\"\r\nand rest"},
                            {"John 3:16", "For God so loved the world"}};
        QTest::newRow("csv without header, empty quoted lines")
            << "v.csv"
            << ""
            << QByteArray("\"John 3:16\",\"For God so loved the world\"\n\nPs 23:1,Yahweh is my "
                          "shepherd")
            << two;
        QTest::newRow("text passages")
            << "v.txt"
            << ""
            << QByteArray("John 3:16\nFor God so loved\n  the world\n\n\n \nPs 23:1\nYahweh is my "
                          "shepherd\n")
            << QList<Verse>{{"John 3:16", "For God so loved the world"},
                            {"Ps 23:1", "Yahweh is my shepherd"}};
        QTest::newRow("Windows-1252")
            << "v.tsv"
            << "" << QByteArray("Caf\xe9 1:1\t\x93Quoted\x94 \x96 and so on\x85\n")
            << QList<Verse>{{QStringLiteral("Café 1:1"), QStringLiteral("“Quoted” – and so on…")}};
        QTest::newRow("UTF-8 with byte-order mark")
            << "v.txt"
            << ""
            << QByteArray("\xef\xbb\xbf"
                          "Café 1:1\n“Quoted” – and so on…\n")
            << QList<Verse>{{QStringLiteral("Café 1:1"), QStringLiteral("“Quoted” – and so on…")}};
        QTest::newRow("tsv quoted as spreadsheets write it")
            << "v.tsv"
            << ""
            << QByteArray("\"Hope\"\t\"\"\"Hope\"\" is the thing with feathers\"\r\n"
                          "\"Two\tlines\"\t\"one\r\ntwo\"\r\nPlain\tsays \"hi\"\r\n")
            << QList<Verse>{{"Hope", "\"Hope\" is the thing with feathers"},
                            {"Two\tlines", "one\r\ntwo"},
                            {"Plain", "says \"hi\""}};
        QTest::newRow("empty fields a spreadsheet adds at a row's end")
            << "v.csv"
            << "" << QByteArray("title,text,,\r\nJohn 3:16,For God,,\r\nPs 23:1,Yahweh,\r\n")
            << QList<Verse>{{"John 3:16", "For God"}, {"Ps 23:1", "Yahweh"}};
        QTest::newRow("empty title and empty text")
            << "v.csv"
            << "" << QByteArray(",text without a title\r\ntitle without a text,\r\n")
            << QList<Verse>{{"", "text without a title"}, {"title without a text", ""}};
        const QString utf16 =
            QStringLiteral("\ufeffCafé 1:1\t“Quoted” – and so on…\nPs 23:1\tYahweh");
        QByteArray le, be;
        for (const QChar c : utf16) {
            le.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
            be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xff));
        }
        const QList<Verse> fromUtf16{
            {QStringLiteral("Café 1:1"), QStringLiteral("“Quoted” – and so on…")},
            {"Ps 23:1", "Yahweh"}};
        QTest::newRow("UTF-16 little-endian, no last line end") << "v.tsv"
                                                                << "" << le << fromUtf16;
        QTest::newRow("UTF-16 big-endian, no last line end") << "v.tsv"
                                                             << "" << be << fromUtf16;
        // Characters of three bytes across every boundary of the chunks the file is read in.
        const QString euros = QString(120000, u'€');
        QTest::newRow("long UTF-8 text")
            << "v.tsv"
            << "" << ("Euros\t" + euros + "\n").toUtf8() << QList<Verse>{{"Euros", euros}};
        QTest::newRow("format given, against the name")
            << "verses.dat"
            << "CSV" << QByteArray("John 3:16,For God so loved the world\n")
            << QList<Verse>{{"John 3:16", "For God so loved the world"}};
    }
    void importsAndRoundTrips() {
        QFETCH(QString, fileName);
        QFETCH(QString, format);
        QFETCH(QByteArray, bytes);
        QFETCH(QList<Verse>, verses);

        const QString file = dir->file(fileName);
        QVERIFY(writeFile(file, bytes));
        QStringList arguments{QStringLiteral("import"), file};
        if (!format.isEmpty())
            arguments << QStringLiteral("--format") << format;
        CompanionRun run = runCompanion(arguments);
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QCOMPARE(versesIn(Paths::versesPath()), QList<Verse>{Existing} + verses);

        const QString exported = dir->file(QStringLiteral("out.csv"));
        run = runCompanion({QStringLiteral("export"), exported});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QVERIFY(readFile(exported).startsWith("title,text\r\n"));
        const QString empty = dir->file(QStringLiteral("empty.mdb"));
        QVERIFY(writeVerses(empty, {}));
        run = runCompanion({QStringLiteral("import"), exported, QStringLiteral("--db"), empty});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QList<Verse> byTitle = versesIn(Paths::versesPath());
        std::stable_sort(byTitle.begin(), byTitle.end(),
                         [](const Verse& a, const Verse& b) { return a.title < b.title; });
        QCOMPARE(versesIn(empty), byTitle);
    }

    void exportWritesUtf8Csv() {
        QVERIFY(writeVerses(
            Paths::versesPath(),
            {{QStringLiteral("Ps 23:1"), QStringLiteral("Yahweh is my shepherd")},
             {QStringLiteral("Café, \"1\""), QStringLiteral("Line one\nline two – end")}}));
        const QString file = dir->file(QStringLiteral("backup.csv"));
        const CompanionRun run = runCompanion({QStringLiteral("export"), file});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("Wrote 2 verses to '%1'.\n").arg(file));
        QCOMPARE(readFile(file), QByteArray("title,text\r\n"
                                            "\"Caf\xc3\xa9, \"\"1\"\"\",\"Line one\nline two "
                                            "\xe2\x80\x93 end\"\r\n"
                                            "Ps 23:1,Yahweh is my shepherd\r\n"));
    }

    // Whatever the table holds, export writes it so that import reads back the same rows (a NULL
    // comes back empty).
    void exportThenImportGivesTheSameRows() {
        const QList<VerseRow> rows{
            {QStringLiteral("title"), QStringLiteral("text")},
            {QVariant(), QStringLiteral("no title (NULL)")},
            {QString(""), QStringLiteral("empty title")},
            {QStringLiteral("empty text"), QString("")},
            {QStringLiteral("line ends"), QStringLiteral("CR LF\r\nLF\nCR\rend")},
            {QStringLiteral(" blanks "), QStringLiteral("\ttab, \"quotes\", comma ")},
            {QStringLiteral("%1 %2"), QStringLiteral("%3")}};
        QVERIFY(writeVersesDb(Paths::versesPath(), rows));
        const QString file = dir->file(QStringLiteral("all.csv"));
        CompanionRun run = runCompanion({QStringLiteral("export"), file});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        const QString copy = dir->file(QStringLiteral("copy.mdb"));
        QVERIFY(writeVerses(copy, {}));
        run = runCompanion({QStringLiteral("import"), file, QStringLiteral("--db"), copy});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QList<Verse> expected;
        for (const VerseRow& row : rows)
            expected.append({row.title.toString(), row.text.toString()});
        std::stable_sort(expected.begin(), expected.end(),
                         [](const Verse& a, const Verse& b) { return a.title < b.title; });
        QCOMPARE(versesIn(copy), expected);
    }

    // A pipe or device is written to, never replaced by a new file; "-" is standard output.
    void exportWritesToPipesAndDevices() {
        const QByteArray expected = "title,text\r\nMine,A verse typed in the editor.\r\n";
        const QString fifo = dir->file(QStringLiteral("pipe"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QByteArray piped;
        std::thread reader([&] {
            QFile in(fifo);
            if (in.open(QIODevice::ReadOnly))
                piped = in.readAll();
        });
        CompanionRun run = runCompanion({QStringLiteral("export"), fifo});
        reader.join();
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QCOMPARE(piped, expected);
        struct stat info {};
        QVERIFY(stat(QFile::encodeName(fifo).constData(), &info) == 0 && S_ISFIFO(info.st_mode));

        run = runCompanion({QStringLiteral("export"), QStringLiteral("-")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out.toUtf8(), expected);

        run = runCompanion({QStringLiteral("export"), QStringLiteral("/dev/full")});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, QStringLiteral("tessaline-verses: Could not write '/dev/full': the disk "
                                         "is full.\n"));
        QVERIFY(stat("/dev/full", &info) == 0 && S_ISCHR(info.st_mode));

        run = runCompanion({QStringLiteral("export"), dir->path()});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("is a folder, not a file.")), qPrintable(run.err));
    }

    // Writing beyond the size allowed for files fails the write, which is told as such; the
    // old export stays, and a failed import leaves the database as it was, with no journal.
    void sizeLimitKeepsOldFiles() {
        const QString target = dir->file(QStringLiteral("old.csv"));
        QVERIFY(writeFile(target, "old export\n"));
        QList<Verse> many;
        for (int i = 0; i < 3000; ++i)
            many.append({QStringLiteral("Title %1").arg(i), QString(300, u'x')});
        const QString source = dir->file(QStringLiteral("many.tsv"));
        QByteArray tsv;
        for (const Verse& verse : many)
            tsv += (verse.title + u'\t' + verse.text + u'\n').toUtf8();
        QVERIFY(writeFile(source, tsv));
        const QString db = Paths::versesPath();
        const QString big = dir->file(QStringLiteral("big.mdb"));
        QVERIFY(writeVerses(big, many));
        const qint64 size = QFileInfo(db).size();

        CompanionRun exported, imported;
        {
            FileSizeLimit limit(size + 20000);
            exported =
                runCompanion({QStringLiteral("export"), target, QStringLiteral("--db"), big});
            imported = runCompanion({QStringLiteral("import"), source});
        }
        QCOMPARE(exported.status, 1);
        QCOMPARE(exported.err,
                 QStringLiteral("tessaline-verses: Could not write '%1': the file would be larger "
                                "than the size allowed for files here (ulimit -f). The old file is "
                                "kept as it was.\n")
                     .arg(target));
        QCOMPARE(readFile(target), QByteArray("old export\n"));
        QCOMPARE(imported.status, 1);
        QVERIFY2(imported.err.endsWith(QStringLiteral(" Nothing was added.\n")),
                 qPrintable(imported.err));
        QCOMPARE(QFileInfo(db).size(), size);
        QVERIFY(!QFileInfo::exists(db + QStringLiteral("-journal")));
        QCOMPARE(versesIn(db), QList<Verse>{Existing});
    }

    // A name that was not valid UTF-8 on the command line arrives with replacement characters.
    void namesNotInUtf8AreExplained_data() {
        QTest::addColumn<QStringList>("arguments");
        const QString name = QStringLiteral("caf\ufffd.csv");
        QTest::newRow("import") << QStringList{"import", name};
        QTest::newRow("export") << QStringList{"export", name};
        QTest::newRow("--db") << QStringList{"export", "out.csv", "--db", "caf\ufffd.mdb"};
    }
    void namesNotInUtf8AreExplained() {
        QFETCH(QStringList, arguments);
        const CompanionRun run = runCompanion(arguments);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("is not valid in the system's file-name encoding "
                                                 "(UTF-8)")),
                 qPrintable(run.err));
    }

    void duplicatesAreSkippedAndCounted() {
        const QString file = dir->file(QStringLiteral("v.tsv"));
        QVERIFY(writeFile(
            file, "Mine\tA verse typed in the editor.\nNew\tText\nNew\tText\nNew\tOther\n"));
        const CompanionRun run = runCompanion({QStringLiteral("import"), file});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("Added 2 verses to '%1'. Skipped 2 verses already there "
                                         "(same title and text).\n")
                              .arg(Paths::versesPath()));
        QCOMPARE(versesIn(Paths::versesPath()).size(), 3);
    }

    // The first fault is named by line and column; nothing of the file is added.
    void refusesFaultyFiles_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");

        QTest::newRow("csv quote never closed")
            << "v.csv" << QByteArray("a,b\nJohn 3:16,\"For God\nso loved\n")
            << "line 2, column 11: the quoted field that starts here is never closed.";
        QTest::newRow("csv quote inside a field")
            << "v.csv" << QByteArray("a,b\"c\n") << "line 1, column 4: a quote in a field";
        QTest::newRow("csv text after the closing quote")
            << "v.csv" << QByteArray("a,\"b\" c\n")
            << "line 1, column 6: only a comma or a line end may follow a closing quote.";
        QTest::newRow("csv third field")
            << "v.csv" << QByteArray("t,x\r\nJohn,For God,so loved\r\n")
            << "line 2, column 14: a third field; a text that holds commas must be in double "
               "quotes.";
        QTest::newRow("csv one field") << "v.csv" << QByteArray("title,text\nJohn 3:16\n")
                                       << "line 2, column 10: a line needs two fields";
        QTest::newRow("tsv without a tab")
            << "v.tsv" << QByteArray("a\tb\nc d\n") << "line 2, column 4: a line needs a tab";
        QTest::newRow("tsv second tab")
            << "v.tsv" << QByteArray("a\tb\tc\n") << "line 1, column 4: a second tab";
        QTest::newRow("csv field after empty ones")
            << "v.csv" << QByteArray("a,b,,x\n") << "line 1, column 6: a third field";
        QTest::newRow("tsv field after empty ones")
            << "v.tsv" << QByteArray("a\tb\t\tc\n") << "line 1, column 4: a second tab";
        QTest::newRow("tsv quote never closed")
            << "v.tsv" << QByteArray("a\t\"b\nc\td\n")
            << "line 1, column 3: the quoted field that starts here is never closed.";
        QTest::newRow("lone quoted field over two lines")
            << "v.csv" << QByteArray("title,text\n\"John\n3:16\"\n")
            << "line 3, column 6: a line needs two fields";
        QTest::newRow("NUL character")
            << "v.csv" << QByteArray("a,b\0c\n", 7) << "line 1, column 4: a NUL character";
        QTest::newRow("UTF-16 without a byte-order mark")
            << "v.tsv" << QByteArray("a\0\t\0b\0\n\0", 8) << "line 1, column 2: a NUL character";
        QTest::newRow("file name with placeholders")
            << "v%1%2.csv" << QByteArray("a,b,c\n") << "line 1, column 5: a third field";
        QTest::newRow("text title without text")
            << "v.txt" << QByteArray("John 3:16\nFor God\n\nPs 23:1\n\nJohn 1:1\nIn the\n")
            << "line 4, column 1: 'Ps 23:1' has no text lines below it";
        QTest::newRow("header only")
            << "v.csv" << QByteArray("title,text\r\n") << "holds no verses.";
        QTest::newRow("missing file") << "" << QByteArray() << "Could not find";
    }
    void refusesFaultyFiles() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString file = dir->file(fileName.isEmpty() ? QStringLiteral("none.csv") : fileName);
        if (!fileName.isEmpty())
            QVERIFY(writeFile(file, bytes));
        const CompanionRun run = runCompanion({QStringLiteral("import"), file});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("'%1'").arg(file)) && run.err.contains(message) &&
                     run.err.endsWith(QStringLiteral(" Nothing was added.\n")),
                 qPrintable(run.err));
        QCOMPARE(versesIn(Paths::versesPath()), QList<Verse>{Existing});
    }

    void badUsageIsExplained_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown command") << QStringList{"remove"} << "Unknown command 'remove'.";
        QTest::newRow("format not told by the name")
            << QStringList{"import", "verses.dat"}
            << "Cannot tell the format of 'verses.dat' from its name: give --format tsv, csv or "
               "text.";
        QTest::newRow("option of another command") << QStringList{"import", "v.csv", "--each-verse"}
                                                   << "--each-verse does not apply to 'import'.";
        QTest::newRow("unknown option")
            << QStringList{"add", "John 3:16", "--bibel", "WEB"} << "Unknown option 'bibel'.";
    }
    void badUsageIsExplained() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const CompanionRun run = runCompanion(arguments);
        QCOMPARE(run.status, 2);
        QCOMPARE(
            run.err,
            QStringLiteral("tessaline-verses: %1\nTry 'tessaline-verses --help'.\n").arg(message));
        QCOMPARE(versesIn(Paths::versesPath()), QList<Verse>{Existing});
    }

    // The disk filling up part-way: a disk with room for a few pages more stands in for it.
    void fullDiskAddsNothing() {
        const QString path = Paths::versesPath();
        QList<Verse> many;
        for (int i = 0; i < 200; ++i)
            many.append({QStringLiteral("Long %1").arg(i), QString(500, u'x')});
        try {
            const FullDisk disk(QFileInfo(path).size() + 8192);
            VerseStore::add(path, many);
            QFAIL("the full disk went unnoticed");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), int(RuntimeError::DiskFull));
            QVERIFY2(error.description().contains(QStringLiteral("is full")),
                     qPrintable(error.description()));
        }
        QCOMPARE(versesIn(path), QList<Verse>{Existing});
    }

    // Rows already there are found the same way once their digests no longer fit in memory
    // (here after a dozen) and go to a temporary table.
    void duplicatesFoundBeyondWhatMemoryHolds() {
        QList<Verse> old{Existing};
        for (int i = 0; i < 20; ++i)
            old.append({QStringLiteral("Old %1").arg(i), QStringLiteral("old text")});
        QVERIFY(writeVerses(Paths::versesPath(), old));
        QByteArray tsv;
        QList<Verse> added;
        for (int i = 0; i < 40; ++i) {
            const Verse verse{QStringLiteral("New %1").arg(i), QStringLiteral("new text")};
            tsv += (verse.title + u'\t' + verse.text + u'\n').toUtf8();
            added.append(verse);
            if (i % 4 == 0) // again, and one already there
                tsv += (verse.title + u'\t' + verse.text + u'\n' + old[i / 2].title + u'\t' +
                        old[i / 2].text + u'\n')
                           .toUtf8();
        }
        const QString file = dir->file(QStringLiteral("many.tsv"));
        QVERIFY(writeFile(file, tsv));
        const size_t saved = VerseStore::memorySlots;
        VerseStore::memorySlots = 16;
        const CompanionRun run = runCompanion({QStringLiteral("import"), file});
        VerseStore::memorySlots = saved;
        QCOMPARE(run.out, QStringLiteral("Added 40 verses to '%1'. Skipped 20 verses already "
                                         "there (same title and text).\n")
                              .arg(Paths::versesPath()));
        QCOMPARE(versesIn(Paths::versesPath()), old + added);
    }

    void progressOnlyWhenAsked() {
        const QString file = dir->file(QStringLiteral("v.tsv"));
        QVERIFY(writeFile(file, "a\tb\nc\td\n"));
        Companion::RunSettings terminal;
        terminal.progress = true;
        const CompanionRun shown = runCompanion({QStringLiteral("import"), file}, terminal);
        QCOMPARE(shown.status, 0);
        QVERIFY2(shown.out.startsWith(QStringLiteral("\rAdding to the database: ")) &&
                     shown.out.contains(QStringLiteral(": 100%")),
                 qPrintable(shown.out));
        QVERIFY(shown.out.endsWith(
            QStringLiteral("\rAdded 2 verses to '%1'.\n").arg(Paths::versesPath())));
        QVERIFY(writeVerses(Paths::versesPath(), {}));
        const CompanionRun quiet = runCompanion({QStringLiteral("import"), file});
        QCOMPARE(quiet.out, QStringLiteral("Added 2 verses to '%1'.\n").arg(Paths::versesPath()));
    }
};

QTEST_GUILESS_MAIN(TestImportExport)
#include "tst_importexport.moc"
