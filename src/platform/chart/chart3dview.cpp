#include "platform/chart/chart3dview.h"

#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace kq::platform {

Chart3DView::Chart3DView(QWidget *parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void Chart3DView::setChart(const ChartData &data, Kind kind, bool legend)
{
    m_data = data;
    m_kind = kind;
    m_legend = legend;
    update();
}

QColor Chart3DView::seriesColor(int j)
{
    static const QColor colours[] = {
        QColor(0x20, 0x9f, 0xdf), QColor(0x99, 0xca, 0x53), QColor(0xf6, 0xa6, 0x25),
        QColor(0x6d, 0x5f, 0xd5), QColor(0xbf, 0x59, 0x3e), QColor(0x03, 0x2a, 0x40),
    };
    return colours[(std::max(j, 1) - 1) % 6];
}

namespace {

// A step of the value axis that gives about five lines.
double niceStep(double range)
{
    const double raw = range / 5;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (raw <= f * mag)
            return f * mag;
    }
    return 10 * mag;
}

} // namespace

void Chart3DView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int categories = m_data.rowUpperBound();
    const int series = std::max(0, m_data.columnUpperBound());
    if (categories < 1 || series < 1)
        return;

    // Value range, 0 included, widened to whole steps.
    double lo = 0;
    double hi = 0;
    for (int i = 1; i <= categories; ++i) {
        for (int j = 1; j <= series; ++j) {
            lo = std::min(lo, m_data.number(i, j));
            hi = std::max(hi, m_data.number(i, j));
        }
    }
    if (hi == lo)
        hi = lo + 1;
    const double step = niceStep(hi - lo);
    lo = std::floor(lo / step) * step;
    hi = std::ceil(hi / step) * step;

    const QFontMetrics fm(font());
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    int legendWidth = 0;
    if (m_legend) {
        for (int j = 1; j <= series; ++j)
            legendWidth = std::max(legendWidth, fm.horizontalAdvance(m_data.columnLabel(j)));
        legendWidth += 40;
    }
    const int labelWidth = fm.horizontalAdvance(locale.toString(hi, 'f', 0)) + 12;
    const QRectF plot(labelWidth + 10, 20, width() - labelWidth - 30 - legendWidth,
                      height() - 20 - fm.height() - 16);
    if (plot.width() < 20 || plot.height() < 20)
        return;

    // Oblique depth: each series moves right and up by one depth step.
    const double depthX = std::min(24.0, plot.width() / (categories + series) * 0.6);
    const double depthY = depthX * 0.6;
    const QPointF depth(depthX, -depthY);
    const double frontWidth = plot.width() - series * depthX;
    const double frontHeight = plot.height() - series * depthY;
    const double slot = frontWidth / categories;
    const QPointF origin(plot.left(), plot.bottom());
    auto yOf = [&](double v) {
        return origin.y() - (v - lo) / (hi - lo) * frontHeight;
    };
    auto at = [&](double x, double v, double s) {
        return QPointF(x, yOf(v)) + depth * s;
    };

    // Back wall and floor with the value lines.
    p.setPen(QColor(0xd0, 0xd0, 0xd0));
    const QPointF back = depth * series;
    for (double v = lo; v <= hi + step / 2; v += step) {
        const QPointF a(origin.x(), yOf(v));
        p.drawLine(a, a + back);
        p.drawLine(a + back, a + back + QPointF(frontWidth, 0));
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRectF(0, a.y() - fm.height() / 2.0, labelWidth, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, locale.toString(v, 'f', step < 1 ? 2 : 0));
        p.setPen(QColor(0xd0, 0xd0, 0xd0));
    }
    p.drawLine(origin + back, QPointF(origin.x(), yOf(hi)) + back);
    p.drawLine(QPointF(origin.x() + frontWidth, origin.y()),
               QPointF(origin.x() + frontWidth, origin.y()) + back);
    p.setPen(palette().color(QPalette::Text));
    for (int i = 1; i <= categories; ++i) {
        const QRectF cell(origin.x() + (i - 1) * slot, origin.y() + 4, slot, fm.height());
        p.drawText(cell, Qt::AlignHCenter | Qt::AlignTop,
                   fm.elidedText(m_data.rowLabel(i), Qt::ElideRight, int(slot)));
    }

    // Series from the back row to the front one.
    for (int j = series; j >= 1; --j) {
        const double s = j - 1 + 0.1;
        const double thick = 0.8;
        const QColor face = seriesColor(j);
        const QColor top = face.lighter(130);
        const QColor side = face.darker(130);
        p.setPen(QPen(face.darker(160), 0.8));
        if (m_kind == Kind::Bar) {
            for (int i = 1; i <= categories; ++i) {
                const double x0 = origin.x() + (i - 1) * slot + slot * 0.2;
                const double x1 = x0 + slot * 0.6;
                const double v = m_data.number(i, j);
                const double base = std::clamp(0.0, lo, hi);
                const QPointF a = at(x0, base, s), b = at(x1, base, s);
                const QPointF c = at(x1, v, s), d = at(x0, v, s);
                const QPointF k = depth * thick;
                p.setBrush(side);
                p.drawPolygon(QPolygonF({b, b + k, c + k, c}));
                p.setBrush(top);
                p.drawPolygon(QPolygonF({d, c, c + k, d + k}));
                p.setBrush(face);
                p.drawPolygon(QPolygonF({a, b, c, d}));
            }
            continue;
        }
        // The path of the series along its depth row.
        QList<QPointF> path;
        for (int i = 1; i <= categories; ++i) {
            const double v = m_data.number(i, j);
            const double mid = origin.x() + (i - 0.5) * slot;
            if (m_kind == Kind::Step) {
                path << at(mid - slot / 2, v, s) << at(mid + slot / 2, v, s);
            } else {
                path << at(mid, v, s);
            }
        }
        const QPointF k = depth * thick;
        if (m_kind == Kind::Area) {
            QPolygonF front;
            front << QPointF(path.first().x(), at(0, std::clamp(0.0, lo, hi), s).y());
            for (const QPointF &pt : path)
                front << pt;
            front << QPointF(path.last().x(), at(0, std::clamp(0.0, lo, hi), s).y());
            p.setBrush(side);
            p.drawPolygon(
                QPolygonF({front.last(), front.last() + k, path.last() + k, path.last()}));
            for (int n = 0; n + 1 < path.size(); ++n) {
                p.setBrush(top);
                p.drawPolygon(QPolygonF({path[n], path[n + 1], path[n + 1] + k, path[n] + k}));
            }
            p.setBrush(face);
            p.drawPolygon(front);
            continue;
        }
        // Lines and steps: a ribbon, lit where it rises.
        for (int n = 0; n + 1 < path.size(); ++n) {
            p.setBrush(path[n + 1].y() <= path[n].y() ? top : side);
            p.drawPolygon(QPolygonF({path[n], path[n + 1], path[n + 1] + k, path[n] + k}));
        }
    }

    if (m_legend) {
        const double x = width() - legendWidth + 8;
        double y = height() / 2.0 - series * (fm.height() + 6) / 2.0;
        for (int j = 1; j <= series; ++j, y += fm.height() + 6) {
            p.setPen(Qt::NoPen);
            p.setBrush(seriesColor(j));
            p.drawRect(QRectF(x, y + 3, 10, 10));
            p.setPen(palette().color(QPalette::Text));
            p.drawText(QPointF(x + 16, y + fm.ascent()), m_data.columnLabel(j));
        }
    }
}

} // namespace kq::platform
