#include "platform/chart/chartdata.h"

namespace kq::platform {

ChartData::ChartData(int rowUpper, int columnUpper)
    : m_rows(rowUpper < 0 ? 0 : rowUpper + 1)
    , m_columns(columnUpper < 0 ? 0 : columnUpper + 1)
{
    m_cells.resize(qsizetype(m_rows) * m_columns);
}

bool ChartData::contains(int row, int column) const
{
    return row >= 0 && column >= 0 && row < m_rows && column < m_columns;
}

QVariant ChartData::value(int row, int column) const
{
    return contains(row, column) ? m_cells.at(qsizetype(row) * m_columns + column) : QVariant();
}

void ChartData::setValue(int row, int column, const QVariant &value)
{
    if (contains(row, column))
        m_cells[qsizetype(row) * m_columns + column] = value;
}

double ChartData::number(int row, int column) const
{
    bool ok = false;
    const double v = value(row, column).toDouble(&ok);
    return ok ? v : 0.0;
}

bool ChartData::operator==(const ChartData &other) const
{
    return m_rows == other.m_rows && m_columns == other.m_columns && m_cells == other.m_cells;
}

} // namespace kq::platform
