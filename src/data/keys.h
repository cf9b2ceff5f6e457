#pragma once

#include <QString>

namespace kq::data {

// The system's key rule: the last key in key (text) order plus one, zero
// padded to the width; the first key at that width for an empty table.
// After 999 at width 3 the result is "1000", which sorts before "999".
// A last key that is not a number (blanks around it are allowed) throws
// DataError TypeMismatch; one past the 64-bit range throws Overflow.
QString nextKeyAfter(const QString &lastKey, int width);
// On a server, called inside a Transaction, the key is taken under a lock
// of the table's keys held until that transaction ends: two desks adding to
// one table get consecutive keys, one after the other. Outside a transaction
// nothing holds the key for the write that follows.
QString nextKey(const QString &dbPath, const QString &table, const QString &keyField, int width);

} // namespace kq::data
