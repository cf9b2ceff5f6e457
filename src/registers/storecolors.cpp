#include "registers/storecolors.h"

#include "data/recordset.h"
#include "platform/grid/gridex.h"

namespace kq::registers {

std::optional<QColor> colorFromText(const QString &cdCor)
{
    bool ok = false;
    const qint64 value = cdCor.trimmed().toLongLong(&ok);
    if (!ok || value < 0 || value > 0xFFFFFF)
        return std::nullopt;
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QString colorText(const QColor &color)
{
    const qint64 value
        = qint64(color.red()) | (qint64(color.green()) << 8) | (qint64(color.blue()) << 16);
    return QString::number(value);
}

QString storeStylesSource()
{
    return QStringLiteral("select * from  lojas order by ds_loja");
}

bool addStoreStyle(kq::platform::GridEX *grid, const QString &code, const QString &cdCor)
{
    const std::optional<QColor> color = colorFromText(cdCor);
    if (!grid || !color || code.isEmpty())
        return false;
    grid->addFormatStyle(code, *color);
    return true;
}

int addStoreStyles(kq::platform::GridEX *grid, kq::data::Recordset &lojas)
{
    int added = 0;
    for (lojas.moveFirst(); !lojas.eof(); lojas.moveNext()) {
        if (addStoreStyle(grid, lojas.text(QStringLiteral("cd_loja")),
                          lojas.text(QStringLiteral("cd_cor"))))
            ++added;
    }
    return added;
}

int addStoreStyles(kq::platform::GridEX *grid, const QString &databaseName,
                   const QString &recordSource)
{
    kq::data::Recordset lojas(databaseName, recordSource);
    lojas.refresh();
    return addStoreStyles(grid, lojas);
}

void applyStoreStyle(kq::platform::GridRow &row, int keyColumn)
{
    if (row.isRecord())
        row.setStyleName(row.value(keyColumn).toString());
}

void useStoreStyles(kq::platform::GridEX *grid, int keyColumn)
{
    grid->setRowFormatter(
        [keyColumn](kq::platform::GridRow &row) { applyStoreStyle(row, keyColumn); });
}

} // namespace kq::registers
