#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

namespace kq::platform {
class GridEX;
}

namespace kq::test::reg {

// Rows of a table of a database.
int rowCount(const QString &db, const QString &table);
// A field of the row whose key field holds the key (invalid when none).
QVariant fieldOf(const QString &db, const QString &table, const QString &keyField,
                 const QString &key, const QString &field);
// Keys of a table in key order.
QStringList keysOf(const QString &db, const QString &table, const QString &keyField);
void clearTable(const QString &db, const QString &table);
// Inserts one row: fields and values in the same order.
void insertRow(const QString &db, const QString &table, const QStringList &fields,
               const QVariantList &values);

// Makes the grid row whose column holds the text current, as a click does;
// false when no row has it.
bool chooseRow(kq::platform::GridEX *grid, int column, const QString &text);

// The activity log of a user for today, in the program folder.
QString activityLogToday(const QString &codigoUsuario);

} // namespace kq::test::reg
