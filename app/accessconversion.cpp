#include "app/accessconversion.h"

#include "app/accessfile.h"
#include "app/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace AccessConversion {
namespace {

const QString Connection = QStringLiteral("tessaline-conversion");
Names namesAtStartUp;

bool folderReadOnly(const QString& folder) {
    return ::access(QFile::encodeName(folder).constData(), W_OK) != 0;
}

// Writes the rows into the new, empty SQLite file at path.
void writeVerses(const QString& path, const QString& original, const QList<AccessFile::Row>& rows) {
    const auto failed = [&](const QSqlError& error) {
        const QString engine = error.databaseText().isEmpty() ? error.text() : error.databaseText();
        const bool full = (error.nativeErrorCode().toInt() & 0xFF) == 13; // SQLITE_FULL
        return Database::conversionNotWritten(original, engine, full,
                                              folderReadOnly(QFileInfo(path).absolutePath()));
    };
    QSqlDatabase db = Database::open(path, Connection);
    try {
        QSqlQuery query(db);
        if (!query.exec(QLatin1String(Database::CreateVersesTableSql)) || !db.transaction())
            throw failed(query.lastError().isValid() ? query.lastError() : db.lastError());
        if (!query.prepare(QStringLiteral("INSERT INTO verses (title, text) VALUES (?, ?)")))
            throw failed(query.lastError());
        for (const AccessFile::Row& row : rows) {
            query.bindValue(0, row.value(0));
            query.bindValue(1, row.value(1));
            if (!query.exec())
                throw failed(query.lastError());
        }
        if (!db.commit())
            throw failed(db.lastError());
    } catch (...) {
        db.rollback();
        db = QSqlDatabase();
        Database::close(Connection);
        throw;
    }
    db = QSqlDatabase();
    Database::close(Connection);
}

// Keeps the original under the first free name: a second name for the same file, so that
// path goes on naming it until the new file is renamed over it. Where the file system has no
// hard links, a copy.
QString keepOriginal(const QString& path) {
    const QFileInfo info(path);
    const QByteArray from = QFile::encodeName(path);
    for (int n = 1;; ++n) {
        const QString kept = info.dir().filePath(
            QStringLiteral("%1-access%2.%3")
                .arg(info.completeBaseName(), n == 1 ? QString() : QStringLiteral("-%1").arg(n),
                     info.suffix()));
        if (::link(from.constData(), QFile::encodeName(kept).constData()) == 0)
            return kept;
        if (errno == EEXIST)
            continue;
        const int linkError = errno;
        if (QFileInfo::exists(kept) || QFileInfo(kept).isSymLink())
            continue;
        QFile original(path);
        if (original.copy(kept))
            return kept;
        QFile::remove(kept);
        throw Database::conversionNotWritten(path, original.errorString(),
                                             linkError == ENOSPC ||
                                                 original.error() == QFileDevice::ResourceError,
                                             folderReadOnly(info.absolutePath()));
    }
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::optional<Converted> convertIfAccess(const QString& path, const Names& names) {
    if (!AccessFile::hasSignature(path))
        return std::nullopt;
    QList<AccessFile::Row> rows;
    try {
        rows = AccessFile::readGuarded(path, names.table, {names.title, names.text});
    } catch (const RuntimeError& error) {
        if (error.number() == RuntimeError::TableNotFound ||
            error.number() == RuntimeError::ItemNotFound)
            throw Database::conversionNeedsNames(error);
        throw;
    }

    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    // Written beside the original and renamed over it: verses.mdb is at every moment either the
    // Access file or the whole new one.
    QTemporaryFile temp(QDir(folder).filePath(
        QStringLiteral(".%1-converting-XXXXXX.%2").arg(info.completeBaseName(), info.suffix())));
    if (!temp.open())
        throw Database::conversionNotWritten(path, temp.errorString(), false,
                                             folderReadOnly(folder));
    temp.close();
    const QString tempPath = temp.fileName();
    const auto removeJournal =
        qScopeGuard([&] { QFile::remove(tempPath + QLatin1String("-journal")); });
    writeVerses(tempPath, path, rows);
    // Readable by those who could read the original, and writable by its owner even when the
    // original was not: the editor writes to it.
    const QFile::Permissions forEveryone = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                           QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    QFile::setPermissions(tempPath, (QFile::permissions(path) & forEveryone) | QFile::WriteOwner);

    const QString kept = keepOriginal(path);
    if (::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(path).constData()) !=
        0) {
        const int error = errno;
        QFile::remove(kept);
        throw Database::conversionNotWritten(path, QString::fromLocal8Bit(std::strerror(error)),
                                             error == ENOSPC, folderReadOnly(folder));
    }
    temp.setAutoRemove(false);
    syncFolder(folder);
    return Converted{rows.size(), kept};
}

QString message(const QString& path, const Converted& converted) {
    return QStringLiteral("%1 was an Access database. Tessaline converted its %2 %3; the original "
                          "is kept as %4.")
        .arg(QFileInfo(path).fileName())
        .arg(converted.verses)
        .arg(converted.verses == 1 ? QStringLiteral("verse") : QStringLiteral("verses"),
             QFileInfo(converted.keptAs).fileName());
}

Names startUpNames() {
    return namesAtStartUp;
}

void setStartUpNames(const Names& names) {
    namesAtStartUp = names;
}

} // namespace AccessConversion
