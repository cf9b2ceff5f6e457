#pragma once

#include "platform/chart/chartdata.h"

#include <QChartView>

namespace kq::platform {

// Chart types of the old chart control, by their published numbers.
enum VtChChartType {
    VtChChartType3dBar = 0,
    VtChChartType2dBar = 1,
    VtChChartType3dLine = 2,
    VtChChartType2dLine = 3,
    VtChChartType3dArea = 4,
    VtChChartType2dArea = 5,
    VtChChartType3dStep = 6,
    VtChChartType2dStep = 7,
    VtChChartType2dPie = 14,
};

// The chart control: draws a ChartData grid on Qt Charts. Chart rows
// (element (i, 0) their labels) are the categories along the axis, chart
// columns (element (0, j) their labels) are the series. Qt Charts has no
// 3-D view: the 3-D types are drawn as their 2-D forms.
class MSChart : public QChartView
{
    Q_OBJECT
public:
    explicit MSChart(QWidget *parent = nullptr);

    void setShowLegend(bool on);
    bool showLegend() const { return m_showLegend; }

    // Unknown type numbers are kept and drawn as 2-D bars.
    void setChartType(int type);
    int chartType() const { return m_chartType; }

    void setChartData(const ChartData &data);
    const ChartData &chartData() const { return m_data; }

    // What the current type is drawn as: bar, line, area, step or pie.
    enum class Kind { Bar, Line, Area, Step, Pie };
    static Kind kindOf(int chartType);

private:
    void rebuild();
    void buildBars();
    void buildLines(bool step);
    void buildAreas();
    void buildPies();
    QStringList categories() const;
    int seriesCount() const;

    bool m_showLegend = false;
    int m_chartType = VtChChartType2dBar;
    ChartData m_data;
};

} // namespace kq::platform
