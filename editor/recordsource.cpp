#include "editor/recordsource.h"

#include "app/runtimeerror.h"

#include <QList>

namespace {

// A word outside quotes, brackets, comments and parentheses, with where it starts and ends.
struct Word {
    QString lower;
    qsizetype begin;
    qsizetype end;
};

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == '$';
}

[[noreturn]] void refuse(const QString& source, const QString& why) {
    throw RuntimeError(3251, QStringLiteral("The record source \"%1\" cannot be edited row by "
                                            "row: %2.")
                                 .arg(source, why));
}

// Top-level words of the statement, plus whether a top-level comma sits between from and to.
QList<Word> topLevelWords(const QString& s, QList<qsizetype>* commas) {
    QList<Word> words;
    int depth = 0;
    qsizetype i = 0;
    const qsizetype n = s.size();
    auto skipUntil = [&](QChar close) {
        ++i;
        while (i < n) {
            if (s.at(i) == close) {
                // A doubled quote stands for itself inside the quoted text.
                if (close != QLatin1Char(']') && i + 1 < n && s.at(i + 1) == close) {
                    i += 2;
                    continue;
                }
                ++i;
                return;
            }
            ++i;
        }
    };
    while (i < n) {
        const QChar c = s.at(i);
        if (c == '\'' || c == '"' || c == '`') {
            skipUntil(c);
        } else if (c == '[') {
            skipUntil(QLatin1Char(']'));
        } else if (c == '-' && i + 1 < n && s.at(i + 1) == '-') {
            while (i < n && s.at(i) != '\n')
                ++i;
        } else if (c == '/' && i + 1 < n && s.at(i + 1) == '*') {
            const qsizetype close = s.indexOf(QLatin1String("*/"), i + 2);
            i = close < 0 ? n : close + 2;
        } else if (c == '(') {
            ++depth;
            ++i;
        } else if (c == ')') {
            --depth;
            ++i;
        } else if (isWordChar(c)) {
            const qsizetype begin = i;
            while (i < n && isWordChar(s.at(i)))
                ++i;
            if (depth == 0)
                words.append({s.mid(begin, i - begin).toLower(), begin, i});
        } else {
            if (c == ',' && depth == 0 && commas)
                commas->append(i);
            ++i;
        }
    }
    return words;
}

} // namespace

RecordSourceParts splitRecordSource(const QString& source) {
    QString s = source.trimmed();
    while (s.endsWith(QLatin1Char(';')))
        s = s.chopped(1).trimmed();

    QList<qsizetype> commas;
    const QList<Word> words = topLevelWords(s, &commas);
    if (words.isEmpty() || words.first().lower != QLatin1String("select") || words.first().begin)
        refuse(source, QStringLiteral("it is not a SELECT statement"));

    qsizetype from = -1;
    for (qsizetype k = 1; k < words.size(); ++k) {
        const QString& w = words.at(k).lower;
        if (w == QLatin1String("union") || w == QLatin1String("except") ||
            w == QLatin1String("intersect"))
            refuse(source, QStringLiteral("it combines several queries"));
        if (from < 0 && w == QLatin1String("from"))
            from = k;
    }
    if (from < 0)
        refuse(source, QStringLiteral("it reads no table"));
    if (from > 1 && words.at(1).lower == QLatin1String("distinct"))
        refuse(source, QStringLiteral("DISTINCT rows are not single table rows"));

    const qsizetype tableBegin = words.at(from).end;
    qsizetype tableEnd = s.size();
    static const QStringList clauses = {QStringLiteral("where"),  QStringLiteral("group"),
                                        QStringLiteral("order"),  QStringLiteral("limit"),
                                        QStringLiteral("window"), QStringLiteral("having")};
    for (qsizetype k = from + 1; k < words.size(); ++k) {
        const QString& w = words.at(k).lower;
        if (w == QLatin1String("join"))
            refuse(source, QStringLiteral("it joins tables"));
        if (clauses.contains(w)) {
            tableEnd = words.at(k).begin;
            break;
        }
    }
    for (qsizetype comma : commas)
        if (comma > tableBegin && comma < tableEnd)
            refuse(source, QStringLiteral("it reads more than one table"));

    RecordSourceParts parts;
    parts.selectList = s.mid(words.first().end, words.at(from).begin - words.first().end).trimmed();
    parts.table = s.mid(tableBegin, tableEnd - tableBegin).trimmed();
    parts.tail = s.mid(tableEnd).trimmed();
    if (parts.selectList.isEmpty())
        refuse(source, QStringLiteral("it selects no columns"));
    if (parts.table.isEmpty() || parts.table.startsWith(QLatin1Char('(')))
        refuse(source, QStringLiteral("it does not read a table directly"));
    return parts;
}
