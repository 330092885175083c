#pragma once

#include <QStringList>

class QTextStream;

namespace Companion {

struct RunSettings {
    bool progress = false; // show a progress line (the output is a terminal)
    QString swordPath;     // where the Bible modules are; empty: the SWORD library's own places
};

// Runs tessaline-verses with its arguments (the program name first), writing results to out and
// messages to err. Returns the exit status: 0 done, 1 failed (nothing added), 2 bad usage.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err,
        const RunSettings& settings = {});

} // namespace Companion
