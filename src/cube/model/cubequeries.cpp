#include "cube/model/cubemodel.h"

#include "cube/model/cubemodel_p.h"
#include "core/format.h"

#include <QLocale>

namespace kq::platform {

// --- CubeModel: building and queries ------------------------------------------

CubeResult CubeModel::rebuild(const CubeProgress &progress)
{
    if (d->busy)
        return CubeResult{}; // not now: the cube is busy
    d->clearError();
    if (d->sourceDirty) {
        // Painting while the rows come in shows the cube as it was.
        d->busy = true;
        const bool read = d->loadSource(progress);
        d->busy = false;
        if (!read)
            return d->result();
    }
    // Aggregates are kept when no field, filter or axis changed since.
    d->layout();
    return d->result();
}

CubeResult CubeModel::reloadData(const CubeProgress &progress)
{
    d->sourceDirty = true;
    return rebuild(progress);
}

bool CubeModel::isBusy() const
{
    return d->busy;
}

bool CubeModel::hasData() const
{
    return d->haveData;
}
int CubeModel::sourceRowCount() const
{
    return d->rowCount;
}

void CubeModel::ensureLayout() const
{
    if (d->busy || (!d->autoRefresh && d->layouts > 0))
        return;
    const bool needSource = d->sourceDirty && !d->haveData && !d->readCancelled;
    if (d->aggDirty || d->displayDirty || needSource)
        d->layout();
}

int CubeModel::rowCount() const
{
    ensureLayout();
    return int(d->rows.lines.size());
}

int CubeModel::columnCount() const
{
    ensureLayout();
    return int(d->cols.lines.size());
}

int CubeModel::nextRow(int i) const
{
    return qMin(i + 1, rowCount());
}
int CubeModel::nextColumn(int i) const
{
    return qMin(i + 1, columnCount());
}

int CubeModel::currentRow() const
{
    ensureLayout();
    return d->curRow;
}

int CubeModel::currentColumn() const
{
    ensureLayout();
    return d->curCol;
}

void CubeModel::setCurrentCell(int row, int column)
{
    ensureLayout();
    d->curRow = d->cornerRow = qBound(0, row, qMax(0, int(d->rows.lines.size()) - 1));
    d->curCol = d->cornerCol = qBound(0, column, qMax(0, int(d->cols.lines.size()) - 1));
}

void CubeModel::setSelectionCorner(int row, int column)
{
    ensureLayout();
    d->cornerRow = qBound(0, row, qMax(0, int(d->rows.lines.size()) - 1));
    d->cornerCol = qBound(0, column, qMax(0, int(d->cols.lines.size()) - 1));
}

std::pair<int, int> CubeModel::rowCorners() const
{
    ensureLayout();
    return {d->curRow, d->cornerRow};
}

std::pair<int, int> CubeModel::columnCorners() const
{
    ensureLayout();
    return {d->curCol, d->cornerCol};
}

int CubeModel::rowHeadingDepth(int row) const
{
    ensureLayout();
    if (row < 0 || row >= d->rows.lines.size())
        return 0;
    return d->rows.lines.at(row).depth;
}

int CubeModel::columnHeadingDepth(int column) const
{
    ensureLayout();
    if (column < 0 || column >= d->cols.lines.size())
        return 0;
    return d->cols.lines.at(column).depth + (d->shownData.size() >= 2 ? 1 : 0);
}

CubeHeading CubeModel::rowHeading(int row, int level) const
{
    ensureLayout();
    if (row < 0 || row >= d->rows.lines.size())
        return {};
    return d->heading(d->rows, d->rows.lines.at(row), level, false);
}

CubeHeading CubeModel::columnHeading(int column, int level) const
{
    ensureLayout();
    if (column < 0 || column >= d->cols.lines.size())
        return {};
    return d->heading(d->cols, d->cols.lines.at(column), level, true);
}

bool CubeModel::sameRowHeading(int a, int b, int level) const
{
    ensureLayout();
    return d->sameHeading(d->rows, a, b, level, false);
}

bool CubeModel::sameColumnHeading(int a, int b, int level) const
{
    ensureLayout();
    return d->sameHeading(d->cols, a, b, level, true);
}

bool CubeModel::isTotalRow(int row) const
{
    ensureLayout();
    return row >= 0 && row < d->rows.lines.size() && d->rows.lines.at(row).total;
}

bool CubeModel::isTotalColumn(int column) const
{
    ensureLayout();
    return column >= 0 && column < d->cols.lines.size() && d->cols.lines.at(column).total;
}

QVariant CubeModel::cellValue(int row, int column) const
{
    ensureLayout();
    if (row < 0 || row >= d->rows.lines.size() || column < 0 || column >= d->cols.lines.size())
        return {};
    return d->lineValue(d->rows.lines.at(row), d->cols.lines.at(column));
}

QVariant CubeModel::Data::lineValue(const CubeLine &rl, const CubeLine &cl) const
{
    if (cl.data < 0)
        return {};
    CubeField *f = shownData.at(cl.data);
    const int slot = slotOf(rl.node, cl.node);
    bool empty = true;
    double v = kNaN;
    if (f->m_calculated && (rl.total || cl.total)) {
        // A total's own expression for this calculated field, when one is set.
        CubeField *dim
            = rl.total ? rows.fields.value(rl.depth - 1) : cols.fields.value(cl.depth - 1);
        if (dim && dim->totalKind(f->m_name) == TotalExpression
            && !dim->totalExpression(f->m_name).isEmpty()) {
            const QString saved = f->m_expression;
            f->m_expression = dim->totalExpression(f->m_name);
            v = fieldValue(slot, f, &empty);
            f->m_expression = saved;
            return empty ? QVariant() : QVariant(v);
        }
    }
    v = fieldValue(slot, f, &empty);
    return empty ? QVariant() : QVariant(v);
}

QString CubeModel::cellText(int row, int column) const
{
    return cellText(row, column, QLocale());
}

QString CubeModel::cellText(int row, int column, const QLocale &locale) const
{
    const QVariant v = cellValue(row, column);
    if (!v.isValid())
        return QString();
    CubeField *f = dataFieldOfColumn(column);
    return cubeFormatNumber(v.toDouble(), f ? f->m_numberFormat : QString(), locale);
}

CubeField *CubeModel::dataFieldOfColumn(int column) const
{
    ensureLayout();
    if (column < 0 || column >= d->cols.lines.size())
        return nullptr;
    const int k = d->cols.lines.at(column).data;
    return k < 0 ? nullptr : d->shownData.at(k);
}

static int displayedLevels(const QVector<CubeField *> &fields)
{
    if (fields.isEmpty())
        return 0;
    int n = 1;
    for (int p = 0; p + 1 < fields.size() && fields.at(p)->expanded(); ++p)
        ++n;
    return n;
}

int CubeModel::displayedRowLevels() const
{
    return displayedLevels(d->order[OrientRow]);
}

int CubeModel::displayedColumnLevels() const
{
    return displayedLevels(d->order[OrientColumn]) + (shownDataFieldCount() >= 2 ? 1 : 0);
}

int CubeModel::Data::headingNode(const CubeAxis &axis, const CubeLine &line, int level0) const
{
    const int depth = level0 + 1;
    if (depth < 1 || depth > line.depth || (line.total && depth == line.depth))
        return -1;
    return ancestorAt(axis, line.node, depth);
}

bool CubeModel::rowHeadingExpanded(int row, int level0) const
{
    ensureLayout();
    if (row < 0 || row >= d->rows.lines.size())
        return false;
    const int node = d->headingNode(d->rows, d->rows.lines.at(row), level0);
    return node > 0 && d->nodeExpanded(d->rows, node);
}

void CubeModel::setRowHeadingExpanded(int row, int level0, bool expanded)
{
    ensureLayout();
    if (row < 0 || row >= d->rows.lines.size())
        return;
    const int node = d->headingNode(d->rows, d->rows.lines.at(row), level0);
    if (node <= 0)
        return;
    d->rows.fields.at(level0)->m_memberExpanded.insert(d->nodePath(d->rows, node), expanded);
    invalidate(false);
}

bool CubeModel::columnHeadingExpanded(int column, int level0) const
{
    ensureLayout();
    if (column < 0 || column >= d->cols.lines.size())
        return false;
    const int node = d->headingNode(d->cols, d->cols.lines.at(column), level0);
    return node > 0 && d->nodeExpanded(d->cols, node);
}

void CubeModel::setColumnHeadingExpanded(int column, int level0, bool expanded)
{
    ensureLayout();
    if (column < 0 || column >= d->cols.lines.size())
        return;
    const int node = d->headingNode(d->cols, d->cols.lines.at(column), level0);
    if (node <= 0)
        return;
    d->cols.fields.at(level0)->m_memberExpanded.insert(d->nodePath(d->cols, node), expanded);
    invalidate(false);
}

bool CubeModel::rowHeadingExpandable(int row, int level0) const
{
    ensureLayout();
    if (row < 0 || row >= d->rows.lines.size() || level0 + 1 >= d->rows.fields.size())
        return false;
    return d->headingNode(d->rows, d->rows.lines.at(row), level0) > 0;
}

bool CubeModel::columnHeadingExpandable(int column, int level0) const
{
    ensureLayout();
    if (column < 0 || column >= d->cols.lines.size() || level0 + 1 >= d->cols.fields.size())
        return false;
    return d->headingNode(d->cols, d->cols.lines.at(column), level0) > 0;
}

CubeCell CubeModel::formatCell(int row, int column)
{
    ensureLayout();
    CubeCell c;
    c.row = row;
    c.column = column;
    const bool inGrid
        = row >= 0 && row < d->rows.lines.size() && column >= 0 && column < d->cols.lines.size();
    const QVariant v
        = inGrid ? d->lineValue(d->rows.lines.at(row), d->cols.lines.at(column)) : QVariant();
    c.empty = !v.isValid();
    c.value = c.empty ? 0.0 : v.toDouble();
    c.total = inGrid && (d->rows.lines.at(row).total || d->cols.lines.at(column).total);
    if (inGrid && d->cols.lines.at(column).data >= 0) {
        const CubeField *f = d->shownData.at(d->cols.lines.at(column).data);
        c.dataFieldNumber = (f->position() + 1) * (c.total ? -1 : 1);
    }
    c.backColor = c.total ? d->style.totalsBackColor : d->style.cellBackColor;
    c.foreColor = c.total ? d->style.totalsForeColor : d->style.cellForeColor;
    emit formatCellRequested(&c);
    return c;
}

} // namespace kq::platform
