#pragma once

#include "windowbase/formbase.h"

#include <QPointer>

// Each window is a single shared instance, created and loaded the first time anything uses
// it; closing it through the title bar deletes it, and the next use starts over.
namespace Forms {

namespace detail {
template <class W> QPointer<W>& slot() {
    static QPointer<W> instance;
    return instance;
}
void track(FormBase* form);
} // namespace detail

template <class W> W& get() {
    QPointer<W>& instance = detail::slot<W>();
    if (!instance || instance->isUnloaded()) {
        instance = new W();
        detail::track(instance);
        instance->Form_Load();
    }
    return *instance;
}

// Shows the window modeless, loading it first if needed, and brings it to the front.
void bringToFront(QWidget& window);
template <class W> W& show() {
    W& w = get<W>();
    bringToFront(w);
    return w;
}

// Every loaded window, in the order they were created.
QList<FormBase*> loaded();
// Deletes every window without its closing handling (program end).
void unloadAll();

} // namespace Forms
