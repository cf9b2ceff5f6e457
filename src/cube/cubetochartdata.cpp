#include "cube/cubetochartdata.h"

#include "platform/chart/mschart.h"
#include "cube/model/cubemodel.h"
#include "cube/engine/dcube.h"
#include "core/errorinfo.h"
#include "core/format.h"

#include <QStringList>
#include <algorithm>
#include <functional>

namespace kq::cube {

using kq::platform::ChartData;
using kq::platform::CubeModel;

std::pair<int, int> CubeChartSource::columnCorners() const
{
    return m_cube.columnCorners();
}
std::pair<int, int> CubeChartSource::rowCorners() const
{
    return m_cube.rowCorners();
}
int CubeChartSource::nextColumn(int column) const
{
    return m_cube.nextColumn(column);
}
int CubeChartSource::nextRow(int row) const
{
    return m_cube.nextRow(row);
}

int CubeChartSource::columnHeadingDepth(int column) const
{
    return m_cube.columnHeadingDepth(column);
}

int CubeChartSource::rowHeadingDepth(int row) const
{
    return m_cube.rowHeadingDepth(row);
}

QString CubeChartSource::columnHeadingText(int column, int level) const
{
    return m_cube.columnHeading(column, level).text;
}

QString CubeChartSource::rowHeadingText(int row, int level) const
{
    return m_cube.rowHeading(row, level).text;
}

QVariant CubeChartSource::cellValue(int row, int column) const
{
    return m_cube.cellValue(row, column);
}

int CubeChartSource::columnFieldCount() const
{
    return const_cast<CubeModel &>(m_cube).columnFields()->count();
}

int CubeChartSource::dataFieldCount() const
{
    return const_cast<CubeModel &>(m_cube).dataFields()->count();
}

bool CubeChartSource::dataFieldShown(int position) const
{
    const auto *f = const_cast<CubeModel &>(m_cube).dataFields()->itemByPosition(position);
    return f && f->shown();
}

bool HasMultipleDataFields(const ChartSource &cube)
{
    const int n = cube.dataFieldCount();
    if (n < 2)
        return false;
    int hidden = 0;
    for (int i = 0; i < n; ++i) {
        if (!cube.dataFieldShown(i))
            ++hidden;
    }
    return n - hidden >= 2;
}

namespace {

std::pair<int, int> ordered(std::pair<int, int> corners)
{
    const auto [current, opposite] = corners;
    return opposite >= current ? std::pair{current, opposite} : std::pair{opposite, current};
}

QString joinLevels(int from, int to, const std::function<QString(int)> &text)
{
    QStringList parts;
    for (int level = from; level <= to; ++level)
        parts << text(level);
    return parts.join(QStringLiteral(" - "));
}

QString columnText(const ChartSource &cube, int column)
{
    const int depth = cube.columnHeadingDepth(column);
    auto text = [&](int level) {
        return cube.columnHeadingText(column, level);
    };
    if (!HasMultipleDataFields(cube))
        return joinLevels(1, depth, text);
    return joinLevels(1, depth - 1, text) + QStringLiteral(" - ")
           + cube.columnHeadingText(column, cube.columnFieldCount() + 1);
}

} // namespace

double cellNumber(const QVariant &value, const QString &source)
{
    const auto n = kq::platform::storedNumber(value, kq::platform::NullNumber::Zero);
    if (!n)
        throw kq::platform::RuntimeError(13, QStringLiteral("Tipos incompatíveis"), source);
    return *n;
}

QList<int> blockIndices(int first, int last, const std::function<int(int)> &next)
{
    QList<int> out;
    for (int i = first; i <= last;) {
        const int following = next(i);
        if (following <= i)
            break;
        out.append(i);
        i = following;
    }
    return out;
}

ChartData chartArray(const ChartSource &cube)
{
    const auto [firstColumn, lastColumn] = ordered(cube.columnCorners());
    const auto [firstRow, lastRow] = ordered(cube.rowCorners());
    const QList<int> rows = blockIndices(firstRow, lastRow, [&](int i) { return cube.nextRow(i); });
    const QList<int> columns
        = blockIndices(firstColumn, lastColumn, [&](int i) { return cube.nextColumn(i); });
    // Steps along an axis are one fewer than its members; the bound of an
    // axis is its member count (an empty axis has none).
    const qsizetype rowSteps = std::max<qsizetype>(0, rows.size() - 1);
    const qsizetype columnSteps = std::max<qsizetype>(0, columns.size() - 1);
    const bool rowsLead = rowSteps < columnSteps;
    const int rowBound = int(rows.size());
    const int columnBound = int(columns.size());
    ChartData data = rowsLead ? ChartData(rowBound, columnBound) : ChartData(columnBound, rowBound);

    // Stores element (p, q) of the cube's block: p along the rows, q along
    // the columns, whichever axis leads.
    auto put = [&](int p, int q, const QVariant &v) {
        if (rowsLead)
            data.setValue(p, q, v);
        else
            data.setValue(q, p, v);
    };
    for (int q = 1; q <= columns.size(); ++q)
        put(0, q, columnText(cube, columns.at(q - 1)));
    for (int p = 1; p <= rows.size(); ++p) {
        const int r = rows.at(p - 1);
        const int depth = cube.rowHeadingDepth(r);
        put(p, 0, joinLevels(1, depth, [&](int level) { return cube.rowHeadingText(r, level); }));
    }
    for (int q = 1; q <= columns.size(); ++q) {
        for (int p = 1; p <= rows.size(); ++p)
            put(p, q,
                cellNumber(cube.cellValue(rows.at(p - 1), columns.at(q - 1)),
                           QStringLiteral("CubeToChartData")));
    }
    return data;
}

void CubeToChartData(const ChartSource &cube, kq::platform::MSChart &chart)
{
    chart.setShowLegend(true);
    chart.setChartData(chartArray(cube));
}

void CubeToChartData(const CubeModel &cube, kq::platform::MSChart &chart)
{
    CubeToChartData(CubeChartSource(cube), chart);
}

void CubeToChartData(const kq::platform::DCube &cube, kq::platform::MSChart &chart)
{
    CubeToChartData(*cube.model(), chart);
}

} // namespace kq::cube
