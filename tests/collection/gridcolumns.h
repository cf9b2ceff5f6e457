#pragma once

// Whether a grid column shows its texts whole: each cell as Qt's delegate
// measures it (the tree column's indentation included) and each sum of the
// group and total rows, drawn in bold 4 pixels in from each side.
#include "platform/grid/gridex.h"
#include "platform/grid/gridmodel.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTreeView>

namespace kq::test {

// "" when nothing is cut, else the first text cut and the width it needs.
inline QString cutInColumn(kq::platform::GridEX *grid, int column)
{
    QTreeView *view = grid->view();
    const int logical = column - 1;
    const int width = view->header()->sectionSize(logical);
    // The tree view's own measure, public through its base class.
    const int cells = static_cast<QAbstractItemView *>(view)->sizeHintForColumn(logical);
    if (cells > width)
        return QStringLiteral("cells of column %1 need %2, it has %3")
            .arg(column)
            .arg(cells)
            .arg(width);
    QFont bold = view->font();
    bold.setBold(true);
    const QFontMetrics fm(bold, view);
    const QAbstractItemModel *model = view->model();
    QString cut;
    std::function<void(const QModelIndex &)> walk = [&](const QModelIndex &parent) {
        for (int r = 0; r < model->rowCount(parent) && cut.isEmpty(); ++r) {
            const QModelIndex index = model->index(r, logical, parent);
            const auto type
                = kq::platform::RowType(index.data(kq::platform::GridModel::RowTypeRole).toInt());
            const QString text = index.data().toString();
            if (type != kq::platform::RowType::Record && fm.horizontalAdvance(text) + 8 > width)
                cut = QStringLiteral("\"%1\" cut at %2").arg(text).arg(width);
            walk(model->index(r, 0, parent));
        }
    };
    walk(QModelIndex());
    return cut;
}

} // namespace kq::test
