#include "base/accessconversion.h"
#include "base/accessfile.h"
#include "base/runtimeerror.h"
#include "practice/form1.h"
#include "startup/startup.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"
#include "windowbase/forms.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QString fixture(const QString& name) {
    return QStringLiteral(TESSALINE_TEST_DATA "/jet/") + name;
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Every file of a folder with its bytes.
QMap<QString, QByteArray> folderContents(const QString& folder) {
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        files.insert(name, bytesOf(dir.filePath(name)));
    return files;
}

using Names = AccessConversion::Names;

} // namespace

Q_DECLARE_METATYPE(AccessConversion::Names)

// Start-up with an Access verses.mdb: converted once to the SQLite file the program uses, the
// original kept beside it; or, when that cannot be done, refused with every file as it was.
// Real Access files have no table verses, so the conversion is driven through the names
// start-up looks for.
class TestAccessConversion : public ProgramTestCase {
    Q_OBJECT

    QString db() const { return dir->file(QStringLiteral("verses.mdb")); }

    void useFixture(const QString& name) {
        QVERIFY(QFile::copy(fixture(name), db()));
        QVERIFY(QFile::setPermissions(db(), QFile::ReadOwner | QFile::WriteOwner));
    }

    // Start-up fails with one message holding the number and every one of the words, no
    // window, and every file of the folder as it was.
    void failsLeavingAllAsItWas(int number, const QStringList& mentions) {
        const auto before = folderContents(dir->path());
        QVERIFY(!start());
        QCOMPARE(host->messages.size(), 1);
        const QString text = host->messages[0].text;
        QVERIFY2(text.contains(QString::number(number)), qPrintable(text));
        for (const QString& words : mentions)
            QVERIFY2(text.contains(words), qPrintable(text));
        QCOMPARE(host->endCodes, QList<int>{1});
        QVERIFY(Forms::loaded().isEmpty());
        QCOMPARE(folderContents(dir->path()), before);
    }

    // Permissions do not stop root, and a write past a file size limit raises SIGXFSZ: such
    // tests run again in a child (rerunInChild). Whether it passed, and what it printed.
    static std::pair<bool, QByteArray> runInChild() {
        const ChildVerdict child = rerunInChild(60000);
        return {child.passed, child.output};
    }

private slots:
    void init() { ProgramTestCase::init(); }
    void cleanup() {
        AccessConversion::setStartUpNames({});
        ProgramTestCase::cleanup();
    }

    void accessFileWithoutVersesTableFailsStartUp_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("tables");
        QTest::newRow("Jet 3") << "delTestV1997.mdb"
                               << "'Table'";
        QTest::newRow("Jet 3, memos") << "test2V1997.mdb"
                                      << "'MSP_PROJECTS'";
        QTest::newRow("Jet 4") << "test2V2000.mdb"
                               << "'MSP_PROJECTS'";
        QTest::newRow("Jet 4, compressed Unicode") << "testUnicodeCompV2003.mdb"
                                                   << "'Table'";
        QTest::newRow("ACE") << "delTestV2007.accdb"
                             << "'Table'";
    }
    void accessFileWithoutVersesTableFailsStartUp() {
        QFETCH(QString, file);
        QFETCH(QString, tables);
        useFixture(file);
        failsLeavingAllAsItWas(RuntimeError::TableNotFound,
                               {db(), QStringLiteral("has no table 'verses'"), tables,
                                QStringLiteral("tessaline-verses import old.mdb --table NAME")});
        QCOMPARE(bytesOf(db()), bytesOf(fixture(file)));
    }

    void missingColumnsAreAllNamed_data() {
        QTest::addColumn<Names>("names");
        QTest::addColumn<QString>("missing");
        QTest::newRow("both") << Names{"Table", "title", "text"} << "columns 'title' or 'text'";
        QTest::newRow("title") << Names{"table", "TITLE", "B"} << "column 'TITLE'.";
        QTest::newRow("text") << Names{"TABLE", "a", "text"} << "column 'text'.";
    }
    void missingColumnsAreAllNamed() {
        QFETCH(Names, names);
        QFETCH(QString, missing);
        useFixture(QStringLiteral("delTestV1997.mdb"));
        AccessConversion::setStartUpNames(names);
        failsLeavingAllAsItWas(RuntimeError::ItemNotFound,
                               {missing, QStringLiteral("Its columns: 'a', 'b'.")});
    }

    void damagedAccessFileFailsStartUp_data() {
        QTest::addColumn<int>("page"); // of 4096 bytes: the file ends before it, or it is zeroed
        QTest::addColumn<bool>("cut");
        QTest::addColumn<QString>("why");
        QTest::newRow("cut short") << 1 << true << "its list of tables cannot be read";
        // libmdb loops for ever reading this file's list of tables.
        QTest::newRow("page of table properties zeroed") << 32 << false << "made no progress";
    }
    void damagedAccessFileFailsStartUp() {
        QFETCH(int, page);
        QFETCH(bool, cut);
        QFETCH(QString, why);
        QByteArray bytes = bytesOf(fixture(QStringLiteral("test2V2000.mdb")));
        if (cut)
            bytes.truncate(page * 4096);
        else
            bytes.replace(page * 4096, 4096, QByteArray(4096, '\0'));
        QVERIFY(writeFile(db(), bytes));
        AccessFile::setStallTimeoutMs(1000);
        const auto restore = qScopeGuard([] { AccessFile::setStallTimeoutMs(20000); });
        failsLeavingAllAsItWas(
            RuntimeError::NotADatabase,
            {why, QStringLiteral("damaged, encrypted or protected by a password")});
    }

    void fileNeitherSqliteNorAccessSaysSo() {
        QVERIFY(writeFile(db(), QByteArray(4096, 'x')));
        failsLeavingAllAsItWas(RuntimeError::NotADatabase,
                               {QStringLiteral("is not a verse database (it is neither an SQLite "
                                               "nor an Access database)")});
    }

    void convertsOnceKeepingTheOriginal_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<Names>("names");
        QTest::addColumn<QList<VerseRow>>("rows"); // the first rows
        QTest::addColumn<int>("count");
        const QList<VerseRow> two{{"z", "y"}, {"v", "u"}};
        QTest::newRow("Jet 3") << "delTestV1997.mdb" << Names{"table", "A", "b"} << two << 2;
        QTest::newRow("ACE") << "delTestV2007.accdb" << Names{"Table", "a", "b"} << two << 2;
        QTest::newRow("Jet 4, compressed Unicode")
            << "testUnicodeCompV2003.mdb" << Names{"Table", "ID", "Unicode"}
            << QList<VerseRow>{{"1", "only ascii chars"},
                               {"2", QStringLiteral("\u00e4\u00e4kk\u00f6si\u00e4")},
                               {"3", QStringLiteral("\u041c\u0438\u0440")}}
            << 8;
        // The title column is a memo that was never filled: NULL stays NULL.
        QTest::newRow("Jet 4, memo outside the row, NULL")
            << "test2V2000.mdb" << Names{"MSP_PROJECTS", "PROJ_PROP_CATEGORY", "PROJ_PROP_AUTHOR"}
            << QList<VerseRow>{{QVariant(), "Jon Iles this is a a vawesrasoih"}} << 1;
    }
    void convertsOnceKeepingTheOriginal() {
        QFETCH(QString, file);
        QFETCH(Names, names);
        QFETCH(QList<VerseRow>, rows);
        QFETCH(int, count);
        useFixture(file);
        AccessConversion::setStartUpNames(names);
        QVERIFY(start());
        QVERIFY(isLoaded<Form1>());

        const QString kept = dir->file(QStringLiteral("verses-access.mdb"));
        QCOMPARE(bytesOf(kept), bytesOf(fixture(file)));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"verses-access.mdb", "verses.mdb"}));
        const QList<VerseRow> converted = readVersesDb(db());
        QCOMPARE(converted.size(), count);
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(converted[i].title.isNull(), rows[i].title.isNull());
            QCOMPARE(converted[i].title.toString(), rows[i].title.toString());
            // Long texts are checked by their start.
            QVERIFY2(converted[i].text.toString().startsWith(rows[i].text.toString()),
                     qPrintable(converted[i].text.toString()));
        }
        QCOMPARE(host->messages.size(), 1);
        QCOMPARE(host->messages[0].text,
                 QStringLiteral("verses.mdb was an Access database. Tessaline converted its %1 "
                                "%2; the original is kept as verses-access.mdb.")
                     .arg(count)
                     .arg(count == 1 ? "verse" : "verses"));

        // The next start finds the SQLite file and says nothing.
        resetProgram();
        QVERIFY(start());
        QCOMPARE(host->messages.size(), 1);
        QCOMPARE(readVersesDb(db()).size(), converted.size());
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void keptOriginalNeverOverwritesAFile() {
        useFixture(QStringLiteral("delTestV1997.mdb"));
        QVERIFY(writeFile(dir->file(QStringLiteral("verses-access.mdb")), "an older backup"));
        QVERIFY(writeFile(dir->file(QStringLiteral("verses-access-2.mdb")), "another"));
        AccessConversion::setStartUpNames({"Table", "a", "b"});
        QVERIFY(start());
        QCOMPARE(bytesOf(dir->file(QStringLiteral("verses-access.mdb"))), "an older backup");
        QCOMPARE(bytesOf(dir->file(QStringLiteral("verses-access-2.mdb"))), "another");
        QCOMPARE(bytesOf(dir->file(QStringLiteral("verses-access-3.mdb"))),
                 bytesOf(fixture(QStringLiteral("delTestV1997.mdb"))));
        QCOMPARE(host->messages.size(), 1);
        QVERIFY2(host->messages[0].text.endsWith(
                     QLatin1String("converted its 2 verses; the original is kept as "
                                   "verses-access-3.mdb.")),
                 qPrintable(host->messages[0].text));
    }

    void convertedFileIsWritableWhereTheOriginalWasNot() {
        if (!inTestChild()) {
            const auto [ok, output] = runInChild();
            QVERIFY2(ok, output.constData());
            return;
        }
        useFixture(QStringLiteral("delTestV1997.mdb"));
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(db(), readOnly));
        AccessConversion::setStartUpNames({"Table", "a", "b"});
        QVERIFY(start());
        const QFile::Permissions all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                       QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                       QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFile::permissions(db()) & all, readOnly | QFile::WriteOwner);
        QCOMPARE(QFile::permissions(dir->file(QStringLiteral("verses-access.mdb"))) & all,
                 readOnly);
    }

    // A disk that takes no more (a file size limit stands in for it, whoever runs the test)
    // and a folder that cannot be written: nothing changes, and the user is told why.
    void unwritableFolderOrFullDiskLeavesBothFiles_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("advice");
        QTest::newRow("full disk")
            << "full" << int(RuntimeError::PathFileAccess) << "Make sure the disk has room";
        QTest::newRow("read-only folder")
            << "readonly" << int(RuntimeError::PermissionDenied) << "Make the folder writable";
    }
    void unwritableFolderOrFullDiskLeavesBothFiles() {
        QFETCH(QString, obstacle);
        QFETCH(int, number);
        QFETCH(QString, advice);
        if (!inTestChild()) {
            const auto [ok, output] = runInChild();
            QVERIFY2(ok, output.constData());
            if (output.contains("SKIP   :"))
                QSKIP(output.constData());
            return;
        }
        useFixture(QStringLiteral("delTestV1997.mdb"));
        AccessConversion::setStartUpNames({"Table", "a", "b"});
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto restore = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &saved);
            QFile::setPermissions(dir->path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        if (obstacle == u"full") {
            rlimit small = saved;
            small.rlim_cur = 4096;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        } else {
            QVERIFY(QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::ExeOwner));
            if (QFile(dir->file(QStringLiteral("probe"))).open(QIODevice::WriteOnly))
                QSKIP("permissions do not stop this user from writing");
        }
        failsLeavingAllAsItWas(number, {QStringLiteral("is an Access database"),
                                        QStringLiteral("The original is untouched."), advice});
        QCOMPARE(bytesOf(db()), bytesOf(fixture(QStringLiteral("delTestV1997.mdb"))));
    }
};

TESSALINE_TEST_MAIN(TestAccessConversion)
#include "tst_accessconversion.moc"
