#pragma once

#include <QSqlDatabase>

struct sqlite3;

namespace kq::data {

// The SQLite handle behind a connection of Qt's SQLite driver, for reading
// many rows without a variant per value; null for any other driver.
sqlite3 *sqliteHandle(const QSqlDatabase &db);

} // namespace kq::data
