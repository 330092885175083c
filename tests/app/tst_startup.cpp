#include "app/database.h"
#include "app/forms.h"
#include "app/module1.h"
#include "app/paths.h"
#include "app/runtimeerror.h"
#include "app/startup.h"
#include "app/verselibrary.h"
#include "practice/form1.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

class TestStartup : public ProgramTestCase {
    Q_OBJECT

    QString db() const { return dir->file(QStringLiteral("verses.mdb")); }

    // Start-up fails: one message with the number, no window, exit status 1.
    [[nodiscard]] bool failsToStart(int number, const QString& mentions) {
        if (start())
            return false;
        const QString text = host->messages.value(0).text;
        const bool failed = host->messages.size() == 1 && text.contains(QString::number(number)) &&
                            text.contains(mentions) && host->endCodes == QList<int>{1} &&
                            Forms::loaded().isEmpty();
        if (!failed)
            qWarning("start-up said: %s", qPrintable(text));
        return failed;
    }

private slots:
    void practiceWindowIsTheOnlyWindowAndNothingIsStarted() {
        QVERIFY(writeVersesDb(db(), {{"a", "x"}}));
        QVERIFY(start());
        QCOMPARE(Forms::loaded().size(), 1);
        QVERIFY(Forms::isLoaded<Form1>());
        QVERIFY(Forms::get<Form1>().isVisible());
        const Module1& s = shared();
        QCOMPARE(s.PracticeMode, qint16(0));
        QCOMPARE(s.CharPos, qint16(0));
        QVERIFY(s.CurrentTitle.isEmpty());
        QVERIFY(s.CurrentText.isEmpty());
    }

    void emptyTableStarts() {
        QVERIFY(writeVersesDb(db(), {}));
        QVERIFY(start());
        QVERIFY(Forms::isLoaded<Form1>());
    }

    void missingFileFailsAndIsNotCreated() {
        QVERIFY(failsToStart(RuntimeError::DatabaseNotFound, db()));
        QVERIFY(!QFile::exists(db()));
    }

    void brokenFileFailsAndIsLeftAlone() {
        QFile f(db());
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray junk(4096, 'x');
        f.write(junk);
        f.close();
        QVERIFY(failsToStart(RuntimeError::NotADatabase, db()));
        QFile check(db());
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), junk);
    }

    void directoryInPlaceOfFileFails() {
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("verses.mdb")));
        QVERIFY(failsToStart(RuntimeError::NotADatabase, db()));
    }

    void missingTableFails() {
        QVERIFY(runSql(db(), QStringLiteral("CREATE TABLE other (x TEXT)")));
        QVERIFY(failsToStart(RuntimeError::TableNotFound, QStringLiteral("verses")));
    }

    void missingColumnFails() {
        QVERIFY(runSql(db(), QStringLiteral("CREATE TABLE verses (title TEXT, body TEXT)")));
        QVERIFY(failsToStart(RuntimeError::ItemNotFound, QStringLiteral("'text'")));
    }

    // Each failure says what is wrong, under one of the program's own error numbers.
    void startUpSaysWhatIsWrong_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("says");
        QTest::newRow("damaged file")
            << "damaged" << int(RuntimeError::DatabaseDamaged) << "is damaged";
        QTest::newRow("empty file")
            << "empty" << int(RuntimeError::TableNotFound) << "is an empty file (0 bytes)";
        QTest::newRow("table lacking both columns")
            << "no columns" << int(RuntimeError::ItemNotFound) << "no columns 'title' and 'text'";
    }
    void startUpSaysWhatIsWrong() {
        QFETCH(QString, file);
        QFETCH(int, number);
        QFETCH(QString, says);
        if (file == QLatin1String("damaged")) {
            QList<VerseRow> rows;
            for (int i = 0; i < 50; ++i)
                rows.append({QStringLiteral("t%1").arg(i), QString(100, 'v')});
            QVERIFY(writeVersesDb(db(), rows));
            // The table list on the first page, past the 100-byte file header, overwritten.
            QFile f(db());
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.seek(100));
            f.write(QByteArray(400, '\xA5'));
        } else if (file == QLatin1String("empty")) {
            QVERIFY(writeFile(db(), {}));
        } else {
            QVERIFY(runSql(db(), QStringLiteral("CREATE TABLE verses (a TEXT, b TEXT)")));
        }
        QVERIFY(failsToStart(number, says));
        QVERIFY(host->messages.value(0).text.contains(db()));
    }

    // A file the user may not read: permission is denied, in the program's own numbers. Run
    // as root, the check runs in a child that has given up root's rights.
    void unreadableFileSaysPermissionIsDenied() {
        QVERIFY(writeVersesDb(db(), {{"a", "x"}}));
        QVERIFY(QFile::setPermissions(db(), QFile::WriteOwner));
        if (::geteuid() != 0) {
            QVERIFY(
                failsToStart(RuntimeError::PermissionDenied, QStringLiteral("ermission denied")));
            return;
        }
        // The child must reach the file through the test's own folder (made for root only).
        QVERIFY(::chmod(QFile::encodeName(dir->path()).constData(), 0711) == 0);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--attach-as-nobody"), db()});
        QVERIFY(child.waitForFinished(30000));
        const QString out = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
        QCOMPARE(child.exitCode(), 3);
        QVERIFY2(out.startsWith(QString::number(RuntimeError::PermissionDenied) + u' '),
                 qPrintable(out));
        QVERIFY2(out.contains(QStringLiteral("Permission denied")), qPrintable(out));
    }

    void lockedFileIsReportedAfterWaiting() {
        QVERIFY(writeVersesDb(db(), {{"a", "x"}}));
        {
            QSqlDatabase other =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(db());
            QVERIFY(other.open());
            QSqlQuery lock(other);
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            VerseLibrary::setBusyTimeoutMs(300);
            const auto restore =
                qScopeGuard([] { VerseLibrary::setBusyTimeoutMs(Database::BusyTimeoutMs); });
            QElapsedTimer waited;
            waited.start();
            QVERIFY(failsToStart(RuntimeError::DatabaseLocked, QStringLiteral("another program")));
            QVERIFY(waited.elapsed() >= 250);
            QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    }

    // A program killed in the middle of a write leaves a journal that the next start must
    // roll back before it can read the table.
    void interruptedWriteIsRolledBackAtStart() {
        QList<VerseRow> rows;
        for (int i = 0; i < 2000; ++i)
            rows.append({QStringLiteral("t%1").arg(i, 4, 10, QLatin1Char('0')), QString(200, 'v')});
        QVERIFY(writeVersesDb(db(), rows));
        QCOMPARE(QProcess::execute(QCoreApplication::applicationFilePath(),
                                   {QStringLiteral("--interrupt-write"), db()}),
                 0);
        QVERIFY(QFileInfo(db() + QStringLiteral("-journal")).size() > 0);
        QVERIFY(start());
        QVERIFY(host->messages.isEmpty());
        QVERIFY(!QFileInfo::exists(db() + QStringLiteral("-journal")));
    }

    // The test program itself, hard-linked into a folder, stands in for the program there:
    // only a link keeps /proc/self/exe pointing into that folder.
    void programDirComesFromTheExecutablesRealPath_data() {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<bool>("viaSymlink");
        QTest::addColumn<QString>("expected"); // the folder's name, or a word of the error
        QTest::newRow("plain") << QByteArray("lib/tessaline") << false << "lib/tessaline";
        QTest::newRow("started through a symbolic link")
            << QByteArray("lib/tessaline") << true << "lib/tessaline";
        QTest::newRow("utf-8 name")
            << QByteArray("caf\xc3\xa9") << false << QStringLiteral("caf\u00e9");
        QTest::newRow("latin-1 name fails clearly")
            << QByteArray("lat\xe9in") << true << "is not valid in the system's file-name";
    }
    void programDirComesFromTheExecutablesRealPath() {
        QFETCH(QByteArray, folder);
        QFETCH(bool, viaSymlink);
        QFETCH(QString, expected);
        QTemporaryDir root(QCoreApplication::applicationDirPath() + "/programdir-XXXXXX");
        const QByteArray base = QFile::encodeName(root.path()) + '/';
        const QByteArray program = base + folder + "/tessaline";
        QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("lib"))));
        QCOMPARE(::mkdir((base + folder).constData(), 0755), 0);
        // QTemporaryDir cannot name a folder that does not decode: empty it here.
        const auto cleanUp = qScopeGuard([&] {
            ::unlink(program.constData());
            ::rmdir((base + folder).constData());
        });
        if (::link(QFile::encodeName(QCoreApplication::applicationFilePath()).constData(),
                   program.constData()) != 0)
            QSKIP("cannot hard-link the test program here");
        QByteArray started = program;
        if (viaSymlink) {
            QCOMPARE(::mkdir((base + "bin").constData(), 0755), 0);
            started = base + "bin/tessaline";
            QCOMPARE(::symlink(("../" + folder + "/tessaline").constData(), started.constData()),
                     0);
        }
        QProcess child;
        child.start(QFile::decodeName(started), {QStringLiteral("--print-program-dir")});
        QVERIFY(child.waitForFinished(30000));
        const QString out = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
        if (expected.contains(u' ')) {
            QCOMPARE(child.exitCode(), 3);
            QVERIFY2(out.contains(expected), qPrintable(out));
        } else {
            QCOMPARE(child.exitCode(), 0);
            QCOMPARE(out, root.path() + u'/' + expected);
        }
    }

    void missingProgramDirFailsStartUp() {
        Paths::setProgramDir(QString());
        QVERIFY(
            failsToStart(RuntimeError::PathFileAccess, QStringLiteral("cannot find the folder")));
    }

    void pathIsProgramDirPlusFileName() {
        Paths::setProgramDir(QStringLiteral("/"));
        QCOMPARE(Paths::versesPath(), QStringLiteral("//verses.mdb"));
        QCOMPARE(Paths::favsPath(), QStringLiteral("//favs.ini"));
    }
};

// With --interrupt-write PATH the program changes every row of PATH inside a transaction that
// spills to the file, and dies before committing, as a program killed mid-write does.
static int interruptWrite(const QString& path) {
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    d.setDatabaseName(path);
    QSqlQuery q(d.open() ? d : QSqlDatabase());
    if (!q.exec(QStringLiteral("PRAGMA cache_size=1")) || !q.exec(QStringLiteral("BEGIN")) ||
        !q.exec(QStringLiteral("UPDATE verses SET text = 'changed'")))
        return 1;
    std::fflush(nullptr);
    std::_Exit(0);
}

#define main testMain
TESSALINE_TEST_MAIN(TestStartup)
#undef main

int main(int argc, char** argv) {
    if (argc == 2 && qstrcmp(argv[1], "--print-program-dir") == 0) {
        try {
            std::printf("%s\n", Paths::programDir().toUtf8().constData());
            return 0;
        } catch (const RuntimeError& error) {
            std::printf("%s\n", error.what());
            return 3;
        }
    }
    if (argc == 3 && qstrcmp(argv[1], "--attach-as-nobody") == 0) {
        // The nobody user and group of Debian.
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            return 2;
        QCoreApplication app(argc, argv);
        try {
            VerseLibrary::attach(QString::fromLocal8Bit(argv[2]));
            return 0;
        } catch (const RuntimeError& error) {
            std::printf("%d %s\n", error.number(), error.description().toUtf8().constData());
            return 3;
        }
    }
    if (argc == 3 && qstrcmp(argv[1], "--interrupt-write") == 0) {
        QCoreApplication app(argc, argv);
        return interruptWrite(QString::fromLocal8Bit(argv[2]));
    }
    return testMain(argc, argv);
}
#include "tst_startup.moc"
