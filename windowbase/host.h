#pragma once

#include <QString>

class RuntimeError;

// Everything that would block on the user or end the process goes through here, so a test
// can answer message boxes and observe program end without a modal dialog ever appearing.
namespace Host {

enum class Buttons { Ok, YesNo };
enum class Icon { None, Warning, Critical };
enum class Answer { Ok, Yes, No };

struct Message {
    QString text;
    QString title;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual Answer messageBox(const Message& message) = 0;
    virtual void endProgram(int exitCode) = 0;
};

// Title used when a message gives none: the program's own name.
inline constexpr auto ProgramTitle = "Tessaline";

Answer messageBox(const QString& text, Buttons buttons = Buttons::Ok, const QString& title = {},
                  Icon icon = Icon::None);

// Notes whether a message box was shown while it lives (an outer watch sees what an inner
// one sees): tells a caller whether a handler it ran asked the user something.
class MessageWatch {
public:
    MessageWatch();
    ~MessageWatch();
    MessageWatch(const MessageWatch&) = delete;
    MessageWatch& operator=(const MessageWatch&) = delete;
    bool seen() const { return m_seen; }

private:
    friend Answer messageBox(const QString&, Buttons, const QString&, Icon);
    bool m_seen = false;
    MessageWatch* m_outer;
};

// Ends the program at once: no window's closing handling runs.
void endProgram(int exitCode = 0);

// The one place an error that no handler caught is reported; the program then ends.
void reportUncaught(const RuntimeError& error);

// Reports a failure the program survives (a save that did not happen, a locked database).
void reportError(const RuntimeError& error, const QString& context = {});

// Replaces the backend (tests); passing nullptr restores the real one. Returns the previous.
Backend* setBackend(Backend* backend);

} // namespace Host
