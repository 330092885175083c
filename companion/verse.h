#pragma once

#include <QList>
#include <QString>
#include <functional>

namespace Companion {

// One row of table verses, as the companion adds, imports and exports it.
struct Verse {
    QString title;
    QString text;
    friend bool operator==(const Verse&, const Verse&) = default;
};

// Told how far long work has got: done of total steps (total 0 when unknown).
using Progress = std::function<void(qint64 done, qint64 total)>;

} // namespace Companion
