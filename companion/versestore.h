#pragma once

#include "companion/verse.h"

#include <functional>
#include <optional>

// The companion's work on the verse database: adding rows in one transaction, reading all.
namespace VerseStore {

struct Added {
    qsizetype added = 0;
    qsizetype skipped = 0; // already there with the same title and text, or given twice
};

// The verses to add, one at a time; nothing when there are no more.
using Source = std::function<std::optional<Companion::Verse>()>;

// Adds verses to table verses of the database at path, all or none: on any failure the
// transaction is rolled back, the connection closed, and RuntimeError (or std::bad_alloc) thrown.
// Memory does not grow with the number of verses. Waits for another program holding the file as
// the editor does, then gives up. afterEach runs after each verse (for progress).
Added add(const QString& path, const Source& next, const std::function<void()>& afterEach = {});
Added add(const QString& path, const QList<Companion::Verse>& verses,
          const Companion::Progress& progress = {});

// How many digests of rows (16 bytes each, a power of two) an import keeps in memory before it
// moves them to a temporary file; tests lower it.
extern size_t memorySlots;

// Every row, in title order (rows with the same title in the order they were added).
QList<Companion::Verse> readAll(const QString& path);

} // namespace VerseStore
