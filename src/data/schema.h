#pragma once

#include <QString>
#include <QStringList>

namespace kq::data {

// The four database files of a data folder, in creation order.
QStringList databaseFileNames();

// CREATE statements of one database (by file name: kDevolvidos, kMenu, kHelp,
// kTutorial). Text columns that hold names or descriptions use the
// collation PTBR, codes and keys NOCASE; no foreign keys are declared.
QString schemaSql(const QString &fileName);

// The indexes the screens' record sources and filters need beyond those of
// schemaSql(), one CREATE INDEX IF NOT EXISTS per entry (none for most files).
QStringList indexStatements(const QString &fileName);

// The tables whose statistics the query planner is given (ANALYZE): those
// the screens filter. Look-up tables joined by their key (stores, debtors,
// situations...) get none, so that the planner drives a join from the
// filtered table: with statistics a small look-up table looks cheap to drive
// from, and a whole-portfolio listing would then read the cheques through an
// index, one seek a row, instead of in one pass.
QStringList analyzedTables(const QString &fileName);

// The seed rows of a new database of that name (may be empty).
QString seedSql(const QString &fileName);

} // namespace kq::data
