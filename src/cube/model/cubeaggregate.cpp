// The axis tries and the cells of the cube, from the evaluated fields.
//
// The rows kept by the filters are sorted by their member path on each axis
// (a stable counting sort per level, innermost level first), so that every
// node of the trie is made in one pass, in depth-first order, and the source
// rows of a row leaf lie side by side. The cells of a row leaf are summed
// from its source rows into every column node above the row's column leaf;
// those of any other row node from its children's cells.

#include "cube/model/cubeexpr.h"
#include "cube/model/cubemodel_p.h"

#include <algorithm>
#include <vector>
#include <cmath>
#include <limits>

namespace kq::platform {

namespace {

// Where the member of a source row on one axis level comes from.
struct MemberSource
{
    const int *codes = nullptr; // the source column's codes (-1 Null)
    const int *map = nullptr;   // member of code c at map[c + 1]
    int count = 0;              // members of the field
    int at(int row) const { return codes ? map[codes[row] + 1] : -1; }
};

// A row and its member path as one number: the members (+ 1, so that -1
// counts too) as the digits of a mixed radix, outermost first.
struct KeyedRow
{
    quint64 key;
    int row;
    int extra; // carried along (the row's column leaf)
};

// Stable sort by key, 13 bits at a time from the lowest, as far as bits go.
void radixSort(std::vector<KeyedRow> &a, int bits)
{
    constexpr int kDigit = 13;
    constexpr quint64 kMask = (quint64(1) << kDigit) - 1;
    std::vector<KeyedRow> b(a.size());
    std::vector<int> count(size_t(kMask) + 2);
    for (int shift = 0; shift < bits; shift += kDigit) {
        std::fill(count.begin(), count.end(), 0);
        for (const KeyedRow &x : a)
            ++count[size_t((x.key >> shift) & kMask) + 1];
        for (size_t d = 1; d < count.size(); ++d)
            count[d] += count[d - 1];
        for (const KeyedRow &x : a)
            b[size_t(count[size_t((x.key >> shift) & kMask)]++)] = x;
        a.swap(b);
    }
}

// The children lists of an axis whose parents are set, in the order the
// nodes were made.
void linkChildren(CubeAxis &axis)
{
    const int nodes = axis.nodeCount();
    axis.childBegin.fill(0, nodes + 1);
    int *begin = axis.childBegin.data();
    const int *parent = axis.parent.constData();
    for (int c = 1; c < nodes; ++c)
        ++begin[parent[c] + 1];
    for (int p = 0; p < nodes; ++p)
        begin[p + 1] += begin[p];
    axis.children.resize(qMax(0, nodes - 1));
    QVector<int> fill(axis.childBegin.begin(), axis.childBegin.end() - 1);
    int *next = fill.data();
    int *children = axis.children.data();
    for (int c = 1; c < nodes; ++c)
        children[next[parent[c]]++] = c;
}

// Adds the nodes of a path from level k down to its leaf, under the nodes
// already made for the levels above; path and nodeAt follow.
template<typename MemberAt>
void appendPath(CubeAxis &axis, int k, int nl, QVector<int> &path, QVector<int> &nodeAt,
                MemberAt memberAt)
{
    for (; k < nl; ++k) {
        const int m = memberAt(k);
        path[k] = m;
        const int id = axis.nodeCount();
        axis.parent.append(nodeAt.at(k));
        axis.depth.append(k + 1);
        axis.member.append(m);
        nodeAt[k + 1] = id;
    }
}

// buildTrie when all paths can be numbered within a small range: the rows
// are counted per path number and placed in one pass.
void buildFromFewPaths(CubeAxis &axis, const QVector<MemberSource> &levels,
                       const QVector<quint64> &stride, QVector<int> &rows, QVector<int> &leaf,
                       QVector<int> *extra)
{
    const int nl = int(levels.size());
    const qsizetype n = rows.size();
    const qsizetype paths = qsizetype(stride.at(0));
    std::vector<quint32> keyOf(static_cast<size_t>(n));
    std::vector<int> start(static_cast<size_t>(paths) + 1, 0);
    const int *in = rows.constData();
    for (qsizetype i = 0; i < n; ++i) {
        quint64 key = 0;
        for (int k = 0; k < nl; ++k)
            key += quint64(levels.at(k).at(in[i]) + 1) * stride.at(k + 1);
        keyOf[size_t(i)] = quint32(key);
        ++start[size_t(key) + 1];
    }
    for (size_t p = 1; p < start.size(); ++p)
        start[p] += start[p - 1];
    QVector<int> sorted(n), sortedExtra(extra ? n : 0);
    {
        std::vector<int> next(start.begin(), start.end() - 1);
        for (qsizetype i = 0; i < n; ++i) {
            const int at = next[keyOf[size_t(i)]]++;
            sorted[at] = in[i];
            if (extra)
                sortedExtra[at] = extra->at(i);
        }
    }
    rows = std::move(sorted);
    if (extra)
        *extra = std::move(sortedExtra);
    axis.reset();
    leaf.resize(n);
    int *leafOut = leaf.data();
    QVector<int> path(nl, -1);
    QVector<int> nodeAt(nl + 1, 0);
    bool first = true;
    for (qsizetype key = 0; key < paths; ++key) {
        if (start[size_t(key)] == start[size_t(key) + 1])
            continue;
        int k = 0;
        auto memberAt = [&](int level) {
            const quint64 radix = quint64(levels.at(level).count) + 1;
            return int((quint64(key) / stride.at(level + 1)) % radix) - 1;
        };
        if (!first) {
            while (k < nl && memberAt(k) == path.at(k))
                ++k;
        }
        first = false;
        appendPath(axis, k, nl, path, nodeAt, memberAt);
        std::fill(leafOut + start[size_t(key)], leafOut + start[size_t(key) + 1], nodeAt.at(nl));
    }
    linkChildren(axis);
}

// Sorts the rows by their member paths (stable) and builds the trie of the
// axis; leaf[i] is the leaf node of rows[i] afterwards, and extra[i] (when
// given) moves along with its row.
void buildTrie(CubeAxis &axis, const QVector<MemberSource> &levels, QVector<int> &rows,
               QVector<int> &leaf, QVector<int> *extra = nullptr)
{
    const int nl = int(levels.size());
    const qsizetype n = rows.size();
    // Place value of each level's digit; the whole path must fit 62 bits.
    QVector<quint64> stride(nl + 1, 1);
    bool fits = true;
    for (int k = nl - 1; k >= 0; --k) {
        const quint64 radix = quint64(levels.at(k).count) + 1;
        if (stride.at(k + 1) > (quint64(1) << 62) / radix) {
            fits = false;
            break;
        }
        stride[k] = stride.at(k + 1) * radix;
    }
    // Few paths: one counting pass over them all, no sorting of keyed rows.
    const quint64 kFewPaths = quint64(1) << 20;
    if (fits && stride.at(0) <= kFewPaths) {
        buildFromFewPaths(axis, levels, stride, rows, leaf, extra);
        return;
    }
    std::vector<KeyedRow> keyed(static_cast<size_t>(n));
    if (fits) {
        for (qsizetype i = 0; i < n; ++i) {
            const int r = rows.at(i);
            quint64 key = 0;
            for (int k = 0; k < nl; ++k)
                key += quint64(levels.at(k).at(r) + 1) * stride.at(k + 1);
            keyed[size_t(i)] = {key, r, extra ? extra->at(i) : 0};
        }
        int bits = 0;
        while (bits < 64 && (stride.at(0) - 1) >> bits)
            ++bits;
        radixSort(keyed, bits);
    } else {
        // Too many members to number the paths: one level at a time.
        for (qsizetype i = 0; i < n; ++i)
            keyed[size_t(i)] = {0, rows.at(i), extra ? extra->at(i) : 0};
        for (int k = nl - 1; k >= 0; --k) {
            for (KeyedRow &x : keyed)
                x.key = quint64(levels.at(k).at(x.row) + 1);
            int bits = 0;
            while (bits < 64 && quint64(levels.at(k).count) >> bits)
                ++bits;
            radixSort(keyed, bits);
        }
    }
    axis.reset();
    leaf.resize(n);
    // The member of a row at a level: from the key's digits when the path
    // was numbered, else from the row.
    auto memberAt = [&](const KeyedRow &x, int k) {
        if (!fits)
            return levels.at(k).at(x.row);
        const quint64 radix = quint64(levels.at(k).count) + 1;
        return int((x.key / stride.at(k + 1)) % radix) - 1;
    };
    QVector<int> path(nl, -1);
    QVector<int> nodeAt(nl + 1, 0);
    int *rowsOut = rows.data();
    int *leafOut = leaf.data();
    int *extraOut = extra ? extra->data() : nullptr;
    for (qsizetype i = 0; i < n; ++i) {
        const KeyedRow &x = keyed[size_t(i)];
        rowsOut[i] = x.row;
        if (extraOut)
            extraOut[i] = x.extra;
        if (i > 0 && fits && x.key == keyed[size_t(i) - 1].key) {
            leafOut[i] = nodeAt.at(nl);
            continue;
        }
        int k = 0;
        if (i > 0) {
            while (k < nl && memberAt(x, k) == path.at(k))
                ++k;
        }
        appendPath(axis, k, nl, path, nodeAt, [&](int level) { return memberAt(x, level); });
        leafOut[i] = nodeAt.at(nl);
    }
    linkChildren(axis);
}

} // namespace

void CubeAxis::reset()
{
    parent = {-1};
    depth = {0};
    member = {-1};
    childBegin = {0, 0};
    children.clear();
    lines.clear();
}

void CubeModel::Data::clearCells()
{
    cellBegin.clear();
    cellEnd.clear();
    cellColumn.clear();
    acc.clear();
}

void CubeModel::Data::aggregate()
{
    aggDirty = false;
    displayDirty = true;
    rows = CubeAxis();
    cols = CubeAxis();
    rows.reset();
    cols.reset();
    rows.fields = order[OrientRow];
    cols.fields = order[OrientColumn];
    clearCells();
    dataOrder = order[OrientData];
    aggFields.clear();
    accOffset.clear();
    accMinMax.clear();
    accWidth = 0;
    QVector<const double *> values;
    for (CubeField *f : std::as_const(dataOrder)) {
        if (f->m_calculated)
            continue;
        aggFields.append(f);
        const bool minMax = f->m_aggregate == AggMin || f->m_aggregate == AggMax;
        accOffset.append(accWidth);
        accMinMax.append(minMax);
        accWidth += minMax ? 4 : 2;
        const auto it = evals.constFind(f);
        values.append(it != evals.constEnd() && it->value.size() == rowCount ? it->value.constData()
                                                                             : nullptr);
    }
    cellBegin = {0};
    cellEnd = {0};
    if (!haveData)
        return;

    auto source = [&](CubeField *f) {
        MemberSource s;
        s.count = f->m_items.count();
        const auto it = evals.constFind(f);
        if (it == evals.constEnd() || it->column < 0 || it->column >= columns.size()
            || columns.at(it->column).codes.size() != rowCount)
            return s;
        s.codes = columns.at(it->column).codes.constData();
        s.map = it->memberOfCode.constData();
        return s;
    };
    // Filters of every dimension on an axis or in the page area.
    QVector<QPair<MemberSource, QVector<char>>> filters;
    for (CubeField *f : std::as_const(fields)) {
        if (f->m_orientation == OrientData || f->m_orientation == OrientHidden || !f->filtered())
            continue;
        const MemberSource s = source(f);
        if (!s.codes)
            continue;
        QVector<char> inc(f->m_items.count());
        for (int k = 0; k < inc.size(); ++k)
            inc[k] = f->m_items.m_items.at(k)->m_included;
        filters.append({s, inc});
    }
    QVector<int> kept;
    kept.reserve(rowCount);
    for (int r = 0; r < rowCount; ++r) {
        bool keep = true;
        for (const auto &flt : std::as_const(filters)) {
            const int m = flt.first.at(r);
            if (m < 0 || !flt.second.at(m)) {
                keep = false;
                break;
            }
        }
        if (keep)
            kept.append(r);
    }
    QVector<MemberSource> rowLevels, colLevels;
    for (CubeField *f : std::as_const(rows.fields))
        rowLevels.append(source(f));
    for (CubeField *f : std::as_const(cols.fields))
        colLevels.append(source(f));

    // Column leaf of every kept source row.
    QVector<int> colLeafOfRow(rowCount, 0);
    {
        QVector<int> sorted = kept;
        QVector<int> leaf;
        buildTrie(cols, colLevels, sorted, leaf);
        for (qsizetype i = 0; i < sorted.size(); ++i)
            colLeafOfRow[sorted.at(i)] = leaf.at(i);
    }
    QVector<int> sorted = kept;
    kept = QVector<int>();
    QVector<int> rowLeaf;
    QVector<int> colLeaf(sorted.size());
    for (qsizetype i = 0; i < sorted.size(); ++i)
        colLeaf[i] = colLeafOfRow.at(sorted.at(i));
    colLeafOfRow = QVector<int>();
    buildTrie(rows, rowLevels, sorted, rowLeaf, &colLeaf);

    const int nRowNodes = rows.nodeCount();
    const int nColNodes = cols.nodeCount();
    // Source rows of each row leaf: sorted[rangeBegin .. rangeEnd).
    QVector<int> rangeBegin(nRowNodes, 0), rangeEnd(nRowNodes, 0);
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        const int leaf = rowLeaf.at(i);
        if (rangeEnd.at(leaf) == 0)
            rangeBegin[leaf] = int(i);
        rangeEnd[leaf] = int(i) + 1;
    }
    rowLeaf = QVector<int>();

    const int w = accWidth;
    const int nf = int(aggFields.size());
    // The values in the order of the sorted rows, read ahead of use: the
    // source rows are scattered over memory in that order.
    QVector<QVector<double>> sortedValues(nf);
    for (int k = 0; k < nf; ++k) {
        QVector<double> &out = sortedValues[k];
        out.resize(sorted.size());
        const double *in = values.at(k);
        if (!in) {
            out.fill(kNaN);
            continue;
        }
        const qsizetype n = sorted.size();
        for (qsizetype i = 0; i < n; ++i) {
            if (i + 32 < n)
                __builtin_prefetch(in + sorted.at(i + 32));
            out[i] = in[sorted.at(i)];
        }
    }
    const double inf = std::numeric_limits<double>::infinity();
    QVector<double> scratch(qsizetype(nColNodes) * w);
    QVector<char> touched(nColNodes, 0);
    QVector<int> touchedList;
    auto clearCell = [&](double *c) {
        for (int k = 0; k < nf; ++k) {
            double *f = c + accOffset.at(k);
            f[0] = 0;
            f[1] = 0;
            if (accMinMax.at(k)) {
                f[2] = inf;
                f[3] = -inf;
            }
        }
    };
    for (int c = 0; c < nColNodes; ++c)
        clearCell(scratch.data() + qsizetype(c) * w);
    auto touch = [&](int c) {
        if (!touched.at(c)) {
            touched[c] = 1;
            touchedList.append(c);
        }
        return scratch.data() + qsizetype(c) * w;
    };
    const int rowLeafDepth = int(rows.fields.size());
    cellBegin.fill(0, nRowNodes);
    cellEnd.fill(0, nRowNodes);
    // A leaf makes at most a cell per source row and column level, and no
    // more than there are column nodes.
    qsizetype leafCells = 0;
    for (int node = 0; node < nRowNodes; ++node) {
        const qsizetype rowsIn = rangeEnd.at(node) - rangeBegin.at(node);
        leafCells += qMin(rowsIn * (cols.fields.size() + 1), qsizetype(nColNodes));
    }
    cellColumn.reserve(leafCells + nRowNodes);
    acc.reserve((leafCells + nRowNodes) * w);
    // A leaf of one source row: its cells are the row's column leaf and the
    // nodes above it (numbered downwards from it), each holding the row.
    auto oneRowLeaf = [&](int node, int i) {
        cellBegin[node] = int(cellColumn.size());
        int chain[64];
        int n = 0;
        for (int c = colLeaf.at(i); n < 64; c = cols.parent.at(c)) {
            chain[n++] = c;
            if (c == 0)
                break;
        }
        for (int j = n - 1; j >= 0; --j) {
            cellColumn.append(chain[j]);
            const qsizetype at = acc.size();
            acc.resize(at + w);
            double *cell = acc.data() + at;
            for (int k = 0; k < nf; ++k) {
                const double v = sortedValues.at(k).at(i);
                double *f = cell + accOffset.at(k);
                const bool none = std::isnan(v);
                f[0] = none ? 0 : v;
                f[1] = none ? 0 : 1;
                if (accMinMax.at(k)) {
                    f[2] = none ? inf : v;
                    f[3] = none ? -inf : v;
                }
            }
        }
        cellEnd[node] = int(cellColumn.size());
    };
    // Children have higher numbers than their parent: backwards, every
    // node's children are done before it.
    for (int node = nRowNodes - 1; node >= 0; --node) {
        if (rows.depth.at(node) == rowLeafDepth && rangeEnd.at(node) - rangeBegin.at(node) == 1
            && cols.fields.size() < 63) {
            oneRowLeaf(node, rangeBegin.at(node));
            continue;
        }
        if (rows.depth.at(node) == rowLeafDepth) {
            for (int i = rangeBegin.at(node); i < rangeEnd.at(node); ++i) {
                for (int c = colLeaf.at(i);; c = cols.parent.at(c)) {
                    double *cell = touch(c);
                    for (int k = 0; k < nf; ++k) {
                        const double v = sortedValues.at(k).at(i);
                        if (std::isnan(v))
                            continue;
                        double *f = cell + accOffset.at(k);
                        f[0] += v;
                        f[1] += 1;
                        if (accMinMax.at(k)) {
                            f[2] = std::min(f[2], v);
                            f[3] = std::max(f[3], v);
                        }
                    }
                    if (c == 0)
                        break;
                }
            }
        } else {
            for (int j = rows.childBegin.at(node); j < rows.childBegin.at(node + 1); ++j) {
                const int child = rows.children.at(j);
                for (int s = cellBegin.at(child); s < cellEnd.at(child); ++s) {
                    double *cell = touch(cellColumn.at(s));
                    const double *from = acc.constData() + qsizetype(s) * w;
                    for (int k = 0; k < nf; ++k) {
                        double *f = cell + accOffset.at(k);
                        const double *g = from + accOffset.at(k);
                        f[0] += g[0];
                        f[1] += g[1];
                        if (accMinMax.at(k)) {
                            f[2] = std::min(f[2], g[2]);
                            f[3] = std::max(f[3], g[3]);
                        }
                    }
                }
            }
        }
        std::sort(touchedList.begin(), touchedList.end());
        cellBegin[node] = int(cellColumn.size());
        for (int c : std::as_const(touchedList)) {
            double *cell = scratch.data() + qsizetype(c) * w;
            cellColumn.append(c);
            const qsizetype at = acc.size();
            acc.resize(at + w);
            std::copy(cell, cell + w, acc.begin() + at);
            clearCell(cell);
            touched[c] = 0;
        }
        cellEnd[node] = int(cellColumn.size());
        touchedList.clear();
    }
}

int CubeModel::Data::slotOf(int rowNode, int colNode) const
{
    if (rowNode < 0 || rowNode >= cellBegin.size() || rowNode >= cellEnd.size())
        return -1;
    const auto first = cellColumn.constBegin() + cellBegin.at(rowNode);
    const auto last = cellColumn.constBegin() + cellEnd.at(rowNode);
    const auto it = std::lower_bound(first, last, colNode);
    return it != last && *it == colNode ? int(it - cellColumn.constBegin()) : -1;
}

double CubeModel::Data::aggValue(int slot, CubeField *f, bool *empty) const
{
    const int k = int(aggFields.indexOf(f));
    *empty = true;
    if (slot < 0 || k < 0)
        return kNaN;
    const double *cell = acc.constData() + qsizetype(slot) * accWidth + accOffset.at(k);
    if (f->m_aggregate == AggCount) {
        *empty = false;
        return cell[1];
    }
    if (cell[1] == 0)
        return kNaN;
    *empty = false;
    switch (f->m_aggregate) {
    case AggAvg:
        return cell[0] / cell[1];
    case AggMin:
        return accMinMax.at(k) ? cell[2] : kNaN;
    case AggMax:
        return accMinMax.at(k) ? cell[3] : kNaN;
    default:
        return cell[0];
    }
}

// --- reading the aggregates ------------------------------------------------

double CubeModel::Data::fieldValue(int slot, CubeField *f, bool *empty, int depth) const
{
    *empty = true;
    if (slot < 0 || !f)
        return kNaN;
    if (!f->m_calculated)
        return aggValue(slot, f, empty);
    if (depth > 8)
        return kNaN;
    CubeExpr expr;
    if (!expr.parse(f->m_expression.isEmpty() ? f->m_source : f->m_expression))
        return kNaN;
    const double v = expr.evaluate([&](const QString &name) {
        CubeField *other = nullptr;
        for (CubeField *g : dataOrder) {
            if (g->m_name.compare(name, Qt::CaseInsensitive) == 0) {
                other = g;
                break;
            }
        }
        if (!other || other == f)
            return kNaN;
        bool e = true;
        const double x = fieldValue(slot, other, &e, depth + 1);
        return e ? kNaN : x;
    });
    *empty = std::isnan(v);
    return v;
}

} // namespace kq::platform
