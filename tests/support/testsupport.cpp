#include "tests/support/testsupport.h"

#include "app/forms.h"
#include "app/module1.h"
#include "app/paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

ScriptedHost::ScriptedHost() : m_previous(Host::setBackend(this)) {}

ScriptedHost::~ScriptedHost() {
    Host::setBackend(m_previous);
}

Host::Answer ScriptedHost::messageBox(const Host::Message& message) {
    messages.append(message);
    if (m_hook)
        m_hook(message);
    if (message.buttons == Host::Buttons::Ok)
        return Host::Answer::Ok;
    if (m_answers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + message.text), __FILE__,
                     __LINE__);
        return Host::Answer::No;
    }
    return m_answers.takeFirst();
}

void ScriptedHost::endProgram(int exitCode) {
    endCodes.append(exitCode);
}

TestProgramDir::TestProgramDir() {
    Paths::setProgramDir(m_dir.path());
}

TestProgramDir::~TestProgramDir() {
    Paths::setProgramDir(QString());
}

void writeVersesDb(const QString& path, const QList<VerseRow>& rows) {
    const QString name = QStringLiteral("test-writer");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("DROP TABLE IF EXISTS verses")));
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE verses (title TEXT, text TEXT)")));
        db.transaction();
        QVERIFY(q.prepare(QStringLiteral("INSERT INTO verses (title, text) VALUES (?, ?)")));
        for (const VerseRow& row : rows) {
            q.addBindValue(row.title);
            q.addBindValue(row.text);
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        }
        QVERIFY(db.commit());
    }
    QSqlDatabase::removeDatabase(name);
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

void resetProgram() {
    Forms::unloadAll();
    settle();
    resetShared();
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void ProgramTestCase::init() {
    resetProgram();
    dir = std::make_unique<TestProgramDir>();
    host = std::make_unique<ScriptedHost>();
}

void ProgramTestCase::cleanup() {
    // A test may have made the directory read-only; it must still be removable.
    QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    resetProgram();
    host.reset();
    dir.reset();
}
