#pragma once

#include <QColor>
#include <QString>
#include <optional>

namespace kq::data {
class Recordset;
}
namespace kq::platform {
class GridEX;
class GridRow;
} // namespace kq::platform

namespace kq::registers {

// A store's colour as lojas.cd_cor keeps it: a Windows RGB value (red in the
// low byte, so pure red is 255) written as decimal text. Empty optional when
// the text is empty or not such a value.
std::optional<QColor> colorFromText(const QString &cdCor);
// The decimal text of a colour ("255" for red).
QString colorText(const QColor &color);

// The default record source the styles are built from.
QString storeStylesSource();

// Adds to the grid the style of one store: named by the store's code, its
// text in the store's colour. A colour that cannot be read adds nothing and
// returns false; the store's rows then keep the grid's ordinary look.
bool addStoreStyle(kq::platform::GridEX *grid, const QString &code, const QString &cdCor);
// One style per store, from the first record of the recordset to its end
// (fields cd_loja and cd_cor); the recordset is left past its last record.
// Returns the number of styles added.
int addStoreStyles(kq::platform::GridEX *grid, kq::data::Recordset &lojas);
// The same from a record source over lojas of a database.
int addStoreStyles(kq::platform::GridEX *grid, const QString &databaseName,
                   const QString &recordSource = storeStylesSource());

// For a row-format hook: an ordinary record row takes the style named by
// the text of its key column (from 1); group and total rows are left alone.
void applyStoreStyle(kq::platform::GridRow &row, int keyColumn);
// Installs a row-format hook that only applies the store styles.
void useStoreStyles(kq::platform::GridEX *grid, int keyColumn);

} // namespace kq::registers
