#pragma once

#include "data/dialect.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <QSqlQuery>

#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace kq::data {

// The one place connections are opened. One connection per database file
// (named after its absolute path), reused; the Portuguese collation "PTBR"
// (collation.h) and the function datepart(interval, date) are registered on
// it before its first statement. Throws DataError DatabaseOpen when the file
// is missing (a database is never created here: see prepareDataFolder),
// NotADatabase, naming the file, when it is not SQLite, and Damaged when its
// header holds a field SQLite never writes or its check (integrity.h) finds
// damage before the opening returns; a large file
// is checked in the background and its writes wait until the check passes
// (refused with Damaged if it fails). Nothing is written to a file before it
// has passed; at its first write it gets the WAL journal in a local folder
// (the rollback journal in a network folder or where WAL is refused, with a
// note), so a session that only reads leaves the file byte for byte. A file
// on a read-only disk is opened read only and immutable (its WAL, if any,
// left out); its writes are refused as ReadOnly, saying so.
// Synchronous FULL, foreign keys off; a file another program is writing is
// waited for (longer than the program's longest write) before Locked. For the
// GUI thread only. Reads are tuned for a large portfolio: page cache of up to
// 256 MB, temporary store in memory, the file mapped when it is on a local
// disk; the indexes the screens read by are added to an older file (its first
// write).
QSqlDatabase database(const QString &path);

// The engine of the database of `path`: Postgres for the business database
// ("devolvidos.mdb") of a data folder that holds the server settings file
// (server.h), Sqlite for every other file.
Dialect dialectOf(const QString &path);

// True when the database of `path` is there: the file, or (for a database
// on a server) its settings file; nothing is opened.
bool databaseExists(const QString &path);

// The tables of the database of `path`, and the columns of one of them (in
// table order; a server's "rowid" left out, as SQLite's own is); names as the
// schema writes them.
QStringList tableNames(const QString &path);
QStringList columnNames(const QString &path, const QString &table);

// Inside a Transaction: the rows of `table` whose `keyColumn` holds one of
// `keys` are held until it ends, so another desk's write (or lock) of them
// waits for it, and what this transaction reads of them stays true until it
// ends. On SQLite the transaction already holds the whole file: nothing to do.
void lockRows(const QString &path, const QString &table, const QString &keyColumn,
              const QStringList &keys);

// Receives the notes of the data layer for the error log (a journal mode
// that could not be used), on the thread of the application object. Without
// a receiver they go to qWarning.
void setNoteReceiver(std::function<void(const QString &)> receiver);

// Closes the connection of one file (tests, and before a file is replaced).
void closeDatabase(const QString &path);
void closeAllDatabases();

// Runs a statement with bound values (positional "?"), throws DataError on
// failure. Callers write SQLite, not Jet: on a server the text goes through
// toDialect() (jetsql.h) and the values as the server's driver binds them
// (a yes/no as 1 or 0; dates come back as QDate). Values are
// written as the recordset writes them: QDate and QDateTime as ISO date text
// "YYYY-MM-DD" (the time is dropped), a null QString as empty text, an
// invalid QVariant as Null.
QSqlQuery exec(const QString &path, const QString &sql, const QVariantList &values = {});

// Binds values to the "?" of a prepared statement in order, converted as
// exec() converts them; false when SQLite refuses one (too many values).
bool bindValues(sqlite3_stmt *stmt, const QVariantList &values);

// First column of the first row, or an invalid QVariant when there is none.
QVariant scalar(const QString &path, const QString &sql, const QVariantList &values = {});

// One statement run many times with other values (a write or a check per row
// of a list): prepared once on the connection of the file, bound anew on each
// run. Values are written as exec() writes them. Throws DataError.
class Statement
{
public:
    Statement(const QString &path, const QString &sql);
    ~Statement();

    // Binds the values and runs the statement to its first row (a write runs
    // whole); true when there is a row. Ends the previous run.
    bool run(const QVariantList &values);
    // The next row of the run; false at the end.
    bool next();
    // Column i of the current row (as exec() gives it).
    QVariant value(int i) const;
    // Rows the last write changed.
    int changes() const { return m_changes; }

    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

private:
    ::sqlite3 *m_db = nullptr;
    ::sqlite3_stmt *m_stmt = nullptr;
    QString m_sql;
    bool m_row = false;
    int m_changes = 0;
    // On a server: the database and the query of the last run (run through exec()).
    QString m_serverPath;
    std::unique_ptr<QSqlQuery> m_query;
};

// All or nothing: begin on construction, commit() to keep, roll back otherwise.
// A Transaction opened while another one on the same file is open is a
// savepoint inside it: its commit keeps its work only if the outer one
// commits too; its rollback undoes only its own work. On SQLite it holds the
// file's write lock from its start; on a server other desks go on writing
// other rows (see lockRows and nextKey), and a lost connection undoes it:
// every statement of it after that is refused (ServerUnavailable) until it
// ends; the next one opens a new connection.
class Transaction
{
public:
    explicit Transaction(const QString &path);
    ~Transaction();
    void commit();

    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    QString m_path;
    int m_level = 0;
    bool m_done = false;
};

} // namespace kq::data
