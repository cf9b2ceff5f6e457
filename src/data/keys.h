#pragma once

#include <QString>

namespace kq::data {

// The system's key rule: the last key in key (text) order plus one, zero
// padded to the width; the first key at that width for an empty table.
// After 999 at width 3 the result is "1000", which sorts before "999".
// A last key that is not a number (blanks around it are allowed) throws
// DataError TypeMismatch; one past the 64-bit range throws Overflow.
QString nextKeyAfter(const QString &lastKey, int width);
QString nextKey(const QString &dbPath, const QString &table, const QString &keyField, int width);

} // namespace kq::data
