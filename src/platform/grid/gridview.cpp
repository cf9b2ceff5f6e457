#include "platform/grid/gridview.h"

#include "platform/grid/gridex.h"
#include "platform/grid/gridex_p.h"
#include "platform/grid/gridmodel.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace kq::platform {

// ---- drag data -----------------------------------------------------------

QString ColumnDrag::mimeType()
{
    return QStringLiteral("application/x-kq-grid-column");
}

QMimeData *ColumnDrag::make(const GridEX *grid, int column, bool fromGroupBox)
{
    auto *mime = new QMimeData;
    const QString text = QStringLiteral("%1:%2:%3")
                             .arg(quintptr(grid), 0, 16)
                             .arg(column)
                             .arg(fromGroupBox ? 1 : 0);
    mime->setData(mimeType(), text.toLatin1());
    return mime;
}

int ColumnDrag::read(const GridEX *grid, const QMimeData *mime, bool *fromGroupBox)
{
    if (!mime || !mime->hasFormat(mimeType()))
        return 0;
    const QStringList parts = QString::fromLatin1(mime->data(mimeType())).split(QLatin1Char(':'));
    if (parts.size() != 3 || parts[0] != QString::number(quintptr(grid), 16))
        return 0;
    if (fromGroupBox)
        *fromGroupBox = parts[2] == QLatin1String("1");
    const int column = parts[1].toInt();
    return column >= 1 && column <= grid->columnCount() ? column : 0;
}

// ---- header --------------------------------------------------------------

GridHeader::GridHeader(GridEXPrivate *d)
    : QHeaderView(Qt::Horizontal, d->q)
    , m_grid(d->q)
    , m_d(d)
{
    setSectionsClickable(true);
    setSectionsMovable(false);
    setHighlightSections(false);
    setAcceptDrops(true);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setStretchLastSection(false);
}

namespace {
// Header and group-by box take only the grid's own column drags.
void acceptColumnDrag(GridEX *grid, QDropEvent *e)
{
    if (ColumnDrag::read(grid, e->mimeData()))
        e->acceptProposedAction();
    else
        e->ignore();
}
} // namespace

void GridHeader::mousePressEvent(QMouseEvent *e)
{
    m_pressSection = -1;
    if (e->button() == Qt::LeftButton) {
        const QPoint p = e->position().toPoint();
        const int logical = logicalIndexAt(p);
        if (logical >= 0) {
            const int x = sectionViewportPosition(logical);
            const int w = sectionSize(logical);
            // Near an edge the press resizes the section.
            if (p.x() > x + 4 && p.x() < x + w - 4) {
                m_pressSection = logical;
                m_pressPos = p;
            }
        }
    }
    QHeaderView::mousePressEvent(e);
}

void GridHeader::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (m_pressSection >= 0 && (e->buttons() & Qt::LeftButton)
        && (p - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        const int logical = m_pressSection;
        m_pressSection = -1;
        auto *drag = new QDrag(this);
        drag->setMimeData(ColumnDrag::make(m_grid, logical + 1, false));
        const QRect r(sectionViewportPosition(logical), 0, sectionSize(logical), height());
        drag->setPixmap(viewport()->grab(r));
        drag->setHotSpot(m_pressPos - r.topLeft());
        drag->exec(Qt::MoveAction);
        return;
    }
    QHeaderView::mouseMoveEvent(e);
}

void GridHeader::dragEnterEvent(QDragEnterEvent *e)
{
    acceptColumnDrag(m_grid, e);
}

void GridHeader::dragMoveEvent(QDragMoveEvent *e)
{
    acceptColumnDrag(m_grid, e);
}

void GridHeader::dropEvent(QDropEvent *e)
{
    bool fromBox = false;
    const int column = ColumnDrag::read(m_grid, e->mimeData(), &fromBox);
    if (!column) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    if (fromBox) {
        QList<QPair<int, SortOrder>> keys;
        for (const auto &k : m_d->model->groups()) {
            if (k.column != column)
                keys.append({k.column, k.order});
        }
        m_d->setGroupKeys(keys);
        return;
    }
    int visual = visualIndexAt(e->position().toPoint().x());
    if (visual < 0)
        visual = count() - 1;
    m_d->moveColumnToVisual(column, visual);
}

// ---- delegate ------------------------------------------------------------

GridDelegate::GridDelegate(GridEXPrivate *d)
    : QStyledItemDelegate(d->q)
    , m_d(d)
{}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    if (m_d->previewColumn > 0)
        opt.rect.setHeight(std::min(opt.rect.height(), m_d->view->lineHeight()));
    QStyledItemDelegate::paint(painter, opt, index);
}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    const int line = m_d->view->lineHeight();
    s.setHeight(std::max(s.height(), line));
    if (m_d->previewColumn > 0
        && index.data(GridModel::RowTypeRole).toInt() == int(RowType::Record))
        s.setHeight(line + m_d->view->previewHeight(index));
    return s;
}

bool GridDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                               const QStyleOptionViewItem &option, const QModelIndex &index)
{
    QStyleOptionViewItem opt = option;
    if (m_d->previewColumn > 0)
        opt.rect.setHeight(std::min(opt.rect.height(), m_d->view->lineHeight()));
    return QStyledItemDelegate::editorEvent(event, model, opt, index);
}

// ---- view ----------------------------------------------------------------

GridView::GridView(GridEXPrivate *d)
    : QTreeView(d->q)
    , m_grid(d->q)
    , m_d(d)
{
    setHeader(new GridHeader(d));
    setItemDelegate(new GridDelegate(d));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    setUniformRowHeights(true);
    setRootIsDecorated(false);
    setSortingEnabled(false); // sorting is the grid's; this also made the header unclickable
    header()->setSectionsClickable(true);
    setExpandsOnDoubleClick(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setAlternatingRowColors(false);
}

int GridView::lineHeight() const
{
    return fontMetrics().height() + 6;
}

int GridView::previewHeightFor(const QString &text, int width) const
{
    if (text.trimmed().isEmpty())
        return 0;
    const QFontMetrics fm(font());
    const QRect br
        = fm.boundingRect(QRect(0, 0, std::max(width, 20), 1 << 20), Qt::TextWordWrap, text);
    const int spacing = fm.lineSpacing();
    int lines = (br.height() + spacing - 1) / spacing;
    lines = std::clamp(lines, 1, std::max(1, m_d->previewLines));
    return lines * spacing + 4;
}

int GridView::previewHeight(const QModelIndex &index) const
{
    const QString text = index.sibling(index.row(), 0).data(GridModel::PreviewTextRole).toString();
    const int left = contentLeft(index) + 16;
    return previewHeightFor(text, viewport()->width() - left - 4);
}

int GridView::contentLeft(const QModelIndex &index) const
{
    int depth = 0;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
        ++depth;
    const int logical = m_d->firstVisibleLogical();
    const int x = logical >= 0 ? header()->sectionViewportPosition(logical) : 0;
    return x + (rootIsDecorated() ? (depth + 1) * indentation() : 0);
}

void GridView::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                       const QModelIndex &index) const
{
    const auto type = RowType(index.data(GridModel::RowTypeRole).toInt());
    if (type != RowType::Record) {
        drawGroupRow(painter, option, index);
        return;
    }
    // The row's colour runs under the indentation and past the last column.
    const QModelIndex first = index.sibling(index.row(), 0);
    const bool selected = selectionModel() && selectionModel()->isSelected(first);
    const QColor back = m_d->model->rowBackground(first);
    const QRect full(0, option.rect.top(), viewport()->width(), option.rect.height());
    if (selected)
        painter->fillRect(full, palette().color(hasFocus() ? QPalette::Active : QPalette::Inactive,
                                                QPalette::Highlight));
    else if (back.isValid())
        painter->fillRect(full, back);
    QTreeView::drawRow(painter, option, index);
    if (m_grid->previewColumn() > 0)
        drawPreview(painter, option, index);
}

void GridView::drawPreview(QPainter *painter, const QStyleOptionViewItem &option,
                           const QModelIndex &index) const
{
    const int line = lineHeight();
    if (option.rect.height() <= line)
        return;
    const QModelIndex first = index.sibling(index.row(), 0);
    const bool selected = selectionModel() && selectionModel()->isSelected(first);
    const QRect band(0, option.rect.top() + line, viewport()->width(), option.rect.height() - line);
    const GridModel *m = m_d->model;
    QColor back = m->rowBackground(first);
    if (!back.isValid())
        back = palette().color(QPalette::Base);
    painter->save();
    painter->fillRect(band, selected ? palette().color(QPalette::Highlight) : back);
    painter->setPen(selected ? palette().color(QPalette::HighlightedText) : m_d->previewColor);
    const int left = contentLeft(index) + 16;
    const QRect textRect(left, band.top() + 1, band.right() - left - 4, band.height() - 2);
    painter->setClipRect(textRect);
    painter->drawText(textRect, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                      first.data(GridModel::PreviewTextRole).toString());
    painter->restore();
}

void GridView::drawGroupRow(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    const GridModel *m = m_d->model;
    const QModelIndex first = index.sibling(index.row(), 0);
    const GridModel::Node node = m->nodeOf(first);
    const QRect r(0, option.rect.top(), viewport()->width(), option.rect.height());
    const bool selected = selectionModel() && selectionModel()->isSelected(first);
    painter->save();
    const QColor back = first.data(Qt::BackgroundRole).value<QColor>();
    painter->fillRect(r, selected ? palette().color(QPalette::Highlight) : back);
    const QColor fore = selected ? palette().color(QPalette::HighlightedText)
                                 : first.data(Qt::ForegroundRole).value<QColor>();
    QFont f = font();
    f.setBold(true);
    painter->setFont(f);
    painter->setPen(fore);

    const int level = node.type == RowType::GroupHeader ? m->groupLevel(node.group) : 1;
    const int logical = m_d->firstVisibleLogical();
    const int start = logical >= 0 ? header()->sectionViewportPosition(logical) : 0;
    const int x = start + (level - 1) * indentation();
    int captionLeft = x + 4;
    if (node.type == RowType::GroupHeader) {
        QStyleOption arrow;
        arrow.rect = QRect(x, r.top(), indentation(), r.height());
        arrow.palette = palette();
        arrow.palette.setColor(QPalette::ButtonText, fore);
        arrow.palette.setColor(QPalette::WindowText, fore);
        style()->drawPrimitive(isExpanded(first) ? QStyle::PE_IndicatorArrowDown
                                                 : QStyle::PE_IndicatorArrowRight,
                               &arrow, painter, this);
        captionLeft = x + indentation();
    }

    // The caption runs over the columns; the sums of the aggregate columns
    // sit under their columns where the caption leaves room.
    const QString caption = first.data().toString();
    const QFontMetrics fm = painter->fontMetrics();
    const QRect capRect(captionLeft, r.top(), std::max(0, r.right() - 4 - captionLeft), r.height());
    const QString shown = fm.elidedText(caption, Qt::ElideRight, capRect.width());
    painter->drawText(capRect, Qt::AlignLeft | Qt::AlignVCenter, shown);
    const int captionEnd = captionLeft + fm.horizontalAdvance(shown);
    for (int c = 1; c <= m_grid->columnCount(); ++c) {
        const GridColumn &col = m_grid->column(c);
        if (col.aggregate() == Aggregate::None || !col.isVisible())
            continue;
        const QString text = first.sibling(first.row(), c - 1).data().toString();
        const int sx = header()->sectionViewportPosition(c - 1);
        const QRect cell(sx + 4, r.top(), header()->sectionSize(c - 1) - 8, r.height());
        const int w = std::min(cell.width(), fm.horizontalAdvance(text));
        const int textLeft = (col.alignment() & Qt::AlignRight)     ? cell.right() - w
                             : (col.alignment() & Qt::AlignHCenter) ? cell.center().x() - w / 2
                                                                    : cell.left();
        if (cell.width() > 0 && textLeft > captionEnd + 8)
            painter->drawText(cell, int(col.alignment() | Qt::AlignVCenter), text);
    }
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    if (currentIndex().isValid() && currentIndex().row() == index.row()
        && currentIndex().parent() == index.parent() && hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.rect = r.adjusted(1, 1, -1, -1);
        focus.palette = palette();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, this);
    }
    painter->restore();
}

void GridView::resizeEvent(QResizeEvent *e)
{
    QTreeView::resizeEvent(e);
    if (m_grid->previewColumn() > 0)
        scheduleDelayedItemsLayout();
}

// ---- group-by box -------------------------------------------------------

GroupByBox::GroupByBox(GridEXPrivate *d)
    : QWidget(d->q)
    , m_grid(d->q)
    , m_d(d)
{
    setAcceptDrops(true);
    setObjectName(QStringLiteral("groupByBox"));
    m_caption = QStringLiteral("Arraste o cabeçalho de uma coluna até aqui para agrupar por ela");
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void GroupByBox::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
}

QSize GroupByBox::sizeHint() const
{
    return QSize(200, fontMetrics().height() * 2 + 14);
}

QList<QRect> GroupByBox::chipRects() const
{
    QList<QRect> rects;
    const QFontMetrics fm(font());
    int x = 6;
    const auto groups = m_d->model->groups();
    for (int i = 0; i < groups.size(); ++i) {
        const int c = groups[i].column;
        const QString text = m_grid->column(c).caption();
        const int w = fm.horizontalAdvance(text) + 30;
        const int h = fm.height() + 8;
        rects.append(QRect(x, 4 + i * (h / 2), w, h));
        x += w + 12;
    }
    return rects;
}

int GroupByBox::chipAt(const QPoint &pos) const
{
    const QList<QRect> rects = chipRects();
    for (int i = 0; i < rects.size(); ++i) {
        if (rects[i].contains(pos))
            return i;
    }
    return -1;
}

void GroupByBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Mid));
    const auto groups = m_d->model->groups();
    if (groups.isEmpty()) {
        p.setPen(palette().color(QPalette::Light));
        p.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignLeft | Qt::AlignVCenter, m_caption);
        return;
    }
    const QList<QRect> rects = chipRects();
    for (int i = 0; i < rects.size(); ++i) {
        const QRect &r = rects[i];
        if (i > 0) {
            p.setPen(palette().color(QPalette::Dark));
            const QRect &prev = rects[i - 1];
            p.drawLine(prev.right() - 6, prev.bottom(), prev.right() - 6, r.center().y());
            p.drawLine(prev.right() - 6, r.center().y(), r.left(), r.center().y());
        }
        p.fillRect(r, palette().color(QPalette::Button));
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(r.adjusted(6, 0, -20, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   m_grid->column(groups[i].column).caption());
        QStyleOption arrow;
        arrow.rect = QRect(r.right() - 18, r.top() + 2, 14, r.height() - 4);
        arrow.palette = palette();
        style()->drawPrimitive(groups[i].order == SortOrder::Ascending
                                   ? QStyle::PE_IndicatorArrowUp
                                   : QStyle::PE_IndicatorArrowDown,
                               &arrow, &p, this);
    }
}

void GroupByBox::mousePressEvent(QMouseEvent *e)
{
    m_pressChip = e->button() == Qt::LeftButton ? chipAt(e->position().toPoint()) : -1;
    m_pressPos = e->position().toPoint();
    m_dragged = false;
}

void GroupByBox::mouseMoveEvent(QMouseEvent *e)
{
    if (m_pressChip < 0 || !(e->buttons() & Qt::LeftButton)
        || (e->position().toPoint() - m_pressPos).manhattanLength()
               < QApplication::startDragDistance())
        return;
    const auto groups = m_d->model->groups();
    if (m_pressChip >= groups.size())
        return;
    const int column = groups[m_pressChip].column;
    m_dragged = true;
    m_pressChip = -1;
    auto *drag = new QDrag(this);
    drag->setMimeData(ColumnDrag::make(m_grid, column, true));
    const Qt::DropAction result = drag->exec(Qt::MoveAction);
    if (result == Qt::IgnoreAction) {
        // Dropped outside the grid: the level goes.
        QList<QPair<int, SortOrder>> keys;
        for (const auto &k : m_d->model->groups()) {
            if (k.column != column)
                keys.append({k.column, k.order});
        }
        m_d->setGroupKeys(keys);
    }
}

void GroupByBox::mouseReleaseEvent(QMouseEvent *e)
{
    if (m_dragged || m_pressChip < 0 || chipAt(e->position().toPoint()) != m_pressChip) {
        m_pressChip = -1;
        return;
    }
    QList<QPair<int, SortOrder>> keys;
    const auto groups = m_d->model->groups();
    for (int i = 0; i < groups.size(); ++i) {
        SortOrder o = groups[i].order;
        if (i == m_pressChip)
            o = o == SortOrder::Ascending ? SortOrder::Descending : SortOrder::Ascending;
        keys.append({groups[i].column, o});
    }
    m_pressChip = -1;
    m_d->setGroupKeys(keys);
}

void GroupByBox::mouseDoubleClickEvent(QMouseEvent *e)
{
    const int chip = chipAt(e->position().toPoint());
    if (chip < 0)
        return;
    QList<QPair<int, SortOrder>> keys;
    const auto groups = m_d->model->groups();
    for (int i = 0; i < groups.size(); ++i) {
        if (i != chip)
            keys.append({groups[i].column, groups[i].order});
    }
    m_pressChip = -1;
    m_dragged = true;
    m_d->setGroupKeys(keys);
}

void GroupByBox::dragEnterEvent(QDragEnterEvent *e)
{
    acceptColumnDrag(m_grid, e);
}

void GroupByBox::dragMoveEvent(QDragMoveEvent *e)
{
    acceptColumnDrag(m_grid, e);
}

void GroupByBox::dropEvent(QDropEvent *e)
{
    bool fromBox = false;
    const int column = ColumnDrag::read(m_grid, e->mimeData(), &fromBox);
    if (!column) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    if (!fromBox)
        m_grid->groupBy(column);
}

} // namespace kq::platform
