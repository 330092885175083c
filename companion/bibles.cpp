#include "companion/bibles.h"

#include "base/runtimeerror.h"

#include <QRegularExpression>

#include <listkey.h>
#include <markupfiltmgr.h>
#include <swlog.h>
#include <swmgr.h>
#include <swmodule.h>
#include <versekey.h>

using sword::VerseKey;

namespace Companion {
namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8 ? utf8 : "");
}

QString bookName(const VerseKey& key) {
    return text(key.getBookName());
}

// Raw module text goes through QString as Latin-1, which keeps every byte whatever the
// module's encoding.
QString bytesAsString(const char* data, qsizetype size) {
    return QString::fromLatin1(data, size);
}

// Notes and headings stand between words without a blank of their own ("born<note>...</note>
// Son", "Jude,<note>...</note>a"), and so do some ends of quotations and paragraphs
// ("righteousness.”</q>Then"). Notes and headings are replaced by a mark before rendering, a mark
// is put after those ends, and the mark becomes a blank where a word ends and the next begins.
// The library's own filters keep a psalm's title when handed text this way, so headings go the
// same way as notes.
constexpr char16_t NoteMark = 0x01;

QString plainText(sword::SWModule& module) {
    static const QRegularExpression dropped(
        QStringLiteral(R"(<(note|title)\b[^>]*/>|<(note|title)\b[^>]*>.*?</\2>)"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression ends(QStringLiteral(R"((</q>|<(?:q|div|l|lg|lb|p)\b[^>]*/>))"));
    // Matter a module appends to a book's last verse (a glossary) follows the book's end.
    static const QRegularExpression bookEnd(
        QStringLiteral(R"(<div\b(?=[^>]*\beID=)(?=[^>]*\btype="book")[^>]*/>)"));
    const sword::SWBuf& raw = module.getRawEntryBuf();
    QString marked = bytesAsString(raw.c_str(), qsizetype(raw.length()));
    const QRegularExpressionMatch end = bookEnd.match(marked);
    if (end.hasMatch())
        marked.truncate(end.capturedStart());
    marked.replace(dropped, QString(QChar(NoteMark)));
    marked.replace(ends, QStringLiteral("\\1") + QChar(NoteMark));
    const QByteArray bytes = marked.toLatin1();
    const QString rendered = text(module.renderText(bytes.constData(), int(bytes.size())).c_str());

    // Poetry comes in lines; the verse becomes one line with single blanks.
    QString plain;
    plain.reserve(rendered.size());
    bool blank = false;
    bool afterMark = false;
    for (qsizetype i = 0; i < rendered.size(); ++i) {
        const QChar c = rendered[i];
        if (c == NoteMark) {
            // "born Son", "Jude, a servant", but "(word" and "remain—these" stay joined.
            const QChar::Category before =
                plain.isEmpty() ? QChar::Separator_Space : plain.back().category();
            const bool endsWord =
                !blank && before != QChar::Separator_Space && before != QChar::Punctuation_Open &&
                before != QChar::Punctuation_InitialQuote && before != QChar::Punctuation_Dash;
            const bool wordAfter = i + 1 < rendered.size() && rendered[i + 1].isLetterOrNumber();
            blank = blank || (endsWord && wordAfter);
            afterMark = true;
        } else if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
            blank = true;
        } else {
            // A blank the module left before a note, when a mark follows the note: "coins ?"
            const QChar::Category category = c.category();
            const bool closing = category == QChar::Punctuation_Other ||
                                 category == QChar::Punctuation_Close ||
                                 category == QChar::Punctuation_FinalQuote;
            if (blank && !plain.isEmpty() && !(afterMark && closing))
                plain += u' ';
            blank = false;
            afterMark = false;
            plain += c;
        }
    }
    return plain;
}

bool wholeChapters(const VerseKey& lower, const VerseKey& upper) {
    return lower.getVerse() == 1 && upper.getVerse() == upper.getVerseMax();
}

// "John 3:16", "Psalms 23:1-3", "John 3:16-4:2", "I Corinthians 13", "John 3-4", "Jude",
// "Genesis 50:1-Exodus 1:2": the library's book names, as short as the range allows.
QString rangeTitle(const VerseKey& lower, const VerseKey& upper) {
    const QString book = bookName(lower);
    const int c1 = lower.getChapter(), c2 = upper.getChapter();
    const int v1 = lower.getVerse(), v2 = upper.getVerse();
    if (lower.getTestament() != upper.getTestament() || lower.getBook() != upper.getBook())
        return QStringLiteral("%1 %2:%3-%4 %5:%6")
            .arg(book)
            .arg(c1)
            .arg(v1)
            .arg(bookName(upper))
            .arg(c2)
            .arg(v2);
    if (wholeChapters(lower, upper)) {
        if (c1 == 1 && c2 == upper.getChapterMax())
            return book;
        if (c1 == c2)
            return QStringLiteral("%1 %2").arg(book).arg(c1);
        return QStringLiteral("%1 %2-%3").arg(book).arg(c1).arg(c2);
    }
    if (c1 != c2)
        return QStringLiteral("%1 %2:%3-%4:%5").arg(book).arg(c1).arg(v1).arg(c2).arg(v2);
    if (v1 != v2)
        return QStringLiteral("%1 %2:%3-%4").arg(book).arg(c1).arg(v1).arg(v2);
    return QStringLiteral("%1 %2:%3").arg(book).arg(c1).arg(v1);
}

RuntimeError badReference(const QString& reference, const QString& what) {
    return RuntimeError(RuntimeError::InvalidArgument,
                        QStringLiteral("'%1': %2").arg(reference, what));
}

// A parsed place is taken as written (no rolling over into the next chapter), so that
// "John 3:99" is refused rather than read as John 5:9.
void checkPlace(const VerseKey& key, const QString& reference) {
    const int chapters = key.getChapterMax();
    if (key.getChapter() < 1 || key.getChapter() > chapters)
        throw badReference(reference, QStringLiteral("%1 has no chapter %2 (it has %3).")
                                          .arg(bookName(key))
                                          .arg(key.getChapter())
                                          .arg(chapters));
    const int verses = key.getVerseMax();
    if (key.getVerse() < 1 || key.getVerse() > verses)
        throw badReference(reference, QStringLiteral("%1 %2 has no verse %3 (it has %4).")
                                          .arg(bookName(key))
                                          .arg(key.getChapter())
                                          .arg(key.getVerse())
                                          .arg(verses));
}

struct Range {
    QString reference;
    VerseKey lower;
    VerseKey upper;
};

QList<Range> parse(VerseKey& parser, const QString& reference) {
    // Without a book the library would fall back on the last one it read.
    if (!reference.contains(QRegularExpression(QStringLiteral("\\p{L}"))))
        throw badReference(reference, QStringLiteral("no book is named."));
    sword::ListKey list = parser.parseVerseList(reference.toUtf8().constData(), "", true);
    if (list.getCount() == 0)
        throw badReference(reference,
                           QStringLiteral("not a reference the SWORD library knows (write it like "
                                          "'John 3:16', 'Ps 23:1-3' or '1 Cor 13')."));
    QList<Range> ranges;
    for (int i = 0; i < list.getCount(); ++i) {
        const auto* key = dynamic_cast<const VerseKey*>(list.getElement(i));
        if (!key)
            throw badReference(reference, QStringLiteral("not a Bible reference."));
        Range range{reference, key->isBoundSet() ? key->getLowerBound() : *key,
                    key->isBoundSet() ? key->getUpperBound() : *key};
        checkPlace(range.lower, reference);
        checkPlace(range.upper, reference);
        if (range.lower.compare(range.upper) > 0)
            throw badReference(reference, QStringLiteral("the range runs backwards."));
        ranges.append(range);
    }
    return ranges;
}

} // namespace

Bibles::Bibles(const QString& swordPath) {
    // The library reports through its own log on standard error; the tool says what matters.
    sword::SWLog::getSystemLog()->setLogLevel(0);
    auto* filters = new sword::MarkupFilterMgr(sword::FMT_PLAIN); // the manager owns it
    if (swordPath.isEmpty())
        m_manager = std::make_unique<sword::SWMgr>(filters);
    else
        m_manager =
            std::make_unique<sword::SWMgr>(swordPath.toLocal8Bit().constData(), true, filters);
    // Plain text: the words of the verse and nothing the module adds around them.
    for (const char* option : {"Footnotes", "Cross-references", "Headings", "Strong's Numbers",
                               "Morphological Tags", "Lemmas", "Glosses", "Morpheme Segmentation"})
        m_manager->setGlobalOption(option, "Off");
    m_manager->setGlobalOption("Textual Variants", "Primary Reading");
}

Bibles::~Bibles() = default;

QList<BibleInfo> Bibles::list() const {
    QList<BibleInfo> bibles;
    for (const auto& [name, module] : m_manager->Modules) {
        if (text(module->getType()) != QLatin1String(sword::SWMgr::MODTYPE_BIBLES))
            continue;
        BibleInfo info{text(module->getName()), text(module->getConfigEntry("Abbreviation")),
                       text(module->getDescription()), text(module->getLanguage())};
        if (info.abbreviation.isEmpty())
            info.abbreviation = info.name;
        bibles.append(info);
    }
    return bibles;
}

BibleInfo Bibles::choose(const QString& name) const {
    const QList<BibleInfo> bibles = list();
    if (bibles.isEmpty())
        throw RuntimeError(RuntimeError::FileNotFound,
                           QStringLiteral("No Bible is installed for the SWORD library. Install "
                                          "one, for instance the World English Bible with 'sudo "
                                          "apt install sword-text-web'."));
    QStringList names;
    for (const BibleInfo& bible : bibles) {
        if (name.isEmpty() && bibles.size() == 1)
            return bible;
        if (!name.isEmpty() && (bible.name.compare(name, Qt::CaseInsensitive) == 0 ||
                                bible.abbreviation.compare(name, Qt::CaseInsensitive) == 0))
            return bible;
        names.append(bible.name == bible.abbreviation
                         ? bible.name
                         : QStringLiteral("%1 (%2)").arg(bible.name, bible.abbreviation));
    }
    if (name.isEmpty())
        throw RuntimeError(RuntimeError::InvalidArgument,
                           QStringLiteral("Several Bibles are installed; choose one with --bible: "
                                          "%1.")
                               .arg(names.join(QLatin1String(", "))));
    throw RuntimeError(RuntimeError::FileNotFound,
                       QStringLiteral("There is no Bible '%1' here; installed: %2. Debian "
                                      "packages more as sword-text-NAME ('apt search "
                                      "sword-text').")
                           .arg(name, names.join(QLatin1String(", "))));
}

sword::SWModule* Bibles::module(const QString& name) const {
    sword::SWModule* found = m_manager->getModule(name.toUtf8().constData());
    if (!found)
        throw RuntimeError(RuntimeError::FileNotFound,
                           QStringLiteral("There is no Bible '%1' here.").arg(name));
    return found;
}

QList<Verse> Bibles::lookUp(const BibleInfo& bible, const QStringList& references, bool eachVerse,
                            const Progress& progress) const {
    sword::SWModule& mod = *module(bible.name);
    std::unique_ptr<sword::SWKey> key(mod.createKey());
    auto* parser = dynamic_cast<VerseKey*>(key.get());
    if (!parser)
        throw RuntimeError(RuntimeError::InvalidArgument,
                           QStringLiteral("'%1' is not a Bible.").arg(bible.name));
    parser->setAutoNormalize(false);

    // Every reference is checked before any text is read.
    QList<Range> ranges;
    qint64 total = 0;
    for (const QString& reference : references)
        for (Range& range : parse(*parser, reference.trimmed())) {
            total += range.upper.getIndex() - range.lower.getIndex() + 1;
            ranges.append(std::move(range));
        }

    const QString suffix = QStringLiteral(" (%1)").arg(bible.abbreviation);
    QList<Verse> verses;
    qint64 done = 0;
    for (const Range& range : ranges) {
        QStringList texts;
        VerseKey walker(range.lower);
        walker.setAutoNormalize(true);
        walker.setIntros(false); // a book's or chapter's introduction is not a verse
        for (; walker.compare(range.upper) <= 0 && !walker.popError(); walker.increment()) {
            mod.setKey(walker);
            const QString verseText = plainText(mod);
            if (progress)
                progress(++done, total);
            if (!verseText.isEmpty()) // empty: a verse this Bible leaves out
                texts.append(verseText);
            if (eachVerse && !verseText.isEmpty())
                verses.append({rangeTitle(walker, walker) + suffix, verseText});
        }
        if (texts.isEmpty())
            throw badReference(range.reference,
                               QStringLiteral("%1 has no text there.").arg(bible.abbreviation));
        if (!eachVerse)
            verses.append(
                {rangeTitle(range.lower, range.upper) + suffix, texts.join(QLatin1Char(' '))});
    }
    return verses;
}

} // namespace Companion
