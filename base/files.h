#pragma once

#include "base/runtimeerror.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <exception>

namespace Files {

// "'path' is a folder, not a file."
RuntimeError folderError(const QString& path);

// The failure of file, which was to `doing` ("read", "write", ...) the file at path: a folder
// is named as one, a refusal numbered PermissionDenied, anything else PathFileAccess.
RuntimeError error(const QFileDevice& file, const QString& path, const QString& doing);

// A write that failed, as the system told it; each caller words it for its own users.
struct WriteFailure : std::exception {
    enum Step { Open, Write, Commit };
    Step step = Open;
    int code = 0;         // errno; 0 where the system gave only words (opening, renaming)
    QString reason;       // the system's own words
    qint64 written = 0;   // bytes written before the failure
    bool refused = false; // opening was refused for want of permission

    WriteFailure(Step step, int code, QString reason, qint64 written = 0, bool refused = false);
    const char* what() const noexcept override { return "write failed"; }
};

// Replaces the file at path (or makes it) with bytes: written beside it and renamed over it, so
// a failure (a full disk, a size limit, a folder that allows no new file) leaves the old file
// whole. A folder fails at Open with EISDIR. Throws WriteFailure.
void replace(const QString& path, const QByteArray& bytes);

// Writes bytes into the pipe, device or other special file at path as it is: renaming a new
// file over it would replace it. Throws WriteFailure.
void writeInto(const QString& path, const QByteArray& bytes);

// replace(), its failures told as RuntimeError. Throws RuntimeError.
void writeAtomically(const QString& path, const QByteArray& bytes);

} // namespace Files
