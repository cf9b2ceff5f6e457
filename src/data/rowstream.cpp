#include "data/rowstream.h"

#include "data/connection_p.h"
#include "data/database.h"
#include "data/dataerror.h"
#include "data/pgserver_p.h"

#include <sqlite3.h>

namespace kq::data {

namespace {

const QString kSource = QStringLiteral("kq_data");

// A failure of the file is told as the data layer tells it; a fault of the
// statement keeps SQLite's text.
DataError sqliteFailure(sqlite3 *db, int rc)
{
    const int code = sqlite3_extended_errcode(db) ? sqlite3_extended_errcode(db) : rc;
    const DataError e = internal::failure(db, code, internal::lastError(db), kSource);
    if (isStorageFailure(e.number()))
        return e;
    const QString why = internal::lastError(db);
    return DataError(ErrorNumber::SqlFailed, why.isEmpty() ? QStringLiteral("comando vazio") : why,
                     kSource, e.detail());
}

class SqliteRows : public RowStream
{
public:
    SqliteRows(sqlite3 *db, const QString &sql, const QVariantList &values)
        : m_db(db)
    {
        const QByteArray text = sql.toUtf8();
        const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_stmt, nullptr);
        if (rc != SQLITE_OK || !m_stmt)
            fail(rc);
        const int n = sqlite3_column_count(m_stmt);
        for (int i = 0; i < n; ++i)
            m_names << QString::fromUtf8(sqlite3_column_name(m_stmt, i));
        if (!bindValues(m_stmt, values))
            fail(SQLITE_RANGE);
        // The first step runs the query, so its failures show here.
        m_rc = sqlite3_step(m_stmt);
        if (m_rc != SQLITE_ROW && m_rc != SQLITE_DONE)
            fail(m_rc);
    }
    ~SqliteRows() override { sqlite3_finalize(m_stmt); }

    QStringList fieldNames() const override { return m_names; }

    bool next() override
    {
        if (!m_stmt)
            return false;
        if (!m_first)
            m_rc = sqlite3_step(m_stmt);
        m_first = false;
        if (m_rc == SQLITE_ROW)
            return true;
        if (m_rc != SQLITE_DONE)
            fail(m_rc);
        // The statement goes as soon as the rows are read: no lock is held.
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        return false;
    }

    Type type(int column) const override
    {
        switch (sqlite3_column_type(m_stmt, column)) {
        case SQLITE_INTEGER:
            return Type::Integer;
        case SQLITE_FLOAT:
            return Type::Real;
        case SQLITE_TEXT:
            return Type::Text;
        case SQLITE_BLOB:
            return Type::Blob;
        default:
            return Type::Null;
        }
    }
    qint64 integer(int column) const override { return sqlite3_column_int64(m_stmt, column); }
    double real(int column) const override { return sqlite3_column_double(m_stmt, column); }
    QByteArrayView bytes(int column) const override
    {
        const void *p = sqlite3_column_type(m_stmt, column) == SQLITE_BLOB
                            ? sqlite3_column_blob(m_stmt, column)
                            : static_cast<const void *>(sqlite3_column_text(m_stmt, column));
        return QByteArrayView(static_cast<const char *>(p), sqlite3_column_bytes(m_stmt, column));
    }
    Cell cell(int column) const override { return sqliteCell(column); }
    void cells(const int *columns, int count, Cell *out) const override
    {
        for (int i = 0; i < count; ++i)
            out[i] = sqliteCell(columns[i]);
    }

private:
    Cell sqliteCell(int column) const
    {
        Cell c;
        switch (sqlite3_column_type(m_stmt, column)) {
        case SQLITE_INTEGER:
            c.type = Type::Integer;
            c.integer = sqlite3_column_int64(m_stmt, column);
            break;
        case SQLITE_FLOAT:
            c.type = Type::Real;
            c.real = sqlite3_column_double(m_stmt, column);
            break;
        case SQLITE_TEXT: {
            c.type = Type::Text;
            const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
            c.bytes = QByteArrayView(p, sqlite3_column_bytes(m_stmt, column));
            break;
        }
        case SQLITE_BLOB: {
            c.type = Type::Blob;
            const auto *p = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
            c.bytes = QByteArrayView(p, sqlite3_column_bytes(m_stmt, column));
            break;
        }
        default:
            break;
        }
        return c;
    }

    [[noreturn]] void fail(int rc)
    {
        const DataError e = sqliteFailure(m_db, rc);
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw e;
    }

    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
    int m_rc = SQLITE_DONE;
    bool m_first = true;
    QStringList m_names;
};

} // namespace

QVariant RowStream::Cell::value() const
{
    switch (type) {
    case Type::Integer:
        return QVariant(qlonglong(integer));
    case Type::Real:
        return QVariant(real);
    case Type::Text:
        return QVariant(QString::fromUtf8(bytes.data(), bytes.size()));
    case Type::Blob:
        return QVariant(QByteArray(bytes.data(), bytes.size()));
    case Type::Null:
        break;
    }
    return QVariant();
}

QVariant RowStream::value(int column) const
{
    return cell(column).value();
}

RowStream::Cell RowStream::cell(int column) const
{
    Cell c;
    c.type = type(column);
    switch (c.type) {
    case Type::Integer:
        c.integer = integer(column);
        break;
    case Type::Real:
        c.real = real(column);
        break;
    case Type::Text:
    case Type::Blob:
        c.bytes = bytes(column);
        break;
    case Type::Null:
        break;
    }
    return c;
}

void RowStream::cells(const int *columns, int count, Cell *out) const
{
    for (int i = 0; i < count; ++i)
        out[i] = cell(columns[i]);
}

std::unique_ptr<RowStream> RowStream::open(const QString &path, const QString &sql,
                                           const QVariantList &values)
{
    if (dialectOf(path) == Dialect::Postgres)
        return internal::openServerRows(path, sql, values);
    return std::make_unique<SqliteRows>(internal::handle(path), sql, values);
}

} // namespace kq::data
