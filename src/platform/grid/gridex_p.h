#pragma once

// Inner state of GridEX, shared by its columns, model, view, group-by box and
// printer.

#include "platform/grid/gridex.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

class QModelIndex;

namespace kq::platform {

class GridModel;
class GridView;
class GroupByBox;

class GridEXPrivate
{
public:
    explicit GridEXPrivate(GridEX *grid)
        : q(grid)
    {}

    // The current row as the grid last reported it.
    struct RowIdent
    {
        RowType type = RowType::Record;
        int id = -1; // store row of a record, group index of a group row
        bool operator==(const RowIdent &o) const { return type == o.type && id == o.id; }
    };

    // A column's setter ran; structure: its field or aggregate changed.
    void columnChanged(GridColumn *column, bool structure);
    void applyColumnsToView();
    // Width that shows whole every value of a date or money column, its
    // caption and its sums (0 for the other columns); designed widths stay.
    int fittedWidth(const GridColumn &column) const;
    // Widens the date and money columns that newly read rows need wider.
    void fitValueColumns();
    void updateGroupByBox();
    // Runs change (which may throw) and makes current again the record that
    // was, found by its key (byKey) or its store row.
    void restoreAfter(const std::function<void()> &change, bool byKey);
    RowIdent identOf(const QModelIndex &index) const;
    void onCurrentChanged(const QModelIndex &current);
    void onHeaderClicked(int logical);
    void moveColumnToVisual(int column, int visual);
    void setGroupKeys(const QList<QPair<int, SortOrder>> &groups);
    int firstVisibleLogical() const;
    int keyColumnIndex() const;
    int findRecordByKey(const QVariant &key) const;
    // The row-format hook: the formatRow signal, then the function.
    void runFormatter(GridRow &row) const;
    // Writes an in-place edit to the update table; false when not written.
    bool writeCell(int record, int column, const QVariant &value);
    // Store rows of the selected records.
    QList<int> selectedRecords() const;
    // Column by index from 1; throws GridError when out of range.
    GridColumn *checkedColumn(int index) const;

    GridEX *const q;
    QString databaseName;
    kq::data::RecordSource recordSource;
    QString boundDatabase;
    kq::data::RecordSource boundSource;
    std::vector<std::unique_ptr<GridColumn>> columns;
    QVector<int> positions; // display position -> column index (from 1)
    GridModel *model = nullptr;
    GridView *view = nullptr;
    GroupByBox *groupBox = nullptr;
    GridPrinterSettings printer;
    QString caption;
    GridEX::RowFormatter formatter;
    QList<int> designGroups;
    int keyColumn = 0;
    int previewColumn = 0;
    int ddValueColumn = 1;
    int ddDisplayColumn = 2;
    bool multiSelect = true;
    bool totalRow = true;
    bool everBound = false;
    bool headerSort = true;
    bool restoring = false;
    RowIdent currentIdent;
    int previewLines = 5;
    QColor previewColor = Qt::blue;
    QString updateTable;
    QString updateKey;
    mutable QHash<QString, QString> ddCache;
    mutable bool ddValid = false;
};

} // namespace kq::platform
