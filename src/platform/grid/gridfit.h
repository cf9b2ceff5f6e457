#pragma once

#include <QVector>

namespace kq::platform {

// What one printed column needs, in device units of the page.
struct ColumnNeed
{
    double designed = 1; // the designed width: its share of spare room
    double minimum = 0;  // narrower cuts a value (or a word of a text column)
    double natural = 0;  // every value on one line (>= minimum)
    bool key = false;    // repeated on every band of columns
};

// Widths of the columns across one page width: each at least its minimum,
// text columns up to their natural width in proportion to their designed
// widths, room left over shared out by designed width. The widths fill the
// page; empty when the minimums do not fit.
QVector<double> fitColumnWidths(const QVector<ColumnNeed> &columns, double pageWidth);

// The columns split into bands that each fit a page width, in order, every
// band beginning with the key columns (indexes into columns, in their order).
// A column that does not fit even alone with the keys gets a band of its own.
QVector<QVector<int>> columnBands(const QVector<ColumnNeed> &columns, double pageWidth);

} // namespace kq::platform
