#include "app/forms.h"
#include "app/module1.h"
#include "app/paths.h"
#include "app/runtimeerror.h"
#include "app/startup.h"
#include "practice/form1.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdio>
#include <cstdlib>

class TestStartup : public ProgramTestCase {
    Q_OBJECT

    QString db() const { return dir->file(QStringLiteral("verses.mdb")); }

    // Start-up must fail: one message with the number, no window, exit status 1.
    void expectFailure(int number, const QString& mentions) {
        QVERIFY(!start());
        QCOMPARE(host->messages.size(), 1);
        const QString text = host->messages.first().text;
        QVERIFY2(text.contains(QString::number(number)), qPrintable(text));
        QVERIFY2(text.contains(mentions), qPrintable(text));
        QCOMPARE(host->endCodes, QList<int>{1});
        QVERIFY(Forms::loaded().isEmpty());
    }

private slots:
    void loadsRowsInTitleOrder() {
        writeVersesDb(db(), {{"b", "text b"}, {"a", "text a"}, {"c", "text c"}});
        QVERIFY(start());
        const Module1& s = shared();
        QCOMPARE(s.VerseCount(), 3);
        QStringList titles, texts;
        for (int k = 0; k <= 4; ++k) {
            titles << s.VerseTitles(k);
            texts << s.VerseTexts(k);
        }
        QCOMPARE(titles, (QStringList{"", "a", "b", "c", ""}));
        QCOMPARE(texts, (QStringList{"", "text a", "text b", "text c", ""}));
        QVERIFY(host->messages.isEmpty());
    }

    void practiceWindowIsTheOnlyWindowAndNothingIsStarted() {
        writeVersesDb(db(), {{"a", "x"}});
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
        writeVersesDb(db(), {});
        QVERIFY(start());
        QCOMPARE(shared().VerseCount(), 0);
        QVERIFY(Forms::isLoaded<Form1>());
    }

    void holdsEveryRowOfALargeTable() {
        QList<VerseRow> rows;
        for (int i = 0; i < 1200; ++i)
            rows.append({QStringLiteral("t%1").arg(i, 5, 10, QLatin1Char('0')),
                         QStringLiteral("v%1").arg(i)});
        writeVersesDb(db(), rows);
        QVERIFY(start());
        QCOMPARE(shared().VerseCount(), 1200);
        QCOMPARE(shared().VerseTitles(1200), QStringLiteral("t01199"));
        QCOMPARE(shared().VerseTexts(501), QStringLiteral("v500"));
    }

    void nullFieldsReadAsEmpty() {
        writeVersesDb(db(), {{"a", QVariant()}, {QVariant(), "only text"}});
        QVERIFY(start());
        QCOMPARE(shared().VerseCount(), 2);
        QCOMPARE(shared().VerseTitles(1), QString()); // NULL sorts first
        QCOMPARE(shared().VerseTexts(1), QStringLiteral("only text"));
        QCOMPARE(shared().VerseTexts(2), QString());
    }

    void missingFileFailsAndIsNotCreated() {
        expectFailure(RuntimeError::DatabaseNotFound, db());
        QVERIFY(!QFile::exists(db()));
    }

    void brokenFileFailsAndIsLeftAlone() {
        QFile f(db());
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray junk(4096, 'x');
        f.write(junk);
        f.close();
        expectFailure(RuntimeError::NotADatabase, db());
        QFile check(db());
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), junk);
    }

    void directoryInPlaceOfFileFails() {
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("verses.mdb")));
        expectFailure(RuntimeError::NotADatabase, db());
    }

    void missingTableFails() {
        {
            QSqlDatabase d =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("mk"));
            d.setDatabaseName(db());
            QVERIFY(d.open());
            QVERIFY(QSqlQuery(d).exec(QStringLiteral("CREATE TABLE other (x TEXT)")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("mk"));
        expectFailure(RuntimeError::TableNotFound, QStringLiteral("verses"));
    }

    void missingColumnFails() {
        {
            QSqlDatabase d =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("mk"));
            d.setDatabaseName(db());
            QVERIFY(d.open());
            QVERIFY(
                QSqlQuery(d).exec(QStringLiteral("CREATE TABLE verses (title TEXT, body TEXT)")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("mk"));
        expectFailure(RuntimeError::ItemNotFound, QStringLiteral("'text'"));
    }

    void lockedFileIsReportedAfterWaiting() {
        writeVersesDb(db(), {{"a", "x"}});
        {
            QSqlDatabase other =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(db());
            QVERIFY(other.open());
            QSqlQuery lock(other);
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QElapsedTimer waited;
            waited.start();
            expectFailure(RuntimeError::DatabaseLocked, QStringLiteral("another program"));
            QVERIFY(waited.elapsed() >= 2000);
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
        writeVersesDb(db(), rows);
        QCOMPARE(QProcess::execute(QCoreApplication::applicationFilePath(),
                                   {QStringLiteral("--interrupt-write"), db()}),
                 0);
        QVERIFY(QFileInfo(db() + QStringLiteral("-journal")).size() > 0);
        QVERIFY(start());
        QVERIFY(host->messages.isEmpty());
        QCOMPARE(shared().VerseCount(), 2000);
        QCOMPARE(shared().VerseTexts(2000), QString(200, 'v'));
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
    if (argc == 3 && qstrcmp(argv[1], "--interrupt-write") == 0) {
        QCoreApplication app(argc, argv);
        return interruptWrite(QString::fromLocal8Bit(argv[2]));
    }
    return testMain(argc, argv);
}
#include "tst_startup.moc"
