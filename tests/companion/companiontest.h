#pragma once

// What both companion test programs share: running tessaline-verses in process and reading the
// verse table it wrote.

#include "companion/cli.h"
#include "companion/verse.h"
#include "tests/support/testfiles.h"

#include <QTest>
#include <QTextStream>

struct CompanionRun {
    int status = -1;
    QString out;
    QString err;
};

inline CompanionRun runCompanion(const QStringList& arguments,
                                 const Companion::RunSettings& settings = {}) {
    CompanionRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.status = Companion::run(QStringList{QStringLiteral("tessaline-verses")} + arguments, out,
                                err, settings);
    out.flush();
    err.flush();
    return run;
}

inline QList<Companion::Verse> versesIn(const QString& path) {
    QList<Companion::Verse> verses;
    for (const VerseRow& row : readVersesDb(path))
        verses.append({row.title.toString(), row.text.toString()});
    return verses;
}

[[nodiscard]] inline bool writeVerses(const QString& path, const QList<Companion::Verse>& verses) {
    QList<VerseRow> rows;
    for (const Companion::Verse& verse : verses)
        rows.append({verse.title, verse.text});
    return writeVersesDb(path, rows);
}

namespace QTest {
template <> inline char* toString(const Companion::Verse& verse) {
    return QTest::toString(QStringLiteral("{%1 | %2}").arg(verse.title, verse.text));
}
} // namespace QTest
