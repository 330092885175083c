#include "base/database.h"
#include "base/paths.h"
#include "tests/companion/companiontest.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

using Companion::Verse;

namespace {

const Verse Existing{QStringLiteral("Mine"), QStringLiteral("A verse typed in the editor.")};

const QString John316 = QStringLiteral("For God so loved the world, that he gave his only born "
                                       "Son, that whoever believes in him should not perish, but "
                                       "have eternal life.");

} // namespace

// tessaline-verses bibles / add, against the World English Bible that scripts/deps installs.
class TestAddVerses : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;

private slots:
    // The SWORD library names books in the language LANG asks for; the rows expect English.
    void initTestCase() { qputenv("LANG", "C"); }

    void init() {
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(writeVerses(Paths::versesPath(), {Existing}));
    }
    void cleanup() { dir.reset(); }

    void listsTheInstalledBibles() {
        const CompanionRun run = runCompanion({QStringLiteral("bibles")});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(QRegularExpression(
                     QStringLiteral("\\nengWEB2015eb +WEB +en +World English Bible"))),
                 qPrintable(run.out));
        QCOMPARE(run.err, QString());
    }

    // Each reference becomes one row (each verse with --each-verse) in the verses.mdb of the
    // program directory, as plain text: no Strong's numbers, notes, headings or line breaks.
    void addsVersesAsPlainText_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("firstTextStart");
        QTest::addColumn<QString>("lastTextEnd");

        const auto row = [](const char* name, const QStringList& arguments,
                            const QStringList& titles, const QString& start, const QString& end) {
            QTest::newRow(name) << arguments << titles << start << end;
        };
        row("one verse", {"John 3:16"}, {"John 3:16 (WEB)"}, John316, John316);
        row("abbreviated book", {"Jn 3:16"}, {"John 3:16 (WEB)"}, John316, John316);
        row("short name chosen in any case", {"John 3:16", "--bible", "web"}, {"John 3:16 (WEB)"},
            John316, John316);
        row("note between two words", {"Gen 1:1"}, {"Genesis 1:1 (WEB)"},
            "In the beginning, God created the heavens and the earth.",
            "In the beginning, God created the heavens and the earth.");
        row("note after a comma", {"Jude 1:1"}, {"Jude 1:1 (WEB)"},
            "Jude, a servant of Jesus Christ, and brother of James,", "Jesus Christ:");
        row("quotation ends before a word", {"Matt 3:15"}, {"Matthew 3:15 (WEB)"},
            "But Jesus, answering, said to him, “Allow it now,",
            "righteousness.” Then he allowed him.");
        row("blank the module leaves before a note", {"Luke 12:6"}, {"Luke 12:6 (WEB)"},
            "“Aren’t five sparrows sold for two assaria coins? Not one", "is forgotten by God.");
        row("psalm title left out, lines joined", {"psalm 23:1-2"}, {"Psalms 23:1-2 (WEB)"},
            "Yahweh is my shepherd; I shall lack nothing. He makes me lie down",
            "in green pastures. He leads me beside still waters.");
        row("numbered book, whole chapter", {"1 Cor 13"}, {"I Corinthians 13 (WEB)"},
            "If I speak with the languages of men", "The greatest of these is love.");
        row("whole book", {"Jude"}, {"Jude (WEB)"}, "Jude, a servant", "now and forever. Amen.");
        row("across chapters", {"John 3:36-4:1"}, {"John 3:36-4:1 (WEB)"},
            "One who believes in the Son", "baptizing more disciples than John");
        row("last verse without the module's glossary", {"Rev 22:21"},
            {"Revelation of John 22:21 (WEB)"},
            "The grace of the Lord Jesus Christ be with all the saints. Amen.",
            "with all the saints. Amen.");
        row("several references", {"John 3:16; Rom 8:28", "Ps 117"},
            {"John 3:16 (WEB)", "Romans 8:28 (WEB)", "Psalms 117 (WEB)"}, John316,
            "Yahweh’s faithfulness endures forever. Praise Yah!");
        row("each verse", {"Ps 23:1-3", "--each-verse"},
            {"Psalms 23:1 (WEB)", "Psalms 23:2 (WEB)", "Psalms 23:3 (WEB)"},
            "Yahweh is my shepherd; I shall lack nothing.", "for his name’s sake.");
    }
    void addsVersesAsPlainText() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, titles);
        QFETCH(QString, firstTextStart);
        QFETCH(QString, lastTextEnd);

        const CompanionRun run = runCompanion(QStringList{QStringLiteral("add")} + arguments);
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QCOMPARE(run.out, QStringLiteral("Added %1 %2 to '%3'.\n")
                              .arg(titles.size())
                              .arg(titles.size() == 1 ? "verse" : "verses", Paths::versesPath()));

        QList<Verse> verses = versesIn(Paths::versesPath());
        QCOMPARE(verses.takeFirst(), Existing);
        QStringList gotTitles;
        for (const Verse& verse : verses) {
            gotTitles.append(verse.title);
            QVERIFY2(!verse.text.contains(QRegularExpression(QStringLiteral("[<>\\n\\x01]|  "))),
                     qPrintable(verse.text));
        }
        QCOMPARE(gotTitles, titles);
        QVERIFY2(verses.first().text.startsWith(firstTextStart), qPrintable(verses.first().text));
        QVERIFY2(verses.last().text.endsWith(lastTextEnd), qPrintable(verses.last().text));
    }

    void skipsVersesAlreadyThere() {
        QVERIFY(writeVerses(Paths::versesPath(),
                            {Existing, {QStringLiteral("John 3:16 (WEB)"), John316}}));
        const CompanionRun run =
            runCompanion({QStringLiteral("add"), QStringLiteral("John 3:16"),
                          QStringLiteral("Gen 1:1"), QStringLiteral("Jn 3:16")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("Added 1 verse to '%1'. Skipped 2 verses already there "
                                         "(same title and text).\n")
                              .arg(Paths::versesPath()));
        QCOMPARE(versesIn(Paths::versesPath()).size(), 3);
    }

    // Any fault: a message naming it, a failing status, and the table as it was.
    void refusesBadInputAndAddsNothing_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");

        QTest::newRow("unknown book") << QStringList{"Jn 3:16", "First Cor 13"}
                                      << "'First Cor 13': not a reference the SWORD library knows";
        QTest::newRow("no book") << QStringList{"3:16"} << "'3:16': no book is named.";
        QTest::newRow("no such chapter")
            << QStringList{"John 30:1"} << "'John 30:1': John has no chapter 30 (it has 21).";
        QTest::newRow("no such verse") << QStringList{"John 3:16", "John 3:99"}
                                       << "'John 3:99': John 3 has no verse 99 (it has 36).";
        QTest::newRow("range past the chapter's end")
            << QStringList{"Rev 22:20-30"} << "Revelation of John 22 has no verse 30 (it has 21).";
        QTest::newRow("range backwards")
            << QStringList{"John 3:16-10"} << "'John 3:16-10': the range runs backwards.";
        QTest::newRow("no text in this Bible")
            << QStringList{"Tobit 6:18"} << "'Tobit 6:18': WEB has no text there.";
        QTest::newRow("Bible not installed")
            << QStringList{"John 3:16", "--bible", "KJV"}
            << "There is no Bible 'KJV' here; installed: engWEB2015eb (WEB). Debian packages "
               "more as sword-text-NAME";
    }
    void refusesBadInputAndAddsNothing() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const CompanionRun run = runCompanion(QStringList{QStringLiteral("add")} + arguments);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.startsWith(QStringLiteral("tessaline-verses: ")), qPrintable(run.err));
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY2(run.err.endsWith(QStringLiteral(" Nothing was added.\n")), qPrintable(run.err));
        QCOMPARE(run.out, QString());
        QCOMPARE(versesIn(Paths::versesPath()), QList<Verse>{Existing});
    }

    void noBibleInstalledSaysWhatToInstall() {
        QTemporaryDir emptySword;
        Companion::RunSettings settings;
        settings.swordPath = emptySword.path();
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("bibles")},
              QStringList{QStringLiteral("add"), QStringLiteral("John 3:16")}}) {
            const CompanionRun run = runCompanion(arguments, settings);
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains(QStringLiteral("No Bible is installed for the SWORD "
                                                     "library.")) &&
                         run.err.contains(QStringLiteral("'sudo apt install sword-text-web'")),
                     qPrintable(run.err));
        }
        QCOMPARE(versesIn(Paths::versesPath()), QList<Verse>{Existing});
    }

    void refusesDatabasesItCannotUse_data() {
        QTest::addColumn<QByteArray>("fileContent"); // empty: no file at all
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray() << "Could not find the verse database";
        QTest::newRow("not a database")
            << QByteArray("title,text\r\nJohn 3:16,For God so loved\r\n")
            << "is not a verse database";
    }
    void refusesDatabasesItCannotUse() {
        QFETCH(QByteArray, fileContent);
        QFETCH(QString, message);
        const QString path = dir->file(QStringLiteral("other.mdb"));
        if (!fileContent.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(fileContent);
        }
        const CompanionRun run = runCompanion(
            {QStringLiteral("add"), QStringLiteral("John 3:16"), QStringLiteral("--db"), path});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(message) && run.err.contains(path), qPrintable(run.err));
        QCOMPARE(QFileInfo::exists(path), !fileContent.isEmpty());
    }

    // Another program writing the file: the run waits as the editor does, then gives up whole.
    void lockedDatabaseWaitsThenAddsNothing() {
        const QString holder = QStringLiteral("holder");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), holder);
            db.setDatabaseName(Paths::versesPath());
            QVERIFY(db.open());
            QSqlQuery lock(db);
            QVERIFY(lock.exec(QStringLiteral("BEGIN IMMEDIATE")));
            QVERIFY(lock.exec(QStringLiteral("INSERT INTO verses VALUES ('held', 'back')")));

            QElapsedTimer waited;
            waited.start();
            const CompanionRun run =
                runCompanion({QStringLiteral("add"), QStringLiteral("John 3:16")});
            QVERIFY(waited.elapsed() >= Database::BusyTimeoutMs - 100);
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains(QStringLiteral("is in use by another program")),
                     qPrintable(run.err));
            QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        }
        QSqlDatabase::removeDatabase(holder);
        QCOMPARE(versesIn(Paths::versesPath()), QList<Verse>{Existing});
    }
};

QTEST_GUILESS_MAIN(TestAddVerses)
#include "tst_addverses.moc"
