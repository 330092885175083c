#include "app/tessalineapp.h"

#include "app/cp1252.h"
#include "app/formbase.h"
#include "app/forms.h"
#include "app/host.h"
#include "app/runtimeerror.h"

#include <QFont>
#include <QKeyEvent>

#include <csignal>

// Resources compiled into a static library must be registered by hand.
static void initResources() {
    Q_INIT_RESOURCE(tessaline);
}

TessalineApp::TessalineApp(int& argc, char** argv) : QApplication(argc, argv) {
    initResources();
    setApplicationName(QStringLiteral("Tessaline"));
    // Matches the installed tessaline.desktop, so the desktop shows its icon and name.
    setDesktopFileName(QStringLiteral("tessaline"));
    // A write past the file-size limit (ulimit -f) then fails like one on a full disk and is
    // reported, instead of the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    applyLook();
    // The program ends when the last window on screen closes. A window still loaded but
    // hidden (the editor after Select) is closed properly first, so it can save what it holds.
    connect(this, &QGuiApplication::lastWindowClosed, this, [] {
        for (FormBase* form : Forms::loaded())
            form->close();
    });
}

void TessalineApp::applyLook() {
    // Metric-compatible faces for the fonts the windows ask for by name.
    QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                              QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

void TessalineApp::previewKey(QWidget* receiver, QKeyEvent* event) {
    auto* form = qobject_cast<FormBase*>(receiver->window());
    if (!form || !form->keyPreview())
        return;
    // Only typed characters: Tab moves the focus, Delete edits, and Alt (or Meta) with a key
    // is a shortcut. AltGr, which types characters such as "@" on many keyboards, is not Alt.
    const int key = event->key();
    if (event->text().isEmpty() || key == Qt::Key_Tab || key == Qt::Key_Backtab ||
        key == Qt::Key_Delete || event->modifiers() & (Qt::AltModifier | Qt::MetaModifier))
        return;
    qint16 code = qint16(Cp1252::code(event->text().at(0)));
    form->Form_KeyPress(code);
}

bool TessalineApp::notify(QObject* receiver, QEvent* event) {
    try {
        // The widget receiver is the focused control (or the window): preview happens here,
        // once, before the event is delivered and propagated.
        if (event->type() == QEvent::KeyPress && receiver->isWidgetType())
            previewKey(static_cast<QWidget*>(receiver), static_cast<QKeyEvent*>(event));
        return QApplication::notify(receiver, event);
    } catch (const RuntimeError& error) {
        Host::reportUncaught(error);
    } catch (const std::exception& error) {
        Host::reportUncaught(RuntimeError(51, QString::fromLocal8Bit(error.what())));
    }
    return true;
}
