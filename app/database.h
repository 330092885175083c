#pragma once

#include "app/runtimeerror.h"

#include <QSqlDatabase>
#include <QSqlError>

// Access to the verse database file: opening it and turning the engine's failures into
// run-time errors that name the file.
namespace Database {

// How long a statement waits for another program holding the file before it gives up.
inline constexpr int BusyTimeoutMs = 3000;

// Opens the SQLite file at path under the given connection name. Never creates the file:
// a missing one is an error. Throws RuntimeError.
QSqlDatabase open(const QString& path, const QString& connectionName);

// Closes and forgets a connection opened by open().
void close(const QString& connectionName);

// A run-time error for a failure of the engine on the file at path.
RuntimeError errorFrom(const QSqlError& error, const QString& path);

} // namespace Database
