#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace kq::data {

// What the check of one database file found.
struct FileCheck
{
    enum class Result { Sound, Missing, NotADatabase, Damaged };
    Result result = Result::Sound;
    // SQLite's findings when the file is damaged or cannot be read (its own
    // text, one problem a line), for the error log.
    QString findings;
    // The SQLite result code of a file that is damaged (SQLITE_CORRUPT) or
    // cannot be read.
    int code = 0;
    // Damaged, but only in its indexes: the rows are sound and the indexes
    // can be rebuilt from them (rebuildIndexes).
    bool indexesOnly = false;
};

// How deep a check goes.
enum class CheckDepth {
    // As every connection checks its file before its first write: the file's
    // header, SQLite's quick check (the structure of every page, every
    // record's fields) and every index against its table.
    BeforeWrite,
    // SQLite's full integrity check besides the header (--check-data).
    Full,
};

// Checks a database file with the program's collation registered. Writes
// nothing. A file on a read-only disk is read as it is (without its WAL).
FileCheck checkDatabaseFile(const QString &path, CheckDepth depth = CheckDepth::BeforeWrite);

// What a damaged file's check found, in Portuguese, naming the file.
QString damageText(const FileCheck &check, const QString &path);

// What checking the databases of a data folder in full found: one line per
// file ("devolvidos.mdb: íntegro"), a line in Portuguese under one that is
// damaged, and a closing line; sound when every database is there and
// sound. SQLite's findings, one entry per damaged file, go in details (for
// the error log).
struct FolderCheck
{
    QStringList lines;
    QStringList details;
    bool sound = true;
};
FolderCheck checkDataFolder(const QString &dir);

// The files whose check found damage only in their indexes since the last
// call (each once), and what is called, on the thread of the application
// object, when a check finds such a file.
QStringList takeFilesWithDamagedIndexes();
void setDamagedIndexReceiver(std::function<void()> receiver);

// Copies the file as it is beside it ("devolvidos.mdb.copia-AAAAMMDD-hhmmss",
// through SQLite, its WAL included), rebuilds its indexes (REINDEX) and
// checks it again; its connection is closed first. Returns the copy's path.
// Throws DataError when the copy cannot be made, or the file is still
// damaged.
QString rebuildIndexes(const QString &path);

// How long opening a file waits for its check before the check goes on in
// the background (writes to the file wait until it passes). Tests set it.
void setCheckWaitAtOpen(int milliseconds);

} // namespace kq::data
