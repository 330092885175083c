#pragma once

#include <QString>

// A data control's record source split into the pieces its own statements are built from:
// the rowid list, the pages of values and the writes all address the same table, filter and
// order as the source itself.
struct RecordSourceParts {
    QString selectList; // between SELECT and FROM, as written
    QString table;      // the single FROM item, as written (brackets kept)
    QString tail;       // WHERE / ORDER BY / LIMIT ... as written, or empty
};

// Splits "select <list> from <table> [tail]". Only a plain SELECT from one table can be
// edited row by row; anything else (joins, subqueries, DISTINCT, compound selects) throws a
// RuntimeError saying so.
RecordSourceParts splitRecordSource(const QString& source);
