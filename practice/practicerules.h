#pragma once

#include <QString>

struct Module1;

// What the practice rules need from the window that shows a run.
class PracticeView {
public:
    virtual ~PracticeView() = default;
    // The window's caption.
    virtual void showTitle(const QString& title) = 0;
    // Shows the whole masked text and repaints it at once.
    virtual void showMasked(const QString& masked) = 0;
    // The modal "Try Again?" question; true for Yes.
    virtual bool askTryAgain() = 0;
    virtual void showFavourites() = 0;
    // Tells the user a verse cannot be practised.
    virtual void refuse(const QString& message) = 0;
};

// Masking, typing check and hint, on the shared state, without any widget.
namespace PracticeRules {

// The longest verse a run can step through with 16-bit positions (end marker included).
inline constexpr int MaxVerseLength = 32766;

// Character classes by Windows-1252 code.
inline bool isTyped(int code) {
    return code >= 64 && code <= 123;
}
inline bool isHidden(int code) {
    return code > 64 && code < 123;
}

// Prepares CurrentText for a run from its first character. Returns false, with CharPos 0,
// when the verse is too long to practise.
bool prepareVerse(Module1& s, PracticeView& view);

// The typing check for one typed character.
void keyPress(Module1& s, PracticeView& view, qint16 keyAscii);

// Uncovers the next letter; does nothing when none is left or no run has started.
void hint(Module1& s, PracticeView& view);

} // namespace PracticeRules
