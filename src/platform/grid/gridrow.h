#pragma once

#include "platform/grid/gridtypes.h"

#include <QString>
#include <QVariant>

namespace kq::platform {

class GridModel;

// The row handed to the row-format hook (GridEX::formatRow) before the row is
// first drawn or printed. The hook reads the row and may set its style name
// and, on a group row, its caption. What the hook sets is kept until the grid
// is refreshed, regrouped or its styles change.
class GridRow
{
public:
    RowType type() const { return m_type; }
    bool isRecord() const { return m_type == RowType::Record; }
    bool isGroupHeader() const { return m_type == RowType::GroupHeader; }

    // Value of column n (from 1, designed order, hidden included). On a group
    // row only the grouped column has a value; other columns give an invalid
    // QVariant.
    QVariant value(int column) const;
    // The text the grid shows for column n (format and drop-down applied).
    QString text(int column) const;

    // Style name (a FormatStyle added with GridEX::addFormatStyle); a name with
    // no style leaves the ordinary look. Case is ignored.
    QString styleName() const { return m_styleName; }
    void setStyleName(const QString &name) { m_styleName = name; }

    // Group rows: the caption the grid gave ("Loja: 001") until set.
    QString groupCaption() const { return m_groupCaption; }
    void setGroupCaption(const QString &caption) { m_groupCaption = caption; }
    // Group rows: grouping level from 1; the number of records in the group.
    int groupLevel() const { return m_groupLevel; }
    int recordCount() const { return m_recordCount; }
    // Group and total rows: the sum of column n over the group's records
    // (nulls skipped; 0.0 for an empty or non-number column).
    double groupSum(int column) const;

private:
    friend class GridModel;
    GridRow() = default;

    const GridModel *m_model = nullptr;
    RowType m_type = RowType::Record;
    int m_record = -1; // record index for data rows
    int m_group = -1;  // group index for group rows
    int m_groupLevel = 0;
    int m_recordCount = 0;
    QString m_styleName;
    QString m_groupCaption;
};

} // namespace kq::platform
