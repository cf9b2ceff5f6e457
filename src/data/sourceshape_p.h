#pragma once

// Internal to kq_data: what a recordset needs to know of its record source
// to write back: where the select list starts and which tables FROM names.

#include <QString>
#include <QVector>

namespace kq::data::internal {

struct SourceTable
{
    QString name; // as the schema knows it (unquoted)
    QString ref;  // how the statement refers to it (alias or name as written)
};

// One term of the ORDER BY: a column, by name or by its place in the select
// list.
struct OrderTerm
{
    QString table;     // as written before the dot, empty when none
    QString column;    // unquoted
    int position = 0;  // "ORDER BY 2": 2; 0 when named
    QString collation; // COLLATE given in the term, empty when none
    bool descending = false;
};

struct SourceShape
{
    qsizetype selectEnd = -1; // where hidden columns may be inserted; -1: none
    QVector<SourceTable> tables;
    // The ORDER BY of the statement as plain columns; orderKnown is false
    // when a term is an expression (or NULLS FIRST/LAST) or the statement
    // has a LIMIT.
    QVector<OrderTerm> order;
    bool orderKnown = true;
};

// The shape of an SQLite SELECT. selectEnd is -1 when hidden key columns
// cannot be added (DISTINCT, GROUP BY, compound selects, sub-queries in FROM).
SourceShape shapeOf(const QString &sql);

// In a SELECT whose FROM holds a parenthesised join, SQLite names a result
// column after the schema and renames one whose name an earlier column has
// ("CD_LOJA:1"). Each "table.column" item without an alias gets "AS column",
// so the columns are named as written, as Jet named them. Other texts are
// returned unchanged.
QString aliasJoinedColumns(const QString &sql);

// A name without its "..." or [...] or `...` quotes.
QString unquoteName(const QString &raw);

} // namespace kq::data::internal
