#include "companion/versefile.h"

#include "base/cp1252.h"
#include "base/runtimeerror.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace VerseFile {
namespace {

using Companion::Verse;

// Walks the text with its line and column (both from 1) for messages.
class Cursor {
public:
    Cursor(const QString& text, const QString& fileName) : m_text(text), m_fileName(fileName) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek(qsizetype ahead = 0) const {
        return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : QChar();
    }
    QChar take() {
        const QChar c = m_text[m_pos++];
        if (c == u'\n') {
            ++m_line;
            m_lineStart = m_pos;
        }
        return c;
    }

    struct Place {
        qsizetype line, column;
    };
    Place place() const { return {m_line, m_pos - m_lineStart + 1}; }

    RuntimeError fault(Place at, const QString& what) const {
        return RuntimeError(RuntimeError::BadFileFormat,
                            QStringLiteral("'%1', line %2, column %3: %4")
                                .arg(m_fileName)
                                .arg(at.line)
                                .arg(at.column)
                                .arg(what));
    }

private:
    const QString& m_text;
    QString m_fileName;
    qsizetype m_pos = 0;
    qsizetype m_line = 1;
    qsizetype m_lineStart = 0;
};

struct Field {
    QString value;
    Cursor::Place at;
};

// Collects records of two fields, title and text; a first record that reads "title", "text" is
// a header and left out.
class Records {
public:
    void add(const QList<Field>& fields, const Cursor& cursor) {
        const bool header = !m_seenOne &&
                            fields[0].value.trimmed().compare(u"title", Qt::CaseInsensitive) == 0 &&
                            fields[1].value.trimmed().compare(u"text", Qt::CaseInsensitive) == 0;
        m_seenOne = true;
        if (header)
            return;
        if (fields[0].value.trimmed().isEmpty())
            throw cursor.fault(fields[0].at, QStringLiteral("the title is empty."));
        if (fields[1].value.trimmed().isEmpty())
            throw cursor.fault(fields[1].at, QStringLiteral("the text is empty."));
        m_verses.append({fields[0].value, fields[1].value});
    }
    QList<Verse> verses() const { return m_verses; }

private:
    QList<Verse> m_verses;
    bool m_seenOne = false;
};

// RFC 4180: fields split by commas, a field in double quotes may hold commas, line breaks and
// doubled quotes.
QList<Verse> parseCsv(const QString& text, const QString& fileName) {
    Cursor cursor(text, fileName);
    Records records;
    while (!cursor.atEnd()) {
        QList<Field> fields;
        while (true) {
            Field field{{}, cursor.place()};
            if (cursor.peek() == u'"') {
                cursor.take();
                while (true) {
                    if (cursor.atEnd())
                        throw cursor.fault(field.at, QStringLiteral("the quoted field that "
                                                                    "starts here is never "
                                                                    "closed."));
                    const QChar c = cursor.take();
                    if (c != u'"')
                        field.value += c;
                    else if (cursor.peek() == u'"')
                        field.value += cursor.take();
                    else
                        break;
                }
                if (!cursor.atEnd() && cursor.peek() != u',' && cursor.peek() != u'\n')
                    throw cursor.fault(cursor.place(),
                                       QStringLiteral("only a comma or a line end may follow a "
                                                      "closing quote."));
            } else {
                while (!cursor.atEnd() && cursor.peek() != u',' && cursor.peek() != u'\n') {
                    if (cursor.peek() == u'"')
                        throw cursor.fault(cursor.place(),
                                           QStringLiteral("a quote in a field that does not "
                                                          "start with one (quote the whole "
                                                          "field and double the quote)."));
                    field.value += cursor.take();
                }
            }
            fields.append(field);
            if (cursor.atEnd() || cursor.take() == u'\n')
                break;
        }
        const bool blankLine = fields.size() == 1 && fields[0].value.isEmpty();
        if (blankLine)
            continue;
        if (fields.size() == 1)
            throw cursor.fault({fields[0].at.line, fields[0].at.column + fields[0].value.size()},
                               QStringLiteral("a line needs two fields, title and text, "
                                              "separated by a comma."));
        if (fields.size() > 2)
            throw cursor.fault(fields[2].at,
                               QStringLiteral("a third field; a text that holds commas must be "
                                              "in double quotes."));
        records.add(fields, cursor);
    }
    return records.verses();
}

QList<Verse> parseTsv(const QString& text, const QString& fileName) {
    const Cursor cursor(text, fileName);
    Records records;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.isEmpty())
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0)
            throw cursor.fault({i + 1, line.size() + 1},
                               QStringLiteral("a line needs a tab between title and text."));
        const qsizetype second = line.indexOf(u'\t', tab + 1);
        if (second >= 0)
            throw cursor.fault({i + 1, second + 1},
                               QStringLiteral("a second tab; a line holds a title, one tab and "
                                              "the text."));
        const QList<Field> fields{{line.left(tab), {i + 1, 1}},
                                  {line.mid(tab + 1), {i + 1, tab + 2}}};
        records.add(fields, cursor);
    }
    return records.verses();
}

// A title line, then its text lines (joined by blanks); blank lines separate passages.
QList<Verse> parseText(const QString& text, const QString& fileName) {
    const Cursor cursor(text, fileName);
    QList<Verse> verses;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size();) {
        if (lines[i].trimmed().isEmpty()) {
            ++i;
            continue;
        }
        const qsizetype titleLine = i;
        const QString title = lines[i++].trimmed();
        QStringList body;
        while (i < lines.size() && !lines[i].trimmed().isEmpty())
            body.append(lines[i++].trimmed());
        if (body.isEmpty())
            throw cursor.fault({titleLine + 1, 1},
                               QStringLiteral("'%1' has no text lines below it (a passage is a "
                                              "title line, then its text).")
                                   .arg(title));
        verses.append({title, body.join(QLatin1Char(' '))});
    }
    return verses;
}

} // namespace

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

QList<Verse> parse(const QString& content, Format format, const QString& fileName) {
    QString text = content;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    const QList<Verse> verses = format == Format::Tsv   ? parseTsv(text, fileName)
                                : format == Format::Csv ? parseCsv(text, fileName)
                                                        : parseText(text, fileName);
    // Most likely the wrong file, or the wrong format for it.
    if (verses.isEmpty())
        throw RuntimeError(RuntimeError::BadFileFormat,
                           QStringLiteral("'%1' holds no verses.").arg(fileName));
    return verses;
}

QList<Verse> read(const QString& path, Format format) {
    const QFileInfo info(path);
    if (!info.exists())
        throw RuntimeError(RuntimeError::FileNotFound,
                           QStringLiteral("Could not find '%1'.").arg(path));
    if (info.isDir())
        throw RuntimeError(RuntimeError::PathFileAccess,
                           QStringLiteral("'%1' is a folder, not a file.").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("Could not read '%1': %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw RuntimeError(RuntimeError::PathFileAccess,
                           QStringLiteral("Could not read '%1': %2").arg(path, file.errorString()));
    return parse(Cp1252::decodeUtf8OrCp1252(bytes), format, path);
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

void write(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    const auto failure = [&] {
        return RuntimeError(
            RuntimeError::PathFileAccess,
            QStringLiteral("Could not write '%1': %2").arg(path, file.errorString()));
    };
    // Unbuffered, so that a short write (a full disk) shows here rather than at commit.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw failure();
    if (file.write(bytes) != bytes.size()) {
        const RuntimeError error = failure();
        file.cancelWriting();
        throw error;
    }
    if (!file.commit())
        throw failure();
}

} // namespace VerseFile
