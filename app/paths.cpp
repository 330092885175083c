#include "app/paths.h"

#include "app/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <climits>
#include <cstdio>
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

RuntimeError cannotMake(const QString& dir, const QString& why) {
    return RuntimeError(RuntimeError::PathFileAccess,
                        QStringLiteral("Tessaline keeps your verses and favourites in '%1', but "
                                       "could not create that folder: %2")
                            .arg(dir, why));
}

// A user's first start of an installed copy: the folder is made and filled with the files
// beside the program (the samples of a new install, or the user's own files from an install
// that kept them there). It is filled under a temporary name and renamed into place, so that
// it never shows half filled; a folder that is there and not empty is the user's.
void fillOnFirstStart(const QString& program, const QString& dir) {
    const QFileInfo info(dir);
    if (info.isDir() &&
        !QDir(dir).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return;
    const QString parent = info.absolutePath();
    if (!QDir().mkpath(parent))
        throw cannotMake(dir, qt_error_string(errno));
    QTemporaryDir stage(parent + QStringLiteral("/.tessaline-XXXXXX"));
    if (!stage.isValid())
        throw cannotMake(dir, stage.errorString());
    for (const QString& name : {QStringLiteral("verses.mdb"), QStringLiteral("favs.ini")}) {
        QFile source(program + u'/' + name);
        if (!QFileInfo(source.fileName()).isFile())
            continue;
        const QString copy = stage.filePath(name);
        if (!source.copy(copy))
            throw RuntimeError(RuntimeError::PathFileAccess,
                               QStringLiteral("Tessaline could not copy '%1' into '%2', the "
                                              "folder that keeps your verses and favourites: %3")
                                   .arg(source.fileName(), dir, source.errorString()));
        // Samples installed read-only must still take the user's changes.
        QFile::setPermissions(copy,
                              QFile::permissions(copy) | QFile::ReadOwner | QFile::WriteOwner);
    }
    if (std::rename(QFile::encodeName(stage.path()).constData(),
                    QFile::encodeName(dir).constData()) == 0) {
        stage.setAutoRemove(false);
        return;
    }
    const int error = errno;
    // Another start (the companion, say) filled it first.
    if ((error == ENOTEMPTY || error == EEXIST) && QFileInfo(dir).isDir())
        return;
    throw cannotMake(dir, qt_error_string(error));
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

QString dataDir() {
    const QString program = programDir();
    if (!QFileInfo(program + u'/' + QLatin1String(InstalledMarker)).isFile())
        return program;
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        throw cannotMake(QStringLiteral("~/.local/share/tessaline"),
                         QStringLiteral("the home folder is not known"));
    const QString dir = base + QStringLiteral("/tessaline");
    // Filled once per run: a folder removed while the program runs is not silently refilled.
    static QString filledFor;
    const QString key = program + u'\n' + dir;
    if (filledFor != key) {
        fillOnFirstStart(program, dir);
        filledFor = key;
    }
    return dir;
}

QString versesPath() {
    return dataDir() + QStringLiteral("/verses.mdb");
}
QString favsPath() {
    return dataDir() + QStringLiteral("/favs.ini");
}

} // namespace Paths
