#include "base/database.h"
#include "base/paths.h"
#include "base/runtimeerror.h"
#include "companion/versestore.h"
#include "tests/companion/companiontest.h"

#include <QFile>
#include <QSqlQuery>

using Companion::Verse;

namespace {

const Verse Existing{QStringLiteral("Mine"), QStringLiteral("A verse typed in the editor.")};

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
            << QList<Verse>{{"Ps 23:1, WEB", "He said, \"Come\"\nand rest"},
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
        QTest::newRow("tsv empty text")
            << "v.tsv" << QByteArray("a\tb\nc\t \n") << "line 2, column 3: the text is empty.";
        QTest::newRow("csv empty title")
            << "v.csv" << QByteArray("a,b\n\"\",b\n") << "line 2, column 1: the title is empty.";
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

    // The disk filling up part-way: the engine's own limit on the file's size stands in for it.
    void fullDiskAddsNothing() {
        const QString path = Paths::versesPath();
        const QString connection = QStringLiteral("small-disk");
        {
            QSqlDatabase db = Database::open(path, connection);
            QSqlQuery pages(db);
            QVERIFY(pages.exec(QStringLiteral("PRAGMA page_count")) && pages.next());
            QVERIFY(pages.exec(
                QStringLiteral("PRAGMA max_page_count = %1").arg(pages.value(0).toInt() + 2)));
            pages = QSqlQuery();
            const QList<Verse> many(200, Verse{QStringLiteral("Long"), QString(500, u'x')});
            QList<Verse> distinct;
            for (int i = 0; i < many.size(); ++i)
                distinct.append({many[i].title + QString::number(i), many[i].text});
            try {
                VerseStore::add(db, path, distinct);
                QFAIL("the full disk went unnoticed");
            } catch (const RuntimeError& error) {
                QCOMPARE(error.number(), int(RuntimeError::DiskFull));
                QVERIFY2(error.description().contains(QStringLiteral("is full")),
                         qPrintable(error.description()));
            }
        }
        Database::close(connection);
        QCOMPARE(versesIn(path), QList<Verse>{Existing});
    }

    void progressOnlyWhenAsked() {
        const QString file = dir->file(QStringLiteral("v.tsv"));
        QVERIFY(writeFile(file, "a\tb\nc\td\n"));
        Companion::RunSettings terminal;
        terminal.progress = true;
        const CompanionRun shown = runCompanion({QStringLiteral("import"), file}, terminal);
        QCOMPARE(shown.status, 0);
        QVERIFY2(shown.out.startsWith(QStringLiteral("\rAdding to the database: 50%")),
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
