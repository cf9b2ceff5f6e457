#include "platform/grid/gridfit.h"

#include <algorithm>

namespace kq::platform {

namespace {

// Sum over the columns of clamp(s * designed, minimum, natural).
double textWidths(const QVector<ColumnNeed> &columns, double s)
{
    double total = 0;
    for (const ColumnNeed &c : columns)
        total += std::clamp(s * c.designed, c.minimum, std::max(c.minimum, c.natural));
    return total;
}

} // namespace

QVector<double> fitColumnWidths(const QVector<ColumnNeed> &columns, double pageWidth)
{
    double minimum = 0;
    double natural = 0;
    double designed = 0;
    for (const ColumnNeed &c : columns) {
        minimum += c.minimum;
        natural += std::max(c.minimum, c.natural);
        designed += std::max(1e-9, c.designed);
    }
    if (columns.isEmpty() || minimum > pageWidth * (1 + 1e-9))
        return {};

    QVector<double> widths;
    widths.reserve(columns.size());
    if (natural <= pageWidth) {
        // Every value fits on one line: the spare room goes by designed width.
        const double spare = pageWidth - natural;
        for (const ColumnNeed &c : columns)
            widths << std::max(c.minimum, c.natural)
                          + spare * std::max(1e-9, c.designed) / designed;
        return widths;
    }
    // Some text must wrap: find the scale s whose clamped widths fill the page.
    double lo = 0;
    double hi = 1;
    while (textWidths(columns, hi) < pageWidth && hi < 1e12)
        hi *= 2;
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (textWidths(columns, mid) < pageWidth ? lo : hi) = mid;
    }
    double total = 0;
    for (const ColumnNeed &c : columns) {
        widths << std::clamp(lo * c.designed, c.minimum, std::max(c.minimum, c.natural));
        total += widths.last();
    }
    // What the search left over goes to the last wrapping column.
    for (int i = int(columns.size()) - 1; i >= 0; --i) {
        if (columns[i].natural > widths[i]) {
            widths[i] += pageWidth - total;
            break;
        }
    }
    return widths;
}

QVector<QVector<int>> columnBands(const QVector<ColumnNeed> &columns, double pageWidth)
{
    QVector<int> keys;
    QVector<int> rest;
    double keyWidth = 0;
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].key) {
            keys << i;
            keyWidth += columns[i].minimum;
        } else {
            rest << i;
        }
    }
    QVector<QVector<int>> bands;
    if (rest.isEmpty()) {
        if (!keys.isEmpty())
            bands << keys;
        return bands;
    }
    int next = 0;
    while (next < rest.size()) {
        QVector<int> band = keys;
        double used = keyWidth;
        do {
            used += columns[rest[next]].minimum;
            band << rest[next++];
        } while (next < rest.size() && used + columns[rest[next]].minimum <= pageWidth);
        bands << band;
    }
    return bands;
}

} // namespace kq::platform
