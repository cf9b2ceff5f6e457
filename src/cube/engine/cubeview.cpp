#include "cube/engine/cubeview.h"

#include "cube/engine/dcube.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace kq::platform {

namespace {
const int kDefaultColumnWidth = 90;
const int kArrowWidth = 14;
const int kBoxSize = 9;
enum MouseKind { Press, Move, Release };
} // namespace

struct CubeView::Geometry
{
    int rowH = 20;
    int pageH = 0; // page-field strip
    int colStripTop = 0;
    int colStripH = 0; // column-field strip
    int headTop = 0;   // column headings
    int colLevels = 1;
    int cellsTop = 0;
    int rowAreaW = 0;
    QVector<int> rowLevelX; // left edge of each row-heading level, and the end
    int nRows = 0;
    int nCols = 0;
    int hOff = 0;     // horizontal scroll, pixels
    int firstRow = 0; // vertical scroll, rows
    QVector<QPair<CubeField *, QRect>> pageButtons, colButtons, rowButtons;
};

CubeView::CubeView(DCube *cube)
    : QAbstractScrollArea(cube)
    , m_cube(cube)
    , m_model(cube->model())
{
    setObjectName(QStringLiteral("cubeView"));
    setFocusPolicy(Qt::StrongFocus);
    // Every paint covers the whole viewport itself.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    connect(m_model, &CubeModel::layoutChanged, this, [this] {
        m_formats.clear();
        updateScrollBars();
        viewport()->update();
    });
    connect(m_model, &CubeModel::invalidated, this, [this] {
        // Lazy: the model lays itself out at the next paint or query.
        m_formats.clear();
        m_colXLayout = -1;
        viewport()->update();
    });
}

CubeView::~CubeView() = default;

void CubeView::ensureColumns() const
{
    m_model->ensureLayout();
    const int n = m_model->columnCount();
    if (m_colXLayout == m_model->layoutCount() && m_colXCount == n)
        return;
    m_colX.resize(n + 1);
    m_colX[0] = 0;
    for (int c = 0; c < n; ++c) {
        CubeField *f = m_model->dataFieldOfColumn(c);
        const int w = f ? qMax(20, int(f->width())) : kDefaultColumnWidth;
        m_colX[c + 1] = m_colX[c] + w;
    }
    m_colXLayout = m_model->layoutCount();
    m_colXCount = n;
}

int CubeView::buttonWidth(const CubeField *f) const
{
    QFont font = m_model->style().fieldFont;
    return QFontMetrics(font).horizontalAdvance(f->caption()) + 16 + kArrowWidth;
}

CubeView::Geometry CubeView::geometry() const
{
    ensureColumns();
    Geometry g;
    const QFontMetrics fm(m_model->style().font);
    g.rowH = fm.height() + 6;
    // The page-field buttons wrap onto as many lines as the width needs.
    int x = 4;
    int y = 4;
    const int right = viewport()->width() - 4;
    for (CubeField *f : m_model->pageFields()->byPosition()) {
        const int w = buttonWidth(f);
        if (x > 4 && x + w > right) {
            x = 4;
            y += g.rowH + 4;
        }
        g.pageButtons.append({f, QRect(x, y, w, g.rowH)});
        x += w + 4;
    }
    g.pageH = y + g.rowH + 4;
    g.colStripTop = g.pageH;
    g.colStripH = g.rowH + 8;
    g.headTop = g.colStripTop + g.colStripH;
    const int nColFields = m_model->columnFields()->count();
    g.colLevels = qMax(1, nColFields + (m_model->shownDataFieldCount() >= 2 ? 1 : 0));
    g.cellsTop = g.headTop + g.colLevels * g.rowH;
    const QList<CubeField *> rowFields = m_model->rowFields()->byPosition();
    g.rowLevelX.append(0);
    for (CubeField *f : rowFields)
        g.rowLevelX.append(g.rowLevelX.last() + qMax(30, int(f->width())));
    g.rowAreaW = qMax(g.rowLevelX.last(), 120);
    g.nRows = m_model->rowCount();
    g.nCols = m_model->columnCount();
    g.hOff = horizontalScrollBar()->value();
    g.firstRow = verticalScrollBar()->value();
    x = g.rowAreaW + 4;
    for (CubeField *f : m_model->columnFields()->byPosition()) {
        const int w = buttonWidth(f);
        g.colButtons.append({f, QRect(x, g.colStripTop + 4, w, g.rowH)});
        x += w + 4;
    }
    const int rowButtonsY = g.cellsTop - g.rowH;
    for (int k = 0; k < rowFields.size(); ++k) {
        const QRect r(g.rowLevelX[k] + 1, rowButtonsY + 1, g.rowLevelX[k + 1] - g.rowLevelX[k] - 2,
                      g.rowH - 2);
        g.rowButtons.append({rowFields[k], r});
    }
    return g;
}

void CubeView::updateScrollBars()
{
    const Geometry g = geometry();
    const int visibleRows = qMax(1, (viewport()->height() - g.cellsTop) / g.rowH);
    verticalScrollBar()->setRange(0, qMax(0, g.nRows - visibleRows));
    verticalScrollBar()->setPageStep(visibleRows);
    verticalScrollBar()->setSingleStep(1);
    const int visibleW = qMax(1, viewport()->width() - g.rowAreaW);
    horizontalScrollBar()->setRange(0, qMax(0, m_colX.last() - visibleW));
    horizontalScrollBar()->setPageStep(visibleW);
    horizontalScrollBar()->setSingleStep(kDefaultColumnWidth / 3);
}

int CubeView::columnAt(int x, const Geometry &g) const
{
    const int cx = x - g.rowAreaW + g.hOff;
    if (x < g.rowAreaW || cx < 0 || cx >= m_colX.last())
        return -1;
    const auto it = std::upper_bound(m_colX.begin(), m_colX.end(), cx);
    return int(it - m_colX.begin()) - 1;
}

int CubeView::rowAt(int y, const Geometry &g) const
{
    if (y < g.cellsTop)
        return -1;
    const int r = g.firstRow + (y - g.cellsTop) / g.rowH;
    return r < g.nRows ? r : -1;
}

QRect CubeView::cellRect(int row, int column) const
{
    const Geometry g = geometry();
    if (row < 0 || row >= g.nRows || column < 0 || column >= g.nCols)
        return {};
    return QRect(g.rowAreaW + m_colX[column] - g.hOff, g.cellsTop + (row - g.firstRow) * g.rowH,
                 m_colX[column + 1] - m_colX[column], g.rowH);
}

QRect CubeView::rowHeadingRect(int row, int level) const
{
    const Geometry g = geometry();
    if (row < 0 || row >= g.nRows || level < 1 || level >= g.rowLevelX.size())
        return {};
    return QRect(g.rowLevelX[level - 1], g.cellsTop + (row - g.firstRow) * g.rowH,
                 g.rowLevelX[level] - g.rowLevelX[level - 1], g.rowH);
}

QRect CubeView::columnHeadingRect(int column, int level) const
{
    const Geometry g = geometry();
    if (column < 0 || column >= g.nCols || level < 1 || level > g.colLevels)
        return {};
    return QRect(g.rowAreaW + m_colX[column] - g.hOff, g.headTop + (level - 1) * g.rowH,
                 m_colX[column + 1] - m_colX[column], g.rowH);
}

QRect CubeView::pageAreaRect() const
{
    const Geometry g = geometry();
    return QRect(0, 0, viewport()->width(), g.pageH);
}

QRect CubeView::columnAreaRect() const
{
    const Geometry g = geometry();
    return QRect(g.rowAreaW, g.colStripTop, viewport()->width() - g.rowAreaW, g.colStripH);
}

QRect CubeView::rowAreaRect() const
{
    const Geometry g = geometry();
    return QRect(0, g.cellsTop - g.rowH, g.rowAreaW, g.rowH);
}

QRect CubeView::fieldButtonRect(const CubeField *field) const
{
    const Geometry g = geometry();
    for (const auto *list : {&g.pageButtons, &g.colButtons, &g.rowButtons}) {
        for (const auto &b : *list) {
            if (b.first == field)
                return b.second;
        }
    }
    return {};
}

QRect CubeView::expandBoxRect(bool rowAxis, int index, int level0) const
{
    if (rowAxis ? !m_model->rowHeadingExpandable(index, level0)
                : !m_model->columnHeadingExpandable(index, level0))
        return {};
    const QRect r
        = rowAxis ? rowHeadingRect(index, level0 + 1) : columnHeadingRect(index, level0 + 1);
    if (r.isEmpty())
        return {};
    return QRect(r.left() + 3, r.top() + (r.height() - kBoxSize) / 2, kBoxSize, kBoxSize);
}

CubeHitRecord CubeView::hitTest(const QPoint &pos) const
{
    const Geometry g = geometry();
    CubeHitRecord hit;
    auto buttons = [&](const QVector<QPair<CubeField *, QRect>> &list, int area, bool rowNumber) {
        hit.area = area;
        for (int k = 0; k < list.size(); ++k) {
            if (list[k].second.contains(pos)) {
                hit.headingField = list[k].first;
                (rowNumber ? hit.row : hit.column) = k;
            }
        }
        return hit;
    };
    if (pos.y() < g.pageH)
        return buttons(g.pageButtons, HitPageFieldArea, false);
    if (pos.y() < g.headTop)
        return buttons(g.colButtons, HitColumnFieldArea, false);
    if (pos.y() < g.cellsTop) {
        if (pos.x() < g.rowAreaW) {
            if (pos.y() >= g.cellsTop - g.rowH)
                return buttons(g.rowButtons, HitRowFieldArea, true);
            return hit;
        }
        const int c = columnAt(pos.x(), g);
        if (c < 0)
            return hit;
        const int level = (pos.y() - g.headTop) / g.rowH + 1;
        hit.area = HitColumnHeadings;
        hit.column = c;
        hit.headingField = m_model->columnFields()->itemByPosition(level - 1);
        return hit;
    }
    const int r = rowAt(pos.y(), g);
    if (r < 0)
        return hit;
    if (pos.x() < g.rowAreaW) {
        hit.area = HitRowHeadings;
        hit.row = r;
        for (int k = 0; k + 1 < g.rowLevelX.size(); ++k) {
            if (pos.x() >= g.rowLevelX[k] && pos.x() < g.rowLevelX[k + 1])
                hit.headingField = m_model->rowFields()->itemByPosition(k);
        }
        return hit;
    }
    const int c = columnAt(pos.x(), g);
    if (c < 0)
        return hit;
    hit.area = HitDataCells;
    hit.row = r;
    hit.column = c;
    return hit;
}

CubeField *CubeView::resizeFieldAt(const QPoint &pos) const
{
    const Geometry g = geometry();
    const int slack = 3;
    if (pos.y() >= g.headTop && pos.y() < g.cellsTop && pos.x() >= g.rowAreaW) {
        const int c = columnAt(pos.x() - slack, g);
        if (c >= 0 && qAbs(g.rowAreaW + m_colX[c + 1] - g.hOff - pos.x()) <= slack)
            return m_model->dataFieldOfColumn(c);
    }
    if (pos.y() >= g.cellsTop - g.rowH && pos.y() < g.cellsTop) {
        for (int k = 0; k + 1 < g.rowLevelX.size(); ++k) {
            if (qAbs(g.rowLevelX[k + 1] - pos.x()) <= slack)
                return m_model->rowFields()->itemByPosition(k);
        }
    }
    return nullptr;
}

void CubeView::clearFormats()
{
    m_formats.clear();
}

const CubeCell &CubeView::cachedFormat(int row, int column)
{
    // Kept for the cells seen lately; scrolling through a big cube starts
    // the cache anew now and then.
    const qsizetype kMaxCached = 65536;
    const qint64 key = (qint64(row) << 32) | quint32(column);
    auto it = m_formats.find(key);
    if (it == m_formats.end()) {
        if (m_formats.size() >= kMaxCached)
            m_formats.clear();
        it = m_formats.insert(key, m_model->formatCell(row, column));
    }
    return it.value();
}

void CubeView::formatVisibleCells()
{
    const Geometry g = geometry();
    const int c0 = qMax(0, columnAt(g.rowAreaW, g));
    const int rows = (viewport()->height() - g.cellsTop) / g.rowH + 1;
    for (int r = g.firstRow; r < qMin(g.nRows, g.firstRow + rows); ++r) {
        for (int c = c0; c < g.nCols; ++c) {
            if (m_colX[c] - g.hOff > viewport()->width())
                break;
            cachedFormat(r, c);
        }
    }
}

void CubeView::scrollToCell(int row, int column)
{
    const Geometry g = geometry();
    const int visibleRows = qMax(1, (viewport()->height() - g.cellsTop) / g.rowH);
    if (row < g.firstRow)
        verticalScrollBar()->setValue(row);
    else if (row >= g.firstRow + visibleRows)
        verticalScrollBar()->setValue(row - visibleRows + 1);
    if (column >= 0 && column < g.nCols) {
        const int visibleW = viewport()->width() - g.rowAreaW;
        if (m_colX[column] < g.hOff)
            horizontalScrollBar()->setValue(m_colX[column]);
        else if (m_colX[column + 1] > g.hOff + visibleW)
            horizontalScrollBar()->setValue(m_colX[column + 1] - visibleW);
    }
}

// --- painting -------------------------------------------------------------

void CubeView::paintButton(QPainter &p, const QRect &r, const CubeField *f) const
{
    const CubeStyle &st = m_model->style();
    const bool filtered = f->filtered();
    p.fillRect(r, cubeColor(filtered ? st.filteredFieldsBackColor : st.fieldsBackColor));
    p.setPen(cubeColor(st.gridColor).darker(150));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(cubeColor(filtered ? st.filteredFieldsForeColor : st.fieldsForeColor));
    p.setFont(filtered ? st.filteredFieldFont : st.fieldFont);
    p.drawText(r.adjusted(6, 0, -kArrowWidth, 0), Qt::AlignVCenter | Qt::AlignLeft, f->caption());
    // The filter arrow.
    const QPoint c(r.right() - kArrowWidth / 2, r.center().y());
    const QPolygon tri({c + QPoint(-4, -2), c + QPoint(4, -2), c + QPoint(0, 3)});
    p.setBrush(p.pen().color());
    p.drawPolygon(tri);
    p.setBrush(Qt::NoBrush);
}

void CubeView::paintHeading(QPainter &p, const QRect &r, const CubeHeading &h, bool expandable,
                            bool expanded)
{
    const CubeStyle &st = m_model->style();
    p.fillRect(r, cubeColor(h.total ? st.totalsBackColor : st.headingsBackColor));
    if (st.gridStyle != 0) {
        p.setPen(cubeColor(st.gridColor));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    QRect text = r.adjusted(4, 0, -4, 0);
    if (expandable) {
        const QRect box(r.left() + 3, r.top() + (r.height() - kBoxSize) / 2, kBoxSize, kBoxSize);
        p.setPen(cubeColor(st.headingsForeColor));
        p.fillRect(box, Qt::white);
        p.drawRect(box.adjusted(0, 0, -1, -1));
        p.drawLine(box.left() + 2, box.center().y(), box.right() - 2, box.center().y());
        if (!expanded)
            p.drawLine(box.center().x(), box.top() + 2, box.center().x(), box.bottom() - 2);
        text.setLeft(box.right() + 4);
    }
    p.setFont(h.total ? st.totalsFont : st.headingsFont);
    p.setPen(cubeColor(h.total ? st.totalsForeColor : st.headingsForeColor));
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, h.text);
}

void CubeView::paintColumnHeadings(QPainter &p, const Geometry &g, int c0, int c1)
{
    p.save();
    p.setClipRect(
        QRect(g.rowAreaW, g.headTop, viewport()->width() - g.rowAreaW, g.colLevels * g.rowH));
    for (int level = 1; level <= g.colLevels; ++level) {
        const int y = g.headTop + (level - 1) * g.rowH;
        // Runs of equal headings, looked for among the columns in view only:
        // a run that goes on beyond the view shows in its visible part.
        for (int c = c0; c <= c1;) {
            int e = c;
            while (e < c1 && m_model->sameColumnHeading(c, e + 1, level))
                ++e;
            const QRect r(g.rowAreaW + m_colX[c] - g.hOff, y, m_colX[e + 1] - m_colX[c], g.rowH);
            const CubeHeading h = m_model->columnHeading(c, level);
            const bool expandable = m_model->columnHeadingExpandable(c, level - 1);
            paintHeading(p, r, h, expandable,
                         expandable && m_model->columnHeadingExpanded(c, level - 1));
            c = e + 1;
        }
    }
    p.restore();
}

void CubeView::paintRowHeadings(QPainter &p, const Geometry &g, int r0, int r1)
{
    p.save();
    p.setClipRect(QRect(0, g.cellsTop, g.rowAreaW, viewport()->height() - g.cellsTop));
    const int levels = int(g.rowLevelX.size()) - 1;
    for (int level = 1; level <= levels; ++level) {
        const int x = g.rowLevelX[level - 1];
        const int w = g.rowLevelX[level] - x;
        for (int r = r0; r <= r1;) {
            int e = r;
            while (e < r1 && m_model->sameRowHeading(r, e + 1, level))
                ++e;
            const QRect rect(x, g.cellsTop + (r - g.firstRow) * g.rowH, w, (e - r + 1) * g.rowH);
            const CubeHeading h = m_model->rowHeading(r, level);
            const bool expandable = m_model->rowHeadingExpandable(r, level - 1);
            paintHeading(p, rect, h, expandable,
                         expandable && m_model->rowHeadingExpanded(r, level - 1));
            r = e + 1;
        }
    }
    p.restore();
}

void CubeView::paintEvent(QPaintEvent *)
{
    const bool widthsChanged = m_colXLayout < 0;
    m_model->ensureLayout();
    if (widthsChanged)
        updateScrollBars();
    const Geometry g = geometry();
    const CubeStyle &st = m_model->style();
    QPainter p(viewport());
    // The cells in view, if any.
    const bool anyCells = g.nRows > 0 && g.nCols > 0;
    const int c0 = anyCells ? qMax(0, columnAt(g.rowAreaW, g)) : 0;
    int c1 = c0;
    while (anyCells && c1 + 1 < g.nCols
           && m_colX[c1 + 1] - g.hOff < viewport()->width() - g.rowAreaW)
        ++c1;
    const int r0 = g.firstRow;
    const int r1
        = anyCells ? qMin(g.nRows - 1, r0 + (viewport()->height() - g.cellsTop) / g.rowH) : r0 - 1;
    const QRect used
        = anyCells
              ? QRect(g.rowAreaW + m_colX[c0] - g.hOff, g.cellsTop, m_colX[c1 + 1] - m_colX[c0],
                      (r1 - r0 + 1) * g.rowH)
                    .intersected(QRect(g.rowAreaW, g.cellsTop, viewport()->width() - g.rowAreaW,
                                       viewport()->height() - g.cellsTop))
              : QRect();
    // The background around them (the cells fill their own place).
    const QColor back = cubeColor(st.cubeBackColor);
    for (const QRect &r : QRegion(viewport()->rect()).subtracted(used))
        p.fillRect(r, back);
    p.setFont(st.font);

    // Field areas.
    p.setPen(cubeColor(st.gridColor));
    p.drawLine(0, g.pageH - 1, viewport()->width(), g.pageH - 1);
    for (const auto &b : g.pageButtons)
        paintButton(p, b.second, b.first);
    for (const auto &b : g.colButtons)
        paintButton(p, b.second, b.first);
    for (const auto &b : g.rowButtons)
        paintButton(p, b.second, b.first);
    p.setPen(cubeColor(st.headingsForeColor));
    p.setFont(st.headingsFont);
    if (g.pageButtons.isEmpty())
        p.drawText(QRect(6, 0, viewport()->width(), g.pageH), Qt::AlignVCenter,
                   tr("Campos de página"));
    if (g.colButtons.isEmpty())
        p.drawText(QRect(g.rowAreaW + 6, g.colStripTop, viewport()->width(), g.colStripH),
                   Qt::AlignVCenter, tr("Campos de coluna"));
    if (g.rowButtons.isEmpty())
        p.drawText(QRect(6, g.cellsTop - g.rowH, g.rowAreaW, g.rowH), Qt::AlignVCenter,
                   tr("Campos de linha"));

    m_lastPainted = 0;
    if (anyCells) {
        paintColumnHeadings(p, g, c0, c1);
        paintRowHeadings(p, g, r0, r1);

        const auto [cur, cornerR] = m_model->rowCorners();
        const auto [curC, cornerC] = m_model->columnCorners();
        const int selR0 = qMin(cur, cornerR), selR1 = qMax(cur, cornerR);
        const int selC0 = qMin(curC, cornerC), selC1 = qMax(curC, cornerC);
        p.save();
        const QRect cellsArea(g.rowAreaW, g.cellsTop, viewport()->width() - g.rowAreaW,
                              viewport()->height() - g.cellsTop);
        p.setClipRect(cellsArea);
        const QColor grid = cubeColor(st.gridColor);
        QColor highlight = palette().color(QPalette::Highlight);
        highlight.setAlpha(70);
        // The number format of each column's data field, read once a paint.
        QHash<const CubeField *, CubeNumberFormat> formats;
        auto columnFormat = [&](int c) -> const CubeNumberFormat & {
            const CubeField *f = m_model->dataFieldOfColumn(c);
            auto it = formats.find(f);
            if (it == formats.end())
                it = formats.insert(f,
                                    CubeNumberFormat(f ? f->numberFormat() : QString(), QLocale()));
            return it.value();
        };
        // Numbers are drawn at a point, right-aligned by the width of their
        // characters: laying out a text in a rectangle costs several times
        // as much, and a frame draws hundreds of them.
        struct Face
        {
            QFont font;
            QFontMetrics metrics;
            QHash<char16_t, int> advances;
            int width(const QString &text)
            {
                int w = 0;
                for (const QChar ch : text) {
                    auto it = advances.constFind(ch.unicode());
                    if (it == advances.constEnd())
                        it = advances.insert(ch.unicode(), metrics.horizontalAdvance(ch));
                    w += *it;
                }
                return w;
            }
        };
        Face plain{st.font, QFontMetrics(st.font), {}};
        Face bold{st.totalsFont, QFontMetrics(st.totalsFont), {}};
        // The cells in view: one fill in the usual colour, then the cells of
        // other colours, the grid as whole lines, the numbers.
        const QColor usual = cubeColor(st.cellBackColor);
        p.fillRect(used, usual);
        auto cellRectAt = [&](int r, int c) {
            return QRect(g.rowAreaW + m_colX[c] - g.hOff, g.cellsTop + (r - r0) * g.rowH,
                         m_colX[c + 1] - m_colX[c], g.rowH);
        };
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                const CubeCell &cell = cachedFormat(r, c);
                if (cell.backColor != st.cellBackColor)
                    p.fillRect(cellRectAt(r, c), cubeColor(cell.backColor));
            }
        }
        if (selR1 >= r0 && selR0 <= r1 && selC1 >= c0 && selC0 <= c1) {
            const int a = qMax(selR0, r0), b = qMin(selR1, r1);
            const int x = qMax(selC0, c0), z = qMin(selC1, c1);
            p.fillRect(cellRectAt(a, x).united(cellRectAt(b, z)), highlight);
        }
        if (st.gridStyle != 0) {
            p.setPen(grid);
            for (int c = c0; c <= c1; ++c) {
                const int x = cellRectAt(r0, c).right();
                p.drawLine(x, used.top(), x, used.bottom());
            }
            for (int r = r0; r <= r1; ++r) {
                const int y = cellRectAt(r, c0).bottom();
                p.drawLine(used.left(), y, used.right(), y);
            }
        }
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                const CubeCell &cell = cachedFormat(r, c);
                ++m_lastPainted;
                if (cell.empty)
                    continue;
                Face &face = cell.total ? bold : plain;
                p.setFont(face.font);
                p.setPen(cubeColor(cell.foreColor));
                const QString text = columnFormat(c).format(cell.value);
                const QRect box = cellRectAt(r, c).adjusted(3, 0, -4, 0);
                const int w = face.width(text);
                if (w <= box.width()) {
                    const int base = box.top() + (box.height() - face.metrics.height()) / 2
                                     + face.metrics.ascent();
                    p.drawText(QPoint(box.right() + 1 - w, base), text);
                } else {
                    p.drawText(box, Qt::AlignVCenter | Qt::AlignRight, text);
                }
            }
        }
        // The current cell.
        if (cur >= r0 && cur <= r1 && curC >= c0 && curC <= c1) {
            const QRect rect(g.rowAreaW + m_colX[curC] - g.hOff, g.cellsTop + (cur - r0) * g.rowH,
                             m_colX[curC + 1] - m_colX[curC], g.rowH);
            p.setPen(QPen(palette().color(QPalette::WindowText), 2));
            p.drawRect(rect.adjusted(1, 1, -1, -1));
        }
        p.restore();
    }

    if (m_dragging && m_pressField) {
        const QRect r(m_dragPos - QPoint(10, g.rowH / 2), QSize(buttonWidth(m_pressField), g.rowH));
        p.setOpacity(0.7);
        paintButton(p, r, m_pressField);
        p.setOpacity(1);
    }
}

void CubeView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CubeView::scrollContentsBy(int, int)
{
    viewport()->update();
}

// --- mouse and keys -------------------------------------------------------

void CubeView::emitMouse(int kind, QMouseEvent *event)
{
    m_cube->setLastHit(hitTest(event->position().toPoint()));
    int button = 0;
    const Qt::MouseButtons b = kind == Move ? event->buttons() : event->button();
    if (b & Qt::LeftButton)
        button |= 1;
    if (b & Qt::RightButton)
        button |= 2;
    if (b & Qt::MiddleButton)
        button |= 4;
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier)
        shift |= 1;
    if (event->modifiers() & Qt::ControlModifier)
        shift |= 2;
    if (event->modifiers() & Qt::AltModifier)
        shift |= 4;
    const QPoint pos = viewport()->mapTo(m_cube, event->position().toPoint());
    switch (kind) {
    case Press:
        emit m_cube->mousePressed(button, shift, pos.x(), pos.y());
        break;
    case Move:
        emit m_cube->mouseMoved(button, shift, pos.x(), pos.y());
        break;
    default:
        emit m_cube->mouseReleased(button, shift, pos.x(), pos.y());
        break;
    }
}

void CubeView::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const CubeHitRecord hit = hitTest(pos);
    if (event->button() == Qt::LeftButton) {
        if (CubeField *f = resizeFieldAt(pos)) {
            m_resizeField = f;
            m_resizeStartX = pos.x();
            m_resizeStartWidth = f->width();
        } else if (hit.area >= HitColumnFieldArea && hit.headingField) {
            const QRect r = fieldButtonRect(hit.headingField);
            if (pos.x() >= r.right() - kArrowWidth) {
                emitMouse(Press, event);
                showFilterPopup(hit.headingField);
                return;
            }
            m_pressField = hit.headingField;
            m_pressPos = pos;
        } else if (hit.area == HitRowHeadings || hit.area == HitColumnHeadings) {
            const bool rowAxis = hit.area == HitRowHeadings;
            const int index = rowAxis ? hit.row : hit.column;
            const int level0 = hit.headingField ? hit.headingField->position() : -1;
            if (level0 >= 0
                && expandBoxRect(rowAxis, index, level0).adjusted(-2, -2, 2, 2).contains(pos)) {
                if (rowAxis)
                    m_model->setRowHeadingExpanded(index, level0,
                                                   !m_model->rowHeadingExpanded(index, level0));
                else
                    m_model->setColumnHeadingExpanded(
                        index, level0, !m_model->columnHeadingExpanded(index, level0));
            }
        } else if (hit.area == HitDataCells) {
            if (event->modifiers() & Qt::ShiftModifier)
                m_model->setSelectionCorner(hit.row, hit.column);
            else
                m_model->setCurrentCell(hit.row, hit.column);
            m_selecting = true;
            viewport()->update();
        }
    }
    emitMouse(Press, event);
}

void CubeView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!event->buttons()) {
        if (resizeFieldAt(pos))
            viewport()->setCursor(Qt::SplitHCursor);
        else if (m_cube->mousePointer() == 0)
            viewport()->unsetCursor();
    }
    if (m_resizeField && (event->buttons() & Qt::LeftButton)) {
        m_resizeField->setWidth(qMax(20.0f, m_resizeStartWidth + (pos.x() - m_resizeStartX)));
    } else if (m_pressField && (event->buttons() & Qt::LeftButton)) {
        if (!m_dragging && (pos - m_pressPos).manhattanLength() > 4)
            m_dragging = true;
        if (m_dragging) {
            m_dragPos = pos;
            viewport()->update();
        }
    } else if (m_selecting && (event->buttons() & Qt::LeftButton)) {
        const CubeHitRecord hit = hitTest(pos);
        if (hit.area == HitDataCells) {
            m_model->setSelectionCorner(hit.row, hit.column);
            viewport()->update();
        }
    }
    emitMouse(Move, event);
}

void CubeView::dropField(CubeField *field, const QPoint &pos)
{
    const Geometry g = geometry();
    int orientation = -1;
    const QVector<QPair<CubeField *, QRect>> *buttons = nullptr;
    bool vertical = false;
    if (pos.y() < g.pageH) {
        orientation = OrientPage;
        buttons = &g.pageButtons;
    } else if (pos.y() < g.cellsTop && pos.x() >= g.rowAreaW) {
        orientation = OrientColumn;
        buttons = &g.colButtons;
    } else if (pos.x() < g.rowAreaW && pos.y() >= g.cellsTop - g.rowH) {
        orientation = OrientRow;
        buttons = &g.rowButtons;
    }
    Q_UNUSED(vertical);
    if (orientation < 0)
        return;
    // Insert before the first button whose middle lies right of the point.
    int position = 0;
    for (const auto &b : *buttons) {
        if (b.first != field && b.second.center().x() < pos.x())
            ++position;
    }
    field->setOrientation(orientation);
    field->setPosition(position);
}

void CubeView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging && m_pressField)
        dropField(m_pressField, event->position().toPoint());
    m_dragging = false;
    m_resizeField = nullptr;
    m_pressField = nullptr;
    m_selecting = false;
    viewport()->update();
    emitMouse(Release, event);
}

void CubeView::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_cube->setLastHit(hitTest(event->position().toPoint()));
    emit m_cube->doubleClicked();
}

void CubeView::moveCurrent(int dr, int dc, bool extend)
{
    const int rows = m_model->rowCount(), cols = m_model->columnCount();
    if (rows == 0 || cols == 0)
        return;
    if (extend) {
        const int r = qBound(0, m_model->rowCorners().second + dr, rows - 1);
        const int c = qBound(0, m_model->columnCorners().second + dc, cols - 1);
        m_model->setSelectionCorner(r, c);
        scrollToCell(r, c);
    } else {
        const int r = qBound(0, m_model->currentRow() + dr, rows - 1);
        const int c = qBound(0, m_model->currentColumn() + dc, cols - 1);
        m_model->setCurrentCell(r, c);
        scrollToCell(r, c);
    }
    viewport()->update();
}

void CubeView::keyPressEvent(QKeyEvent *event)
{
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const int page = qMax(1, verticalScrollBar()->pageStep());
    switch (event->key()) {
    case Qt::Key_Up:
        moveCurrent(-1, 0, extend);
        break;
    case Qt::Key_Down:
        moveCurrent(1, 0, extend);
        break;
    case Qt::Key_Left:
        moveCurrent(0, -1, extend);
        break;
    case Qt::Key_Right:
        moveCurrent(0, 1, extend);
        break;
    case Qt::Key_PageUp:
        moveCurrent(-page, 0, extend);
        break;
    case Qt::Key_PageDown:
        moveCurrent(page, 0, extend);
        break;
    case Qt::Key_Home:
        moveCurrent(-m_model->rowCount(), -m_model->columnCount(), extend);
        break;
    case Qt::Key_End:
        moveCurrent(m_model->rowCount(), m_model->columnCount(), extend);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
}

// --- filter pop-up -----------------------------------------------------------

void CubeView::applyFilter(CubeField *field, const QVector<bool> &included)
{
    const QList<CubeDataItem *> items = field->dataItems()->all();
    for (int k = 0; k < items.size() && k < included.size(); ++k)
        items[k]->setIncluded(included[k]);
}

QWidget *CubeView::showFilterPopup(CubeField *field)
{
    if (!field || field->isDataField())
        return nullptr;
    m_model->ensureLayout();
    if (m_popup)
        m_popup->close();
    auto *popup = new QFrame(this, Qt::Popup);
    popup->setObjectName(QStringLiteral("cubeFilterPopup"));
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setFrameShape(QFrame::StyledPanel);
    auto *lay = new QVBoxLayout(popup);
    lay->setContentsMargins(4, 4, 4, 4);
    auto *list = new QListWidget(popup);
    list->setObjectName(QStringLiteral("cubeFilterList"));
    for (CubeDataItem *i : field->dataItems()->all()) {
        auto *item = new QListWidgetItem(i->caption(), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(i->included() ? Qt::Checked : Qt::Unchecked);
    }
    lay->addWidget(list);
    auto *buttons = new QHBoxLayout;
    auto *all = new QPushButton(tr("Todos"), popup);
    all->setObjectName(QStringLiteral("cubeFilterAll"));
    auto *ok = new QPushButton(tr("OK"), popup);
    ok->setObjectName(QStringLiteral("cubeFilterOk"));
    auto *cancel = new QPushButton(tr("Cancelar"), popup);
    cancel->setObjectName(QStringLiteral("cubeFilterCancel"));
    buttons->addWidget(all);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    lay->addLayout(buttons);
    connect(all, &QPushButton::clicked, list, [list] {
        for (int k = 0; k < list->count(); ++k)
            list->item(k)->setCheckState(Qt::Checked);
    });
    connect(ok, &QPushButton::clicked, popup, [this, popup, list, field] {
        if (m_model->fields()->all().contains(field)) {
            QVector<bool> inc;
            for (int k = 0; k < list->count(); ++k)
                inc.append(list->item(k)->checkState() == Qt::Checked);
            applyFilter(field, inc);
        }
        popup->close();
    });
    connect(cancel, &QPushButton::clicked, popup, &QWidget::close);
    const QRect r = fieldButtonRect(field);
    popup->resize(qMax(180, r.width()), 260);
    popup->move(viewport()->mapToGlobal(r.isEmpty() ? QPoint(0, 0) : r.bottomLeft()));
    popup->show();
    m_popup = popup;
    return popup;
}

} // namespace kq::platform
