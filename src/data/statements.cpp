#include "data/connection_p.h"
#include "data/database.h"
#include "data/dataerror.h"

#include <QHash>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>
#include <QVector>

#include <sqlite3.h>

namespace kq::data::internal {

namespace {

const QString kSource = QStringLiteral("kq_data");

// Idle statements kept per connection; past that they are let go.
constexpr int kMaxIdle = 128;

class StatementResult;

// The prepared statements of one connection that nothing is running (by
// their text; a text run twice at once has two), and the results of exec()
// still holding one.
struct Pool
{
    QHash<QString, QVector<sqlite3_stmt *>> idle;
    int idleCount = 0;
    QSet<StatementResult *> live;
};

QHash<sqlite3 *, Pool> &pools()
{
    static QHash<sqlite3 *, Pool> p;
    return p;
}

bool blank(const char *tail)
{
    for (; tail && *tail; ++tail) {
        if (!QChar::isSpace(uchar(*tail)) && *tail != ';')
            return false;
    }
    return true;
}

// The type a record field gets, as Qt's SQLite driver gives it.
QMetaType fieldType(sqlite3_stmt *st, int column)
{
    const QByteArray decl = QByteArray(sqlite3_column_decltype(st, column)).toLower();
    if (!decl.isEmpty()) {
        if (decl == "integer" || decl == "int")
            return QMetaType::fromType<int>();
        if (decl == "double" || decl == "float" || decl == "real" || decl.startsWith("numeric"))
            return QMetaType::fromType<double>();
        if (decl == "blob")
            return QMetaType::fromType<QByteArray>();
        if (decl == "boolean" || decl == "bool")
            return QMetaType::fromType<bool>();
        return QMetaType::fromType<QString>();
    }
    switch (sqlite3_column_type(st, column)) {
    case SQLITE_INTEGER:
        return QMetaType::fromType<int>();
    case SQLITE_FLOAT:
        return QMetaType::fromType<double>();
    case SQLITE_BLOB:
        return QMetaType::fromType<QByteArray>();
    case SQLITE_TEXT:
        return QMetaType::fromType<QString>();
    default:
        return QMetaType();
    }
}

// The rows of a statement taken from the pool, read on demand, column by
// column (no copy of a row that is not asked for). Forward only. The
// statement goes back to the pool when the last QSqlQuery over it goes.
class StatementResult : public QSqlResult
{
public:
    StatementResult(const QSqlDriver *driver, sqlite3 *db, const QString &sql, sqlite3_stmt *st)
        : QSqlResult(driver)
        , m_db(db)
        , m_sql(sql)
        , m_stmt(st)
    {
        setQuery(sql);
        setForwardOnly(true);
        pools()[db].live.insert(this);
    }

    ~StatementResult() override
    {
        auto it = pools().find(m_db);
        if (it != pools().end())
            it->live.remove(this);
        if (m_stmt)
            releaseStatement(m_db, m_sql, m_stmt);
    }

    // Runs the bound statement to its first row (a write runs whole); on a
    // failure returns the SQLite result code.
    int start()
    {
        m_rc = sqlite3_step(m_stmt);
        if (m_rc != SQLITE_ROW && m_rc != SQLITE_DONE)
            return m_rc;
        const bool select = sqlite3_column_count(m_stmt) > 0;
        setSelect(select);
        setActive(true);
        setAt(QSql::BeforeFirstRow);
        if (!select)
            m_changes = sqlite3_changes(m_db);
        if (m_rc == SQLITE_DONE)
            sqlite3_reset(m_stmt); // no lock held past the last row
        return SQLITE_OK;
    }

    // The connection closes: the statement is finalized with it.
    void detach()
    {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        m_rc = SQLITE_DONE;
    }

protected:
    QVariant data(int i) override
    {
        if (!m_stmt || m_rc != SQLITE_ROW)
            return QVariant();
        return columnValue(m_stmt, i);
    }

    bool isNull(int i) override
    {
        return !m_stmt || m_rc != SQLITE_ROW || sqlite3_column_type(m_stmt, i) == SQLITE_NULL;
    }

    bool reset(const QString &) override { return false; } // statements come prepared

    bool fetch(int i) override
    {
        if (i == at() && at() >= 0)
            return true;
        return i == at() + 1 && fetchNext();
    }

    bool fetchFirst() override
    {
        if (at() != QSql::BeforeFirstRow)
            return at() == 0;
        if (m_rc != SQLITE_ROW) {
            setAt(QSql::AfterLastRow);
            return false;
        }
        setAt(0);
        return true;
    }

    bool fetchNext() override
    {
        if (at() == QSql::BeforeFirstRow)
            return fetchFirst();
        if (!m_stmt || m_rc != SQLITE_ROW) {
            setAt(QSql::AfterLastRow);
            return false;
        }
        m_rc = sqlite3_step(m_stmt);
        if (m_rc == SQLITE_ROW) {
            setAt(at() + 1);
            return true;
        }
        if (m_rc != SQLITE_DONE)
            setLastError(QSqlError(QString(), internal::lastError(m_db), QSqlError::StatementError,
                                   QString::number(m_rc)));
        sqlite3_reset(m_stmt);
        setAt(QSql::AfterLastRow);
        return false;
    }

    bool fetchLast() override
    {
        while (fetchNext()) {
        }
        return false;
    }

    int size() override { return -1; }
    int numRowsAffected() override { return m_changes; }

    QSqlRecord record() const override
    {
        if (!m_recordBuilt && m_stmt && isSelect()) {
            const int n = sqlite3_column_count(m_stmt);
            for (int i = 0; i < n; ++i)
                m_record.append(QSqlField(QString::fromUtf8(sqlite3_column_name(m_stmt, i)),
                                          fieldType(m_stmt, i)));
            m_recordBuilt = true;
        }
        return m_record;
    }

    void detachFromResultSet() override
    {
        if (m_stmt)
            sqlite3_reset(m_stmt);
        m_rc = SQLITE_DONE;
    }

private:
    sqlite3 *m_db;
    QString m_sql;
    sqlite3_stmt *m_stmt;
    int m_rc = SQLITE_DONE;
    int m_changes = -1;
    mutable QSqlRecord m_record;
    mutable bool m_recordBuilt = false;
};

} // namespace

QVariant columnValue(sqlite3_stmt *st, int i)
{
    if (i < 0 || i >= sqlite3_column_count(st))
        return QVariant();
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(st, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, i));
    case SQLITE_TEXT:
        return QVariant(
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                              sqlite3_column_bytes(st, i)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(st, i)),
                                   sqlite3_column_bytes(st, i)));
    default:
        return QVariant(QMetaType::fromType<QString>()); // Null, as Qt's driver gives it
    }
}

sqlite3_stmt *acquireStatement(sqlite3 *db, const QString &sql, QString *error)
{
    Pool &pool = pools()[db];
    const auto it = pool.idle.find(sql);
    if (it != pool.idle.end() && !it->isEmpty()) {
        --pool.idleCount;
        return it->takeLast();
    }
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *st = nullptr;
    const char *tail = nullptr;
    if (sqlite3_prepare_v3(db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &st,
                           &tail)
        != SQLITE_OK) {
        *error = lastError(db);
        sqlite3_finalize(st);
        return nullptr;
    }
    if (!st || !blank(tail)) {
        *error = st ? QStringLiteral("Unable to execute multiple statements at a time")
                    : QStringLiteral("No query");
        sqlite3_finalize(st);
        return nullptr;
    }
    return st;
}

void releaseStatement(sqlite3 *db, const QString &sql, sqlite3_stmt *st)
{
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    const auto it = pools().find(db);
    if (it == pools().end()) {
        sqlite3_finalize(st);
        return;
    }
    if (it->idleCount >= kMaxIdle) {
        for (const QVector<sqlite3_stmt *> &list : std::as_const(it->idle)) {
            for (sqlite3_stmt *s : list)
                sqlite3_finalize(s);
        }
        it->idle.clear();
        it->idleCount = 0;
    }
    it->idle[sql].append(st);
    ++it->idleCount;
}

void dropStatements(sqlite3 *db)
{
    const auto it = pools().find(db);
    if (it == pools().end())
        return;
    for (const QVector<sqlite3_stmt *> &list : std::as_const(it->idle)) {
        for (sqlite3_stmt *s : list)
            sqlite3_finalize(s);
    }
    for (StatementResult *r : std::as_const(it->live))
        r->detach();
    pools().erase(it);
}

QSqlQuery runStatement(const QSqlDriver *driver, sqlite3 *db, const QString &sql,
                       const QVariantList &values)
{
    QString error;
    sqlite3_stmt *st = acquireStatement(db, sql, &error);
    if (!st)
        throw failure(db, sqlite3_extended_errcode(db), error, kSource);
    // Handed to the query at once, so the statement goes back to the pool
    // whatever happens below.
    auto *result = new StatementResult(driver, db, sql, st);
    QSqlQuery query(result);
    if (sqlite3_bind_parameter_count(st) != values.size())
        throw DataError(ErrorNumber::SqlFailed, QStringLiteral("Parameter count mismatch"),
                        kSource);
    int i = 1;
    for (const QVariant &v : values) {
        if (!bindValue(st, i++, normalise(v)))
            throw failure(db, kSource);
    }
    if (const int rc = result->start(); rc != SQLITE_OK)
        throw failure(db, rc, lastError(db), kSource);
    return query;
}

CachedStatement::CachedStatement(sqlite3 *db, const QString &sql)
    : m_db(db)
    , m_sql(sql)
{
    m_stmt = acquireStatement(db, sql, &m_error);
    if (!m_stmt)
        m_errorCode = sqlite3_extended_errcode(db);
}

CachedStatement::~CachedStatement()
{
    if (m_stmt)
        releaseStatement(m_db, m_sql, m_stmt);
}

} // namespace kq::data::internal

namespace kq::data {

namespace {

[[noreturn]] void statementFailed(sqlite3 *db)
{
    throw internal::failure(db, QStringLiteral("kq_data"));
}

} // namespace

Statement::Statement(const QString &path, const QString &sql)
    : m_sql(sql)
{
    if (dialectOf(path) == Dialect::Postgres) {
        m_serverPath = path;
        return;
    }
    m_db = internal::handle(path);
    QString error;
    m_stmt = internal::acquireStatement(m_db, sql, &error);
    if (!m_stmt)
        throw internal::failure(m_db, sqlite3_extended_errcode(m_db), error,
                                QStringLiteral("kq_data"));
}

Statement::~Statement()
{
    if (!m_stmt)
        return;
    internal::releaseStatement(m_db, m_sql, m_stmt);
}

bool Statement::run(const QVariantList &values)
{
    if (!m_serverPath.isEmpty()) {
        m_query.reset();
        m_query = std::make_unique<QSqlQuery>(exec(m_serverPath, m_sql, values));
        m_changes = m_query->isSelect() ? 0 : m_query->numRowsAffected();
        return next();
    }
    sqlite3_reset(m_stmt);
    m_row = false;
    if (sqlite3_bind_parameter_count(m_stmt) != values.size())
        throw DataError(ErrorNumber::SqlFailed, QStringLiteral("Parameter count mismatch"),
                        QStringLiteral("kq_data"));
    int i = 1;
    for (const QVariant &v : values) {
        if (!internal::bindValue(m_stmt, i++, internal::normalise(v)))
            statementFailed(m_db);
    }
    return next();
}

bool Statement::next()
{
    if (m_query) {
        m_row = m_query->isSelect() && m_query->next();
        return m_row;
    }
    const int rc = sqlite3_step(m_stmt);
    m_row = rc == SQLITE_ROW;
    if (m_row)
        return true;
    if (rc != SQLITE_DONE) {
        const DataError error
            = internal::failure(m_db, rc, internal::lastError(m_db), QStringLiteral("kq_data"));
        sqlite3_reset(m_stmt);
        throw error;
    }
    m_changes = sqlite3_column_count(m_stmt) == 0 ? sqlite3_changes(m_db) : 0;
    sqlite3_reset(m_stmt); // no lock held past the last row
    return false;
}

QVariant Statement::value(int i) const
{
    if (m_query)
        return m_row ? m_query->value(i) : QVariant();
    return m_row ? internal::columnValue(m_stmt, i) : QVariant();
}

} // namespace kq::data
