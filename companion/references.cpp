#include "companion/references.h"

#include "base/runtimeerror.h"

#include <QRegularExpression>

#include <localemgr.h>
#include <swlocale.h>
#include <versificationmgr.h>

using sword::VerseKey;

namespace References {
namespace {

QString fromUtf8(const char* text) {
    return QString::fromUtf8(text ? text : "");
}

const QString Examples = QStringLiteral("write references like 'John 3:16', 'John 3:16-18', "
                                        "'Ps 23', '1 Cor 13:4-7' or 'John 3:16; Rom 8:28'");

RuntimeError refused(const QString& reference, const QString& what) {
    return RuntimeError(RuntimeError::InvalidArgument,
                        QStringLiteral("'%1': %2").arg(reference, what));
}

// Upper case, single blanks, no final full stop: "1 cor." finds "1 COR".
QString nameKey(const QString& name) {
    QString key = name.simplified().toUpper();
    if (key.endsWith(u'.'))
        key.chop(1);
    return key.trimmed();
}

// Every Unicode blank becomes a blank and every dash a hyphen, so that text pasted from a
// typeset page reads as typed.
QString normalised(const QString& reference) {
    QString text;
    text.reserve(reference.size());
    for (const QChar c : reference) {
        const char16_t u = c.unicode();
        if (c.isSpace() || u == 0x200B || u == 0xFEFF)
            text += u' ';
        else if (u == 0x2010 || u == 0x2011 || u == 0x2012 || u == 0x2013 || u == 0x2014 ||
                 u == 0x2212 || u == 0xFE63 || u == 0xFF0D)
            text += u'-';
        else
            text += c;
    }
    return text.simplified();
}

bool oneChapter(const VerseKey& key) {
    return key.getChapterMax() == 1;
}

} // namespace

// One end of a range as written: a book (named or carried over), a chapter, a verse; 0 where
// not given.
struct Reader::Place {
    Book book;
    bool named = false;
    int chapter = 0;
    int verse = 0;
};

Reader::Reader(const VerseKey& key, const QString& language) : m_key(key) {
    m_key.setAutoNormalize(false);
    m_key.setIntros(false);
    sword::LocaleMgr* locales = sword::LocaleMgr::getSystemLocaleMgr();
    const QByteArray english = sword::SWLocale::DEFAULT_LOCALE_NAME;
    const QByteArray own = language.toUtf8();
    const bool ownNames = !language.isEmpty() && !language.startsWith(QLatin1String("en")) &&
                          locales->getLocale(own.constData()) != nullptr;
    m_english = !ownNames;

    const auto add = [this](const QString& name, Book book) {
        const QString key = nameKey(name);
        if (!key.isEmpty() && !m_books.contains(key))
            m_books.insert(key, book);
    };
    // The Bible's own language first, so that its names win where the two languages clash.
    for (const QByteArray& locale :
         ownNames ? QList<QByteArray>{own, english} : QList<QByteArray>{english}) {
        VerseKey names(m_key);
        names.setLocale(locale.constData());
        QHash<QString, Book> byOsis;
        for (int testament = 1; testament <= 2; ++testament) {
            names.setTestament(char(testament));
            for (int book = 1; book <= names.getBookMax(); ++book) {
                names.setBook(char(book));
                const Book found{testament, book};
                byOsis.insert(fromUtf8(names.getOSISBookName()), found);
                add(fromUtf8(names.getBookName()), found);
                add(fromUtf8(names.getBookAbbrev()), found);
                add(fromUtf8(names.getOSISBookName()), found);
            }
        }
        if (sword::SWLocale* source = locales->getLocale(locale.constData())) {
            int count = 0;
            const sword::abbrev* abbrevs = source->getBookAbbrevs(&count);
            for (int i = 0; i < count; ++i) {
                const auto it = byOsis.constFind(fromUtf8(abbrevs[i].osis));
                if (it != byOsis.constEnd())
                    add(fromUtf8(abbrevs[i].ab), *it);
            }
        }
    }
    m_key.setLocale(ownNames ? own.constData() : english.constData());
    // The names titles use ("1 John", "Psalm", "Revelation") read back too.
    VerseKey titled(m_key);
    for (int testament = 1; testament <= 2; ++testament) {
        titled.setTestament(char(testament));
        for (int book = 1; book <= titled.getBookMax(); ++book) {
            titled.setBook(char(book));
            add(bookTitle(titled, false), {testament, book});
            add(bookTitle(titled, true), {testament, book});
        }
    }
}

QString Reader::bookTitle(const VerseKey& key, bool onePsalm) const {
    VerseKey named(m_key);
    named.setTestament(key.getTestament());
    named.setBook(key.getBook());
    QString name = fromUtf8(named.getBookName());
    if (!m_english)
        return name;
    // The library's English names are "I John", "Psalms", "Revelation of John".
    static const QRegularExpression roman(QStringLiteral("^(I|II|III|IV) "));
    const QRegularExpressionMatch match = roman.match(name);
    if (match.hasMatch()) {
        const int number = QStringList{QStringLiteral("I"), QStringLiteral("II"),
                                       QStringLiteral("III"), QStringLiteral("IV")}
                               .indexOf(match.captured(1));
        name.replace(0, match.capturedLength(1), QString::number(number + 1));
    }
    if (name == u"Revelation of John")
        name = QStringLiteral("Revelation");
    if (onePsalm && name == u"Psalms")
        name = QStringLiteral("Psalm");
    return name;
}

// A book by its name, abbreviation, or the start of one that names a single book ("1 Cor").
Reader::Book Reader::book(const QString& name, const QString& reference) const {
    const QString key = nameKey(name);
    if (const auto exact = m_books.constFind(key); exact != m_books.constEnd())
        return *exact;
    QList<Book> found;
    QStringList names;
    for (auto it = m_books.lowerBound(key); it != m_books.constEnd() && it.key().startsWith(key);
         ++it) {
        if (std::none_of(found.cbegin(), found.cend(), [&](const Book& b) {
                return b.testament == it->testament && b.book == it->book;
            })) {
            found.append(*it);
            VerseKey named(m_key);
            named.setTestament(char(it->testament));
            named.setBook(char(it->book));
            names.append(bookTitle(named, false));
        }
    }
    if (found.size() == 1)
        return found.first();
    if (found.isEmpty())
        throw refused(reference,
                      QStringLiteral("no book is called '%1' (%2).").arg(name.trimmed(), Examples));
    throw refused(reference, QStringLiteral("'%1' could be any of %2; write more of the name.")
                                 .arg(name.trimmed(), names.join(QLatin1String(", "))));
}

Reader::Place Reader::side(const QString& text, const QString& reference,
                           const Book* inherited) const {
    // A book (which may begin with a number: "1 Cor"), then chapter and verse, each optional.
    static const QRegularExpression shape(QStringLiteral(
        R"(^(?:((?:[1-4] ?)?\p{L}[\p{L}\p{M}.'’() ]*?) ?)?(?:(\d{1,3})(?::(\d{1,3}))?)?$)"));
    const QRegularExpressionMatch match = shape.match(text);
    if (text.isEmpty() || !match.hasMatch())
        throw refused(reference, QStringLiteral("'%1' is not understood; %2.").arg(text, Examples));
    Place place;
    const QString name = match.captured(1);
    if (!name.isEmpty()) {
        place.book = book(name, reference);
        place.named = true;
    } else if (inherited) {
        place.book = *inherited;
    } else {
        throw refused(reference, QStringLiteral("no book is named."));
    }
    place.chapter = match.captured(2).toInt();
    place.verse = match.captured(3).toInt();
    return place;
}

QList<Range> Reader::read(const QString& reference) const {
    if (reference.size() > MaxLength)
        throw refused(reference.left(30) + QStringLiteral("…"),
                      QStringLiteral("too long for a reference (%1 characters; at most %2).")
                          .arg(reference.size())
                          .arg(MaxLength));
    const QString text = normalised(reference);
    if (text.isEmpty())
        throw refused(reference, QStringLiteral("an empty reference."));

    // The place of a chapter and verse: 0 for the last chapter or verse.
    const auto at = [&](Book book, int chapter, int verse) {
        VerseKey key(m_key);
        key.setTestament(char(book.testament));
        key.setBook(char(book.book));
        const int chapters = key.getChapterMax();
        if (chapter == 0)
            chapter = chapters;
        if (chapter < 1 || chapter > chapters)
            throw refused(reference, QStringLiteral("%1 has no chapter %2 (it has %3).")
                                         .arg(bookTitle(key, false))
                                         .arg(chapter)
                                         .arg(chapters));
        key.setChapter(chapter);
        const int verses = key.getVerseMax();
        if (verse == 0)
            verse = verses;
        if (verse < 1 || verse > verses)
            throw refused(reference, QStringLiteral("%1 %2 has no verse %3 (it has %4).")
                                         .arg(bookTitle(key, true))
                                         .arg(chapter)
                                         .arg(verse)
                                         .arg(verses));
        key.setVerse(verse);
        return key;
    };
    const auto isOneChapter = [&](Book book) {
        VerseKey key(m_key);
        key.setTestament(char(book.testament));
        key.setBook(char(book.book));
        return oneChapter(key);
    };
    // "Jude 3" is verse 3 of Jude's only chapter, as readers mean it.
    const auto asVerse = [&](Place& place) {
        if (place.chapter != 0 && place.verse == 0 && isOneChapter(place.book)) {
            place.verse = place.chapter;
            place.chapter = 1;
        }
    };

    QList<Range> ranges;
    std::optional<Book> lastBook;
    QString lastItem;    // the item before a comma, for the message on ambiguity
    int lastChapter = 0; // the chapter of the last verse read; 0: the last item ended in a chapter
    for (const QString& part : text.split(u';')) {
        const QStringList items = part.split(u',');
        for (qsizetype i = 0; i < items.size(); ++i) {
            QString item = items[i].trimmed();
            if (item.isEmpty())
                throw refused(reference,
                              QStringLiteral("a separator (';' or ',') with nothing after it, or "
                                             "two in a row."));
            // After a comma a bare number is one more verse of the same chapter ("John 3:16,18").
            static const QRegularExpression letter(QStringLiteral("\\p{L}"));
            if (i > 0 && !item.contains(letter) && !item.section(u'-', 0, 0).contains(u':')) {
                if (lastChapter == 0)
                    throw refused(
                        reference,
                        QStringLiteral("a comma after a chapter is ambiguous: write "
                                       "'%1:%2' for a verse, or '%1; %3' for chapters.")
                            .arg(lastItem, item, lastItem.section(u' ', 0, -2) + u' ' + item));
                item = QStringLiteral("%1:%2").arg(lastChapter).arg(item);
            }
            const QStringList sides = item.split(u'-');
            if (sides.size() > 2)
                throw refused(reference, QStringLiteral("'%1' is not understood; a range has one "
                                                        "dash.")
                                             .arg(item));
            Place left = side(sides[0].trimmed(), reference, lastBook ? &*lastBook : nullptr);
            asVerse(left);
            VerseKey lower = at(left.book, left.chapter == 0 ? 1 : left.chapter,
                                left.verse == 0 ? 1 : left.verse);
            VerseKey upper = left.verse != 0 ? lower : at(left.book, left.chapter, 0);
            bool endsInVerse = left.verse != 0;
            if (sides.size() == 2) {
                const QString rightText = sides[1].trimmed();
                if (rightText.isEmpty())
                    throw refused(reference, QStringLiteral("the range has no end."));
                Place right = side(rightText, reference, &left.book);
                if (right.named) {
                    asVerse(right);
                } else if (left.chapter == 0 || right.chapter == 0) {
                    throw refused(
                        reference,
                        QStringLiteral("'%1' is not understood; %2.").arg(item, Examples));
                } else if (right.verse == 0 && left.verse != 0) {
                    right.verse = right.chapter; // "John 3:16-18"
                    right.chapter = left.chapter;
                }
                upper = at(right.book, right.chapter, right.verse);
                endsInVerse = right.verse != 0;
            }
            if (lower.compare(upper) > 0)
                throw refused(reference, QStringLiteral("the range runs backwards."));
            lastBook = left.book;
            lastItem = item;
            lastChapter = endsInVerse ? upper.getChapter() : 0;
            ranges.append({reference, lower, upper});
        }
    }
    return ranges;
}

QString Reader::title(const VerseKey& lower, const VerseKey& upper) const {
    const int c1 = lower.getChapter(), c2 = upper.getChapter();
    const int v1 = lower.getVerse(), v2 = upper.getVerse();
    const auto n = [](int number) { return QString::number(number); };
    if (lower.getTestament() != upper.getTestament() || lower.getBook() != upper.getBook())
        return QStringLiteral("%1 %2:%3-%4 %5:%6")
            .arg(bookTitle(lower, false), n(c1), n(v1), bookTitle(upper, false), n(c2), n(v2));
    const QString book = bookTitle(lower, c1 == c2);
    const bool wholeChapters = v1 == 1 && v2 == upper.getVerseMax();
    if (wholeChapters && c1 == 1 && c2 == upper.getChapterMax())
        return bookTitle(lower, false);
    if (wholeChapters && !oneChapter(lower))
        return c1 == c2 ? QStringLiteral("%1 %2").arg(book, n(c1))
                        : QStringLiteral("%1 %2-%3").arg(book, n(c1), n(c2));
    if (c1 != c2)
        return QStringLiteral("%1 %2:%3-%4:%5").arg(book, n(c1), n(v1), n(c2), n(v2));
    if (v1 != v2)
        return QStringLiteral("%1 %2:%3-%4").arg(book, n(c1), n(v1), n(v2));
    return QStringLiteral("%1 %2:%3").arg(book, n(c1), n(v1));
}

} // namespace References
