#pragma once

#include "platform/chart/chartdata.h"

#include <QChartView>
#include <QList>

class QGraphicsSimpleTextItem;

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

class Chart3DView;

// The chart control: draws a ChartData grid. Chart rows (element (i, 0)
// their labels) are the categories along the axis, chart columns (element
// (0, j) their labels) are the series. The 2-D types are drawn on Qt Charts;
// Qt Charts has no 3-D view, so the 3-D types are drawn by Chart3DView over
// it (chart() still holds their 2-D series).
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
    static bool is3D(int chartType);
    // The 3-D view, visible while a 3-D type is chosen.
    Chart3DView *view3D() const { return m_view3D; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void rebuild();
    void buildBars();
    void buildLines(bool step);
    void buildAreas();
    void buildPies();
    void placePieLabels();
    QStringList categories() const;
    int seriesCount() const;

    bool m_showLegend = false;
    int m_chartType = VtChChartType2dBar;
    ChartData m_data;
    Chart3DView *m_view3D = nullptr;
    QList<QGraphicsSimpleTextItem *> m_pieLabels; // one under each pie: its row label
};

} // namespace kq::platform
