#pragma once

#include "app/host.h"

#include <QEvent>
#include <QList>
#include <QObject>
#include <QTemporaryDir>
#include <QVariant>
#include <QWidget>
#include <Qt>
#include <functional>
#include <memory>

// Answers message boxes from a script and records them, and records program end, so that no
// test ever blocks on a modal dialog.
class ScriptedHost : public Host::Backend {
public:
    ScriptedHost();
    ~ScriptedHost() override;

    Host::Answer messageBox(const Host::Message& message) override;
    void endProgram(int exitCode) override;

    // Answers for the next Yes/No questions, in order; an unscripted question fails the test.
    void answer(Host::Answer next) { m_answers.append(next); }
    // Runs while a message box is "open", before it is answered.
    void onMessage(std::function<void(const Host::Message&)> hook) { m_hook = std::move(hook); }

    QList<Host::Message> messages;
    QList<int> endCodes;

private:
    QList<Host::Answer> m_answers;
    std::function<void(const Host::Message&)> m_hook;
    Host::Backend* m_previous;
};

// A fresh program directory for one test: the verses database and favourites file live here.
class TestProgramDir {
public:
    TestProgramDir();
    ~TestProgramDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// A verse row; a null QVariant is a NULL field.
struct VerseRow {
    QVariant title;
    QVariant text;
};

// Writes bytes to a file, replacing what it held.
[[nodiscard]] bool writeFile(const QString& path, const QByteArray& bytes);

// Writes a SQLite verses table with the rows in the given order.
[[nodiscard]] bool writeVersesDb(const QString& path, const QList<VerseRow>& rows);
QList<VerseRow> readVersesDb(const QString& path);
// Runs one statement on the SQLite file at path, as another program would.
[[nodiscard]] bool runSql(const QString& path, const QString& sql);
// A trigger that makes every change of a verse fail with "verses are read-only today".
inline const QString RefuseUpdatesSql =
    QStringLiteral("create trigger no_edits before update on verses begin "
                   "select raise(abort, 'verses are read-only today'); end");

// A second program's connection to the verse file, open until it goes.
class OtherProgram {
public:
    OtherProgram();
    ~OtherProgram();
    bool exec(const QString& sql);
    QVariant value(const QString& sql);

private:
    QString m_name;
};

// Unloads every window and clears the shared state.
void resetProgram();

// Lets posted events (deferred deletes, queued keys) run.
void settle();

// Brings the window to the front; false when it never takes the keyboard.
[[nodiscard]] bool activate(QWidget& window);

// One key as a keyboard sends it: a press and, separately, a release, each delivered to the
// widget that has the focus at that moment. `text` is what the key types, if anything.
// False when no window takes the keyboard.
[[nodiscard]] bool keyDown(Qt::Key key, const QString& text = {},
                           Qt::KeyboardModifiers modifiers = {});
[[nodiscard]] bool keyUp(Qt::Key key, const QString& text = {},
                         Qt::KeyboardModifiers modifiers = {});
// One key event as the platform may deliver it: an auto-repeat, or with a time stamp (a
// repeat's release and press share one), to whatever takes the keyboard now.
[[nodiscard]] bool sendKeyEvent(QEvent::Type type, Qt::Key key, const QString& text,
                                bool autoRepeat, quint64 timestamp = 0);
// The widget a key typed now would reach: a modal box, else the active window's focus.
QWidget* keyboardReceiver();
[[nodiscard]] bool pressKey(Qt::Key key, const QString& text = {},
                            Qt::KeyboardModifiers modifiers = {});
// Types each character as a press and a release of its key (letters, digits, blank, ".").
[[nodiscard]] bool typeText(const QString& text);
Qt::Key keyFor(QChar c);

// Base of test classes that run the program's windows: each test function gets a fresh
// program directory, a scripted host, no windows and the shared state of program start.
class ProgramTestCase : public QObject {
    Q_OBJECT
protected:
    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<ScriptedHost> host;

protected slots:
    // A test class that needs more in its own init() or cleanup() calls these from there.
    void init();
    void cleanup();
};
