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

void reportLoadFailure(const RuntimeError& error) {
    Host::reportError(error, QStringLiteral("The favourite verses could not be read."));
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
    QFile file(path);

    // A first run starts with an empty file; an existing one is left as it is, even read-only.
    if (!QFileInfo::exists(path)) {
        if (!file.open(QIODevice::Append)) {
            reportLoadFailure(fileError(file, path, QStringLiteral("create")));
            return false;
        }
        file.close();
    }

    if (!file.open(QIODevice::ReadOnly)) {
        reportLoadFailure(fileError(file, path, QStringLiteral("open")));
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reportLoadFailure(fileError(file, path, QStringLiteral("read")));
        return false;
    }

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
    // Written beside the old file and renamed over it: a failure leaves the old one whole.
    QSaveFile file(path);
    // A folder that forbids the temporary file but holds a writable favs.ini: writing in place
    // is the only save left (a failure midway then cuts the file short).
    file.setDirectWriteFallback(!QFileInfo(QFileInfo(path).path()).isWritable() &&
                                QFileInfo(path).isWritable());
    const auto fail = [&](const RuntimeError& error) {
        Host::reportError(error, QStringLiteral("The favourite verses could not be saved; the "
                                                "file keeps what it held before."));
        return false;
    };
    // Unbuffered, so that a short write (a full disk) shows here: QSaveFile would otherwise
    // flush what fits at commit and rename the cut-off file into place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(fileError(file, path, QStringLiteral("write")));
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
        return fail(error);
    }
    if (!file.commit())
        return fail(fileError(file, path, QStringLiteral("save")));
    return true;
}

void storeFavourite(int slot, const QString& text, const QString& title) {
    if (slot < 0 || slot >= Module1::FavSlotCount)
        throw RuntimeError(RuntimeError::SubscriptOutOfRange,
                           QStringLiteral("There is no favourite slot %1.").arg(slot));
    shared().FavTexts[slot] = oneLine(text);
    shared().FavTitles[slot] = oneLine(title);
}
