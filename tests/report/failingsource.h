#pragma once

// A record source that gives out midway, as a disk that fails while the rows
// are read: the view "falhos" of a database gives the rows of a table and
// then, after a number of rows, a disk error.

#include "data/database.h"
#include "data/sqlitehandle.h"

#include <QString>
#include <sqlite3.h>

namespace kq::test {

struct FailingSource
{
    QString path;
    int rowsLeft = 0;

    // The view over `table` (its rows in table order), failing after `rows`
    // rows; failAfter() sets it again before another reading.
    FailingSource(const QString &path, const QString &table, int rows)
        : path(path)
        , rowsLeft(rows)
    {
        sqlite3_create_function(handle(), "kq_falha", 0, SQLITE_UTF8, this, &step, nullptr,
                                nullptr);
        kq::data::exec(path, QStringLiteral("CREATE VIEW IF NOT EXISTS falhos AS SELECT * FROM %1 "
                                            "WHERE kq_falha()")
                                 .arg(table));
    }
    ~FailingSource()
    {
        sqlite3_create_function(handle(), "kq_falha", 0, SQLITE_UTF8, nullptr, nullptr, nullptr,
                                nullptr);
    }
    void failAfter(int rows) { rowsLeft = rows; }
    sqlite3 *handle() const { return kq::data::sqliteHandle(kq::data::database(path)); }

    static void step(sqlite3_context *context, int, sqlite3_value **)
    {
        auto *self = static_cast<FailingSource *>(sqlite3_user_data(context));
        if (self->rowsLeft-- > 0)
            sqlite3_result_int(context, 1);
        else
            sqlite3_result_error_code(context, SQLITE_IOERR_READ);
    }
};

} // namespace kq::test
