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

struct SourceShape
{
    qsizetype selectEnd = -1; // where hidden columns may be inserted; -1: none
    QVector<SourceTable> tables;
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
