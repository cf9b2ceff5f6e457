#pragma once

#include <QList>
#include <QVariant>

namespace kq::platform {

// The chart's data: a two-dimensional grid of values whose indices both start
// at 0. Row 0 and column 0 hold the labels, (0, 0) stays empty, and every
// other element is a value. Element (i, 0) labels chart row i and element
// (0, j) labels series j.
class ChartData
{
public:
    ChartData() = default;
    // Both bounds are inclusive: rows 0..rowUpper, columns 0..columnUpper.
    ChartData(int rowUpper, int columnUpper);

    bool isEmpty() const { return m_rows == 0 || m_columns == 0; }
    int rowUpperBound() const { return m_rows - 1; }
    int columnUpperBound() const { return m_columns - 1; }

    // Out-of-range reads give an invalid QVariant; writes there are ignored.
    QVariant value(int row, int column) const;
    void setValue(int row, int column, const QVariant &value);

    // Element (i, 0) and (0, j) as text.
    QString rowLabel(int row) const { return value(row, 0).toString(); }
    QString columnLabel(int column) const { return value(0, column).toString(); }
    // A value element as a number (empty or non-numeric gives 0).
    double number(int row, int column) const;

    bool operator==(const ChartData &other) const;

private:
    bool contains(int row, int column) const;

    int m_rows = 0;
    int m_columns = 0;
    QList<QVariant> m_cells;
};

} // namespace kq::platform
