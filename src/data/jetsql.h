#pragma once

#include "data/dialect.h"

#include <QString>
#include <QStringList>

namespace kq::data {

// Translates a record source written in Jet SQL to SQLite: #YYYY/MM/DD# date
// literals to ISO text, "*" and "?" wildcards inside LIKE patterns, datepart()
// to the functions registered on the connection (datepart("q", x) becomes
// datepart('q', x)). In a SELECT over a parenthesised join, each unaliased
// "table.column" of the select list gets "AS column", so that result columns
// are named as written (SQLite would name a repeated one "CD_LOJA:1"). Text
// outside those forms is left exactly as written.
QString translateJet(const QString &jetSql);

// A statement written for SQLite (the program's own statements, and record
// sources once translateJet has made them SQLite's) in the dialect of the
// engine; SQLite's text is returned as it is. For PostgreSQL: LIKE compares
// without regard to case, as SQLite's does (ILIKE; a date or number column
// is compared as its text); datepart() becomes the server's EXTRACT with the
// old intervals ("ww" and "w" count from Sunday); a "name" between double
// quotes is a table or column of the schema, an alias of the statement, or
// else a text (as SQLite takes it); [name] and `name` are names; the
// collations PTBR and NOCASE become the server's Portuguese ICU collation,
// BINARY and RTRIM its "C"; ifnull() and instr() become coalesce() and
// strpos(); "==" becomes "="; CAST(x AS REAL) becomes double precision. The
// rest is left as written.
QString toDialect(const QString &sqliteSql, Dialect dialect);

// translateJet() and then toDialect().
QString translateJet(const QString &jetSql, Dialect dialect);

// The items of a comma-separated list of SQL (a SELECT list, the body of a
// CREATE TABLE), split at the commas outside parentheses and quotes, each
// trimmed; an empty last item is left out.
QStringList sqlListItems(const QString &list);

} // namespace kq::data
