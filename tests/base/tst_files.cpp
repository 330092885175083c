#include "base/files.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <optional>
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

    // A failed write tells what the system said and how far it got, for each caller to word in
    // its own way; a file that was there is left whole.
    void failuresTellWhatHappened_data() {
        QTest::addColumn<QString>("target"); // "file", "folder" or a device written into
        QTest::addColumn<qint64>("limit");   // on the size of files written; -1 for none
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("code");
        QTest::addColumn<qint64>("written");
        QTest::newRow("size limit part-way")
            << "file" << qint64(10) << int(Files::WriteFailure::Write) << EFBIG << qint64(10);
        QTest::newRow("size limit at the first byte")
            << "file" << qint64(0) << int(Files::WriteFailure::Write) << EFBIG << qint64(0);
        QTest::newRow("folder") << "folder" << qint64(-1) << int(Files::WriteFailure::Open)
                                << EISDIR << qint64(0);
        QTest::newRow("full device")
            << "/dev/full" << qint64(-1) << int(Files::WriteFailure::Write) << ENOSPC << qint64(0);
    }
    void failuresTellWhatHappened() {
        QFETCH(QString, target);
        QFETCH(qint64, limit);
        QFETCH(int, step);
        QFETCH(int, code);
        QFETCH(qint64, written);
        const QString folder = dir.filePath(QStringLiteral("folder"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = target == u"file"     ? this->path()
                             : target == u"folder" ? folder
                                                   : target;
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        if (limit >= 0) {
            rlimit small = saved;
            small.rlim_cur = rlim_t(limit);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        std::optional<Files::WriteFailure> failure;
        try {
            if (target.startsWith(u"/dev/"))
                Files::writeInto(path, QByteArray(100, 'n'));
            else
                Files::replace(path, QByteArray(100, 'n'));
        } catch (const Files::WriteFailure& caught) {
            failure = caught;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
        QVERIFY(failure);
        QCOMPARE(int(failure->step), step);
        QCOMPARE(failure->code, code);
        QCOMPARE(failure->reason, qt_error_string(code));
        QCOMPARE(failure->written, written);
        QCOMPARE(contents(this->path()), QByteArray("the old contents\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"favs.ini"});
    }

    // A device or pipe is written into as it is, never replaced by a file.
    void aDeviceIsWrittenInto() {
        Files::writeInto(QStringLiteral("/dev/null"), "x");
        QVERIFY(!QFileInfo(QStringLiteral("/dev/null")).isFile());
        QVERIFY(QFileInfo(QStringLiteral("/dev/null")).exists());
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
