#include "editor/editorerrors.h"

#include "base/database.h"

namespace EditorErrors {

namespace {

QString whatNow(Outcome outcome, const QString& refresh) {
    switch (outcome) {
    case Outcome::EditKept:
        return QStringLiteral(" Your edit is still in the grid to copy; press Escape in the grid "
                              "to drop it. ") +
               refresh;
    case Outcome::NotDeleted:
        return QLatin1Char(' ') + refresh;
    case Outcome::EditLost:
        break;
    }
    return QStringLiteral(" The edit of the current verse was not saved.");
}

} // namespace

RuntimeError rowChanged(Outcome outcome) {
    return RuntimeError(
        RuntimeError::RowChanged,
        QStringLiteral("The verse was changed or removed by another program after the editor "
                       "read it, so nothing was written.") +
            whatNow(outcome, QStringLiteral("Refresh shows the table as it is now.")));
}

RuntimeError rowUnreadable(Outcome outcome) {
    return RuntimeError(RuntimeError::DatabaseLocked,
                        QStringLiteral("The verse could not be read while another program held "
                                       "the verse database, so nothing was written.") +
                            whatNow(outcome, QStringLiteral("The grid reads it again once the "
                                                            "other program is done.")));
}

RuntimeError tableChanged(const QSqlError& error, const QString& path,
                          std::optional<Outcome> outcome) {
    const RuntimeError cause = Database::errorFrom(error, path);
    if (cause.number() != RuntimeError::ItemNotFound &&
        cause.number() != RuntimeError::TableNotFound)
        return cause;
    const QString what = QStringLiteral("The table 'verses' in '%1' was changed by another program "
                                        "after the editor read it (%2)")
                             .arg(path, error.databaseText());
    const QString refresh = QStringLiteral("Refresh reads the table again.");
    if (!outcome)
        return RuntimeError(cause.number(),
                            what + QStringLiteral(", so its verses cannot be read as listed. ") +
                                refresh);
    return RuntimeError(cause.number(), what + QStringLiteral(", so nothing was written.") +
                                            whatNow(*outcome, refresh));
}

RuntimeError rowRemoved() {
    return RuntimeError(RuntimeError::RowRemoved,
                        QStringLiteral("The verse was removed by another program after the editor "
                                       "listed it. Refresh shows the table as it is now."));
}

RuntimeError noCurrentRecord() {
    return RuntimeError(RuntimeError::NoCurrentRecord, QStringLiteral("No current record."));
}

RuntimeError recordDeleted() {
    return RuntimeError(RuntimeError::RowRemoved,
                        QStringLiteral("The current record was deleted."));
}

RuntimeError invalidBookmark() {
    return RuntimeError(RuntimeError::InvalidBookmark,
                        QStringLiteral("Not a valid bookmark: the row no longer exists."));
}

RuntimeError fileGone(const QString& path, bool replaced, Outcome outcome) {
    return RuntimeError(
        replaced ? RuntimeError::FileReplaced : RuntimeError::DatabaseNotFound,
        QStringLiteral("The verse database '%1' was %2 after the editor read it, so nothing was "
                       "written.")
                .arg(path, replaced ? QStringLiteral("replaced by another file")
                                    : QStringLiteral("deleted or moved away by another program")) +
            whatNow(outcome, replaced ? QStringLiteral("Refresh shows the verses of the new file.")
                                      : QStringLiteral("Refresh reads the file again once it is "
                                                       "back.")));
}

RuntimeError editLost(const RuntimeError& cause) {
    const QString lost = whatNow(Outcome::EditLost, QString());
    if (cause.description().endsWith(lost))
        return cause;
    return RuntimeError(cause.number(),
                        QString(cause.description()).remove(QLatin1String(Database::LockedAdvice)) +
                            lost);
}

RuntimeError readOnlyTable(const QString& path) {
    return RuntimeError(
        RuntimeError::ReadOnlyTable,
        QStringLiteral("The table 'verses' in '%1' has no row id the editor can tell its rows "
                       "apart by (its own columns are named rowid, oid and _rowid_, or it is a "
                       "WITHOUT ROWID table). The verses are shown read-only: they can be "
                       "browsed and selected, but not changed.")
            .arg(path));
}

} // namespace EditorErrors
