#include "base/files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

// Writes all of bytes to an open descriptor. Straight to the descriptor, so that a full disk or
// a size limit shows with its own errno (a buffered write would flush what fits at commit).
void writeAll(int fd, const QByteArray& bytes) {
    for (qint64 done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = n == 0 ? ENOSPC : errno;
            throw Files::WriteFailure(Files::WriteFailure::Write, code, qt_error_string(code),
                                      done);
        }
        done += n;
    }
}

void refuseFolder(const QString& path) {
    if (QFileInfo(path).isDir())
        throw Files::WriteFailure(Files::WriteFailure::Open, EISDIR, qt_error_string(EISDIR));
}

} // namespace

Files::WriteFailure::WriteFailure(Step step, int code, QString reason, qint64 written, bool refused)
    : step(step), code(code), reason(std::move(reason)), written(written), refused(refused) {}

RuntimeError Files::folderError(const QString& path) {
    return RuntimeError(RuntimeError::PathFileAccess,
                        QStringLiteral("'%1' is a folder, not a file.").arg(path));
}

RuntimeError Files::error(const QFileDevice& file, const QString& path, const QString& doing) {
    if (QFileInfo(path).isDir())
        return folderError(path);
    const int number = file.error() == QFileDevice::PermissionsError
                           ? int(RuntimeError::PermissionDenied)
                           : int(RuntimeError::PathFileAccess);
    return RuntimeError(
        number, QStringLiteral("Could not %1 '%2': %3").arg(doing, path, file.errorString()));
}

void Files::replace(const QString& path, const QByteArray& bytes) {
    refuseFolder(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw WriteFailure(WriteFailure::Open, 0, file.errorString(), 0,
                           file.error() == QFileDevice::PermissionsError);
    // On a failure the half-written file beside the old one goes with `file`.
    writeAll(int(file.handle()), bytes);
    if (!file.commit())
        throw WriteFailure(WriteFailure::Commit, 0, file.errorString(), bytes.size());
}

void Files::writeInto(const QString& path, const QByteArray& bytes) {
    refuseFolder(path);
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        throw WriteFailure(WriteFailure::Open, code, qt_error_string(code), 0,
                           code == EACCES || code == EPERM);
    }
    try {
        writeAll(fd, bytes);
    } catch (const WriteFailure&) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0) {
        const int code = errno;
        throw WriteFailure(WriteFailure::Commit, code, qt_error_string(code), bytes.size());
    }
}

void Files::writeAtomically(const QString& path, const QByteArray& bytes) {
    try {
        replace(path, bytes);
    } catch (const WriteFailure& failure) {
        if (failure.code == EISDIR)
            throw folderError(path);
        if (failure.step == WriteFailure::Write && failure.written > 0)
            throw RuntimeError(
                RuntimeError::PathFileAccess,
                QStringLiteral("Could not write '%1': only %2 of %3 bytes were "
                               "written (is the disk full?).")
                    .arg(path, QString::number(failure.written), QString::number(bytes.size())));
        const QString doing =
            failure.step == WriteFailure::Commit ? QStringLiteral("save") : QStringLiteral("write");
        throw RuntimeError(
            failure.refused ? int(RuntimeError::PermissionDenied)
                            : int(RuntimeError::PathFileAccess),
            QStringLiteral("Could not %1 '%2': %3").arg(doing, path, failure.reason));
    }
}
