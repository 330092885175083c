#pragma once

#include "companion/verse.h"

#include <QStringList>
#include <memory>

namespace sword {
class SWMgr;
class SWModule;
} // namespace sword

namespace Companion {

// A Bible module of the SWORD library.
struct BibleInfo {
    QString name;         // the module's name, e.g. "engWEB2015eb"
    QString abbreviation; // its short name for titles, e.g. "WEB" (the name when it has none)
    QString description;
    QString language;
};

// The Bible modules installed for the SWORD library, and verses looked up in them.
class Bibles {
public:
    // Reads the modules from the library's usual places, or only from swordPath when given.
    explicit Bibles(const QString& swordPath = {});
    ~Bibles();

    QList<BibleInfo> list() const;

    // The Bible called name (its module name or short name, in any case); with no name the
    // default one, else the only one installed. Throws RuntimeError when there is none, several
    // and no default, or no such Bible.
    BibleInfo choose(const QString& name, const QString& defaultName = {}) const;

    // One verse per reference (the reference's verses joined by blanks), or with eachVerse one
    // per verse, as plain text. A reference may hold several ("John 3:16; Rom 8:28"): each is
    // one. Book names in English or the Bible's language; titles in the Bible's language. Throws
    // RuntimeError on the first reference that is not understood whole, out of range or has no
    // text.
    QList<Verse> lookUp(const BibleInfo& bible, const QStringList& references, bool eachVerse,
                        const Progress& progress = {}) const;

private:
    sword::SWModule* module(const QString& name) const;

    std::unique_ptr<sword::SWMgr> m_manager;
};

} // namespace Companion
