#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include <versekey.h>

// Bible references as readers write them ("John 3:16", "Ps 23:1-3", "1 Cor 13", "Jude 3",
// "John 3:16; Rom 8:28", "Juan 3:16" for a Spanish Bible), read strictly: every character must be
// understood, or the whole reference is refused. The SWORD library's own parser is lenient (it
// drops what it does not understand and overflows its stack on long input), so it is not used.
namespace References {

// A run of verses from lower to upper, both inside the Bible's versification.
struct Range {
    QString reference; // as the user typed it, for messages
    sword::VerseKey lower;
    sword::VerseKey upper;
};

// The longest reference read; longer ones are refused before anything else.
inline constexpr qsizetype MaxLength = 200;

class Reader {
public:
    // Book names of the Bible's language (when the library has them) and English; titles in the
    // Bible's language. key carries the Bible's versification.
    Reader(const sword::VerseKey& key, const QString& language);

    // Throws RuntimeError naming the reference and what is wrong with it.
    QList<Range> read(const QString& reference) const;

    // "John 3:16", "Psalm 23:1-3", "1 Corinthians 13", "John 3:16-4:2", "Jude": a title that
    // read() takes back to the same range.
    QString title(const sword::VerseKey& lower, const sword::VerseKey& upper) const;

private:
    struct Book {
        int testament = 0;
        int book = 0;
    };
    struct Place;
    Place side(const QString& text, const QString& reference, const Book* inherited) const;
    Book book(const QString& name, const QString& reference) const;
    QString bookTitle(const sword::VerseKey& key, bool onePsalm) const;

    sword::VerseKey m_key; // in the Bible's versification and language
    bool m_english = true;
    QMap<QString, Book> m_books; // by normalised name and abbreviation
};

} // namespace References
