#pragma once

#include <QString>
#include <stdexcept>

namespace kq::data {

// Number, description and source of a failure, as the error report prints
// them, and the technical text behind the description (a database engine's
// own message), for the error log only.
struct ErrorInfo
{
    int number = 0;
    QString description;
    QString source;
    QString detail;
};

// A failure numbered as the old runtime numbered its errors; what() is the
// description.
class NumberedError : public std::runtime_error
{
public:
    NumberedError(int number, const QString &description, const QString &source = QString(),
                  const QString &detail = QString());

    const ErrorInfo &info() const { return m_info; }
    int number() const { return m_info.number; }
    QString description() const { return m_info.description; }
    QString source() const { return m_info.source; }
    QString detail() const { return m_info.detail; }

private:
    ErrorInfo m_info;
};

// A failure of the record-access layer. The number and source are printed by
// the error report as they are. A failure of the database engine carries its
// own text in detail(), for the error log; the description says it in
// Portuguese when it is a failure of the file (see databaseError).
class DataError : public NumberedError
{
public:
    using NumberedError::NumberedError;
};

// Error numbers used by this layer (the old runtime's numbers where one fits).
namespace ErrorNumber {
constexpr int NoCurrentRecord = 3021;
constexpr int DatabaseOpen = 3024;
constexpr int NotADatabase = 3343;
constexpr int SqlFailed = 3061;
constexpr int UnknownField = 3265;
constexpr int TypeMismatch = 13;
constexpr int WriteFailed = 3022;
constexpr int NoEditMode = 3020;
constexpr int Overflow = 6;
constexpr int DiskFull = 3026;
constexpr int ReadOnly = 3027;
constexpr int DiskError = 3043;
constexpr int Damaged = 3049;
constexpr int NoSuchTable = 3078;
constexpr int Locked = 3260;
constexpr int ServerUnavailable = 3151;
} // namespace ErrorNumber

// A failure of SQLite (its result code, extended or not, and its message) on
// the database file `path`, as the error report shows it: a full disk, a
// read-only file or folder, a file in use by another program, a damaged file,
// a file that is no database, a disk error, a missing table or field and a
// repeated key are told in Portuguese with the file's name; other failures
// keep SQLite's text. `otherNumber` is the number of those others (constraint
// failures are always WriteFailed). SQLite's text and code go to detail().
DataError databaseError(int code, const QString &engineText, const QString &path,
                        const QString &source, int otherNumber = ErrorNumber::SqlFailed);

// What a data folder on a read-only disk (a CD, a read-only mount, a
// snapshot) allows: reading.
QString readOnlyDiskText(const QString &folder);

// Why a plain file could not be opened, read or written, in Portuguese, from
// the system's error number (errno right after the failing call): a full
// disk, no permission, a read-only disk, a missing file or folder, a disk
// error, a file in use. Other numbers give `otherText` (the library's own).
QString fileErrorReason(int errnum, const QString &otherText);

// A failure of the PostgreSQL server `serverName` ("host:port/database"):
// its SQLSTATE and primary message. A server that cannot be reached or that
// dropped the connection, a repeated key, a missing table or field, a value
// of the wrong type, a full disk, a lock held by another desk and a refused
// permission are told in Portuguese naming the server; other failures keep
// the server's text. `otherNumber` as for databaseError.
DataError serverError(const QString &sqlstate, const QString &engineText, const QString &serverName,
                      const QString &source, int otherNumber = ErrorNumber::SqlFailed);

// True for the numbers of the failures of the storage itself (a full disk,
// a read-only or damaged file, a file in use, a file that is no database or
// cannot be opened, a server that cannot be reached), as opposed to a fault
// of the statement.
bool isStorageFailure(int errorNumber);

// True for the SQLSTATEs of a connection that was lost or cannot be made
// (class 08, an administrator's or a crash shutdown, a server starting up).
bool isConnectionFailure(const QString &sqlstate);

// True for the failures of the file itself (disk full, read-only, in use,
// damaged, not a database, disk error, cannot open), as opposed to a fault of
// the statement.
bool isFileFailure(int code);

} // namespace kq::data
