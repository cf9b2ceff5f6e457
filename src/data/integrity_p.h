#pragma once

// Internal to kq_data: the check of a file that runs beside its connection.
// A connection is readable at once; its writes (any statement that would
// change the file, BEGIN included) wait until the check has passed and are
// refused for good once it has found damage. Before the first write to a
// sound file, the file gets its journal mode (journal_p.h).

#include "data/dataerror.h"
#include "data/integrity.h"

#include <QByteArray>
#include <QString>

struct sqlite3;

namespace kq::data::internal {

enum class CheckState { Pending, Sound, Damaged };

// Starts the check of the file of connection `db` on a connection of its own.
void startCheck(sqlite3 *db, const QString &path);
// Waits at most `milliseconds` (-1: until it ends) for the check of `db`;
// Sound for a connection whose file has no check running.
CheckState waitForCheck(sqlite3 *db, int milliseconds);
// What the check of `db` found, when Damaged.
FileCheck checkResult(sqlite3 *db);
// A file refused because its check found damage, as the error report says it.
DataError damageError(const FileCheck &check, const QString &path, const QString &source);
// What is wrong with the header of the SQLite file `path` (empty when
// nothing): a page size, a format version or a fixed field SQLite does not
// write.
QString headerFault(const QString &path);
// True when the folder of `path` is on a disk mounted read-only (a CD, a
// read-only mount, a snapshot).
bool onReadOnlyDisk(const QString &path);
// The name and flags sqlite3_open_v2 opens the file `path` with: read and
// write, or on a read-only disk read only and immutable (no lock, no WAL
// index to make, so the file can be read where nothing can be written).
QByteArray openName(const QString &path, int *flags);
// Stops the check of `db` (its connection is closing).
void stopCheck(sqlite3 *db);
// How long opening waits for the check (setCheckWaitAtOpen).
int checkWaitAtOpen();

} // namespace kq::data::internal
