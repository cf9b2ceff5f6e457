#pragma once

// Internal to kq_data: connections to the PostgreSQL server that holds a data
// folder's business database (server.h), through Qt's QPSQL driver, and the
// libpq calls made on the driver's own connection.

#include "data/dataerror.h"
#include "data/server.h"

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <memory>
#include <optional>

struct pg_conn;
struct pg_result;

namespace kq::data {
class RowStream;
}

namespace kq::data::internal {

// The prompt set by setPasswordPrompt.
PasswordPrompt &passwordPrompt();

// The server that holds the database of `path`: the business database
// ("devolvidos.mdb", any case) of a folder that holds the settings file.
// Empty for every other path. Throws DataError for a settings file that
// names no server.
std::optional<ServerSettings> serverOf(const QString &path);

// The name of the connection a server's databases share.
QString serverConnectionName(const ServerSettings &settings);

// Opens the connection `name` to the server, or gives it back when it is
// open and alive. A connection the server dropped is opened anew, unless
// `reopen` is false (a transaction of the program was open on it: it is
// lost, and that is said). The password comes from ~/.pgpass or from the
// prompt, asked once and kept for the session. A new connection upgrades an
// older database first (upgradeServerSchema).
// Throws DataError ServerUnavailable naming the server.
QSqlDatabase openServer(const ServerSettings &settings, const QString &name, bool reopen = true);
// The settings of an open server connection (by its name).
ServerSettings serverOfConnection(const QString &name);
void closeServer(const QString &name);

pg_conn *pgHandle(const QSqlDatabase &db);
// True while the connection is usable. What the server sent since the last
// statement is read first, so a connection it closed meanwhile (a restart,
// an administrator ending the session) is seen closed.
bool pgAlive(const QSqlDatabase &db);
// True inside a transaction (also one a failure has aborted).
bool pgInTransaction(const QSqlDatabase &db);

// A result of libpq, freed when it goes.
class PgResult
{
public:
    explicit PgResult(pg_result *result = nullptr)
        : m_result(result)
    {}
    ~PgResult();
    PgResult(PgResult &&other) noexcept
        : m_result(other.m_result)
    {
        other.m_result = nullptr;
    }
    PgResult &operator=(PgResult &&other) noexcept;
    PgResult(const PgResult &) = delete;
    PgResult &operator=(const PgResult &) = delete;

    pg_result *get() const { return m_result; }
    bool ok() const;
    int rows() const;
    int columns() const;
    bool isNull(int row, int column) const;
    QByteArrayView bytes(int row, int column) const;
    QString text(int row, int column) const;
    // Rows changed by a write.
    qint64 changes() const;
    QString sqlstate() const;
    QString message() const;

private:
    pg_result *m_result;
};

// Runs one statement written for PostgreSQL, with "?" where each value goes
// (values as exec() converts them), on a server connection; the result may
// be a failure (an empty one when there is no connection).
PgResult pgTry(const QSqlDatabase &db, const QString &sql, const QVariantList &values);
// The DataError of a failed result (pgFailure).
DataError pgResultFailure(const QSqlDatabase &db, const PgResult &result, const QString &source,
                          int otherNumber = ErrorNumber::SqlFailed);
// As pgResultFailure, but a fault of the statement (not of the server or the
// connection) is SqlFailed with the server's own text.
DataError statementFailure(const QSqlDatabase &db, const PgResult &result, const QString &source);

// Runs one statement written for PostgreSQL, with "?" where each value goes
// (values as exec() converts them), on a server connection. Throws DataError
// (serverError) on failure.
PgResult pgExec(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                const QString &source, int otherNumber = ErrorNumber::SqlFailed);

// The DataError of a failure on a server connection: a lost connection is
// told as lost whatever the statement's own error says.
DataError pgFailure(const QSqlDatabase &db, const QString &sqlstate, const QString &message,
                    const QString &source, int otherNumber = ErrorNumber::SqlFailed);

// exec() on a server connection: the statement (SQLite form, made PostgreSQL's
// by the translation) through the driver. Throws DataError.
QSqlQuery serverExec(const QSqlDatabase &db, const QString &sql, const QVariantList &values);

// The SQL text of "?" markers outside quotes renumbered "$1", "$2"... (libpq's
// form); *count gets their number.
QString numberedParameters(const QString &sql, int *count = nullptr);

// A value as libpq takes it: text, or Null (the optional is empty).
std::optional<QByteArray> pgParameter(const QVariant &value);

// The open server connection of `path`; an invalid QSqlDatabase for an
// SQLite file. Throws DataError when the server cannot be reached.
QSqlDatabase serverDatabase(const QString &path);

// What the server's catalogue says of a column of a table of the current
// schema.
struct ServerColumn
{
    QString table; // spelled as the schema writes it (pgschema_p.h)
    QString name;
    unsigned type = 0;       // the type's oid
    bool portuguese = false; // under the server's Portuguese collation
    int keyPosition = -1;    // its place in the table's primary key; -1 none
};
// The column `column` (its number) of the table of oid `table` on the server
// of that connection; null when it is no column of a table. The catalogue is
// read once per server (again when a table is new to it).
const ServerColumn *serverColumn(const QSqlDatabase &db, unsigned table, int column);
// The primary key's columns of a table, in key order.
QStringList serverPrimaryKey(const QSqlDatabase &db, const QString &table);
// Forgets what was read of the server's catalogue (its tables changed).
void forgetCatalog(const QSqlDatabase &db);

// RowStream::open on a server: a connection of its own (kept for the next
// reading when this one ends), a cursor read in batches.
std::unique_ptr<RowStream> openServerRows(const QString &path, const QString &sql,
                                          const QVariantList &values);
// The whole result of a statement (SQLite's form, made the server's by
// toDialect) on the database's own connection, so inside its transaction;
// with the origin of its columns. Throws DataError (a fault of the statement
// with `errorNumber`).
std::unique_ptr<RowStream> serverResult(const QString &path, const QString &sql,
                                        const QVariantList &values,
                                        int errorNumber = ErrorNumber::SqlFailed);
// Closes the reading connections of every server (closeAllDatabases).
void closeServerReaders();

// Gives the Portuguese text columns of a database made before kq_ptbr that
// collation (pgschema_p.h), in one transaction. Failures (a user who does not
// own the tables, a table another desk is using) leave the database as it was,
// with a note for the error log (false; not tried again in the session): the
// columns then keep the order and tell case apart in an equality.
bool upgradeServerSchema(const QSqlDatabase &db);

// The key of the lock that serialises the new keys of one table on a server.
qint64 keyLockOf(const QString &table);

} // namespace kq::data::internal
