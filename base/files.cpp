#include "base/files.h"

#include <QFileInfo>
#include <QSaveFile>

RuntimeError Files::error(const QFileDevice& file, const QString& path, const QString& doing) {
    if (QFileInfo(path).isDir())
        return RuntimeError(RuntimeError::PathFileAccess,
                            QStringLiteral("'%1' is a folder, not a file.").arg(path));
    const int number = file.error() == QFileDevice::PermissionsError
                           ? int(RuntimeError::PermissionDenied)
                           : int(RuntimeError::PathFileAccess);
    return RuntimeError(
        number, QStringLiteral("Could not %1 '%2': %3").arg(doing, path, file.errorString()));
}

void Files::writeAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // Unbuffered, so that a short write (a full disk) shows here: QSaveFile would otherwise
    // flush what fits at commit and rename the cut-off file into place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw error(file, path, QStringLiteral("write"));
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        const RuntimeError failure =
            written < 0 ? error(file, path, QStringLiteral("write"))
                        : RuntimeError(RuntimeError::PathFileAccess,
                                       QStringLiteral("Could not write '%1': only %2 of %3 bytes "
                                                      "were written (is the disk full?).")
                                           .arg(path, QString::number(written),
                                                QString::number(bytes.size())));
        file.cancelWriting();
        throw failure;
    }
    if (!file.commit())
        throw error(file, path, QStringLiteral("save"));
}
