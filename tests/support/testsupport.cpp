#include "tests/support/testsupport.h"

#include "app/forms.h"
#include "app/module1.h"
#include "app/paths.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
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

void resetProgram() {
    Forms::unloadAll();
    settle();
    resetShared();
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

bool activate(QWidget& window) {
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
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

QWidget* keyboardReceiver() {
    // A modal box takes every key; otherwise the focused control, or the active window. A
    // window just brought to the front becomes active once pending events have run.
    auto receiver = [] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w)
            w = QApplication::activeWindow();
        return w && w->focusWidget() ? w->focusWidget() : w;
    };
    QWidget* target = receiver();
    if (!target) {
        QCoreApplication::processEvents();
        target = receiver();
    }
    return target;
}

namespace {

bool sendKey(QTest::KeyAction action, Qt::Key key, const QString& text,
             Qt::KeyboardModifiers modifiers) {
    QWidget* target = keyboardReceiver();
    if (!target)
        return action == QTest::Release; // the press closed every window the key could reach
    QTest::sendKeyEvent(action, target, key, text, modifiers);
    return true;
}

} // namespace

bool keyDown(Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers) {
    return sendKey(QTest::Press, key, text, modifiers);
}

bool sendKeyEvent(QEvent::Type type, Qt::Key key, const QString& text, bool autoRepeat,
                  quint64 timestamp) {
    QWidget* target = keyboardReceiver();
    if (!target)
        return false;
    QKeyEvent event(type, key, Qt::NoModifier, text, autoRepeat);
    event.setTimestamp(timestamp);
    QApplication::sendEvent(target, &event);
    return true;
}

bool keyUp(Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers) {
    return sendKey(QTest::Release, key, text, modifiers);
}

bool pressKey(Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers) {
    return keyDown(key, text, modifiers) && keyUp(key, text, modifiers);
}

Qt::Key keyFor(QChar c) {
    const QChar upper = c.toUpper();
    if (upper.unicode() >= 'A' && upper.unicode() <= 'Z')
        return Qt::Key(Qt::Key_A + (upper.unicode() - 'A'));
    return Qt::Key(c.unicode()); // blank, digits and punctuation share their code
}

bool typeText(const QString& text) {
    for (QChar c : text) {
        const Qt::KeyboardModifiers shift = c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
        if (!pressKey(keyFor(c), QString(c), shift))
            return false;
    }
    return true;
}
