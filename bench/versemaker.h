#pragma once

#include <QString>
#include <random>

// Verses like the ones people learn: ordinary English words, a capital after each full stop,
// commas and semicolons, and titles such as "Psalm 119:105". The same seed gives the same
// verses, so every run measures the same data.
class VerseMaker {
public:
    explicit VerseMaker(quint32 seed) : m_random(seed) {}

    QString title();
    // A text of exactly length characters (at least 2), ending in a full stop.
    QString text(int length);
    // A length drawn evenly from first to last.
    int length(int first, int last);

private:
    int below(int n);
    std::mt19937 m_random;
};
