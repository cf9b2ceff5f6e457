#pragma once

#include "platform/grid/gridreader.h"
#include "platform/grid/gridstore.h"
#include "platform/grid/gridtypes.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QStringList>
#include <QVector>
#include <memory>

namespace kq::platform {

class GridEX;
class GridEXPrivate;

// Whether a check-box column's value shows as ticked, on screen and on paper:
// a number other than 0, or a text "true", "sim" or a number other than 0
// (blanks around and the case aside).
bool checkBoxChecked(const QVariant &value);

// The rows of a GridEX as a tree: group header rows (one or two levels) over
// the records, and the grand total row last at the top level. Records are
// held in a GridStore; the order and the groups are index arrays over it.
// A "flat row" counts every row with all groups expanded.
class GridModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Roles {
        RowTypeRole = Qt::UserRole + 1, // int(RowType)
        PreviewTextRole,                // the preview text of a record
        GroupLevelRole,                 // 1-based level of a group row
        StyleBoldRole,                  // bool: the row's style is bold
    };

    struct Node
    {
        RowType type = RowType::Record;
        int record = -1; // store row of a record
        int group = -1;  // group index of a group row
        int pos = -1;    // position in the order of a record
    };

    struct GroupKey
    {
        int column = 0; // from 1
        SortOrder order = SortOrder::Ascending;
    };

    explicit GridModel(GridEXPrivate *d);
    ~GridModel() override;

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    // Replaces the records with those of an executed query (positioned before
    // its first row). Reads the first rows at once and the rest in the
    // background when the grid is neither sorted nor grouped; otherwise reads
    // all. Throws GridError when reading fails (nothing is replaced then).
    void load(std::unique_ptr<RowReader> reader, const QStringList &fields,
              const QVector<int> &queryColumns);
    // Reads every pending row now. Throws GridError when the reading fails
    // midway; the list is emptied then (the background reading tells the
    // failure in a message and empties it the same way).
    void fetchAll() const;
    // Shows the rows read in the background that wait for the next step
    // (the user reached the last row shown).
    void showReadRows() const;
    bool isFetching() const { return m_reader != nullptr; }
    // Column slots changed (a column's field): the store has no slot for it.
    void setColumnSlots();
    int slotOfColumn(int column) const;
    bool hasField(const QString &field) const { return m_store.slotOf(field) >= 0; }

    int recordCount() const;
    QVariant recordValue(int record, int column) const;
    QString recordText(int record, int column) const;
    // Writes a value into the store (after an in-place edit).
    void setRecordValue(int record, int column, const QVariant &value);

    // Order and grouping (both rebuild the rows).
    void setSort(int column, SortOrder order);
    int sortColumn() const { return m_sortColumn; }
    SortOrder sortOrder() const { return m_sortOrder; }
    void setGroups(const QVector<GroupKey> &groups);
    QVector<GroupKey> groups() const { return m_groupKeys; }
    bool isGrouped() const { return !m_groupKeys.isEmpty(); }
    void setTotalRow(bool on);
    bool hasTotalRow() const;
    // Rebuilds order and groups (aggregates or formats of columns changed).
    void rebuild();

    // Flat rows.
    int flatCount() const;
    Node nodeAtFlat(int flat) const;
    Node nodeOf(const QModelIndex &index) const;
    int flatOf(const Node &node) const;
    int flatOf(const QModelIndex &index) const { return flatOf(nodeOf(index)); }
    QModelIndex indexOf(const Node &node, int column = 0) const;
    // The record's node, or an empty one when it is not shown.
    Node recordNode(int record) const;

    // Groups.
    int groupLevel(int group) const;
    int groupRecordCount(int group) const;
    int groupFirstPos(int group) const;
    int groupParent(int group) const;
    QVector<int> topGroups() const { return m_topGroups; }
    QVector<int> childGroups(int group) const;
    int recordAtPos(int pos) const;
    QVariant groupValue(int group, int column) const;
    double groupSum(int group, int column) const; // group -1: all records
    QString sumText(int group, int column) const;

    // Row formats (the hook's results).
    QString recordStyleName(int record) const;
    QString groupStyleName(int group) const;
    QString groupCaption(int group) const;
    void invalidateFormats();

    // Styles.
    void setStyle(const FormatStyle &style);
    void removeStyle(const QString &name);
    void clearStyles();
    const FormatStyle *style(const QString &name) const;
    void setAlternating(const QColor &odd, const QColor &even);
    void setGroupRowColors(const QColor &fore, const QColor &back);
    QColor groupForeColor() const { return m_groupFore; }
    QColor groupBackColor() const { return m_groupBack; }
    // Background and text colours of a row as the styles and the
    // alternation give them (invalid: the view's own).
    QColor rowBackground(const QModelIndex &index) const;
    QColor rowForeground(const QModelIndex &index) const;

    // Preview text of a record ("" when no preview column).
    QString previewText(int record) const;

    // Text shown for a value of a column (format, drop-down, ISO dates).
    QString displayText(int column, const QVariant &value) const;

signals:
    void fetchedMore();

private:
    void fetchChunk(int maxMs) const;
    void dropRows() const;
    bool lastRowInView() const;
    void scheduleFetch() const;
    void buildStructure();
    void computeSums();
    void formatRecord(int record) const;
    void formatGroup(int group) const;
    int styleIndexOf(const QString &name) const;
    bool lastLevel(int group) const;
    int leafGroupOfPos(int pos) const;

    struct Group
    {
        int level = 0; // from 0
        int parent = -1;
        int rowInParent = 0;
        int flatRow = 0;
        int firstPos = 0;
        int count = 0;
        QVector<int> children; // groups, when not of the last level
        mutable bool formatted = false;
        mutable qint32 style = -1;
        mutable QString caption;
    };

    GridEX *m_grid;
    GridEXPrivate *m_d;
    mutable GridStore m_store;
    QVector<int> m_colSlot; // by column index - 1
    mutable std::unique_ptr<RowReader> m_reader;
    mutable bool m_fetchScheduled = false;

    QVector<int> m_order; // empty: store order
    QVector<GroupKey> m_groupKeys;
    int m_sortColumn = 0;
    SortOrder m_sortOrder = SortOrder::Ascending;
    bool m_totalRow = true;
    QVector<Group> m_groups; // depth-first order
    QVector<int> m_topGroups;
    QVector<int> m_aggColumns;   // columns with an aggregate
    QVector<double> m_groupSums; // group * m_aggColumns.size() + k
    mutable QVector<double> m_totalSums;
    mutable int m_totalSumsRows = -1;

    mutable std::vector<qint32> m_recStyle; // -2 not yet formatted, -1 none
    mutable QStringList m_styleNames;
    mutable QHash<QString, int> m_styleNameIndex;
    QHash<QString, FormatStyle> m_styles; // by lower-case name
    QColor m_odd;
    QColor m_even;
    QColor m_groupFore;
    QColor m_groupBack;
};

} // namespace kq::platform
