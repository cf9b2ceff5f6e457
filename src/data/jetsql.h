#pragma once

#include <QString>

namespace kq::data {

// Translates a record source written in Jet SQL to SQLite: #YYYY/MM/DD# date
// literals to ISO text, "*" and "?" wildcards inside LIKE patterns, datepart()
// to the functions registered on the connection (datepart("q", x) becomes
// datepart('q', x)). In a SELECT over a parenthesised join, each unaliased
// "table.column" of the select list gets "AS column", so that result columns
// are named as written (SQLite would name a repeated one "CD_LOJA:1"). Text
// outside those forms is left exactly as written.
QString translateJet(const QString &jetSql);

} // namespace kq::data
