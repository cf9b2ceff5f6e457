#include "cube/model/cubemodel.h"

#include "cube/model/cubemodel_p.h"

#include <algorithm>

namespace kq::platform {

// --- layout ----------------------------------------------------------------

void CubeModel::Data::layout()
{
    if (sourceDirty && !haveData && !readCancelled)
        loadSource();
    for (CubeField *f : std::as_const(fields)) {
        if (haveData && !evals.contains(f)) {
            evaluate(f);
            aggDirty = true;
        }
    }
    if (aggDirty)
        aggregate();
    display();
    ++layouts;
    emit q->layoutChanged();
}

QString CubeModel::Data::nodePath(const CubeAxis &axis, int node) const
{
    QStringList parts;
    for (int n = node; n > 0; n = axis.parent.at(n)) {
        CubeDataItem *item = axis.fields.at(axis.depth.at(n) - 1)->m_items.item(axis.member.at(n));
        parts.prepend(item ? item->m_value : QString());
    }
    return parts.join(QChar(0x1f));
}

bool CubeModel::Data::nodeExpanded(const CubeAxis &axis, int node) const
{
    const int depth = axis.depth.at(node);
    if (depth < 1 || depth > axis.fields.size())
        return false;
    const CubeField *f = axis.fields.at(depth - 1);
    if (f->m_memberExpanded.isEmpty())
        return f->m_expanded;
    return f->m_memberExpanded.value(nodePath(axis, node), f->m_expanded);
}

int CubeModel::Data::ancestorAt(const CubeAxis &axis, int node, int depth) const
{
    int n = node;
    while (n > 0 && axis.depth.at(n) > depth)
        n = axis.parent.at(n);
    return axis.depth.at(n) == depth ? n : -1;
}

void CubeModel::Data::sortChildren(CubeAxis &axis, int node, bool columns)
{
    const int first = axis.childBegin.at(node), last = axis.childBegin.at(node + 1);
    if (first == last)
        return;
    const auto kids = axis.children.begin() + first;
    const auto kidsEnd = axis.children.begin() + last;
    const int depth = axis.depth.at(node); // children stand at depth + 1
    CubeField *f = axis.fields.at(depth);
    CubeField *rank = nullptr;
    if (f->m_sortType != SortLabel && f->m_rankDataField > 0) {
        for (CubeField *g : std::as_const(dataOrder)) {
            if (g->m_dataIndex == f->m_rankDataField)
                rank = g;
        }
    }
    const bool desc = f->m_labelDescending != 0;
    auto labelLess = [&](int a, int b) {
        const int ma = axis.member.at(a), mb = axis.member.at(b);
        return desc ? ma > mb : ma < mb;
    };
    if (!rank) {
        std::sort(kids, kidsEnd, labelLess);
    } else {
        QVector<double> &total = rankTotals;
        total.resize(axis.nodeCount());
        for (auto it = kids; it != kidsEnd; ++it) {
            bool empty = true;
            const int slot = columns ? slotOf(0, *it) : slotOf(*it, 0);
            const double v = fieldValue(slot, rank, &empty);
            total[*it] = empty ? kNaN : v;
        }
        const bool up = f->m_sortType == SortRankAscending;
        std::sort(kids, kidsEnd, [&](int a, int b) {
            const double x = total.at(a), y = total.at(b);
            const bool ex = std::isnan(x), ey = std::isnan(y);
            if (ex != ey)
                return ey; // empty totals last
            if (!ex && x != y)
                return up ? x < y : x > y;
            return labelLess(a, b);
        });
    }
    if (depth + 1 < axis.fields.size()) {
        for (int j = first; j < last; ++j)
            sortChildren(axis, axis.children.at(j), columns);
    }
}

void CubeModel::Data::emitChildren(CubeAxis &axis, int node, QVector<CubeLine> &out)
{
    const int n = int(axis.fields.size());
    for (int j = axis.childBegin.at(node); j < axis.childBegin.at(node + 1); ++j) {
        const int k = axis.children.at(j);
        const int depth = axis.depth.at(k);
        if (depth < n && axis.hasChildren(k) && nodeExpanded(axis, k)) {
            emitChildren(axis, k, out);
            if (axis.fields.at(depth)->m_groupFooter)
                out.append({k, depth + 1, true, -1});
        } else {
            out.append({k, depth, false, -1});
        }
    }
}

void CubeModel::Data::buildLines(CubeAxis &axis, bool columns)
{
    axis.lines.clear();
    if (!haveData || axis.nodeCount() == 0)
        return;
    if (axis.fields.isEmpty()) {
        axis.lines.append({0, 0, false, -1});
    } else if (axis.hasChildren(0)) {
        sortChildren(axis, 0, columns);
        emitChildren(axis, 0, axis.lines);
        if (axis.fields.at(0)->m_groupFooter)
            axis.lines.append({0, 1, true, -1});
    }
}

void CubeModel::Data::display()
{
    displayDirty = false;
    shownData.clear();
    for (CubeField *f : std::as_const(order[OrientData])) {
        if (f->m_shown)
            shownData.append(f);
    }
    buildLines(rows, false);
    buildLines(cols, true);
    if (!shownData.isEmpty()) {
        QVector<CubeLine> expanded;
        expanded.reserve(cols.lines.size() * shownData.size());
        for (const CubeLine &l : std::as_const(cols.lines)) {
            for (int k = 0; k < shownData.size(); ++k) {
                CubeLine e = l;
                e.data = k;
                expanded.append(e);
            }
        }
        cols.lines = expanded;
    }
    const int nr = int(rows.lines.size()), nc = int(cols.lines.size());
    curRow = qBound(0, curRow, qMax(0, nr - 1));
    cornerRow = qBound(0, cornerRow, qMax(0, nr - 1));
    curCol = qBound(0, curCol, qMax(0, nc - 1));
    cornerCol = qBound(0, cornerCol, qMax(0, nc - 1));
}

CubeHeading CubeModel::Data::heading(const CubeAxis &axis, const CubeLine &line, int level,
                                     bool columns) const
{
    CubeHeading h;
    const int n = int(axis.fields.size());
    if (columns && shownData.size() >= 2 && level == n + 1 && line.data >= 0) {
        h.field = shownData.at(line.data);
        h.text = h.field->m_caption;
        h.dataCaption = true;
        return h;
    }
    if (level < 1 || level > line.depth || level > n)
        return h;
    h.field = axis.fields.at(level - 1);
    if (line.total && level == line.depth) {
        h.total = true;
        h.text = h.field->m_totalCaption;
        return h;
    }
    const int node = ancestorAt(axis, line.node, level);
    if (node < 0)
        return h;
    h.item = h.field->m_items.item(axis.member.at(node));
    h.text = h.item ? h.item->m_caption : QString();
    return h;
}

// Two lines share a heading node at a level when both reach the same node
// there, both as a member or both as its total. Sharing one means reading the
// same at every level down to that one.
bool CubeModel::Data::sameNodeAt(const CubeAxis &axis, const CubeLine &a, const CubeLine &b,
                                 int level) const
{
    if (level > a.depth || level > b.depth)
        return false;
    const bool ta = a.total && level == a.depth, tb = b.total && level == b.depth;
    if (ta != tb)
        return false;
    if (ta)
        return a.node == b.node;
    return ancestorAt(axis, a.node, level) == ancestorAt(axis, b.node, level);
}

bool CubeModel::Data::sameHeading(const CubeAxis &axis, int a, int b, int level, bool columns) const
{
    if (a < 0 || b < 0 || a >= axis.lines.size() || b >= axis.lines.size() || level < 1)
        return false;
    const CubeLine &la = axis.lines.at(a), &lb = axis.lines.at(b);
    const int n = int(axis.fields.size());
    const bool captionLevel = columns && shownData.size() >= 2 && level == n + 1;
    const int memberLevel = captionLevel ? n : level;
    const CubeHeading ha = heading(axis, la, level, columns);
    if (ha.text.isEmpty())
        return false;
    if ((memberLevel == 0 || sameNodeAt(axis, la, lb, memberLevel))
        && (!captionLevel || la.data == lb.data))
        return true;
    // Different places may still read the same (equal captions): the level
    // itself first, where they mostly differ.
    const CubeHeading hb = heading(axis, lb, level, columns);
    if (ha.text != hb.text || ha.total != hb.total)
        return false;
    for (int l = 1; l < level; ++l) {
        const CubeHeading x = heading(axis, la, l, columns);
        const CubeHeading y = heading(axis, lb, l, columns);
        if (x.text != y.text || x.total != y.total)
            return false;
    }
    return true;
}

} // namespace kq::platform
