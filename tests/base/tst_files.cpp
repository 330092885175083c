#include "base/files.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The one atomic write: the favourites file and the companion's exports go through it.
class TestFiles : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("favs.ini")); }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        QVERIFY(writeFile(path(), "the old contents\r\n"));
    }

    void replacesTheFileWhole() {
        Files::writeAtomically(path(), "new\r\n");
        QCOMPARE(contents(path()), QByteArray("new\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"favs.ini"});
    }

    // A write cut off by a full disk or a size limit leaves the old file as it was, and no
    // half-written file beside it.
    void aCutOffWriteLeavesTheOldFile() {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 10;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString message;
        try {
            Files::writeAtomically(path(), QByteArray(100, 'n'));
        } catch (const RuntimeError& error) {
            message = error.description();
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY2(message.startsWith(QStringLiteral("Could not write '%1'").arg(path())),
                 qPrintable(message));
        QCOMPARE(contents(path()), QByteArray("the old contents\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"favs.ini"});
    }

    void aFolderIsNamedAsOne() {
        const QString folder = dir.filePath(QStringLiteral("folder"));
        QVERIFY(QDir().mkdir(folder));
        try {
            Files::writeAtomically(folder, "x");
            QFAIL("a folder was written over");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.description(),
                     QStringLiteral("'%1' is a folder, not a file.").arg(folder));
        }
        QVERIFY(QFileInfo(folder).isDir());
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
