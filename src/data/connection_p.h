#pragma once

// Internal to kq_data: the raw SQLite handle behind a connection, and what
// every new connection gets before its first statement.

#include "data/dataerror.h"

#include <QSqlQuery>
#include <QString>
#include <QVariant>

class QSqlDriver;

struct sqlite3;
struct sqlite3_stmt;

namespace kq::data::internal {

// The handle of the connection of that file (opened by database()).
sqlite3 *handle(const QString &path);

// Collation PTBR and the functions of the Jet translation.
void registerExtensions(sqlite3 *db);

// A value as it is written: QDate and QDateTime as ISO date text, a null
// QString as empty text, an invalid QVariant as Null.
QVariant normalise(const QVariant &value);

// Binds a normalised value to parameter i (1-based); false on failure.
bool bindValue(sqlite3_stmt *stmt, int i, const QVariant &value);

// The message of the last failure of the handle.
QString lastError(sqlite3 *db);

// A failure of SQLite on connection `db` (code and text as it gave them; by
// default its last ones) as a DataError (databaseError) naming its file. A
// write refused because the file's check found damage is told as damage.
DataError failure(sqlite3 *db, int code, const QString &text, const QString &source,
                  int otherNumber = ErrorNumber::SqlFailed);
DataError failure(sqlite3 *db, const QString &source, int otherNumber = ErrorNumber::SqlFailed);

// Runs statements without results (schema, pragmas); throws DataError.
void execScript(sqlite3 *db, const QString &sql, const QString &fileName);

// Statements stay prepared on their connection between uses: a statement
// of that text that nothing runs, or a new one (null and the message when
// the text does not prepare, holds more than one statement or none).
// Released statements are reset and their values cleared.
sqlite3_stmt *acquireStatement(sqlite3 *db, const QString &sql, QString *error);
void releaseStatement(sqlite3 *db, const QString &sql, sqlite3_stmt *st);
// Before the connection closes: every statement of it is finalized, those of
// queries still open included (their rows end).
void dropStatements(sqlite3 *db);

// Column i of the statement's row as Qt's SQLite driver gives it (Null as a
// null QString).
QVariant columnValue(sqlite3_stmt *st, int i);

// exec() on an SQLite connection: a statement from the pool, bound and run to
// its first row; the query reads the columns asked for as Qt's SQLite driver
// gives them. Throws DataError.
QSqlQuery runStatement(const QSqlDriver *driver, sqlite3 *db, const QString &sql,
                       const QVariantList &values);

// A statement from the pool for one use (writes of a recordset, one record at
// a time); back to the pool when it goes.
class CachedStatement
{
public:
    CachedStatement(sqlite3 *db, const QString &sql);
    ~CachedStatement();
    sqlite3_stmt *get() const { return m_stmt; }
    explicit operator bool() const { return m_stmt != nullptr; }
    QString error() const { return m_error; }
    int errorCode() const { return m_errorCode; }

    CachedStatement(const CachedStatement &) = delete;
    CachedStatement &operator=(const CachedStatement &) = delete;

private:
    sqlite3 *m_db;
    QString m_sql;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_error;
    int m_errorCode = 0;
};

// Creates the indexes of indexStatements() that an older file lacks (then
// gathers statistics); failures leave the file as it was. Errors are ignored:
// the indexes only speed reading up.
void addMissingIndexes(sqlite3 *db, const QString &path);

// A table or column name as an SQL identifier between double quotes.
QString quoteName(const QString &name);

} // namespace kq::data::internal
