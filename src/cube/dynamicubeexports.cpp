#include "cube/dynamicubeexports.h"

#include "cube/cubetochartdata.h"
#include "platform/chart/mschart.h"
#include "cube/engine/dcube.h"
#include "platform/dialogs.h"
#include "core/errorinfo.h"
#include "core/format.h"

#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>
#include <utility>

namespace kq::cube {

using kq::platform::ChartData;
using kq::platform::DCube;

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const QString kSource = QStringLiteral("DynamiCubeExports");

std::pair<int, int> ordered(std::pair<int, int> corners)
{
    const auto [current, opposite] = corners;
    return opposite >= current ? std::pair{current, opposite} : std::pair{opposite, current};
}

// Hourglass while the export runs, the default pointer again however it ends.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

void DynamiCubeExports::Init(DCube *cube)
{
    m_methods = std::make_unique<DynamiCubeHelperMethods>();
    m_methods->Init(cube);
    m_cube = cube;
}

DCube &DynamiCubeExports::dc() const
{
    if (!m_cube || !m_methods)
        throw kq::platform::RuntimeError(91,
                                         QStringLiteral("Object variable or With block "
                                                        "variable not set"),
                                         QStringLiteral("DynamiCubeExports"));
    return *m_cube;
}

void DynamiCubeExports::ExportToMSChart(kq::platform::MSChart *chartTarget)
{
    try {
        DCube &cube = dc();
        if (!chartTarget)
            throw kq::platform::RuntimeError(91, QStringLiteral("Não há gráfico"));
        const auto [firstColumn, lastColumn] = ordered(cube.columnCorners());
        const auto [firstRow, lastRow] = ordered(cube.rowCorners());
        const bool rowsLead = (lastRow - firstRow) < (lastColumn - firstColumn);
        const QList<int> rows
            = blockIndices(firstRow, lastRow, [&](int i) { return cube.nextRow(i); });
        const QList<int> columns
            = blockIndices(firstColumn, lastColumn, [&](int i) { return cube.nextColumn(i); });
        ChartData data = rowsLead ? ChartData(int(rows.size()), int(columns.size()))
                                  : ChartData(int(columns.size()), int(rows.size()));
        // p counts along the rows, q along the columns, whichever leads.
        auto put = [&](int p, int q, const QVariant &v) {
            if (rowsLead)
                data.setValue(p, q, v);
            else
                data.setValue(q, p, v);
        };
        for (int q = 1; q <= columns.size(); ++q) {
            const int c = columns.at(q - 1);
            QString text;
            for (int level = 1; level <= cube.columnHeadingDepth(c); ++level)
                text += QStringLiteral(" - ") + cube.columnHeading(c, level).text;
            put(0, q, text);
        }
        for (int p = 1; p <= rows.size(); ++p) {
            const int r = rows.at(p - 1);
            QString text;
            for (int level = 1; level <= cube.rowHeadingDepth(r); ++level)
                text += QStringLiteral(" - ") + cube.rowHeading(r, level).text;
            put(p, 0, text);
        }
        for (int q = 1; q <= columns.size(); ++q) {
            for (int p = 1; p <= rows.size(); ++p)
                put(p, q, cellNumber(cube.cellValue(rows.at(p - 1), columns.at(q - 1)), kSource));
        }
        chartTarget->setShowLegend(true);
        chartTarget->setChartData(data);
    } catch (const std::exception &) {
        kq::platform::Dialogs::message(QStringLiteral("Could not export chart !"), QString(),
                                       kq::platform::Buttons::Ok, kq::platform::Icon::Critical);
    }
}

QString DynamiCubeExports::clipboardText(const QString &delimiter) const
{
    const DCube &cube = dc();
    const QString &d = delimiter;
    const bool multi = m_methods->GetVisibleDataFieldCount() >= 2;
    const int rowCount = cube.rowCount();
    const int columnCount = cube.columnCount();

    int maxRowDepth = 0;
    for (int r = 0; r < rowCount; r = cube.nextRow(r))
        maxRowDepth = std::max(maxRowDepth, cube.rowHeadingDepth(r));
    // Every column counts, the last one included: it may be the deepest.
    int maxColDepth = 0;
    for (int c = 0; c < columnCount; c = cube.nextColumn(c))
        maxColDepth = std::max(maxColDepth, cube.columnHeadingDepth(c));
    // With several data fields their captions get a line of their own.
    const int headingLines = multi ? maxColDepth - 1 : maxColDepth;
    const QString corner = DynamiCubeHelperMethods::GetDelimiters(maxRowDepth, d);

    QString text = corner;
    for (int level = 1; level <= headingLines; ++level) {
        for (int c = 0; c < columnCount; c = cube.nextColumn(c)) {
            const int depth = cube.columnHeadingDepth(c);
            if (multi ? level < depth : level <= depth)
                text += cube.columnHeading(c, level).text;
            text += d;
        }
        if (level < headingLines)
            text += kLineEnd + corner;
    }
    if (multi) {
        text += kLineEnd + corner;
        const int captionLevel = cube.columnFields()->count() + 1;
        for (int c = 0; c < columnCount; c = cube.nextColumn(c))
            text += cube.columnHeading(c, captionLevel).text + d;
    }
    text += kLineEnd;

    for (int r = 0; r < rowCount; r = cube.nextRow(r)) {
        const int depth = cube.rowHeadingDepth(r);
        for (int level = 1; level <= depth; ++level) {
            text += cube.rowHeading(r, level).text;
            if (level == depth && depth < maxRowDepth)
                text += DynamiCubeHelperMethods::GetDelimiters(maxRowDepth - depth + 1, d);
            else
                text += d;
        }
        for (int c = 0; c < columnCount; c = cube.nextColumn(c))
            text += kq::platform::formatPlain(cellNumber(cube.cellValue(r, c), kSource)) + d;
        text += kLineEnd;
    }
    return text;
}

void DynamiCubeExports::ExportToClipboard(const QString &delimiter)
{
    WaitCursor wait;
    const QString text = clipboardText(delimiter);
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

} // namespace kq::cube
