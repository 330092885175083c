#include "companion/versefile.h"

#include "base/cp1252.h"
#include "base/files.h"
#include "base/runtimeerror.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>

namespace VerseFile {
namespace {

using Companion::Verse;

constexpr qint64 ChunkBytes = 1 << 18;

RuntimeError readError(const QString& path, const QFile& file) {
    return RuntimeError(RuntimeError::PathFileAccess,
                        QStringLiteral("Could not read '%1': %2").arg(path, file.errorString()));
}

} // namespace

// The file's characters, decoded a chunk at a time, with the line and column (both from 1) of
// the next one for messages. Line ends are LF, CR LF or CR.
struct Reader::Source {
    QFile file;
    QString path;
    std::optional<QStringDecoder> decoder; // none: Windows-1252
    QString buffer;
    qsizetype pos = 0;
    bool ended = false;
    qsizetype line = 1;
    qsizetype column = 1;

    struct Place {
        qsizetype line, column;
    };
    Place place() const { return {line, column}; }

    RuntimeError fault(Place at, const QString& what) const {
        return RuntimeError(
            RuntimeError::BadFileFormat,
            QStringLiteral("'%1', line %2, column %3: %4")
                .arg(path, QString::number(at.line), QString::number(at.column), what));
    }

    // At least n characters ahead unless the file ends first.
    bool fill(qsizetype n) { return buffer.size() - pos >= n || refill(n); }
    bool refill(qsizetype n) {
        while (buffer.size() - pos < n && !ended) {
            const QByteArray bytes = file.read(ChunkBytes);
            if (bytes.isEmpty()) {
                if (file.error() != QFileDevice::NoError)
                    throw readError(path, file);
                ended = true;
            }
            buffer.remove(0, pos);
            pos = 0;
            buffer += decoder ? decoder->decode(bytes) : Cp1252::decode(bytes);
        }
        return buffer.size() - pos >= n;
    }
    bool atEnd() { return !fill(1); }
    QChar peek(qsizetype ahead = 0) { return fill(ahead + 1) ? buffer[pos + ahead] : QChar(); }
    QChar take() {
        const QChar c = peek();
        ++pos;
        if (c == u'\n' || (c == u'\r' && peek() != u'\n')) {
            ++line;
            column = 1;
        } else {
            ++column;
        }
        return c;
    }
    // Appends the characters before the next line end, NUL or one for which stop is true (or
    // the end of the file) to out, a run at a time.
    template <typename Stop> void takeUntil(QString& out, Stop stop) {
        while (fill(1)) {
            const QChar* data = buffer.constData();
            qsizetype end = pos;
            for (const qsizetype size = buffer.size(); end < size; ++end) {
                const QChar c = data[end];
                if (c == u'\n' || c == u'\r' || c.isNull() || stop(c))
                    break;
            }
            out.append(data + pos, end - pos);
            column += end - pos;
            const bool stopped = end < buffer.size();
            pos = end;
            if (stopped)
                return;
        }
    }
    // Takes a line end (LF, CR LF or CR) if one is next.
    bool takeLineEnd() {
        if (peek() == u'\r' || peek() == u'\n') {
            if (take() == u'\r' && peek() == u'\n')
                take();
            return true;
        }
        return false;
    }
    // Refuses NUL characters, which no text holds (a sign of a wrong encoding).
    void check(QChar c, Place at) const {
        if (c.isNull())
            throw fault(at, QStringLiteral("a NUL character; the file is not text, or in an "
                                           "encoding other than UTF-8, UTF-16 with a byte-order "
                                           "mark, or Windows-1252."));
    }
};

namespace {

// UTF-8 when the whole file is valid UTF-8, else Windows-1252; read once through to tell.
bool isUtf8(QFile& file, const QString& path) {
    QByteArray bytes;
    while (true) {
        const QByteArray more = file.read(ChunkBytes);
        if (more.isEmpty()) {
            if (file.error() != QFileDevice::NoError)
                throw readError(path, file);
            return QByteArrayView(bytes).isValidUtf8(); // what was left of the last character
        }
        bytes += more;
        // Checked up to the start of the last character, which may go on in the next chunk.
        qsizetype cut = bytes.size();
        while (cut > 0 && bytes.size() - cut < 4 && (uchar(bytes[cut - 1]) & 0xC0) == 0x80)
            --cut;
        if (cut > 0 && uchar(bytes[cut - 1]) >= 0xC0)
            --cut;
        if (!QByteArrayView(bytes.constData(), cut).isValidUtf8())
            return false;
        bytes.remove(0, cut);
    }
}

} // namespace

Reader::Reader(const QString& path, Format format)
    : m_source(std::make_unique<Source>()), m_format(format) {
    const QFileInfo info(path);
    if (!info.exists())
        throw RuntimeError(RuntimeError::FileNotFound,
                           QStringLiteral("Could not find '%1'.").arg(path));
    if (info.isDir())
        throw Files::folderError(path);
    Source& source = *m_source;
    source.path = path;
    source.file.setFileName(path);
    if (!source.file.open(QIODevice::ReadOnly))
        throw RuntimeError(
            RuntimeError::PermissionDenied,
            QStringLiteral("Could not read '%1': %2").arg(path, source.file.errorString()));
    const QByteArray start = source.file.peek(3);
    if (start.startsWith("\xff\xfe") || start.startsWith("\xfe\xff")) {
        source.decoder.emplace(start.startsWith("\xff\xfe") ? QStringDecoder::Utf16LE
                                                            : QStringDecoder::Utf16BE);
        source.file.read(2);
    } else if (start.startsWith("\xef\xbb\xbf")) {
        source.decoder.emplace(QStringDecoder::Utf8);
        source.file.read(3);
    } else if (source.file.isSequential() || isUtf8(source.file, path)) {
        // A pipe cannot be read twice: UTF-8, the usual case.
        source.decoder.emplace(QStringDecoder::Utf8);
        source.file.seek(0);
    } else {
        source.file.seek(0);
    }
}

Reader::~Reader() = default;

qint64 Reader::position() const {
    return m_source->file.pos();
}

qint64 Reader::size() const {
    return m_source->file.isSequential() ? 0 : m_source->file.size();
}

std::optional<Verse> Reader::next() {
    Source& in = *m_source;
    using Place = Source::Place;
    const auto endOfFile = [&]() -> std::optional<Verse> {
        // Most likely the wrong file, or the wrong format for it.
        if (!m_seenVerse)
            throw RuntimeError(RuntimeError::BadFileFormat,
                               QStringLiteral("'%1' holds no verses.").arg(in.path));
        return std::nullopt;
    };

    if (m_format == Format::Text) {
        // A title line, then its text lines (joined by blanks); blank lines separate passages.
        const auto readLine = [&] {
            QString line;
            while (!in.atEnd() && in.peek() != u'\n' && in.peek() != u'\r') {
                in.check(in.peek(), in.place());
                line += in.take();
            }
            in.takeLineEnd();
            return line.trimmed();
        };
        QString title;
        Place titleAt{};
        while (title.isEmpty()) {
            if (in.atEnd())
                return endOfFile();
            titleAt = in.place();
            title = readLine();
        }
        QStringList body;
        while (!in.atEnd()) {
            const QString line = readLine();
            if (line.isEmpty())
                break;
            body.append(line);
        }
        if (body.isEmpty())
            throw in.fault({titleAt.line, 1},
                           QStringLiteral("'%1' has no text lines below it (a passage is a "
                                          "title line, then its text).")
                               .arg(title));
        m_seenVerse = true;
        return Verse{title, body.join(QLatin1Char(' '))};
    }

    // TSV and CSV alike: fields split by the separator; a field in double quotes may hold
    // separators, line breaks and doubled quotes, as spreadsheets write them.
    const bool csv = m_format == Format::Csv;
    const QChar separator = csv ? u',' : u'\t';
    struct Cell {
        QString value;
        Place at;        // where the field starts
        Place separated; // where the separator before it stands
        Place end;       // where the field ends
    };
    while (true) {
        if (in.atEnd())
            return endOfFile();
        QList<Cell> cells;
        Place separated = in.place();
        while (true) {
            Cell cell{{}, in.place(), separated, {}};
            if (in.peek() == u'"') {
                in.take();
                while (true) {
                    in.takeUntil(cell.value, [](QChar c) { return c == u'"'; });
                    if (in.atEnd())
                        throw in.fault(cell.at, QStringLiteral("the quoted field that starts "
                                                               "here is never closed."));
                    const Place at = in.place();
                    const QChar c = in.take();
                    in.check(c, at);
                    if (c != u'"')
                        cell.value += c;
                    else if (in.peek() == u'"')
                        cell.value += in.take();
                    else
                        break;
                }
                const QChar after = in.peek();
                if (!in.atEnd() && after != separator && after != u'\n' && after != u'\r')
                    throw in.fault(in.place(),
                                   QStringLiteral("only a %1 or a line end may follow a closing "
                                                  "quote.")
                                       .arg(csv ? QStringLiteral("comma") : QStringLiteral("tab")));
            } else {
                in.takeUntil(cell.value,
                             [&](QChar c) { return c == separator || (csv && c == u'"'); });
                while (!in.atEnd() && in.peek() != separator && in.peek() != u'\n' &&
                       in.peek() != u'\r') {
                    // In TSV a quote inside a field is a quote; CSV wants such fields quoted.
                    if (csv && in.peek() == u'"')
                        throw in.fault(in.place(),
                                       QStringLiteral("a quote in a field that does not start "
                                                      "with one (quote the whole field and "
                                                      "double the quote)."));
                    in.check(in.peek(), in.place());
                    cell.value += in.take();
                }
            }
            cell.end = in.place();
            cells.append(std::move(cell));
            if (in.atEnd() || in.takeLineEnd())
                break;
            separated = in.place();
            in.take(); // the separator
        }
        if (cells.size() == 1 && cells[0].value.isEmpty())
            continue; // a blank line
        if (cells.size() == 1)
            throw in.fault(cells[0].end,
                           csv ? QStringLiteral("a line needs two fields, title and text, "
                                                "separated by a comma.")
                               : QStringLiteral("a line needs a tab between title and text."));
        // Spreadsheets end rows with empty fields of columns they saw elsewhere.
        for (qsizetype i = 2; i < cells.size(); ++i)
            if (!cells[i].value.isEmpty())
                throw csv ? in.fault(cells[i].at,
                                     QStringLiteral("a third field; a text that holds commas "
                                                    "must be in double quotes."))
                          : in.fault(cells[2].separated,
                                     QStringLiteral("a second tab; a line holds a title, one tab "
                                                    "and the text."));
        const bool header = !m_seenRecord &&
                            cells[0].value.trimmed().compare(u"title", Qt::CaseInsensitive) == 0 &&
                            cells[1].value.trimmed().compare(u"text", Qt::CaseInsensitive) == 0;
        m_seenRecord = true;
        if (header)
            continue;
        m_seenVerse = true;
        return Verse{cells[0].value, cells[1].value};
    }
}

std::optional<Format> formatNamed(const QString& name) {
    const QString lower = name.toLower();
    if (lower == u"tsv")
        return Format::Tsv;
    if (lower == u"csv")
        return Format::Csv;
    if (lower == u"text")
        return Format::Text;
    return std::nullopt;
}

std::optional<Format> formatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"txt")
        return Format::Text;
    return formatNamed(suffix);
}

QByteArray csv(const QList<Verse>& verses) {
    const auto field = [](const QString& value) {
        if (!value.contains(u',') && !value.contains(u'"') && !value.contains(u'\n') &&
            !value.contains(u'\r'))
            return value;
        QString quoted = value;
        quoted.replace(u'"', QLatin1String("\"\""));
        return u'"' + quoted + u'"';
    };
    QString out = QStringLiteral("title,text\r\n");
    for (const Verse& verse : verses)
        out += field(verse.title) + u',' + field(verse.text) + QLatin1String("\r\n");
    return out.toUtf8();
}

namespace {

// The companion's words for a failed write: a full disk and a size limit by name, and whether
// the file that was there is kept.
RuntimeError writeError(const QString& path, const Files::WriteFailure& failure, bool kept) {
    if (failure.code == EISDIR)
        return Files::folderError(path);
    if (failure.code == 0)
        return RuntimeError(RuntimeError::PathFileAccess,
                            QStringLiteral("Could not write '%1': %2").arg(path, failure.reason));
    const QString keptNote = kept ? QStringLiteral(" The old file is kept as it was.") : QString();
    if (failure.code == ENOSPC || failure.code == EDQUOT)
        return RuntimeError(
            RuntimeError::DiskFull,
            QStringLiteral("Could not write '%1': the disk is full.%2").arg(path, keptNote));
    if (failure.code == EFBIG)
        return RuntimeError(RuntimeError::DiskFull,
                            QStringLiteral("Could not write '%1': the file would be larger than "
                                           "the size allowed for files here (ulimit -f).%2")
                                .arg(path, keptNote));
    return RuntimeError(RuntimeError::PathFileAccess,
                        QStringLiteral("Could not write '%1': %2%3")
                            .arg(path, QString::fromLocal8Bit(strerror(failure.code)), keptNote));
}

} // namespace

void write(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    try {
        // A pipe or device is written to as it is: renaming a new file over it would replace it.
        if (info.exists() && !info.isFile())
            Files::writeInto(path, bytes);
        else
            Files::replace(path, bytes);
    } catch (const Files::WriteFailure& failure) {
        throw writeError(path, failure,
                         failure.step == Files::WriteFailure::Write && info.isFile());
    }
}

} // namespace VerseFile
