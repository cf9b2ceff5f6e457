#include "data/cellreader.h"

#include "data/database.h"
#include "data/dataerror.h"
#include "data/sqlitehandle.h"

#include <sqlite3.h>

#include <vector>

namespace kq::data {

namespace {

class Statement
{
public:
    ~Statement() { sqlite3_finalize(stmt); }
    sqlite3_stmt *stmt = nullptr;
};

CellReadEnd failedOn(sqlite3 *db)
{
    CellReadEnd end;
    end.error = QString::fromUtf8(sqlite3_errmsg(db));
    end.code = sqlite3_extended_errcode(db);
    return end;
}

CellReadEnd readFile(sqlite3 *db, const QString &sql, CellSink &sink)
{
    Statement s;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &s.stmt, nullptr) != SQLITE_OK
        || !s.stmt)
        return failedOn(db);
    QStringList names;
    for (int i = 0; i < sqlite3_column_count(s.stmt); ++i)
        names << QString::fromUtf8(sqlite3_column_name(s.stmt, i));
    sink.columns(names);
    const int n = int(names.size());
    std::vector<RowStream::Cell> cells(static_cast<size_t>(n));
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        for (int i = 0; i < n; ++i) {
            // One call into the statement per value; the value calls take no lock.
            sqlite3_value *v = sqlite3_column_value(s.stmt, i);
            RowStream::Cell &c = cells[size_t(i)];
            switch (sqlite3_value_type(v)) {
            case SQLITE_NULL:
                c.type = RowStream::Type::Null;
                break;
            case SQLITE_INTEGER:
                c.type = RowStream::Type::Integer;
                c.integer = sqlite3_value_int64(v);
                break;
            case SQLITE_FLOAT:
                c.type = RowStream::Type::Real;
                c.real = sqlite3_value_double(v);
                break;
            default: {
                const char *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
                c.type = RowStream::Type::Text;
                c.bytes = QByteArrayView(p ? p : "", sqlite3_value_bytes(v));
                break;
            }
            }
        }
        if (!sink.row(cells.data(), n)) {
            CellReadEnd end;
            end.stopped = true;
            return end;
        }
    }
    if (rc != SQLITE_DONE)
        return failedOn(db);
    CellReadEnd end;
    end.ok = true;
    return end;
}

// A server's rows, through the forward reader (a cursor that brings them in
// batches).
CellReadEnd readStream(RowStream &rows, CellSink &sink)
{
    using Type = RowStream::Type;
    const QStringList names = rows.fieldNames();
    sink.columns(names);
    const int n = int(names.size());
    std::vector<RowStream::Cell> cells(static_cast<size_t>(n));
    while (rows.next()) {
        for (int i = 0; i < n; ++i) {
            RowStream::Cell &c = cells[size_t(i)];
            c.type = rows.type(i);
            switch (c.type) {
            case Type::Null:
                break;
            case Type::Integer:
                c.integer = rows.integer(i);
                break;
            case Type::Real:
                c.real = rows.real(i);
                break;
            default: {
                const QByteArrayView b = rows.bytes(i);
                c.type = Type::Text;
                c.bytes = QByteArrayView(b.isNull() ? "" : b.data(), b.size());
                break;
            }
            }
        }
        if (!sink.row(cells.data(), n)) {
            CellReadEnd end;
            end.stopped = true;
            return end;
        }
    }
    CellReadEnd end;
    end.ok = true;
    return end;
}

} // namespace

CellReadEnd readCells(const QString &path, const QString &sql, CellSink &sink)
{
    if (dialectOf(path) == Dialect::Postgres)
        return readStream(*RowStream::open(path, sql), sink);
    CellReadEnd end = readFile(sqliteHandle(database(path)), sql, sink);
    // A failure of the file itself is told as the data layer tells it.
    if (!end.ok && !end.stopped && isFileFailure(end.code))
        end.error = databaseError(end.code, end.error, path, {}).description();
    return end;
}

} // namespace kq::data
