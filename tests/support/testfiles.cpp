#include "tests/support/testfiles.h"

#include "base/paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

TestProgramDir::TestProgramDir() {
    Paths::setProgramDir(m_dir.path());
}

TestProgramDir::~TestProgramDir() {
    Paths::resetProgramDir();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool writeVersesDb(const QString& path, const QList<VerseRow>& rows) {
    const QString name = QStringLiteral("test-writer");
    bool written = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QSqlQuery q(db);
        written = db.open() && q.exec(QStringLiteral("DROP TABLE IF EXISTS verses")) &&
                  q.exec(QStringLiteral("CREATE TABLE verses (title TEXT, text TEXT)")) &&
                  db.transaction() &&
                  q.prepare(QStringLiteral("INSERT INTO verses (title, text) VALUES (?, ?)"));
        for (const VerseRow& row : rows) {
            q.addBindValue(row.title);
            q.addBindValue(row.text);
            written = written && q.exec();
        }
        written = written && db.commit();
        if (!written)
            qWarning("%s: %s", qPrintable(path), qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(name);
    return written;
}

bool runSql(const QString& path, const QString& sql) {
    const QString name = QStringLiteral("test-sql");
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QSqlQuery q(db);
        done = db.open() && q.exec(sql);
        if (!done)
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(name);
    return done;
}

QList<VerseRow> readVersesDb(const QString& path) {
    QList<VerseRow> out;
    const QString name = QStringLiteral("test-reader");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(QStringLiteral("SELECT title, text FROM verses ORDER BY rowid"), db);
            while (q.next())
                out.append({q.value(0), q.value(1)});
        }
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}

OtherProgram::OtherProgram() : m_name(QStringLiteral("other-program")) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(Paths::versesPath());
    db.open();
}

OtherProgram::~OtherProgram() {
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

bool OtherProgram::exec(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    if (q.exec(sql))
        return true;
    qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return false;
}

QVariant OtherProgram::value(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    return q.exec(sql) && q.next() ? q.value(0) : QVariant();
}

namespace {
constexpr char ChildVariable[] = "TESSALINE_TEST_IN_CHILD";
} // namespace

bool inTestChild() {
    return qEnvironmentVariableIsSet(ChildVariable);
}

ChildVerdict rerunInChild(int timeoutMs) {
    uid_t uid = ::geteuid();
    gid_t gid = ::getegid();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(ChildVariable), QStringLiteral("1"));
    if (uid == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody)
            return {false, false, "the user nobody is missing"};
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
        env.insert(QStringLiteral("TMPDIR"), QStringLiteral("/tmp"));
        env.insert(QStringLiteral("HOME"), QStringLiteral("/tmp"));
    }
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setChildProcessModifier([uid, gid] {
        std::signal(SIGXFSZ, SIG_DFL);
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)) {
            static const char why[] = "cannot become the user nobody\n";
            [[maybe_unused]] auto ignored = ::write(2, why, sizeof why - 1);
            ::_exit(126);
        }
    });
    QString name = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        name += u':' + QString::fromLatin1(QTest::currentDataTag());
    child.start(QCoreApplication::applicationFilePath(), {name});
    ChildVerdict verdict;
    verdict.finished = child.waitForFinished(timeoutMs);
    if (!verdict.finished) {
        child.kill();
        child.waitForFinished();
    }
    verdict.passed =
        verdict.finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    verdict.output = child.readAll();
    return verdict;
}
