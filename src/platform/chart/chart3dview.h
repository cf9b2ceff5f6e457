#pragma once

#include "platform/chart/chartdata.h"

#include <QWidget>

namespace kq::platform {

// Draws the 3-D chart types in an oblique view: each series on a depth row of
// its own, bars as boxes, lines and steps as ribbons, areas as extruded bands,
// with value lines on the back wall and the legend at the right.
class Chart3DView : public QWidget
{
    Q_OBJECT
public:
    enum class Kind { Bar, Line, Area, Step };

    explicit Chart3DView(QWidget *parent = nullptr);

    void setChart(const ChartData &data, Kind kind, bool legend);
    Kind kind() const { return m_kind; }

    // The colour of series j (from 1), shared with the 2-D charts' theme.
    static QColor seriesColor(int j);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ChartData m_data;
    Kind m_kind = Kind::Bar;
    bool m_legend = false;
};

} // namespace kq::platform
