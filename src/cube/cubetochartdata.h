#pragma once

#include "platform/chart/chartdata.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <utility>

namespace kq::platform {
class CubeModel;
class DCube;
class MSChart;
} // namespace kq::platform

namespace kq::cube {

// What the chart reads of a cube: the block between the current cell and
// the opposite corner, its headings by level (1 outermost) and its cells.
class ChartSource
{
public:
    virtual ~ChartSource() = default;
    // (current, opposite corner); either may be the larger.
    virtual std::pair<int, int> columnCorners() const = 0;
    virtual std::pair<int, int> rowCorners() const = 0;
    virtual int nextColumn(int column) const = 0;
    virtual int nextRow(int row) const = 0;
    virtual int columnHeadingDepth(int column) const = 0;
    virtual int rowHeadingDepth(int row) const = 0;
    virtual QString columnHeadingText(int column, int level) const = 0;
    virtual QString rowHeadingText(int row, int level) const = 0;
    // Invalid for an empty cell.
    virtual QVariant cellValue(int row, int column) const = 0;
    virtual int columnFieldCount() const = 0;
    virtual int dataFieldCount() const = 0;
    // Shown flag of the data field at a position (from 0).
    virtual bool dataFieldShown(int position) const = 0;
};

// The ChartSource of a cube model.
class CubeChartSource : public ChartSource
{
public:
    explicit CubeChartSource(const kq::platform::CubeModel &cube)
        : m_cube(cube)
    {}
    std::pair<int, int> columnCorners() const override;
    std::pair<int, int> rowCorners() const override;
    int nextColumn(int column) const override;
    int nextRow(int row) const override;
    int columnHeadingDepth(int column) const override;
    int rowHeadingDepth(int row) const override;
    QString columnHeadingText(int column, int level) const override;
    QString rowHeadingText(int row, int level) const override;
    QVariant cellValue(int row, int column) const override;
    int columnFieldCount() const override;
    int dataFieldCount() const override;
    bool dataFieldShown(int position) const override;

private:
    const kq::platform::CubeModel &m_cube;
};

// The indices of a block of cube rows or columns from first to last (both
// included) in the order next() walks them. The walk ends where next() does
// not move past an index (the cube answers so after its last row or column),
// so an empty axis gives no index.
QList<int> blockIndices(int first, int last, const std::function<int(int)> &next);

// A cube cell as a number: an empty cell is 0; a value that is no number
// raises kq::platform::RuntimeError 13 from `source`.
double cellNumber(const QVariant &value, const QString &source);

// True when at least two data fields are shown.
bool HasMultipleDataFields(const ChartSource &cube);

// The chart array of the cube's current block: the axis with fewer steps
// leads (first index), the columns on a tie; row 0 and column 0 hold the
// headings. An empty cell is 0; a value that is no number raises
// kq::platform::RuntimeError 13.
kq::platform::ChartData chartArray(const ChartSource &cube);

// Fills the chart from the cube: legend on, then the chart array.
void CubeToChartData(const ChartSource &cube, kq::platform::MSChart &chart);
void CubeToChartData(const kq::platform::CubeModel &cube, kq::platform::MSChart &chart);
void CubeToChartData(const kq::platform::DCube &cube, kq::platform::MSChart &chart);

} // namespace kq::cube
