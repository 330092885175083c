#include "windowbase/forms.h"

namespace Forms {
namespace {
QList<QPointer<FormBase>>& registry() {
    static QList<QPointer<FormBase>> forms;
    return forms;
}
} // namespace

void detail::track(FormBase* form) {
    registry().removeAll(nullptr);
    registry().append(form);
}

void bringToFront(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

QList<FormBase*> loaded() {
    QList<FormBase*> out;
    for (const auto& f : registry())
        if (f && !f->isUnloaded())
            out.append(f);
    return out;
}

void unloadAll() {
    for (const auto& f : registry())
        delete f.data();
    registry().clear();
}

} // namespace Forms
