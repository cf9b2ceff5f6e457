#pragma once

// Internal to kq_data: the business database's schema (schemaSql of
// "devolvidos.mdb", written once for SQLite) as PostgreSQL takes it, and what
// the translation of statements needs to know of its names.

#include <QString>
#include <QStringList>
#include <QVector>

namespace kq::data::internal {

// The server's Portuguese collation, made in the database before its tables
// (serverSchemaStatements): the order of PTBR (accented letters beside their
// base letter) and its equality, which ignores case but not accents. Being
// nondeterministic, it takes no LIKE nor substring search: the translation
// gives those a collation of their own (jetsql.h).
inline const QString kServerCollation = QStringLiteral("kq_ptbr");
// The ICU collation the server must have, and the one of databases made
// before kq_ptbr (its equality tells case apart; upgradeServerSchema).
inline const QString kIcuCollation = QStringLiteral("pt-BR-x-icu");

struct SchemaColumn
{
    enum class Kind { Text, Date, Real, Integer, Boolean };
    QString table; // as the schema writes them
    QString name;
    Kind kind = Kind::Text;
    bool portuguese = false; // collation PTBR
    bool noCase = false;     // collation NOCASE
};

// Every column of the business tables, in table and column order. Tables
// without a primary key get, on the server, a column "rowid" (an identity:
// the rows' own number, as SQLite's rowid) as their key: listed here too.
const QVector<SchemaColumn> &businessColumns();
// The business tables as the schema writes them.
const QStringList &businessTables();

// The table or column as the schema writes it ("CD_DEVOLVIDO" for
// "cd_devolvido"); `name` itself when the schema has no such name.
QString spelledTable(const QString &name);
QString spelledColumn(const QString &table, const QString &name);
// The column's kind when every table that has a column of that name gives
// it the same kind; Text otherwise (or when no table has it).
SchemaColumn::Kind columnKind(const QString &name);
// True when a table or a column of the schema has that name (any case).
bool isSchemaName(const QString &name);

// The statements that create the Portuguese collation, the business tables,
// their indexes and rules on PostgreSQL, in order; then those of the seed
// rows.
QStringList serverSchemaStatements();
QString serverCollationStatement();
QStringList serverSeedStatements();

} // namespace kq::data::internal
