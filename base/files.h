#pragma once

#include "base/runtimeerror.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace Files {

// The failure of file, which was to `doing` ("read", "write", ...) the file at path: a folder
// is named as one, a refusal numbered PermissionDenied, anything else PathFileAccess.
RuntimeError error(const QFileDevice& file, const QString& path, const QString& doing);

// Replaces the file at path with bytes: written beside it and renamed over it, so a failure
// (a full disk, a size limit, a folder that allows no new file) leaves the old file whole.
// Throws RuntimeError.
void writeAtomically(const QString& path, const QByteArray& bytes);

} // namespace Files
