#include "windowbase/host.h"

#include "base/runtimeerror.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>

namespace Host {
namespace {

MessageWatch* innermost = nullptr;

// A message box; a Yes/No question in it is answered by Yes or No only: Escape is just another
// key there, and the box cannot be closed without an answer.
class MessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool question = false;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (question && event->matches(QKeySequence::Cancel))
            return;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (question)
            event->ignore();
        else
            QMessageBox::closeEvent(event);
    }
};

class WidgetBackend : public Backend {
public:
    Answer messageBox(const Message& m) override {
        MessageBox box(m.icon == Icon::Warning    ? QMessageBox::Warning
                       : m.icon == Icon::Critical ? QMessageBox::Critical
                                                  : QMessageBox::NoIcon,
                       m.title, m.text);
        box.setTextFormat(Qt::PlainText);
        if (m.buttons == Buttons::Ok) {
            box.setStandardButtons(QMessageBox::Ok);
            box.exec();
            return Answer::Ok;
        }
        box.question = true;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setWindowFlag(Qt::WindowCloseButtonHint, false);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }

    void endProgram(int exitCode) override {
        // Leaves the event loop right after the current handler: windows are destroyed without
        // their close handling, which is what "end at once" means here.
        QCoreApplication::exit(exitCode);
    }
};

WidgetBackend widgetBackend;
Backend* current = &widgetBackend;

} // namespace

MessageWatch::MessageWatch() : m_outer(innermost) {
    innermost = this;
}

MessageWatch::~MessageWatch() {
    innermost = m_outer;
}

Answer messageBox(const QString& text, Buttons buttons, const QString& title, Icon icon) {
    for (MessageWatch* watch = innermost; watch; watch = watch->m_outer)
        watch->m_seen = true;
    return current->messageBox(
        {text, title.isEmpty() ? QString::fromLatin1(ProgramTitle) : title, buttons, icon});
}

void endProgram(int exitCode) {
    current->endProgram(exitCode);
}

void reportUncaught(const RuntimeError& error) {
    messageBox(
        QStringLiteral("Run-time error '%1':\n\n%2").arg(error.number()).arg(error.description()),
        Buttons::Ok, {}, Icon::Critical);
    endProgram(1);
}

void reportError(const RuntimeError& error, const QString& context) {
    QString text = context.isEmpty() ? QString() : context + QStringLiteral("\n\n");
    text += QStringLiteral("Error %1: %2").arg(error.number()).arg(error.description());
    messageBox(text, Buttons::Ok, {}, Icon::Warning);
}

Backend* setBackend(Backend* backend) {
    Backend* previous = current;
    current = backend ? backend : &widgetBackend;
    return previous;
}

} // namespace Host
