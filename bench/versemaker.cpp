#include "versemaker.h"

#include <array>

namespace {

constexpr std::array words{
    "the",        "and",      "of",          "to",          "in",      "he",
    "shall",      "unto",     "for",         "my",          "is",      "his",
    "thy",        "not",      "be",          "with",        "that",    "thou",
    "all",        "lord",     "me",          "they",        "them",    "will",
    "as",         "which",    "from",        "upon",        "was",     "their",
    "but",        "by",       "heart",       "soul",        "light",   "darkness",
    "waters",     "mountain", "morning",     "evening",     "river",   "stone",
    "green",      "pastures", "shepherd",    "strength",    "refuge",  "mercy",
    "grace",      "peace",    "praise",      "righteous",   "wisdom",  "understanding",
    "keep",       "walk",     "path",        "ways",        "seek",    "find",
    "give",       "thanks",   "sing",        "song",        "new",     "old",
    "heaven",     "earth",    "sea",         "wind",        "fire",    "rain",
    "summer",     "winter",   "field",       "flower",      "grass",   "tree",
    "fruit",      "harvest",  "bread",       "wine",        "house",   "gate",
    "city",       "hills",    "valley",      "shadow",      "death",   "life",
    "fear",       "hope",     "love",        "truth",       "word",    "voice",
    "hear",       "speak",    "remember",    "forget",      "teach",   "learn",
    "children",   "fathers",  "generations", "everlasting", "ever",    "day",
    "night",      "year",     "time",        "hour",        "rest",    "still",
    "quiet",      "deep",     "high",        "low",         "great",   "small",
    "comfort",    "rod",      "staff",       "table",       "cup",     "runneth",
    "over",       "goodness", "follow",      "dwell",       "lift",    "eyes",
    "hands",      "feet",     "whence",      "cometh",      "help",    "keeper",
    "sleep",      "slumber",  "behold",      "lo",          "yea",     "now",
    "o",          "how",      "sweet",       "bright",      "golden",  "silver",
    "clouds",     "stars",    "sun",         "moon",        "sorrow",  "joy",
    "weeping",    "laughter", "sow",         "reap",        "bless",   "blessed",
    "holy",       "name",     "glory",       "power",       "kingdom", "wings",
    "eagle",      "sparrow",  "lilies",      "labour",      "spin",    "arrayed",
    "wilderness", "way"};

constexpr std::array collections{"Psalm",  "Proverbs",     "Isaiah",  "Hymn",  "Sonnet",
                                 "Ode",    "Song",         "Ballad",  "Elegy", "Canticle",
                                 "Lament", "Ecclesiastes", "Matthew", "John",  "Romans"};

} // namespace

int VerseMaker::below(int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(m_random);
}

int VerseMaker::length(int first, int last) {
    return std::uniform_int_distribution<int>(first, last)(m_random);
}

QString VerseMaker::title() {
    return QStringLiteral("%1 %2:%3")
        .arg(QLatin1String(collections[below(int(collections.size()))]))
        .arg(1 + below(150))
        .arg(1 + below(40));
}

QString VerseMaker::text(int length) {
    QString out;
    out.reserve(length + 16);
    bool sentenceStart = true;
    while (out.size() < length) {
        QString word = QLatin1String(words[below(int(words.size()))]);
        if (sentenceStart)
            word[0] = word[0].toUpper();
        sentenceStart = false;
        out += word;
        const int mark = below(20);
        if (mark == 0) {
            out += QLatin1Char('.');
            sentenceStart = true;
        } else if (mark == 1) {
            out += QLatin1Char(',');
        } else if (mark == 2) {
            out += QLatin1Char(';');
        } else if (mark == 3) {
            out += QLatin1Char(':');
        }
        out += QLatin1Char(' ');
    }
    // Cut to one short of the length and close with a full stop; a cut that lands on a blank
    // or a mark still ends in a letter.
    out.truncate(length - 1);
    for (qsizetype i = out.size() - 1; i >= 0 && !out.at(i).isLetter(); --i)
        out[i] = QLatin1Char('e');
    out += QLatin1Char('.');
    return out;
}
