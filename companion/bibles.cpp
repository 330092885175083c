#include "companion/bibles.h"

#include "base/runtimeerror.h"
#include "companion/references.h"

#include <QHash>
#include <optional>

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

// Soft boundaries: notes, headings and speaker labels stand between words without a blank of
// their own ("born<note>...</note> Son", "Jude,<note>...</note>a"), and so do some ends of
// quotations ("righteousness.”</q>Then"). They become a mark, and the mark a blank only where a
// word ends and the next begins.
constexpr char16_t Mark = 0x01;

bool isAny(QStringView name, std::initializer_list<const char16_t*> names) {
    for (const char16_t* n : names)
        if (name == QStringView(n))
            return true;
    return false;
}

// The value of attribute name in a tag's text, or a null string.
QString attribute(QStringView tag, QStringView name) {
    for (qsizetype at = tag.indexOf(name); at >= 0; at = tag.indexOf(name, at + 1)) {
        const qsizetype quote = at + name.size() + 1;
        if (at > 0 && tag[at - 1] == u' ' && quote < tag.size() && tag[quote - 1] == u'=' &&
            tag[quote] == u'"') {
            const qsizetype close = tag.indexOf(u'"', quote + 1);
            return close < 0 ? QString() : tag.mid(quote + 1, close - quote - 1).toString();
        }
    }
    return {};
}

// "&amp;" and the like at text[at]; appends the character and returns the length read.
qsizetype entity(QStringView text, qsizetype at, QString& out) {
    const qsizetype end = text.indexOf(u';', at);
    if (end < 0 || end - at > 10) {
        out += u'&';
        return 1;
    }
    const QStringView name = text.mid(at + 1, end - at - 1);
    static const QHash<QString, QChar> named{{QStringLiteral("amp"), u'&'},
                                             {QStringLiteral("lt"), u'<'},
                                             {QStringLiteral("gt"), u'>'},
                                             {QStringLiteral("quot"), u'"'},
                                             {QStringLiteral("apos"), u'\''}};
    if (const auto it = named.constFind(name.toString()); it != named.constEnd()) {
        out += *it;
        return end - at + 1;
    }
    bool ok = false;
    const uint code = name.startsWith(u"#x")  ? name.mid(2).toUInt(&ok, 16)
                      : name.startsWith(u'#') ? name.mid(1).toUInt(&ok, 10)
                                              : 0;
    if (!ok || code == 0 || code > 0x10FFFF) {
        out += u'&';
        return 1;
    }
    const char32_t c = code;
    out += QString::fromUcs4(&c, 1);
    return end - at + 1;
}

// A verse's OSIS markup as text with blanks and marks where elements were. Notes, headings
// (a psalm's title too) and speaker labels go with their content; the KJV's paragraph sign is a
// typesetting mark, not a word to learn. Text directly inside a divine name is in capitals ("the
// LORD"), as the library's own rendering has it, whatever case the module stores.
QString osisMarked(QStringView raw) {
    QString out;
    out.reserve(raw.size() / 2);
    QStringView skipping; // the element whose content is left out
    int depth = 0;
    int open = 0;   // elements open in this verse
    int divine = 0; // the value of open directly inside a divineName; 0 outside one
    for (qsizetype i = 0; i < raw.size();) {
        const QChar c = raw[i];
        if (c != u'<') {
            if (depth == 0) {
                const qsizetype start = out.size();
                if (c == u'&')
                    i += entity(raw, i, out) - 1;
                else
                    out += c == u'\u00b6' ? QChar(u' ') : c;
                if (divine > 0 && open == divine)
                    out.replace(start, out.size() - start, out.mid(start).toUpper());
            }
            ++i;
            continue;
        }
        const qsizetype end = raw.indexOf(u'>', i);
        if (end < 0)
            break;
        const QStringView tag = raw.mid(i + 1, end - i - 1);
        i = end + 1;
        const bool closing = tag.startsWith(u'/');
        const bool empty = tag.endsWith(u'/');
        QStringView name = tag.mid(closing ? 1 : 0);
        for (qsizetype n = 0; n < name.size(); ++n)
            if (name[n] == u' ' || name[n] == u'/') {
                name.truncate(n);
                break;
            }
        if (!empty)
            open += closing ? -1 : 1;
        if (depth > 0) {
            if (name == skipping && !empty)
                depth += closing ? -1 : 1;
            if (depth == 0)
                out += Mark;
            continue;
        }
        if (isAny(name, {u"note", u"title", u"speaker"})) {
            if (!closing && !empty) {
                skipping = name;
                depth = 1;
            } else {
                out += Mark;
            }
        } else if (name == u"q") {
            if (!closing)
                out += attribute(tag, u"marker");
            if (closing || empty)
                out += Mark;
        } else if (name == u"div" && empty && attribute(tag, u"type") == u"book" &&
                   !attribute(tag, u"eID").isNull()) {
            break; // matter a module appends to a book's last verse (a glossary)
        } else if (name == u"divineName") {
            divine = closing || empty ? 0 : open;
        } else if (name == u"milestone") {
            if (attribute(tag, u"type") == u"line")
                out += u' ';
        } else if (!isAny(name, {u"w", u"transChange", u"seg", u"foreign", u"name", u"hi", u"rdg",
                                 u"catchWord", u"reference", u"abbr", u"index", u"a"})) {
            out += u' '; // lines, line groups, paragraphs, chapters: a break between words
        }
    }
    return out;
}

// One line with single blanks, no blank at either end; marks become blanks between words.
QString plainText(const QString& marked) {
    QString plain;
    plain.reserve(marked.size());
    bool blank = false;
    bool afterMark = false;
    for (qsizetype i = 0; i < marked.size(); ++i) {
        const QChar c = marked[i];
        if (c == Mark) {
            // "born Son", "Jude, a servant", "said, “A", "end [of", but "(word" and
            // "remain—these" stay joined.
            const QChar::Category before =
                plain.isEmpty() ? QChar::Separator_Space : plain.back().category();
            const bool endsWord =
                !blank && before != QChar::Separator_Space && before != QChar::Punctuation_Open &&
                before != QChar::Punctuation_InitialQuote && before != QChar::Punctuation_Dash;
            const QChar next = i + 1 < marked.size() ? marked[i + 1] : QChar();
            const bool wordAfter = next.isLetterOrNumber() ||
                                   next.category() == QChar::Punctuation_Open ||
                                   next.category() == QChar::Punctuation_InitialQuote;
            blank = blank || (endsWord && wordAfter);
            afterMark = true;
        } else if (c.isSpace()) {
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

// The verse the module is set to, as plain text.
QString verseText(sword::SWModule& module) {
    const sword::SWBuf& raw = module.getRawEntryBuf();
    if (module.getMarkup() != sword::FMT_OSIS) // other markups: the library's plain rendering
        return plainText(text(module.renderText(raw.c_str(), int(raw.length())).c_str()));
    const QString decoded = module.getEncoding() == sword::ENC_UTF8
                                ? QString::fromUtf8(raw.c_str(), qsizetype(raw.length()))
                                : QString::fromLatin1(raw.c_str(), qsizetype(raw.length()));
    return plainText(osisMarked(decoded));
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

BibleInfo Bibles::choose(const QString& name, const QString& defaultName) const {
    const QList<BibleInfo> bibles = list();
    if (bibles.isEmpty())
        throw RuntimeError(RuntimeError::FileNotFound,
                           QStringLiteral("No Bible is installed for the SWORD library. Install "
                                          "one, for instance the World English Bible with 'sudo "
                                          "apt install sword-text-web'."));
    const QString wanted = name.isEmpty() ? defaultName : name;
    QStringList names;
    for (const BibleInfo& bible : bibles) {
        if (wanted.isEmpty() && bibles.size() == 1)
            return bible;
        if (!wanted.isEmpty() && (bible.name.compare(wanted, Qt::CaseInsensitive) == 0 ||
                                  bible.abbreviation.compare(wanted, Qt::CaseInsensitive) == 0))
            return bible;
        names.append(bible.name == bible.abbreviation
                         ? bible.name
                         : QStringLiteral("%1 (%2)").arg(bible.name, bible.abbreviation));
    }
    const QString installed = names.join(QLatin1String(", "));
    if (wanted.isEmpty())
        throw RuntimeError(RuntimeError::InvalidArgument,
                           QStringLiteral("Several Bibles are installed; choose one with --bible "
                                          "NAME, or set the one to use when none is given with "
                                          "'tessaline-verses bibles --default NAME'. Installed: "
                                          "%1.")
                               .arg(installed));
    if (name.isEmpty())
        throw RuntimeError(RuntimeError::FileNotFound,
                           QStringLiteral("The default Bible '%1' is not installed; installed: "
                                          "%2. Choose another with 'tessaline-verses bibles "
                                          "--default NAME'.")
                               .arg(wanted, installed));
    throw RuntimeError(RuntimeError::FileNotFound,
                       QStringLiteral("There is no Bible '%1' here; installed: %2. Debian "
                                      "packages more as sword-text-NAME ('apt search "
                                      "sword-text').")
                           .arg(wanted, installed));
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
    const auto* verseKey = dynamic_cast<VerseKey*>(key.get());
    if (!verseKey)
        throw RuntimeError(RuntimeError::InvalidArgument,
                           QStringLiteral("'%1' is not a Bible.").arg(bible.name));
    const References::Reader reader(*verseKey, bible.language);

    // Every reference is checked before any text is read.
    QList<References::Range> ranges;
    qint64 total = 0;
    for (const QString& reference : references)
        for (References::Range& range : reader.read(reference)) {
            total += range.upper.getIndex() - range.lower.getIndex() + 1;
            ranges.append(std::move(range));
        }

    const QString suffix = QStringLiteral(" (%1)").arg(bible.abbreviation);
    QList<Verse> verses;
    qint64 done = 0;
    for (const References::Range& range : ranges) {
        QStringList texts;
        std::optional<VerseKey> first, last; // the first and last verse with text
        VerseKey walker(range.lower);
        walker.setAutoNormalize(true);
        walker.setIntros(false); // a book's or chapter's introduction is not a verse
        for (; walker.compare(range.upper) <= 0 && !walker.popError(); walker.increment()) {
            mod.setKey(walker);
            const QString verse = verseText(mod);
            if (progress)
                progress(++done, total);
            if (verse.isEmpty()) // a verse this Bible leaves out
                continue;
            texts.append(verse);
            if (!first)
                first.emplace(walker);
            last.emplace(walker);
            if (eachVerse)
                verses.append({reader.title(walker, walker) + suffix, verse});
        }
        if (texts.isEmpty())
            throw RuntimeError(RuntimeError::InvalidArgument,
                               QStringLiteral("'%1': %2 has no text there.")
                                   .arg(range.reference, bible.abbreviation));
        if (eachVerse)
            continue;
        // The title names the verses stored ("Romans 16:24" for 16:24-27 where the Bible leaves
        // out 25-27), except that whole chapters keep their short title.
        const bool wholeChapters =
            range.lower.getVerse() == 1 && range.upper.getVerse() == range.upper.getVerseMax();
        verses.append({(wholeChapters ? reader.title(range.lower, range.upper)
                                      : reader.title(*first, *last)) +
                           suffix,
                       texts.join(QLatin1Char(' '))});
    }
    return verses;
}

} // namespace Companion
