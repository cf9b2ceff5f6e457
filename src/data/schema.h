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

// The seed rows of a new database of that name (may be empty).
QString seedSql(const QString &fileName);

} // namespace kq::data
