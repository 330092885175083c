#include "favourites/favsfile.h"

#include "app/cp1252.h"
#include "app/host.h"
#include "app/module1.h"
#include "app/oneline.h"
#include "app/paths.h"
#include "app/runtimeerror.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The file keeps the first six slots; the rest only ever come from a longer file.
constexpr int SavedSlots = Module1::ShownFavourites;

RuntimeError fileError(const QFileDevice& file, const QString& path, const QString& doing) {
    if (QFileInfo(path).isDir())
        return RuntimeError(RuntimeError::PathFileAccess,
                            QStringLiteral("'%1' is a folder, not a file.").arg(path));
    const int number = file.error() == QFileDevice::PermissionsError
                           ? int(RuntimeError::PermissionDenied)
                           : int(RuntimeError::PathFileAccess);
    return RuntimeError(
        number, QStringLiteral("Could not %1 '%2': %3").arg(doing, path, file.errorString()));
}

// Failures of the system calls below, numbered like fileError's.
RuntimeError systemError(int error, const QString& path, const QString& doing) {
    const int number = error == EACCES || error == EPERM ? int(RuntimeError::PermissionDenied)
                       : error == ENOSPC || error == EDQUOT || error == EFBIG
                           ? int(RuntimeError::DiskFull)
                           : int(RuntimeError::PathFileAccess);
    return RuntimeError(
        number, QStringLiteral("Could not %1 '%2': %3").arg(doing, path, qt_error_string(error)));
}

RuntimeError notAFile(const QString& path, mode_t mode) {
    const QString kind = S_ISDIR(mode)                    ? QStringLiteral("folder")
                         : S_ISFIFO(mode)                 ? QStringLiteral("named pipe")
                         : S_ISSOCK(mode)                 ? QStringLiteral("socket")
                         : S_ISCHR(mode) || S_ISBLK(mode) ? QStringLiteral("device")
                                                          : QStringLiteral("special file");
    return RuntimeError(RuntimeError::PathFileAccess,
                        QStringLiteral("'%1' is a %2, not a file.").arg(path, kind));
}

void reportLoadFailure(const RuntimeError& error) {
    Host::reportError(error, QStringLiteral("The favourite verses could not be read."));
}

// The favourites file that the last load could not read. Saving over it would put empty slots
// in place of favourites the program never saw, so it is left alone until a load reads it.
QString unreadFile;

// Closes the descriptor when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(Descriptor&& other) noexcept : m_fd(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        Descriptor old(std::exchange(m_fd, other.release()));
        return *this;
    }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// Opens the favourites file without waiting (a named pipe would otherwise block until another
// program writes to it); fails with ENOENT when there is none. On success the descriptor is a
// regular file, reached directly or through links; anything else is refused with `refused`.
Descriptor openFile(const QString& path, int flags, std::optional<RuntimeError>& refused) {
    Descriptor fd(
        ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666));
    struct stat st {};
    if (fd.get() >= 0 && (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))) {
        refused = notAFile(path, st.st_mode);
        return Descriptor(-1);
    }
    return fd;
}

// Writes all of bytes at offset 0; returns how many were written before a failure.
qint64 writeAt0(int fd, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

const QString NotSaved = QStringLiteral("The favourite verses could not be saved.");
const QString NotSavedKept = QStringLiteral("The favourite verses could not be saved; the file "
                                            "keeps what it held before.");
const QString NotSavedLeft =
    QStringLiteral("The favourite verses were not saved; favs.ini was left as it is.");
const QString NotSavedDamaged =
    QStringLiteral("The favourite verses could not be saved, and favs.ini could not be put back "
                   "as it was: some of the favourites in it may be lost.");

bool saveFailed(const RuntimeError& error, const QString& context) {
    Host::reportError(error, context);
    return false;
}

// Writes over the file itself, for a folder that allows no new file beside it. The new length
// is reserved first, so that a full disk or a size limit stops the save before a byte of the
// file has changed; should a write still fail, the bytes it overwrote are put back.
bool saveInPlace(const QString& path, const QByteArray& bytes, const QByteArray& old) {
    std::optional<RuntimeError> refused;
    Descriptor fd = openFile(path, O_WRONLY, refused);
    if (refused)
        return saveFailed(*refused, NotSavedLeft);
    if (fd.get() < 0)
        return saveFailed(systemError(errno, path, QStringLiteral("write")), NotSavedKept);
    if (!bytes.isEmpty()) {
        if (const int error = ::posix_fallocate(fd.get(), 0, off_t(bytes.size()))) {
            // The reservation may have grown the file before it failed.
            if (::ftruncate(fd.get(), off_t(old.size())) != 0)
                return saveFailed(systemError(error, path, QStringLiteral("make room in")),
                                  NotSavedDamaged);
            return saveFailed(systemError(error, path, QStringLiteral("make room in")),
                              NotSavedKept);
        }
    }
    const qint64 written = writeAt0(fd.get(), bytes);
    if (written == bytes.size() && ::ftruncate(fd.get(), off_t(bytes.size())) == 0 &&
        ::fsync(fd.get()) == 0)
        return true;
    const RuntimeError error = systemError(errno, path, QStringLiteral("write"));
    const QByteArray overwritten = old.left(written);
    const bool restored = writeAt0(fd.get(), overwritten) == overwritten.size() &&
                          ::ftruncate(fd.get(), off_t(old.size())) == 0 && ::fsync(fd.get()) == 0;
    return saveFailed(error, restored ? NotSavedKept : NotSavedDamaged);
}

// Reads lines ended by CR, CR LF or LF; past the end every line reads as empty.
class LineReader {
public:
    explicit LineReader(QString text) : m_text(std::move(text)) {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    QString readLine() {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != u'\r' && m_text[m_pos] != u'\n')
            ++m_pos;
        const QString line = m_text.sliced(start, m_pos - start);
        if (m_pos < m_text.size()) {
            const bool crlf =
                m_text[m_pos] == u'\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'\n';
            m_pos += crlf ? 2 : 1;
        }
        return line;
    }

private:
    QString m_text;
    qsizetype m_pos = 0;
};

} // namespace

bool LoadFavs() {
    const QString path = Paths::favsPath();
    std::optional<RuntimeError> refused;
    Descriptor fd = openFile(path, O_RDONLY, refused);
    // A first run starts with an empty file; an existing one is left as it is, even read-only.
    if (fd.get() < 0 && !refused && errno == ENOENT) {
        if (openFile(path, O_WRONLY | O_CREAT | O_APPEND, refused).get() < 0 && !refused) {
            reportLoadFailure(systemError(errno, path, QStringLiteral("create")));
            return false;
        }
        if (!refused)
            fd = openFile(path, O_RDONLY, refused);
    }
    const auto unread = [&](const RuntimeError& error) {
        unreadFile = path;
        reportLoadFailure(error);
        return false;
    };
    if (refused)
        return unread(*refused);
    if (fd.get() < 0)
        return unread(systemError(errno, path, QStringLiteral("open")));
    QFile file;
    file.open(fd.release(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return unread(fileError(file, path, QStringLiteral("read")));
    if (unreadFile == path)
        unreadFile.clear();

    LineReader reader(Cp1252::decodeUtf8OrCp1252(bytes));
    Module1& s = shared();
    for (int i = 0; i < Module1::FavSlotCount && !reader.atEnd(); ++i) {
        s.FavTexts[i] = reader.readLine();
        s.FavTitles[i] = reader.readLine();
    }
    return true;
}

bool SaveFavs() {
    const Module1& s = shared();
    QString content;
    for (int i = 0; i < SavedSlots; ++i) {
        content += s.FavTexts[i] + QLatin1String("\r\n");
        content += s.FavTitles[i] + QLatin1String("\r\n");
    }
    // Windows-1252 keeps the file as older copies of the program wrote it. A character the code
    // page lacks would turn into "?", and a few byte pairs of it also read as UTF-8 (a capital
    // accented letter before a typographic mark): such a file is written as UTF-8 instead, so
    // what is read back is always what was saved.
    // The reader drops a byte-order mark, so a first value that itself begins with U+FEFF
    // gets one in front to be dropped instead.
    QByteArray bytes;
    if (Cp1252::canEncode(content))
        bytes = Cp1252::encode(content);
    if (bytes.isEmpty() || Cp1252::decodeUtf8OrCp1252(bytes) != content)
        bytes = (content.startsWith(QChar(0xfeff)) ? QByteArray("\xef\xbb\xbf") : QByteArray()) +
                content.toUtf8();

    const QString path = Paths::favsPath();
    // A save replaces only favourites that were read: the file must be missing or a readable
    // regular file, and the last load must have read it.
    std::optional<RuntimeError> refused;
    Descriptor fd = openFile(path, O_RDONLY, refused);
    if (refused)
        return saveFailed(*refused, NotSavedLeft);
    if (fd.get() < 0 && errno != ENOENT)
        return saveFailed(systemError(errno, path, QStringLiteral("read")), NotSavedLeft);
    if (path == unreadFile)
        return saveFailed(RuntimeError(RuntimeError::PathFileAccess,
                                       QStringLiteral("'%1' could not be read when the favourites "
                                                      "were loaded, and saving would replace the "
                                                      "favourites it holds. Make it readable, "
                                                      "then close Favorite Verses and open it "
                                                      "again.")
                                           .arg(path)),
                          NotSavedLeft);
    const bool exists = fd.get() >= 0;
    QByteArray old;
    if (exists) {
        QFile file;
        file.open(fd.release(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
        old = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return saveFailed(fileError(file, path, QStringLiteral("read")), NotSavedLeft);
    }

    // A folder that forbids a new file but holds a writable favs.ini: writing in place is the
    // only save left.
    if (exists && !QFileInfo(QFileInfo(path).path()).isWritable() && QFileInfo(path).isWritable())
        return saveInPlace(path, bytes, old);

    // Written beside the old file and renamed over it: a failure leaves the old one whole.
    QSaveFile file(path);
    const QString context = exists ? NotSavedKept : NotSaved;
    // Unbuffered, so that a short write (a full disk) shows here: QSaveFile would otherwise
    // flush what fits at commit and rename the cut-off file into place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return saveFailed(fileError(file, path, QStringLiteral("write")), context);
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        const RuntimeError error =
            written < 0 ? fileError(file, path, QStringLiteral("write"))
                        : RuntimeError(RuntimeError::PathFileAccess,
                                       QStringLiteral("Could not write '%1': only %2 of %3 bytes "
                                                      "were written (is the disk full?).")
                                           .arg(path, QString::number(written),
                                                QString::number(bytes.size())));
        file.cancelWriting();
        return saveFailed(error, context);
    }
    if (!file.commit())
        return saveFailed(fileError(file, path, QStringLiteral("save")), context);
    return true;
}

void storeFavourite(int slot, const QString& text, const QString& title) {
    if (slot < 0 || slot >= Module1::FavSlotCount)
        throw RuntimeError(RuntimeError::SubscriptOutOfRange,
                           QStringLiteral("There is no favourite slot %1.").arg(slot));
    shared().FavTexts[slot] = oneLine(text);
    shared().FavTitles[slot] = oneLine(title);
}
