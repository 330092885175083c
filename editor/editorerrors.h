#pragma once

#include "base/runtimeerror.h"

#include <QSqlError>
#include <optional>

// What the verse editor says when it refuses to write or cannot read: each message says what
// happened and how the user goes on from the grid.
namespace EditorErrors {

// What became of the user's work when the editor refused to write: told at the end of the
// messages below, so that each says what happened and how to go on.
enum class Outcome {
    EditKept,   // the edit stays in the grid
    NotDeleted, // a delete was refused
    EditLost,   // the editor is closing: the edit is gone
};

// The row the editor showed was changed or removed by another program after it was read.
RuntimeError rowChanged(Outcome outcome);
// The row's values could not be read (another program held the file), so it is not written.
RuntimeError rowUnreadable(Outcome outcome);
// Another program renamed or dropped a column, or the table, after the editor read it. With
// an outcome a write was refused; without one, rows could not be read.
// A failure that is no such change comes back as Database::errorFrom() words it.
RuntimeError tableChanged(const QSqlError& error, const QString& path,
                          std::optional<Outcome> outcome);
// The row listed when the rows were read is no longer in the table.
RuntimeError rowRemoved();
// Asked for a field with no current row; of the row just deleted; for a row no longer listed.
RuntimeError noCurrentRecord();
RuntimeError recordDeleted();
RuntimeError invalidBookmark();
// The file the editor opened was deleted, or (replaced) another file now stands in its place.
RuntimeError fileGone(const QString& path, bool replaced, Outcome outcome);
// A failure to save while the editor closes: the same error, saying the edit is gone.
RuntimeError editLost(const RuntimeError& cause);
// The table has no row id the editor can address rows by.
RuntimeError readOnlyTable(const QString& path);

} // namespace EditorErrors
