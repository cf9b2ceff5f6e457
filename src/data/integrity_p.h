#pragma once

// Internal to kq_data: the check of a file that runs beside its connection.
// A connection is readable at once; its writes (any statement that would
// change the file, BEGIN included) wait until the check has passed and are
// refused for good once it has found damage. Before the first write to a
// sound file, the file gets its journal mode (journal_p.h).

#include <QString>

struct sqlite3;

namespace kq::data::internal {

enum class CheckState { Pending, Sound, Damaged };

// Starts the check of the file of connection `db` on a connection of its own.
void startCheck(sqlite3 *db, const QString &path);
// Waits at most `milliseconds` (-1: until it ends) for the check of `db`;
// Sound for a connection whose file has no check running.
CheckState waitForCheck(sqlite3 *db, int milliseconds);
// What the check found (SQLite's text), when Damaged.
QString checkFindings(sqlite3 *db);
// Stops the check of `db` (its connection is closing).
void stopCheck(sqlite3 *db);
// How long opening waits for the check (setCheckWaitAtOpen).
int checkWaitAtOpen();

} // namespace kq::data::internal
