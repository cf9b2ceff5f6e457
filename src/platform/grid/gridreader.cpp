#include "gridreader.h"

#include "gridtypes.h"
#include "platform/sqlitehandle.h"

#include "data/database.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <sqlite3.h>

namespace kq::platform {

namespace {

const QString kSource = QStringLiteral("GridEX");

[[noreturn]] void failed(const QString &why)
{
    throw GridError(GridErrorNumber::RecordSource,
                    QStringLiteral("A origem dos registros da grade falhou: %1").arg(why),
                    kSource);
}

// A failure of the database file itself (full, in use, damaged...) is told
// as the data layer tells it; a fault of the source as the grid's own.
kq::data::DataError sqliteFailure(sqlite3 *db, int rc)
{
    const char *file = sqlite3_db_filename(db, "main");
    return kq::data::databaseError(sqlite3_extended_errcode(db) ? sqlite3_extended_errcode(db)
                                                                : rc,
                                   QString::fromUtf8(sqlite3_errmsg(db)),
                                   file ? QString::fromUtf8(file) : QString(), kSource);
}

[[noreturn]] void failed(sqlite3 *db, int rc)
{
    const kq::data::DataError e = sqliteFailure(db, rc);
    if (kq::data::isFileFailure(sqlite3_extended_errcode(db)))
        throw GridError(e.number(), e.description(), kSource, e.detail());
    const QString why = QString::fromUtf8(sqlite3_errmsg(db));
    throw GridError(GridErrorNumber::RecordSource,
                    QStringLiteral("A origem dos registros da grade falhou: %1")
                        .arg(why.isEmpty() ? QStringLiteral("comando vazio") : why),
                    kSource, e.detail());
}

class SqliteReader : public RowReader
{
public:
    SqliteReader(sqlite3 *db, const QString &sql, const QVariantList &values) : m_db(db)
    {
        const QByteArray text = sql.toUtf8();
        const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_stmt,
                                          nullptr);
        if (rc != SQLITE_OK || !m_stmt) {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            failed(db, rc);
        }
        if (!kq::data::bindValues(m_stmt, values)) {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            failed(db, SQLITE_RANGE);
        }
        // The first step runs the query, so its failures show here.
        m_rc = sqlite3_step(m_stmt);
        if (m_rc != SQLITE_ROW && m_rc != SQLITE_DONE) {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            failed(db, m_rc);
        }
    }
    ~SqliteReader() override { sqlite3_finalize(m_stmt); }

    QStringList fieldNames() const override
    {
        QStringList names;
        const int n = sqlite3_column_count(m_stmt);
        for (int i = 0; i < n; ++i)
            names << QString::fromUtf8(sqlite3_column_name(m_stmt, i));
        return names;
    }

    bool next(std::vector<FieldData> &data) override
    {
        if (!m_stmt)
            return false;
        if (!m_first)
            m_rc = sqlite3_step(m_stmt);
        m_first = false;
        if (m_rc != SQLITE_ROW) {
            if (m_rc != SQLITE_DONE)
                m_error = sqliteFailure(m_db, m_rc).description();
            // Let the statement go as soon as the rows are read.
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            return false;
        }
        const int *columns = m_columns.constData();
        for (size_t s = 0; s < data.size(); ++s) {
            const int c = columns[s];
            FieldData &f = data[s];
            switch (sqlite3_column_type(m_stmt, c)) {
            case SQLITE_INTEGER:
                f.appendInt(sqlite3_column_int64(m_stmt, c));
                break;
            case SQLITE_FLOAT:
                f.appendReal(sqlite3_column_double(m_stmt, c));
                break;
            case SQLITE_TEXT:
                f.appendText(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, c)),
                             sqlite3_column_bytes(m_stmt, c));
                break;
            case SQLITE_BLOB:
                f.append(QByteArray(static_cast<const char *>(sqlite3_column_blob(m_stmt, c)),
                                    sqlite3_column_bytes(m_stmt, c)));
                break;
            default:
                f.appendNull();
                break;
            }
        }
        return true;
    }

    QString error() const override { return m_error; }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
    int m_rc = SQLITE_DONE;
    bool m_first = true;
    QString m_error;
};

// Any other driver: through QSqlQuery.
class QueryReader : public RowReader
{
public:
    QueryReader(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
        : m_query(db)
    {
        m_query.setForwardOnly(true);
        if (!m_query.prepare(sql))
            failed(m_query.lastError().text());
        for (const QVariant &v : values)
            m_query.addBindValue(v);
        if (!m_query.exec())
            failed(m_query.lastError().text());
    }

    QStringList fieldNames() const override
    {
        QStringList names;
        const QSqlRecord r = m_query.record();
        for (int i = 0; i < r.count(); ++i)
            names << r.fieldName(i);
        return names;
    }

    bool next(std::vector<FieldData> &data) override
    {
        if (!m_query.next()) {
            if (m_query.lastError().isValid())
                m_error = m_query.lastError().text();
            return false;
        }
        for (size_t s = 0; s < data.size(); ++s)
            data[s].append(m_query.value(m_columns[int(s)]));
        return true;
    }

    QString error() const override { return m_error; }

private:
    QSqlQuery m_query;
    QString m_error;
};

} // namespace

std::unique_ptr<RowReader> RowReader::open(const QSqlDatabase &db, const QString &sql,
                                           const QVariantList &values)
{
    if (sqlite3 *handle = sqliteHandle(db))
        return std::make_unique<SqliteReader>(handle, sql, values);
    return std::make_unique<QueryReader>(db, sql, values);
}

} // namespace kq::platform
