#pragma once

// What both companion test programs share: running tessaline-verses in process and reading the
// verse table it wrote.

#include "companion/cli.h"
#include "companion/verse.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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

// A SWORD configuration naming exactly the given Bibles, as Debian installs them (scripts/deps
// installs these), so that a test sees the same Bibles whatever else the machine has. The
// library finds it through SWORD_PATH; HOME points here too, so that no ~/.sword adds more.
class SwordConfig {
public:
    explicit SwordConfig(const QStringList& modules) {
        const QString installed = QStringLiteral("/usr/share/sword");
        QDir dir(m_dir.path());
        m_ok = dir.mkdir(QStringLiteral("mods.d")) &&
               QFile::link(installed + QStringLiteral("/modules"),
                           dir.filePath(QStringLiteral("modules"))) &&
               QFile::link(installed + QStringLiteral("/locales.d"),
                           dir.filePath(QStringLiteral("locales.d")));
        for (const QString& module : modules) {
            const QString conf = QStringLiteral("/mods.d/%1.conf").arg(module);
            if (!QFile::copy(installed + conf, m_dir.path() + conf)) {
                m_ok = false;
                m_missing.append(module);
            }
        }
        m_oldPath = qgetenv("SWORD_PATH");
        m_oldHome = qgetenv("HOME");
        qputenv("SWORD_PATH", QFile::encodeName(m_dir.path()));
        qputenv("HOME", QFile::encodeName(m_dir.path()));
    }
    ~SwordConfig() {
        restore("SWORD_PATH", m_oldPath);
        restore("HOME", m_oldHome);
    }
    // False when a module is not installed: run scripts/deps.
    bool ok() const { return m_ok; }
    QString missing() const { return m_missing.join(u' '); }

private:
    static void restore(const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    QTemporaryDir m_dir;
    bool m_ok = false;
    QStringList m_missing;
    QByteArray m_oldPath, m_oldHome;
};

inline const QString Web = QStringLiteral("engWEB2015eb");
inline const QString Kjv = QStringLiteral("engKJV2006eb");
inline const QString Rv1909 = QStringLiteral("spaRV1909eb");

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
