#pragma once

#include <QByteArrayView>
#include <QStringView>

namespace kq::data {

// The text order of the databases (collation "PTBR"): letters compare
// without regard to case, an accented letter sorts with its base letter
// (Á with A, Ç with C) and only an otherwise equal text is ordered by its
// accents. Two texts are equal only when they differ at most in case, so
// "Ávila" = "ÁVILA" but "Avila" <> "Ávila". Trailing blanks count.
// Returns <0, 0 or >0.
int compareText(QStringView a, QStringView b);
int compareTextUtf8(QByteArrayView a, QByteArrayView b);

// A hash under which texts equal in the PTBR order (those that differ at most
// in case) are equal.
quint32 hashTextUtf8(QByteArrayView text);

// SQLite's NOCASE (ASCII letters only) and BINARY orders, for comparing in
// memory as a column would.
int compareNoCaseUtf8(QByteArrayView a, QByteArrayView b);
int compareBinaryUtf8(QByteArrayView a, QByteArrayView b);

} // namespace kq::data
