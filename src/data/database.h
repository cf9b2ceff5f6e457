#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <QSqlQuery>

struct sqlite3;
struct sqlite3_stmt;

namespace kq::data {

// The one place connections are opened. One connection per database file
// (named after its absolute path), reused; the Portuguese collation "PTBR"
// (collation.h) and the function datepart(interval, date) are registered on
// it before its first statement. Throws DataError DatabaseOpen when the file
// is missing (a database is never created here: see prepareDataFolder) and
// NotADatabase, naming the file, when it is not SQLite. Rollback journal,
// synchronous FULL, foreign keys off. For the GUI thread only.
// Reads are tuned for a large portfolio: page cache of up to 256 MB,
// temporary store in memory, the file mapped when it is on a local disk.
QSqlDatabase database(const QString &path);

// Closes the connection of one file (tests, and before a file is replaced).
void closeDatabase(const QString &path);
void closeAllDatabases();

// Runs a statement with bound values (positional "?"), throws DataError on
// failure. The text is used as is: callers write SQLite, not Jet. Values are
// written as the recordset writes them: QDate and QDateTime as ISO date text
// "YYYY-MM-DD" (the time is dropped), a null QString as empty text, an
// invalid QVariant as Null.
QSqlQuery exec(const QString &path, const QString &sql, const QVariantList &values = {});

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
};

// All or nothing: begin on construction, commit() to keep, roll back otherwise.
// A Transaction opened while another one on the same file is open is a
// savepoint inside it: its commit keeps its work only if the outer one
// commits too; its rollback undoes only its own work.
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
