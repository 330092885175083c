#include "app/paths.h"
#include "app/runtimeerror.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

// Where verses.mdb and favs.ini live: beside a program that was not installed, in each user's
// own data folder for an installed one, which the first start fills from the program's folder.
class TestPaths : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> program;
    std::unique_ptr<QTemporaryDir> home;
    QByteArray savedHome, savedDataHome;

    void markInstalled() { QVERIFY(writeFile(program->file(Paths::InstalledMarker), "")); }
    QString userFolder() const { return home->filePath(QStringLiteral("data/tessaline")); }

private slots:
    void init() {
        program = std::make_unique<TestProgramDir>();
        home = std::make_unique<QTemporaryDir>();
        savedHome = qgetenv("HOME");
        savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("HOME", QFile::encodeName(home->path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home->filePath(QStringLiteral("data"))));
    }
    void cleanup() {
        qputenv("HOME", savedHome);
        if (savedDataHome.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", savedDataHome);
        home.reset();
        program.reset();
    }

    void whereFilesLive_data() {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("dataHomeSet");
        QTest::addColumn<QString>("folder"); // below the temporary home; empty: the program's
        QTest::newRow("not installed: beside the program") << false << true << QString();
        QTest::newRow("installed: XDG_DATA_HOME/tessaline") << true << true << "data/tessaline";
        QTest::newRow("installed, no XDG_DATA_HOME: ~/.local/share/tessaline")
            << true << false << ".local/share/tessaline";
    }
    void whereFilesLive() {
        QFETCH(bool, installed);
        QFETCH(bool, dataHomeSet);
        QFETCH(QString, folder);
        if (installed)
            markInstalled();
        if (!dataHomeSet)
            qunsetenv("XDG_DATA_HOME");
        const QString dir = folder.isEmpty() ? program->path() : home->filePath(folder);
        QCOMPARE(Paths::dataDir(), dir);
        QCOMPARE(Paths::versesPath(), dir + "/verses.mdb");
        QCOMPARE(Paths::favsPath(), dir + "/favs.ini");
        QVERIFY(QFileInfo(dir).isDir());
        if (!installed)
            QCOMPARE(entries(home->path()), QStringList{}); // nothing made in the home
    }

    // The first start copies what lies beside the program; a folder already there is the
    // user's and is never refilled; the program's own files are never changed.
    void firstStartFillsTheFolder_data() {
        QTest::addColumn<QByteArrayList>("beside"); // verses.mdb, favs.ini; null: none
        QTest::addColumn<QByteArrayList>("before"); // the user's folder; null list: no folder
        QTest::addColumn<QByteArrayList>("after");
        const QByteArray none;
        QTest::newRow("first start: both copied")
            << QByteArrayList{"sample verses", "sample favs"} << QByteArrayList{}
            << QByteArrayList{"sample verses", "sample favs"};
        QTest::newRow("only verses.mdb beside the program")
            << QByteArrayList{"my verses", none} << QByteArrayList{}
            << QByteArrayList{"my verses", none};
        QTest::newRow("nothing beside the program: an empty folder")
            << QByteArrayList{none, none} << QByteArrayList{} << QByteArrayList{none, none};
        QTest::newRow("empty folder there: filled")
            << QByteArrayList{"sample verses", "sample favs"} << QByteArrayList{none, none}
            << QByteArrayList{"sample verses", "sample favs"};
        QTest::newRow("user's folder there: kept")
            << QByteArrayList{"sample verses", "sample favs"}
            << QByteArrayList{"my verses", "my favs"} << QByteArrayList{"my verses", "my favs"};
        QTest::newRow("user's folder without favs.ini: not refilled")
            << QByteArrayList{"sample verses", "sample favs"} << QByteArrayList{"my verses", none}
            << QByteArrayList{"my verses", none};
    }
    void firstStartFillsTheFolder() {
        QFETCH(QByteArrayList, beside);
        QFETCH(QByteArrayList, before);
        QFETCH(QByteArrayList, after);
        markInstalled();
        const QStringList names{"verses.mdb", "favs.ini"};
        for (int i = 0; i < 2; ++i) {
            if (!beside[i].isNull()) {
                QVERIFY(writeFile(program->file(names[i]), beside[i]));
                // Installed samples are read-only; the user's copies must take changes.
                QVERIFY(QFile::setPermissions(program->file(names[i]), QFile::ReadOwner));
            }
        }
        if (!before.isEmpty()) {
            QVERIFY(QDir().mkpath(userFolder()));
            for (int i = 0; i < 2; ++i)
                if (!before[i].isNull())
                    QVERIFY(writeFile(userFolder() + u'/' + names[i], before[i]));
        }

        QCOMPARE(Paths::versesPath(), userFolder() + "/verses.mdb");
        QStringList expected;
        for (int i = 0; i < 2; ++i) {
            const QString copy = userFolder() + u'/' + names[i];
            if (after[i].isNull()) {
                QVERIFY2(!QFile::exists(copy), qPrintable(copy));
                continue;
            }
            expected << names[i];
            QCOMPARE(readFile(copy), after[i]);
            QVERIFY(QFileInfo(copy).isWritable());
            QVERIFY(QFile(copy).open(QIODevice::Append));
        }
        expected.sort();
        QCOMPARE(entries(userFolder()), expected);
        QCOMPARE(entries(home->filePath(QStringLiteral("data"))), QStringList{"tessaline"});
        for (int i = 0; i < 2; ++i)
            if (!beside[i].isNull())
                QCOMPARE(readFile(program->file(names[i])), beside[i]);
    }

    void aFolderThatCannotBeMadeFailsWithAMessage() {
        markInstalled();
        QVERIFY(writeFile(home->filePath(QStringLiteral("data")), "a file, not a folder"));
        try {
            Paths::favsPath();
            QFAIL("no error");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), int(RuntimeError::PathFileAccess));
            QVERIFY2(error.description().contains(userFolder()), qPrintable(error.description()));
        }
        QCOMPARE(entries(program->path()), QStringList{Paths::InstalledMarker});
    }
};

TESSALINE_TEST_MAIN(TestPaths)
#include "tst_paths.moc"
