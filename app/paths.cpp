#include "app/paths.h"

#include <QCoreApplication>

namespace Paths {
namespace {
QString overrideDir;
bool overridden = false;
} // namespace

QString programDir() {
    return overridden ? overrideDir : QCoreApplication::applicationDirPath();
}

void setProgramDir(const QString& dir) {
    overrideDir = dir;
    overridden = true;
}

QString versesPath() {
    return programDir() + QStringLiteral("/verses.mdb");
}
QString favsPath() {
    return programDir() + QStringLiteral("/favs.ini");
}

} // namespace Paths
