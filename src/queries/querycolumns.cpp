#include "queries/querycolumns.h"

#include "platform/grid/gridex.h"

namespace kq::queries {

void addQueryColumns(kq::platform::GridEX *grid, const QueryColumn *columns, int count)
{
    for (int i = 0; i < count; ++i) {
        const QueryColumn &c = columns[i];
        kq::platform::GridColumn &col
            = grid->addColumn(QString::fromLatin1(c.field), QString::fromUtf8(c.caption), c.width);
        col.setFormat(QString::fromLatin1(c.format));
        if (c.sum)
            col.setAggregate(kq::platform::Aggregate::Sum);
        col.setVisible(!c.hidden);
    }
    // In order of the target positions, so that each move only shifts the
    // columns not placed yet.
    for (int p = 1; p <= count; ++p) {
        for (int i = 0; i < count; ++i) {
            if (columns[i].position == p)
                grid->column(i + 1).setPosition(p);
        }
    }
}

} // namespace kq::queries
