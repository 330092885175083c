#pragma once

#include <QApplication>
#include <QHash>
#include <QPointer>

class QKeyEvent;

// The application object: delivers key preview to the windows that ask for it and is the one
// place where an error that escaped an event handler is caught and reported. Creating it also
// connects the windows to their backdrop, which lives in a layer above them.
class TessalineApp : public QApplication {
    Q_OBJECT
public:
    TessalineApp(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Font and look settings shared by every window.
    static void applyLook();

    // Hands a key press to the window's Form_KeyPress when that window previews keys.
    static void previewKey(QWidget* receiver, QKeyEvent* event);

    // Whether the key is an Enter (main or keypad) that presses the focused button: any push
    // or picture button in one of the program's windows.
    static bool pressesButton(QWidget* receiver, const QKeyEvent* event);

private:
    // Follows each key from its press to its release. Returns whether the event is an
    // auto-repeat (or its release), and sets `foreign` when the key went down in another
    // window than the one now receiving it, or outside the program.
    bool followKey(QWidget* receiver, const QKeyEvent* event, bool& foreign);

    struct HeldKey {
        QPointer<QWidget> window; // where the press began
        bool down = false;
        quint64 releasedAt = 0; // time of the last release, to spot a repeat's release
        quint64 pressedAt = 0;  // time of the last press or repeat
    };
    // Repeats follow each other (and the press) well within this, in milliseconds.
    static constexpr quint64 RepeatWithinMs = 1000;
    QHash<quint32, HeldKey> m_held;
};
