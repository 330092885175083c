#include "editor/mousepointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace MousePointer {
namespace {
int current = Default;
}

void set(int pointer) {
    const int next = pointer == Hourglass ? Hourglass : Default;
    if (next == current)
        return;
    // One override level at most: ours is pushed on the way to the hourglass and popped on
    // the way back, so a nesting of busy sections can never leave it stuck.
    if (next == Hourglass)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
    current = next;
}

} // namespace MousePointer
