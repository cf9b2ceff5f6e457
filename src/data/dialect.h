#pragma once

namespace kq::data {

// The engines the program's statements run on: SQLite files, and the
// PostgreSQL server that may hold a data folder's business database
// (server.h).
enum class Dialect { Sqlite, Postgres };

} // namespace kq::data
