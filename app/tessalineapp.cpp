#include "app/tessalineapp.h"

#include "app/cp1252.h"
#include "app/formbase.h"
#include "app/forms.h"
#include "app/host.h"
#include "app/runtimeerror.h"
#include "look/backdrop.h"
#include "practice/form1.h"

#include <QAbstractButton>
#include <QFont>
#include <QKeyEvent>
#include <QPointer>

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
    // Every window is tiled with the practice window's picture, read once per paint; the
    // other windows create the practice window first when it is not there.
    FormBase::setBackdrop([](FormBase& target) {
        Form1& main = Forms::get<Form1>();
        Backdrop::paint(target, {main.Picture1->pixmap(), main.Picture1ScaleWidth(),
                                 main.Picture1ScaleHeight(),
                                 Form1::Picture1Tiles(target.devicePixelRatioF())});
    });
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
    form->Form_KeyPress(qint16(Cp1252::code(event->text().at(0))));
}

bool TessalineApp::pressesButton(QWidget* receiver, const QKeyEvent* event) {
    const int key = event->key();
    if ((key != Qt::Key_Return && key != Qt::Key_Enter) ||
        event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))
        return false;
    return qobject_cast<QAbstractButton*>(receiver) && qobject_cast<FormBase*>(receiver->window());
}

bool TessalineApp::followKey(QWidget* receiver, const QKeyEvent* event, bool& foreign) {
    // The scan code tells keys apart whatever the modifiers make of them; synthetic events
    // have none.
    const quint32 id =
        event->nativeScanCode() ? event->nativeScanCode() | 0x80000000u : quint32(event->key());
    QWidget* window = receiver->window();
    const auto held = m_held.constFind(id);
    const bool known = held != m_held.constEnd() && held->window;
    if (event->type() == QEvent::KeyPress) {
        const quint64 time = event->timestamp();
        // A repeat may come unmarked: as a press while the key is still down, or as a release
        // and a press with the same time stamp (the platform tells them apart only when both
        // are already queued). A release can be lost (a window hidden under the key): a
        // press long after the last one is a new press, not a repeat.
        const bool stillDown =
            known && held->down &&
            (time == 0 || (time >= held->pressedAt && time - held->pressedAt <= RepeatWithinMs));
        const bool repeat =
            event->isAutoRepeat() || stillDown || (known && time != 0 && time == held->releasedAt);
        if (repeat) {
            foreign = !known || held->window != window;
            if (known)
                m_held[id].pressedAt = time;
            return true;
        }
        m_held.insert(id, {window, true, 0, time});
        foreign = false;
        return false;
    }
    foreign = known && held->window != window;
    if (!event->isAutoRepeat() && held != m_held.constEnd()) {
        HeldKey& key = m_held[id];
        key.down = false;
        key.releasedAt = event->timestamp();
    }
    return event->isAutoRepeat();
}

bool TessalineApp::notify(QObject* receiver, QEvent* event) {
    try {
        // A key whose release this program may never see (the user went to another program)
        // must not count as held when the user comes back.
        if (event->type() == QEvent::ApplicationStateChange &&
            static_cast<QApplicationStateChangeEvent*>(event)->applicationState() !=
                Qt::ApplicationActive)
            m_held.clear();
        // The widget receiver is the focused control (or the window): preview happens here,
        // once, before the event is delivered and propagated.
        if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
            receiver->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(receiver);
            auto* key = static_cast<QKeyEvent*>(event);
            // A key belongs to the window it went down in: held on, it must not press a
            // button in the window its press opened, nor answer a box that press asked.
            bool foreign = false;
            const bool repeat = followKey(widget, key, foreign);
            if (foreign)
                return true;
            if (event->type() == QEvent::KeyPress) {
                const int asked = Host::messagesShown();
                const QPointer<QWidget> alive(widget);
                previewKey(widget, key);
                if (!alive)
                    return true;
                // Enter presses the focused button, after the preview; a held Enter presses it
                // once. An Enter the preview turned into a question was answered there.
                if (pressesButton(widget, key)) {
                    if (!repeat && Host::messagesShown() == asked && widget->isEnabled())
                        static_cast<QAbstractButton*>(widget)->click();
                    return true;
                }
            }
        }
        return QApplication::notify(receiver, event);
    } catch (const RuntimeError& error) {
        Host::reportUncaught(error);
    } catch (const std::exception& error) {
        Host::reportUncaught(
            RuntimeError(RuntimeError::Internal, QString::fromLocal8Bit(error.what())));
    }
    return true;
}
