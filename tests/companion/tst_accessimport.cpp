#include "app/paths.h"
#include "tests/companion/companiontest.h"

#include <QFile>

using Companion::Verse;

namespace {

QString fixture(const QString& name) {
    return QStringLiteral(TESSALINE_TEST_DATA "/jet/") + name;
}

const Verse Existing{QStringLiteral("Mine"), QStringLiteral("A verse typed in the editor.")};

} // namespace

// tessaline-verses import of Access databases: any table and columns, under the same rules as
// the other formats (all or nothing, duplicates skipped, clear refusals).
class TestAccessImport : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;

    static QStringList importing(const QString& file, const QStringList& options) {
        return QStringList{QStringLiteral("import"), file} + options;
    }

private slots:
    void init() {
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(writeVerses(Paths::versesPath(), {Existing}));
    }
    void cleanup() { dir.reset(); }

    void importsEachFormatOnce_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QList<Verse>>("first"); // the first verses added
        QTest::addColumn<int>("count");
        const QList<Verse> two{{"z", "y"}, {"v", "u"}};
        QTest::newRow("Jet 3") << "delTestV1997.mdb"
                               << QStringList{"--table", "table",         "--title-column",
                                              "A",       "--text-column", "b"}
                               << two << 2;
        QTest::newRow("ACE") << "delTestV2007.accdb"
                             << QStringList{"--table=Table", "--title-column=a", "--text-column=b"}
                             << two << 2;
        QTest::newRow("Jet 4, compressed Unicode")
            << "testUnicodeCompV2003.mdb"
            << QStringList{"--table", "Table", "--title-column", "ID", "--text-column", "Unicode"}
            << QList<Verse>{{"1", "only ascii chars"},
                            {"2", QStringLiteral("\u00e4\u00e4kk\u00f6si\u00e4")}}
            << 8;
        QTest::newRow("Jet 3, memo outside the row")
            << "test2V1997.mdb" << QStringList{"--table",   "MSP_PROJECTS",  "--title-column",
                                               "PROJ_NAME", "--text-column", "PROJ_PROP_AUTHOR"}
            << QList<Verse>{} << 1;
        QTest::newRow("Jet 4, memo outside the row")
            << "test2V2000.mdb" << QStringList{"--table",   "MSP_PROJECTS",  "--title-column",
                                               "PROJ_NAME", "--text-column", "PROJ_PROP_AUTHOR"}
            << QList<Verse>{} << 1;
    }
    void importsEachFormatOnce() {
        QFETCH(QString, file);
        QFETCH(QStringList, options);
        QFETCH(QList<Verse>, first);
        QFETCH(int, count);
        // Recognised by its contents, whatever its name.
        const QString copy = dir->file(QStringLiteral("old verses.txt"));
        QVERIFY(QFile::copy(fixture(file), copy));

        CompanionRun run = runCompanion(importing(copy, options));
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("Added %1 %2 to '%3'.\n")
                              .arg(count)
                              .arg(count == 1 ? "verse" : "verses", Paths::versesPath()));
        const QList<Verse> verses = versesIn(Paths::versesPath());
        QCOMPARE(verses.size(), count + 1);
        QCOMPARE(verses.first(), Existing);
        QCOMPARE(verses.mid(1, first.size()), first);
        if (file.startsWith(u"test2"))
            QCOMPARE(verses[1].text.size(), 348);

        run = runCompanion(importing(copy, options));
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(QStringLiteral("Added 0 verses")) &&
                     run.out.contains(QStringLiteral("Skipped %1").arg(count)),
                 qPrintable(run.out));
        QCOMPARE(versesIn(Paths::versesPath()), verses);
    }

    void progressOnATerminal() {
        const QString file = fixture(QStringLiteral("testUnicodeCompV2003.mdb"));
        Companion::RunSettings terminal;
        terminal.progress = true;
        const CompanionRun run = runCompanion(importing(file, {"--table", "Table", "--title-column",
                                                               "ID", "--text-column", "Unicode"}),
                                              terminal);
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(QStringLiteral("\rReading %1: 100%").arg(file)) &&
                     run.out.contains(QStringLiteral("\rAdding to the database: 100%")) &&
                     run.out.endsWith(
                         QStringLiteral("\rAdded 8 verses to '%1'.\n").arg(Paths::versesPath())),
                 qPrintable(run.out));
    }

    void wrongNamesAreRefusedWithThoseThereAre_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("default table")
            << QStringList{} << QStringList{"no table 'verses'", "Its tables: 'Table'."};
        QTest::newRow("wrong table")
            << QStringList{"--table", "Verses2"} << QStringList{"no table 'Verses2'", "'Table'"};
        QTest::newRow("wrong columns")
            << QStringList{"--table", "Table", "--title-column", "Title", "--text-column", "c"}
            << QStringList{"no columns 'Title' or 'c'", "Its columns: 'a', 'b'."};
        QTest::newRow("wrong text column")
            << QStringList{"--table", "Table", "--title-column", "a"}
            << QStringList{"no column 'text'", "Its columns: 'a', 'b'."};
    }
    void wrongNamesAreRefusedWithThoseThereAre() {
        QFETCH(QStringList, options);
        QFETCH(QStringList, mentions);
        const QString file = fixture(QStringLiteral("delTestV1997.mdb"));
        const CompanionRun run = runCompanion(importing(file, options));
        QCOMPARE(run.status, 1);
        QCOMPARE(run.out, QString());
        for (const QString& words : mentions + QStringList{file, "Nothing was added."})
            QVERIFY2(run.err.contains(words), qPrintable(run.err));
        QCOMPARE(versesIn(Paths::versesPath()), QList<Verse>{Existing});
    }

    void accessOptionsOnlyWhereTheyApply_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString access = fixture(QStringLiteral("delTestV1997.mdb"));
        QTest::newRow("on export") << QStringList{"export", "out.csv", "--table", "t"}
                                   << "--table does not apply to 'export'.";
        QTest::newRow("on a TSV file") << QStringList{"import", "v.tsv", "--text-column", "t"}
                                       << "--text-column applies only to an Access database.";
        QTest::newRow("format of an Access file")
            << QStringList{"import", access, "--format", "csv"}
            << "--format does not apply to an Access database.";
    }
    void accessOptionsOnlyWhereTheyApply() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const CompanionRun run = runCompanion(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(versesIn(Paths::versesPath()), QList<Verse>{Existing});
    }

    void helpSaysHowToBringAccessFilesOver() {
        const CompanionRun run = runCompanion({QStringLiteral("import"), QStringLiteral("--help")});
        QCOMPARE(run.status, 0);
        for (const char* words : {"Access database (.mdb or .accdb", "--table <NAME>",
                                  "--title-column <NAME>", "--text-column <NAME>"})
            QVERIFY2(run.out.contains(QLatin1String(words)), qPrintable(run.out));
    }

    // The verse database given with --db being an Access file is said to be one.
    void accessFileAsTheVerseDatabaseIsExplained() {
        const QString file = fixture(QStringLiteral("delTestV1997.mdb"));
        const CompanionRun run = runCompanion(
            {QStringLiteral("export"), dir->file("out.csv"), QStringLiteral("--db"), file});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("is an Access database, not a verse database")),
                 qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestAccessImport)
#include "tst_accessimport.moc"
