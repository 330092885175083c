#include "quitonexpose.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

QuitOnExpose::QuitOnExpose(std::function<bool(const QWidget*)> isTarget)
    : m_isTarget(std::move(isTarget)) {
    qApp->installEventFilter(this);
}

bool QuitOnExpose::eventFilter(QObject* watched, QEvent* event) {
    if (m_seen || event->type() != QEvent::Expose)
        return false;
    auto* window = qobject_cast<QWindow*>(watched);
    if (!window || !window->isExposed())
        return false;
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window && m_isTarget(widget)) {
            m_seen = true;
            // Queued: the expose goes on to the window, which paints it at once, and only then
            // does the loop see the quit. It also works when the expose comes before exec().
            QMetaObject::invokeMethod(
                qApp, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
            break;
        }
    }
    return false;
}
