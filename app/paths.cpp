#include "app/paths.h"

#include "app/runtimeerror.h"

#include <QFile>

#include <climits>
#include <unistd.h>

namespace Paths {
namespace {
QString overrideDir;
bool overridden = false;

RuntimeError notFound(const QString& why) {
    return RuntimeError(RuntimeError::PathFileAccess,
                        QStringLiteral("Tessaline cannot find the folder it was started from (%1), "
                                       "so it cannot find verses.mdb and favs.ini.")
                            .arg(why));
}

QByteArray executablePath() {
    char buffer[PATH_MAX + 1];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || length > PATH_MAX)
        return {};
    return QByteArray(buffer, length);
}
} // namespace

QString directoryOfExecutable(const QByteArray& executablePath) {
    if (!executablePath.startsWith('/'))
        throw notFound(
            executablePath.isEmpty()
                ? QStringLiteral("/proc/self/exe cannot be read")
                : QStringLiteral("'%1' is not a full path").arg(QFile::decodeName(executablePath)));
    const QByteArray dir = executablePath.left(executablePath.lastIndexOf('/'));
    const QString name = QFile::decodeName(dir);
    if (QFile::encodeName(name) != dir)
        throw RuntimeError(RuntimeError::PathFileAccess,
                           QStringLiteral("The name of Tessaline's folder, '%1', is not valid in "
                                          "the system's file-name encoding (UTF-8), so Tessaline "
                                          "cannot open verses.mdb and favs.ini there. Rename the "
                                          "folder or move the program into another one.")
                               .arg(name));
    // The root holds the program itself: keep "/" so that file names join as "//verses.mdb".
    return name.isEmpty() ? QStringLiteral("/") : name;
}

QString programDir() {
    if (overridden) {
        if (overrideDir.isEmpty())
            throw notFound(QStringLiteral("no folder was set"));
        return overrideDir;
    }
    static const QString dir = directoryOfExecutable(executablePath());
    return dir;
}

void setProgramDir(const QString& dir) {
    overrideDir = dir;
    overridden = true;
}

void resetProgramDir() {
    overrideDir.clear();
    overridden = false;
}

QString versesPath() {
    return programDir() + QStringLiteral("/verses.mdb");
}
QString favsPath() {
    return programDir() + QStringLiteral("/favs.ini");
}

} // namespace Paths
