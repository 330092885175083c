#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// The program's shared state: one instance per run, read and written directly by the
// windows' handlers on the one user-interface thread.
struct Module1 {
    // The verse being practised and the state of a practice run.
    QString CurrentTitle;
    QString CurrentText;
    QString MaskedText;
    QList<QChar> VerseChars; // index i holds character i of the verse (1-based); grows to fit
    qint16 CharPos = 0;
    qint16 CharCode = 0;
    qint16 PracticeMode = 0; // 1: word by word; anything else: letter by letter
    QString KeyText;

    // Favourite slots: 0 to 5 are shown and saved; 6 to 14 take in the extra pairs of a
    // longer favourites file.
    static constexpr int FavSlotCount = 15;
    static constexpr int ShownFavourites = 6;
    std::array<QString, FavSlotCount> FavTexts;
    std::array<QString, FavSlotCount> FavTitles;
    qint16 FavSlot = 0;
};

// The single instance.
Module1& sharedState();

// Back to the state at program start (used between tests).
void resetSharedState();
