#pragma once

#include <QString>

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

// How long opening a file waits for its check before the check goes on in
// the background (writes to the file wait until it passes). Tests set it.
void setCheckWaitAtOpen(int milliseconds);

} // namespace kq::data
