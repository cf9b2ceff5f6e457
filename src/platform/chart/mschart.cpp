#include "platform/chart/mschart.h"

#include "platform/chart/chart3dview.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPieSeries>
#include <QValueAxis>
#include <algorithm>

namespace kq::platform {

MSChart::MSChart(QWidget *parent)
    : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->setAlignment(Qt::AlignRight);
    // Axis numbers in the user's regional form.
    chart()->setLocalizeNumbers(true);
    m_view3D = new Chart3DView(this);
    m_view3D->setObjectName(QStringLiteral("Chart3D"));
    m_view3D->hide();
    connect(chart(), &QChart::plotAreaChanged, this, &MSChart::placePieLabels);
    rebuild();
}

void MSChart::setShowLegend(bool on)
{
    m_showLegend = on;
    chart()->legend()->setVisible(on);
    rebuild();
}

void MSChart::resizeEvent(QResizeEvent *event)
{
    QChartView::resizeEvent(event);
    m_view3D->setGeometry(rect());
}

bool MSChart::is3D(int chartType)
{
    return chartType == VtChChartType3dBar || chartType == VtChChartType3dLine
           || chartType == VtChChartType3dArea || chartType == VtChChartType3dStep;
}

void MSChart::setChartType(int type)
{
    m_chartType = type;
    rebuild();
}

void MSChart::setChartData(const ChartData &data)
{
    m_data = data;
    rebuild();
}

MSChart::Kind MSChart::kindOf(int chartType)
{
    switch (chartType) {
    case VtChChartType3dLine:
    case VtChChartType2dLine:
        return Kind::Line;
    case VtChChartType3dArea:
    case VtChChartType2dArea:
        return Kind::Area;
    case VtChChartType3dStep:
    case VtChChartType2dStep:
        return Kind::Step;
    case VtChChartType2dPie:
        return Kind::Pie;
    default:
        return Kind::Bar;
    }
}

QStringList MSChart::categories() const
{
    QStringList out;
    for (int i = 1; i <= m_data.rowUpperBound(); ++i)
        out << m_data.rowLabel(i);
    return out;
}

int MSChart::seriesCount() const
{
    return std::max(0, m_data.columnUpperBound());
}

void MSChart::rebuild()
{
    QChart *c = chart();
    c->setLocale(QLocale());
    c->removeAllSeries();
    qDeleteAll(m_pieLabels);
    m_pieLabels.clear();
    const auto axes = c->axes();
    for (QAbstractAxis *axis : axes) {
        c->removeAxis(axis);
        delete axis;
    }
    if (!m_data.isEmpty()) {
        switch (kindOf(m_chartType)) {
        case Kind::Bar:
            buildBars();
            break;
        case Kind::Line:
            buildLines(false);
            break;
        case Kind::Step:
            buildLines(true);
            break;
        case Kind::Area:
            buildAreas();
            break;
        case Kind::Pie:
            buildPies();
            break;
        }
    }
    c->legend()->setVisible(m_showLegend);
    if (is3D(m_chartType)) {
        const Kind kind = kindOf(m_chartType);
        const Chart3DView::Kind kind3D = kind == Kind::Line   ? Chart3DView::Kind::Line
                                         : kind == Kind::Area ? Chart3DView::Kind::Area
                                         : kind == Kind::Step ? Chart3DView::Kind::Step
                                                              : Chart3DView::Kind::Bar;
        m_view3D->setChart(m_data, kind3D, m_showLegend);
        m_view3D->setGeometry(rect());
        m_view3D->show();
        m_view3D->raise();
    } else {
        m_view3D->hide();
    }
}

namespace {

// The value range of every value element, 0 included so bars and areas
// stand on the axis.
std::pair<double, double> valueRange(const ChartData &data)
{
    double lo = 0;
    double hi = 0;
    for (int i = 1; i <= data.rowUpperBound(); ++i) {
        for (int j = 1; j <= data.columnUpperBound(); ++j) {
            lo = std::min(lo, data.number(i, j));
            hi = std::max(hi, data.number(i, j));
        }
    }
    if (lo == hi)
        hi = lo + 1;
    return {lo, hi};
}

} // namespace

void MSChart::buildBars()
{
    auto *series = new QBarSeries;
    for (int j = 1; j <= seriesCount(); ++j) {
        auto *set = new QBarSet(m_data.columnLabel(j));
        for (int i = 1; i <= m_data.rowUpperBound(); ++i)
            set->append(m_data.number(i, j));
        series->append(set);
    }
    chart()->addSeries(series);
    auto *x = new QBarCategoryAxis;
    x->append(categories());
    auto *y = new QValueAxis;
    const auto [lo, hi] = valueRange(m_data);
    y->setRange(lo, hi);
    y->applyNiceNumbers();
    chart()->addAxis(x, Qt::AlignBottom);
    chart()->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}

void MSChart::buildLines(bool step)
{
    auto *x = new QBarCategoryAxis;
    x->append(categories());
    auto *y = new QValueAxis;
    const auto [lo, hi] = valueRange(m_data);
    y->setRange(lo, hi);
    y->applyNiceNumbers();
    chart()->addAxis(x, Qt::AlignBottom);
    chart()->addAxis(y, Qt::AlignLeft);
    for (int j = 1; j <= seriesCount(); ++j) {
        auto *series = new QLineSeries;
        series->setName(m_data.columnLabel(j));
        for (int i = 1; i <= m_data.rowUpperBound(); ++i) {
            const double v = m_data.number(i, j);
            const double at = i - 1;
            if (step) {
                // Flat across the whole category, rising or falling at its edges.
                series->append(at - 0.5, v);
                series->append(at + 0.5, v);
            } else {
                series->append(at, v);
            }
        }
        chart()->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    if (step && m_data.rowUpperBound() > 0)
        x->setRange(x->categories().first(), x->categories().last());
}

void MSChart::buildAreas()
{
    auto *x = new QBarCategoryAxis;
    x->append(categories());
    auto *y = new QValueAxis;
    const auto [lo, hi] = valueRange(m_data);
    y->setRange(lo, hi);
    y->applyNiceNumbers();
    chart()->addAxis(x, Qt::AlignBottom);
    chart()->addAxis(y, Qt::AlignLeft);
    for (int j = 1; j <= seriesCount(); ++j) {
        auto *upper = new QLineSeries;
        for (int i = 1; i <= m_data.rowUpperBound(); ++i)
            upper->append(i - 1, m_data.number(i, j));
        auto *series = new QAreaSeries(upper);
        upper->setParent(series); // the area does not own its line
        series->setName(m_data.columnLabel(j));
        chart()->addSeries(series);
        // Overlaid areas: each one lets the others show through.
        series->setOpacity(0.6);
        series->attachAxis(x);
        series->attachAxis(y);
    }
}

void MSChart::buildPies()
{
    // One pie per chart row, side by side; the slices are the series.
    const int pies = m_data.rowUpperBound();
    for (int i = 1; i <= pies; ++i) {
        auto *series = new QPieSeries;
        series->setName(m_data.rowLabel(i));
        for (int j = 1; j <= seriesCount(); ++j)
            series->append(m_data.columnLabel(j), std::max(0.0, m_data.number(i, j)));
        const double slot = 1.0 / pies;
        series->setHorizontalPosition(slot * (i - 0.5));
        series->setVerticalPosition(0.5);
        series->setPieSize(std::min(0.9, slot * 0.9));
        chart()->addSeries(series);
        // The slices of every pie share their colours, so one legend serves all.
        if (i > 1) {
            const auto markers = chart()->legend()->markers(series);
            for (QLegendMarker *m : markers)
                m->setVisible(false);
        }
        const auto first = qobject_cast<QPieSeries *>(chart()->series().first());
        for (int s = 0; s < series->count() && first && i > 1; ++s)
            series->slices().at(s)->setBrush(first->slices().at(s)->brush());
        auto *label = new QGraphicsSimpleTextItem(m_data.rowLabel(i), chart());
        m_pieLabels << label;
    }
    placePieLabels();
}

void MSChart::placePieLabels()
{
    const QRectF area = chart()->plotArea();
    const auto all = chart()->series();
    for (int i = 0; i < m_pieLabels.size() && i < all.size(); ++i) {
        const auto *pie = qobject_cast<QPieSeries *>(all.at(i));
        if (!pie)
            continue;
        const double radius = pie->pieSize() * std::min(area.width(), area.height()) / 2;
        QGraphicsSimpleTextItem *label = m_pieLabels.at(i);
        const QRectF box = label->boundingRect();
        label->setPos(area.left() + area.width() * pie->horizontalPosition() - box.width() / 2,
                      area.top() + area.height() * pie->verticalPosition() + radius + 6);
    }
}

} // namespace kq::platform
