#include "base/database.h"
#include "base/paths.h"
#include "companion/bibles.h"
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

// tessaline-verses bibles / add, against the three Bibles scripts/deps installs (World English
// Bible, King James Version, Reina-Valera 1909), with the World English Bible as the default.
class TestAddVerses : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<SwordConfig> sword;
    QTemporaryDir userConfig;

    QString settingsFile() const {
        return userConfig.filePath(QStringLiteral("tessaline/tessaline-verses.conf"));
    }

private slots:
    // Book names and titles do not follow LANG; the user's settings stay in the test's folder.
    void initTestCase() {
        qputenv("LANG", "es_ES.UTF-8");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(userConfig.path()));
    }

    void init() {
        dir = std::make_unique<TestProgramDir>();
        QVERIFY(writeVerses(Paths::versesPath(), {Existing}));
        sword = std::make_unique<SwordConfig>(QStringList{Web, Kjv, Rv1909});
        QVERIFY2(sword->ok(), qPrintable("not installed (run scripts/deps): " + sword->missing()));
        const CompanionRun run =
            runCompanion({QStringLiteral("bibles"), QStringLiteral("--default"), Web});
        QVERIFY2(run.status == 0, qPrintable(run.err));
    }
    void cleanup() {
        QFile::remove(settingsFile());
        sword.reset();
        dir.reset();
    }

    void listsTheInstalledBiblesAndMarksTheDefault() {
        const CompanionRun run = runCompanion({QStringLiteral("bibles")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("NAME          SHORT   LANGUAGE  DESCRIPTION\n"
                                         "engKJV2006eb  KJV     en        King James Version\n"
                                         "engWEB2015eb  WEB     en        World English Bible "
                                         "with Deuterocanon *\n"
                                         "spaRV1909eb   RV1909  es        Reina Valera 1909\n"));
        QCOMPARE(run.err, QString());
    }

    // Without --bible: the default when set, else the only Bible, else a refusal saying how to
    // choose. The default is kept between runs in the user's configuration.
    void choosesTheBibleToAddFrom() {
        const auto add = [](const QStringList& more = {}) {
            return runCompanion(QStringList{QStringLiteral("add"), QStringLiteral("John 3:16"),
                                            QStringLiteral("--each-verse")} +
                                more);
        };
        QVERIFY(QFile::exists(settingsFile()));
        QVERIFY(QFile::remove(settingsFile()));
        CompanionRun run = add();
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral(
                     "Several Bibles are installed; choose one with --bible NAME, or set the one "
                     "to use when none is given with 'tessaline-verses bibles --default NAME'. "
                     "Installed: engKJV2006eb (KJV), engWEB2015eb (WEB), spaRV1909eb (RV1909).")),
                 qPrintable(run.err));
        QVERIFY(runCompanion({QStringLiteral("bibles")})
                    .out.contains(QStringLiteral("No default Bible")));

        run = runCompanion(
            {QStringLiteral("bibles"), QStringLiteral("--default"), QStringLiteral("kjv")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("'add' now takes verses from engKJV2006eb (KJV) when "
                                         "--bible is not given.\n"));
        QVERIFY(add().status == 0);
        QVERIFY(add({QStringLiteral("--bible"), QStringLiteral("RV1909")}).status == 0);

        run = runCompanion(
            {QStringLiteral("bibles"), QStringLiteral("--default"), QStringLiteral("NIV")});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("There is no Bible 'NIV' here")),
                 qPrintable(run.err));

        sword.reset(); // before the next, which would otherwise restore the old SWORD_PATH
        sword = std::make_unique<SwordConfig>(QStringList{Web});
        run = add();
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("The default Bible 'engKJV2006eb' is not "
                                                 "installed; installed: engWEB2015eb (WEB).")),
                 qPrintable(run.err));
        QVERIFY(QFile::remove(settingsFile()));
        QVERIFY(add().status == 0); // the only one

        QStringList titles;
        for (const Verse& verse : versesIn(Paths::versesPath()))
            titles.append(verse.title);
        QCOMPARE(titles, (QStringList{QStringLiteral("Mine"), QStringLiteral("John 3:16 (KJV)"),
                                      QStringLiteral("Juan 3:16 (RV1909)"),
                                      QStringLiteral("John 3:16 (WEB)")}));
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
        row("psalm title left out, lines joined", {"psalm 23:1-2"}, {"Psalm 23:1-2 (WEB)"},
            "Yahweh is my shepherd; I shall lack nothing. He makes me lie down",
            "in green pastures. He leads me beside still waters.");
        row("numbered book, whole chapter", {"1 Cor 13"}, {"1 Corinthians 13 (WEB)"},
            "If I speak with the languages of men", "The greatest of these is love.");
        row("whole book", {"Jude"}, {"Jude (WEB)"}, "Jude, a servant", "now and forever. Amen.");
        row("across chapters", {"John 3:36-4:1"}, {"John 3:36-4:1 (WEB)"},
            "One who believes in the Son", "baptizing more disciples than John");
        row("last verse without the module's glossary", {"Rev 22:21"}, {"Revelation 22:21 (WEB)"},
            "The grace of the Lord Jesus Christ be with all the saints. Amen.",
            "with all the saints. Amen.");
        row("several references", {"John 3:16; Rom 8:28", "Ps 117"},
            {"John 3:16 (WEB)", "Romans 8:28 (WEB)", "Psalm 117 (WEB)"}, John316,
            "Yahweh’s faithfulness endures forever. Praise Yah!");
        row("each verse", {"Ps 23:1-3", "--each-verse"},
            {"Psalm 23:1 (WEB)", "Psalm 23:2 (WEB)", "Psalm 23:3 (WEB)"},
            "Yahweh is my shepherd; I shall lack nothing.", "for his name’s sake.");
        // Each of these verses in full, word for word as the module has it.
        const auto whole = [&](const char* name, const QStringList& arguments, const QString& title,
                               const QString& text) { row(name, arguments, {title}, text, text); };
        whole("speaker labels left out", {"Song 1:4"}, "Song of Solomon 1:4 (WEB)",
              "Take me away with you. Let’s hurry. The king has brought me into his rooms. We "
              "will be glad and rejoice in you. We will praise your love more than wine! They are "
              "right to love you.");
        whole("speaker label at a line's end", {"Song 6:13"}, "Song of Solomon 6:13 (WEB)",
              "Return, return, Shulammite! Return, return, that we may gaze at you. Why do you "
              "desire to gaze at the Shulammite, as at the dance of Mahanaim?");
        whole("note before an opening quotation mark", {"Rev 1:8"}, "Revelation 1:8 (WEB)",
              "“I am the Alpha and the Omega,” says the Lord God, “who is and who was and who is "
              "to come, the Almighty.”");
        whole("note before an opening bracket", {"2 Esdras 13:3"}, "2 Esdras 13:3 (WEB)",
              "I saw, and behold, [this wind caused to come up from the midst of the sea "
              "something like the appearance of a man. I saw, and behold,] that man flew with "
              "the clouds of heaven. When he turned his face to look, everything that he saw "
              "trembled.");
        whole("no paragraph sign", {"John 3:16", "--bible", "KJV"}, "John 3:16 (KJV)",
              "For God so loved the world, that he gave his only begotten Son, that whosoever "
              "believeth in him should not perish, but have everlasting life.");
        whole("divine name in capitals as the module sets it", {"Num 23:15", "--bible", "KJV"},
              "Numbers 23:15 (KJV)",
              "And he said unto Balak, Stand here by thy burnt offering, while I meet the LORD "
              "yonder.");
        whole("divine name inside a word element as it is", {"Exod 12:11", "--bible", "KJV"},
              "Exodus 12:11 (KJV)",
              "And thus shall ye eat it; with your loins girded, your shoes on your feet, and your "
              "staff in your hand; and ye shall eat it in haste: it is the LORD’s passover.");
        whole("no Strong's numbers in the text", {"John 14:6", "--bible", "RV1909"},
              "Juan 14:6 (RV1909)",
              "Jesús le dice: Yo soy el camino, y la verdad, y la vida: nadie viene al Padre, "
              "sino por mí.");
        whole("Strong's numbers before a semicolon", {"Gen 2:16", "--bible", "RV1909"},
              "Génesis 2:16 (RV1909)",
              "Y mandó Jehová Dios al hombre, diciendo: De todo árbol del huerto comerás;");
    }

    // What the title says: the verses stored, with the names readers use, in the Bible's
    // language; how the reference was written does not matter.
    void titlesNameTheVersesStored_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("titles");
        const auto row = [](const char* name, const QStringList& arguments,
                            const QStringList& titles) {
            QTest::newRow(name) << arguments << titles;
        };
        row("en dash", {"John 3:16–18"}, {"John 3:16-18 (WEB)"});
        row("em dash", {"John 3:16—18"}, {"John 3:16-18 (WEB)"});
        row("minus sign and blanks", {"Rom 8:28 − 39"}, {"Romans 8:28-39 (WEB)"});
        row("figure dash across chapters", {"John 3:16‒4:2"}, {"John 3:16-4:2 (WEB)"});
        row("no-break and thin spaces", {"John\u00a03:16", "1\u2009John 1:9"},
            {"John 3:16 (WEB)", "1 John 1:9 (WEB)"});
        row("verse after a comma", {"John 3:16,18"}, {"John 3:16 (WEB)", "John 3:18 (WEB)"});
        row("book carried over a semicolon", {"Ps 23; 117"}, {"Psalm 23 (WEB)", "Psalm 117 (WEB)"});
        row("one-chapter books", {"Jude 3", "2 John 6", "Phm 4", "Obad 3"},
            {"Jude 1:3 (WEB)", "2 John 1:6 (WEB)", "Philemon 1:4 (WEB)", "Obadiah 1:3 (WEB)"});
        row("range of a one-chapter book", {"Jude 3-5"}, {"Jude 1:3-5 (WEB)"});
        row("several psalms", {"Ps 23-24"}, {"Psalms 23-24 (WEB)"});
        row("range narrowed to the verses the Bible has", {"Romans 16:24-27"},
            {"Romans 16:24 (WEB)"});
        row("across books", {"Gen 50:26-Exod 1:1"}, {"Genesis 50:26-Exodus 1:1 (WEB)"});
        row("Spanish names",
            {"Juan 3:16", "Salmos 23", "1 Corintios 13:4", "Génesis 1:1", "--bible", "RV1909"},
            {"Juan 3:16 (RV1909)", "Salmos 23 (RV1909)", "1 Corintios 13:4 (RV1909)",
             "Génesis 1:1 (RV1909)"});
        row("English names in a Spanish Bible", {"Rev 22:21", "--bible", "RV1909"},
            {"Apocalipsis 22:21 (RV1909)"});
    }
    void titlesNameTheVersesStored() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, titles);
        const CompanionRun run = runCompanion(QStringList{QStringLiteral("add")} + arguments);
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QStringList got;
        for (const Verse& verse : versesIn(Paths::versesPath()).mid(1))
            got.append(verse.title);
        QCOMPARE(got, titles);
    }

    // A title read as a reference gives the same verses back, in every Bible.
    void titlesReadBackAsReferences_data() {
        QTest::addColumn<QString>("bible");
        QTest::addColumn<QString>("reference");
        for (const char* reference :
             {"1 Jn 1:9", "Ps 23", "Ps 23:1-3", "Ps 23-24", "Rev 22:21", "Rev 1:6-8", "Jude",
              "Jude 3", "Gen 50:26-Exod 1:1", "Romans 16:24-27", "Song 8:5", "1 Cor 13"})
            for (const char* bible : {"WEB", "KJV", "RV1909"})
                QTest::addRow("%s %s", reference, bible) << bible << reference;
        for (const char* reference : {"Esther (Greek) 1:1", "Tobit 1:1-3", "2 Esdras 4:13",
                                      "Additional Psalm 1:1", "Sirach 1"})
            QTest::addRow("%s WEB", reference) << "WEB" << reference;
    }
    void titlesReadBackAsReferences() {
        QFETCH(QString, bible);
        QFETCH(QString, reference);
        const Companion::Bibles bibles;
        const Companion::BibleInfo chosen = bibles.choose(bible);
        const QList<Verse> first = bibles.lookUp(chosen, {reference}, false);
        QCOMPARE(first.size(), 1);
        const QString suffix = QStringLiteral(" (%1)").arg(chosen.abbreviation);
        QVERIFY(first[0].title.endsWith(suffix));
        const QString title = first[0].title.chopped(suffix.size());
        QCOMPARE(bibles.lookUp(chosen, {title}, false), first);
    }

    // Every verse of the three Bibles is plain text: no markup, Strong's numbers, paragraph
    // signs, speaker labels or stray blanks.
    void everyVerseIsPlainText_data() {
        QTest::addColumn<QString>("bible");
        QTest::addColumn<int>("verses");
        QTest::newRow("WEB") << "WEB" << 37457; // with the Deuterocanon
        QTest::newRow("KJV") << "KJV" << 31102;
        QTest::newRow("RV1909") << "RV1909" << 31084;
    }
    void everyVerseIsPlainText() {
        QFETCH(QString, bible);
        QFETCH(int, verses);
        const Companion::Bibles bibles;
        const QList<Verse> all =
            bibles.lookUp(bibles.choose(bible), {QStringLiteral("Gen 1:1-Rev 22:21")}, true);
        QCOMPARE(all.size(), verses);
        static const QRegularExpression faults(QStringLiteral(
            "[<>¶\\x01\\n\\t]|  |^ | $|\\b[GH]\\d{3,4}\\b|\\b(Friends|Beloved|Lover) [A-Z]"));
        int faulty = 0;
        for (const Verse& verse : all) {
            if (verse.text.contains(faults) && ++faulty <= 5)
                qWarning("%s: %s", qPrintable(verse.title), qPrintable(verse.text));
        }
        QCOMPARE(faulty, 0);
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

        QTest::newRow("unknown book")
            << QStringList{"Jn 3:16", "First Cor 13"}
            << "'First Cor 13': no book is called 'First Cor' (write references like";
        QTest::newRow("unknown book after a good one")
            << QStringList{"John 3:16; Foo 1:1"} << "'John 3:16; Foo 1:1': no book is called 'Foo'";
        QTest::newRow("ambiguous abbreviation")
            << QStringList{"Ph 1:1"}
            << "'Ph 1:1': 'Ph' could be any of Philippians, Philemon; write more of the name.";
        QTest::newRow("no book") << QStringList{"3:16"} << "'3:16': no book is named.";
        QTest::newRow("numbers only") << QStringList{"6; 6-;4v"} << "'6; 6-;4v': no book is named.";
        QTest::newRow("no such chapter")
            << QStringList{"John 30:1"} << "'John 30:1': John has no chapter 30 (it has 21).";
        QTest::newRow("no such verse") << QStringList{"John 3:16", "John 3:99"}
                                       << "'John 3:99': John 3 has no verse 99 (it has 36).";
        QTest::newRow("range past the chapter's end")
            << QStringList{"Rev 22:20-30"} << "Revelation 22 has no verse 30 (it has 21).";
        QTest::newRow("range backwards")
            << QStringList{"John 3:16-10"} << "'John 3:16-10': the range runs backwards.";
        QTest::newRow("range without an end")
            << QStringList{"John 3:16-"} << "'John 3:16-': the range has no end.";
        QTest::newRow("range to nowhere at the Bible's start")
            << QStringList{"Gen 1:1–"} << "'Gen 1:1–': the range has no end.";
        QTest::newRow("range end that is no number")
            << QStringList{"Rev 1:6-4v"} << "'Rev 1:6-4v': no book is called '4v'";
        QTest::newRow("two dashes") << QStringList{"John 3:16-17-18"}
                                    << "'John 3:16-17-18': 'John 3:16-17-18' is not understood; "
                                       "a range has one dash.";
        const char* understood = "is not understood; write references like 'John 3:16'";
        for (const char* reference : {"John 3:16abc", "John 3:16 and then some words",
                                      "John 3:16.17", "John 3:16+17", "John 3:16:17"})
            QTest::addRow("%s", reference) << QStringList{reference} << understood;
        QTest::newRow("comma after a chapter")
            << QStringList{"John 3,16"}
            << "'John 3,16': a comma after a chapter is ambiguous: write 'John 3:16' for a verse, "
               "or 'John 3; John 16' for chapters.";
        QTest::newRow("empty part") << QStringList{"John 3:16;;Rom 8:28"}
                                    << "a separator (';' or ',') with nothing after it";
        QTest::newRow("5,000 characters")
            << QStringList{QString(4995, u'J') + " 3:16"}
            << QString("'%1…': too long for a reference (5000 characters; at most 200).")
                   .arg(QString(30, u'J'));
        QTest::newRow("a book name 900 times")
            << QStringList{QString("John ").repeated(1000)}
            << "too long for a reference (5000 characters; at most 200).";
        QTest::newRow("no text in this Bible")
            << QStringList{"Tobit 6:18"} << "'Tobit 6:18': WEB has no text there.";
        QTest::newRow("Bible not installed")
            << QStringList{"John 3:16", "--bible", "NIV"}
            << "There is no Bible 'NIV' here; installed: engKJV2006eb (KJV), engWEB2015eb (WEB), "
               "spaRV1909eb (RV1909). Debian packages more as sword-text-NAME";
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
