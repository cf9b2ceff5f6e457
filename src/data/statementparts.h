#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

// Pieces of statements whose text depends on the engine of the database, so
// that a caller writes one statement for every database.
namespace kq::data {

// Keys bound as one value of a statement (one statement, not one a key: on a
// server each statement is a trip to it). `in` follows the key column
// ("WHERE d.CD_DEVOLVIDO " + in); `keys` is bound to its "?".
struct KeyParameter
{
    QString in;
    QVariant keys;
};
KeyParameter keyParameter(const QString &path, const QStringList &keys);

// The end of a SELECT whose rows of `table` (its name or alias in the
// statement) stay locked until the transaction ends, read in `orderBy` order
// so that two desks never wait on each other in a circle; empty where the
// transaction already holds the whole database.
QString lockedForUpdate(const QString &path, const QString &orderBy, const QString &table);

// True when the database is read by the planner the tuned record sources are
// written for: it walks the indexes they name (a unary "+" keeping a column
// off an index, CROSS JOIN order, rowid) and tells its plan (queryPlan).
bool walksNamedIndexes(const QString &path);

// The lines of the plan the database makes for a statement; none when it does
// not prepare, or where walksNamedIndexes is false.
QStringList queryPlan(const QString &path, const QString &sql, const QVariantList &values);

} // namespace kq::data
