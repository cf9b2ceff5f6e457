#pragma once

// Finds rows and columns of a laid-out cube by their heading texts.

#include "cube/engine/dcube.h"

#include <QStringList>

namespace kq::test::cubegrid {

// Heading texts of a row, levels 1 to its depth.
inline QStringList rowPath(const kq::platform::DCube &cube, int row)
{
    QStringList path;
    for (int level = 1; level <= cube.rowHeadingDepth(row); ++level)
        path << cube.rowHeading(row, level).text;
    return path;
}

// Dimension heading texts of a column (the data-caption level left out).
inline QStringList columnPath(const kq::platform::DCube &cube, int column)
{
    const bool multi = cube.model()->shownDataFieldCount() >= 2;
    QStringList path;
    const int levels = cube.columnHeadingDepth(column) - (multi ? 1 : 0);
    for (int level = 1; level <= levels; ++level)
        path << cube.columnHeading(column, level).text;
    return path;
}

// The row whose headings are exactly path; -1 when none.
inline int findRow(const kq::platform::DCube &cube, const QStringList &path)
{
    for (int r = 0; r < cube.rowCount(); ++r) {
        if (rowPath(cube, r) == path)
            return r;
    }
    return -1;
}

// The column whose dimension headings are path and whose data field has
// that caption (any data field when dataCaption is empty); -1 when none.
inline int findColumn(const kq::platform::DCube &cube, const QStringList &path,
                      const QString &dataCaption = QString())
{
    for (int c = 0; c < cube.columnCount(); ++c) {
        if (columnPath(cube, c) != path)
            continue;
        const auto *data = cube.dataFieldOfColumn(c);
        if (dataCaption.isEmpty() || (data && data->caption() == dataCaption))
            return c;
    }
    return -1;
}

// The value at the row and column named by their headings (NaN when either
// is missing, so a comparison fails visibly).
inline double cellAt(const kq::platform::DCube &cube, const QStringList &rowHeadings,
                     const QStringList &columnHeadings, const QString &dataCaption = QString())
{
    const int r = findRow(cube, rowHeadings);
    const int c = findColumn(cube, columnHeadings, dataCaption);
    if (r < 0 || c < 0)
        return qQNaN();
    return cube.cellValue(r, c).toDouble();
}

} // namespace kq::test::cubegrid
