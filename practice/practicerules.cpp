#include "practice/practicerules.h"

#include "base/cp1252.h"
#include "windowbase/module1.h"

namespace PracticeRules {
namespace {

// The verse length as the rules see it: read afresh each time, since the editor may replace
// CurrentText during a run, and capped so positions stay within 16 bits.
int verseLength(const Module1& s) {
    return std::min<int>(s.CurrentText.size(), MaxVerseLength);
}

// Reading past what was prepared (a verse replaced mid-run) gives an empty element.
QChar verseChar(const Module1& s, int i) {
    return i >= 0 && i < s.VerseChars.size() ? s.VerseChars[i] : QChar();
}

void setVerseChar(Module1& s, int i, QChar c) {
    if (s.VerseChars.size() <= i)
        s.VerseChars.resize(i + 1);
    s.VerseChars[i] = c;
}

// Stores the Windows-1252 code of the verse's character at i (1-based) in CharCode, as every
// step that looks at a character leaves it, and returns it.
int setCharCodeAt(Module1& s, int i) {
    s.CharCode = qint16(Cp1252::code(verseChar(s, i)));
    return s.CharCode;
}

// Overwrites one position (1-based) of MaskedText in place.
void putMasked(Module1& s, int pos, QChar c) {
    if (s.MaskedText.size() < pos)
        s.MaskedText = s.MaskedText.leftJustified(pos, QLatin1Char(' '));
    s.MaskedText[pos - 1] = c;
}

void maskingPass(Module1& s, int len) {
    for (int i = 1; i <= len; ++i) {
        const int code = setCharCodeAt(s, i);
        if (isHidden(code))
            putMasked(s, i, QLatin1Char('-'));
        else if (!isTyped(code))
            putMasked(s, i, verseChar(s, i));
    }
}

} // namespace

bool prepareVerse(Module1& s, PracticeView& view) {
    const int len = s.CurrentText.size();
    if (len > MaxVerseLength) {
        s.CharPos = 0;
        view.showTitle(s.CurrentTitle);
        view.refuse(QStringLiteral("This verse is too long to practise: it has %1 characters, "
                                   "and a verse can have at most %2.")
                        .arg(len)
                        .arg(MaxVerseLength));
        return false;
    }
    s.CharPos = 1;
    view.showTitle(s.CurrentTitle);
    // Room for every character and the end marker of word-by-word practice; elements past
    // the verse keep what they held.
    if (s.VerseChars.size() < len + 2)
        s.VerseChars.resize(len + 2);
    for (int i = 1; i <= len; ++i)
        s.VerseChars[i] = s.CurrentText.at(i - 1);
    // At least as long as the verse, so every position can be shown.
    if (s.MaskedText.size() < len)
        s.MaskedText = s.MaskedText.leftJustified(len, QLatin1Char(' '));
    maskingPass(s, len);
    view.showMasked(s.MaskedText);
    return true;
}

void keyPress(Module1& s, PracticeView& view, qint16 keyAscii) {
    s.KeyText = QString(Cp1252::character(keyAscii & 0xFF));
    if (s.CharPos < 1)
        return; // no run started yet
    const int len = verseLength(s);
    for (;;) {
        // Past the end counts as done too: the editor may have shortened CurrentText.
        if (s.CharPos >= len + 1) {
            if (view.askTryAgain())
                prepareVerse(s, view);
            else
                view.showFavourites();
            return;
        }
        if (isTyped(setCharCodeAt(s, s.CharPos)))
            break;
        ++s.CharPos;
    }

    if (QString(verseChar(s, s.CharPos)).compare(s.KeyText, Qt::CaseInsensitive) != 0)
        return;

    if (s.PracticeMode == 1) {
        while (verseChar(s, s.CharPos) != QLatin1Char(' ')) {
            putMasked(s, s.CharPos, verseChar(s, s.CharPos));
            ++s.CharPos;
            if (s.CharPos >= len + 1) {
                setVerseChar(s, s.CharPos, QLatin1Char(' '));
                break;
            }
        }
        view.showMasked(s.MaskedText);
    } else {
        putMasked(s, s.CharPos, verseChar(s, s.CharPos));
        view.showMasked(s.MaskedText);
        ++s.CharPos;
    }
}

void hint(Module1& s, PracticeView& view) {
    if (s.CharPos < 1)
        return;
    const int len = verseLength(s);
    int pos = s.CharPos;
    while (pos <= len && !isTyped(setCharCodeAt(s, pos)))
        ++pos;
    if (pos > len)
        return; // nothing left to uncover
    s.CharPos = qint16(pos);
    putMasked(s, s.CharPos, verseChar(s, s.CharPos));
    view.showMasked(s.MaskedText);
    ++s.CharPos;
}

} // namespace PracticeRules
