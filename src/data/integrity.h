#pragma once

#include <QString>
#include <QStringList>

namespace kq::data {

// What the check of one database file found.
struct FileCheck
{
    enum class Result { Sound, Missing, NotADatabase, Damaged };
    Result result = Result::Sound;
    // SQLite's findings when the file is damaged or cannot be read (its own
    // text, one problem a line).
    QString findings;
};

// Checks a database file as every connection checks it before its first
// write: SQLite's quick check (the structure of every page, every record's
// fields) with the program's collation registered. Writes nothing. The
// command line's --check-data runs it on the files of a data folder.
FileCheck checkDatabaseFile(const QString &path);

// What checking the databases of a data folder found: one line per file
// ("devolvidos.mdb: íntegro"), SQLite's findings under a damaged one, and a
// closing line; sound when every database is there and sound.
struct FolderCheck
{
    QStringList lines;
    bool sound = true;
};
FolderCheck checkDataFolder(const QString &dir);

// How long opening a file waits for its check before the check goes on in
// the background (writes to the file wait until it passes). Tests set it.
void setCheckWaitAtOpen(int milliseconds);

} // namespace kq::data
