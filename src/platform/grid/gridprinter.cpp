#include "gridprinter.h"

#include "gexpreview.h"
#include "gridex.h"
#include "gridmodel.h"
#include "platform/dialogs.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>

namespace kq::platform {

namespace {
QString joinedLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
} // namespace

GridPrinter::GridPrinter(GridEX *grid, bool onlySelected)
    : m_grid(grid), m_model(grid->m_model), m_onlySelected(onlySelected)
{
    m_model->fetchAll();
    if (onlySelected) {
        const QList<int> records = grid->selectedRecords();
        m_selected = QSet<int>(records.begin(), records.end());
    }
    m_font = grid->font();
    m_font.setPointSizeF(8.5);
    m_bold = m_font;
    m_bold.setBold(true);
    collectLines();
}

void GridPrinter::collectLines()
{
    m_lines.clear();
    const int count = m_model->flatCount();
    for (int f = 0; f < count; ++f) {
        const GridModel::Node node = m_model->nodeAtFlat(f);
        Line line;
        line.type = node.type;
        line.record = node.record;
        line.group = node.group;
        if (node.type == RowType::Record) {
            if (m_onlySelected && !m_selected.contains(node.record))
                continue;
        } else if (node.type == RowType::GroupHeader) {
            if (m_onlySelected) {
                const int first = m_model->groupFirstPos(node.group);
                const int n = m_model->groupRecordCount(node.group);
                bool any = false;
                for (int p = first; p < first + n && !any; ++p)
                    any = m_selected.contains(m_model->recordAtPos(p));
                if (!any)
                    continue;
            }
            line.level = m_model->groupLevel(node.group);
            line.topGroup = line.level == 1;
        } else if (m_onlySelected) {
            continue;
        }
        m_lines.append(line);
    }
}

int GridPrinter::textLines(const QString &text) const
{
    if (text.isEmpty())
        return 0;
    return int(joinedLines(text).count(QLatin1Char('\n'))) + 1;
}

void GridPrinter::measure(QPrinter *printer)
{
    const GridPrinterSettings &s = m_grid->printerSettings();
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    m_pageWidth = page.width();
    m_pageHeight = page.height();
    const QFontMetricsF fm(m_font, printer);
    m_lineHeight = fm.lineSpacing();
    m_indent = m_lineHeight * 1.2;

    int headerLines = 0;
    int footerLines = 2; // room for a two-line page number set per page
    for (int pos = 1; pos <= 3; ++pos) {
        headerLines = std::max(headerLines, textLines(s.header(pos)));
        footerLines = std::max(footerLines, textLines(s.footer(pos)));
    }
    m_headerBand = headerLines ? headerLines * m_lineHeight + m_lineHeight * 0.6 : 0;
    m_footerBand = footerLines * m_lineHeight + m_lineHeight * 0.6;
    m_titleBand = m_grid->caption().isEmpty() ? 0 : m_lineHeight * 2.2;
    m_columnHeader = m_lineHeight * 1.5;

    // Columns in display order, scaled to the page width.
    m_boxes.clear();
    double total = 0;
    for (int index : m_grid->m_positions) {
        const GridColumn &col = m_grid->column(index);
        if (!col.isVisible())
            continue;
        m_boxes.append({index, 0, double(std::max(1, col.width()))});
        total += std::max(1, col.width());
    }
    const double scale = total > 0 ? m_pageWidth / total : 1.0;
    double x = 0;
    for (ColumnBox &b : m_boxes) {
        b.x = x;
        b.width *= scale;
        x += b.width;
    }

    const double rowHeight = m_lineHeight * 1.3;
    const int previewColumn = m_grid->previewColumn();
    for (Line &line : m_lines) {
        if (line.type != RowType::Record) {
            line.height = m_lineHeight * 1.5;
            continue;
        }
        line.height = rowHeight;
        if (previewColumn > 0) {
            const QString text = m_model->previewText(line.record);
            if (!text.trimmed().isEmpty()) {
                const QRectF br = fm.boundingRect(QRectF(0, 0, m_pageWidth - m_indent * 2, 1e7),
                                                  Qt::TextWordWrap, text);
                int lines = int(std::ceil(br.height() / m_lineHeight - 0.01));
                lines = std::clamp(lines, 1, m_grid->previewLines());
                line.height += lines * m_lineHeight + m_lineHeight * 0.2;
            }
        }
    }
}

int GridPrinter::paginate(QPrinter *printer)
{
    measure(printer);
    const GridPrinterSettings &s = m_grid->printerSettings();
    m_pages.clear();
    const int n = int(m_lines.size());
    int i = 0;
    while (true) {
        const int page = int(m_pages.size());
        double y = m_headerBand + (page == 0 ? m_titleBand : 0)
                   + (page == 0 || s.repeatHeaders ? m_columnHeader : 0);
        const double bottom = m_pageHeight - m_footerBand;
        const int start = i;
        while (i < n) {
            const Line &line = m_lines[i];
            if (i > start && s.groupPages && line.topGroup)
                break;
            double need = line.height;
            // A group header stays with the row after it.
            if (line.type == RowType::GroupHeader && i + 1 < n)
                need += m_lines[i + 1].height;
            if (i > start && y + need > bottom)
                break;
            y += line.height;
            ++i;
        }
        m_pages.append({start, i});
        if (i >= n)
            break;
    }
    return int(m_pages.size());
}

int GridPrinter::print(QPrinter *printer)
{
    const int pages = paginate(printer);
    QPainter painter;
    if (!painter.begin(printer)) {
        throw GridError(GridErrorNumber::PrintFailed,
                        QStringLiteral("Não foi possível iniciar a impressão da grade."),
                        QStringLiteral("GridEX"));
    }
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            printer->newPage();
        drawPage(painter, page, pages);
    }
    painter.end();
    return pages;
}

void GridPrinter::drawBandTexts(QPainter &p, double top, double height, const QString &left,
                                const QString &center, const QString &right)
{
    const QRectF band(0, top, m_pageWidth, height);
    p.setFont(m_font);
    p.setPen(Qt::black);
    p.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, joinedLines(left));
    p.drawText(band, Qt::AlignHCenter | Qt::AlignVCenter, joinedLines(center));
    p.drawText(band, Qt::AlignRight | Qt::AlignVCenter, joinedLines(right));
}

void GridPrinter::drawPage(QPainter &p, int page, int pageCount)
{
    emit m_grid->pagePrinting(page + 1, pageCount);
    const GridPrinterSettings &s = m_grid->printerSettings();
    double y = 0;
    if (m_headerBand > 0)
        drawBandTexts(p, 0, m_headerBand, s.headerLeft, s.headerCenter, s.headerRight);
    y += m_headerBand;
    if (page == 0 && m_titleBand > 0) {
        QFont title = m_bold;
        title.setPointSizeF(m_font.pointSizeF() * 1.5);
        p.setFont(title);
        p.setPen(Qt::black);
        p.drawText(QRectF(0, y, m_pageWidth, m_titleBand), Qt::AlignLeft | Qt::AlignVCenter,
                   m_grid->caption());
        y += m_titleBand;
    }
    if (page == 0 || s.repeatHeaders) {
        drawColumnHeaders(p, y);
        y += m_columnHeader;
    }
    const auto range = m_pages.value(page);
    for (int i = range.first; i < range.second; ++i) {
        drawLine(p, m_lines[i], y);
        y += m_lines[i].height;
    }
    drawBandTexts(p, m_pageHeight - m_footerBand, m_footerBand, s.footerLeft, s.footerCenter,
                  s.footerRight);
}

void GridPrinter::drawColumnHeaders(QPainter &p, double y)
{
    const double pad = m_lineHeight * 0.25;
    p.fillRect(QRectF(0, y, m_pageWidth, m_columnHeader), QColor(220, 220, 220));
    p.setFont(m_bold);
    p.setPen(Qt::black);
    for (const ColumnBox &b : m_boxes) {
        const QRectF cell(b.x + pad, y, b.width - 2 * pad, m_columnHeader);
        p.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(m_grid->column(b.column).caption(),
                                              Qt::ElideRight, int(cell.width())));
        p.drawRect(QRectF(b.x, y, b.width, m_columnHeader));
    }
}

void GridPrinter::drawLine(QPainter &p, const Line &line, double y)
{
    const GridPrinterSettings &s = m_grid->printerSettings();
    const double pad = m_lineHeight * 0.25;
    const double rowHeight = line.type == RowType::Record ? m_lineHeight * 1.3 : line.height;
    if (line.type != RowType::Record) {
        const FormatStyle *style
            = line.group >= 0 ? m_model->style(m_model->groupStyleName(line.group)) : nullptr;
        const QColor back = style && style->backColor.isValid() ? style->backColor
                                                                : m_model->groupBackColor();
        const QColor fore = style && style->foreColor.isValid() ? style->foreColor
                                                                : m_model->groupForeColor();
        p.fillRect(QRectF(0, y, m_pageWidth, line.height), back);
        p.setFont(m_bold);
        p.setPen(fore);
        const QString caption = line.type == RowType::GroupHeader
                                    ? m_model->groupCaption(line.group)
                                    : QStringLiteral("Total");
        const double left = (std::max(1, line.level) - 1) * m_indent + pad;
        const QRectF capRect(left, y, std::max(0.0, m_pageWidth - left - pad), line.height);
        const QFontMetricsF fm(p.font(), p.device());
        const QString shown = fm.elidedText(caption, Qt::ElideRight, capRect.width());
        p.drawText(capRect, Qt::AlignLeft | Qt::AlignVCenter, shown);
        const double captionEnd = left + fm.horizontalAdvance(shown);
        for (const ColumnBox &b : m_boxes) {
            const GridColumn &col = m_grid->column(b.column);
            if (col.aggregate() == Aggregate::None)
                continue;
            const QString text = m_model->sumText(
                line.type == RowType::GroupHeader ? line.group : -1, b.column);
            const QRectF cell(b.x + pad, y, b.width - 2 * pad, line.height);
            const double w = std::min(cell.width(), fm.horizontalAdvance(text));
            const double textLeft = (col.alignment() & Qt::AlignRight) ? cell.right() - w
                                                                       : cell.left();
            if (textLeft > captionEnd + pad)
                p.drawText(cell, int(col.alignment() | Qt::AlignVCenter), text);
        }
        p.setPen(Qt::gray);
        p.drawLine(QPointF(0, y + line.height), QPointF(m_pageWidth, y + line.height));
        return;
    }

    const FormatStyle *style = m_model->style(m_model->recordStyleName(line.record));
    if (style && style->backColor.isValid())
        p.fillRect(QRectF(0, y, m_pageWidth, line.height), style->backColor);
    const QColor fore = style && style->foreColor.isValid() ? style->foreColor : Qt::black;
    p.setFont(style && style->bold ? m_bold : m_font);
    for (const ColumnBox &b : m_boxes) {
        const GridColumn &col = m_grid->column(b.column);
        const QRectF cell(b.x + pad, y, b.width - 2 * pad, rowHeight);
        if (col.isCheckBox()) {
            const double size = m_lineHeight * 0.7;
            const QRectF box(cell.x(), y + (rowHeight - size) / 2, size, size);
            p.setPen(Qt::black);
            p.drawRect(box);
            const QVariant v = m_model->recordValue(line.record, b.column);
            if (v.toDouble() != 0 || v.toString().compare(QLatin1String("true"),
                                                          Qt::CaseInsensitive) == 0) {
                p.drawLine(box.topLeft(), box.bottomRight());
                p.drawLine(box.topRight(), box.bottomLeft());
            }
        } else {
            p.setPen(fore);
            p.drawText(cell, int(col.alignment() | Qt::AlignVCenter),
                       p.fontMetrics().elidedText(m_model->recordText(line.record, b.column),
                                                  Qt::ElideRight, int(cell.width())));
        }
        if (s.gridLines) {
            p.setPen(Qt::lightGray);
            p.drawRect(QRectF(b.x, y, b.width, rowHeight));
        }
    }
    if (line.height > rowHeight + 1) {
        p.setFont(m_font);
        p.setPen(m_grid->previewColor());
        const QRectF box(m_indent, y + rowHeight, m_pageWidth - m_indent * 2,
                         line.height - rowHeight);
        p.save();
        p.setClipRect(box);
        p.drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                   m_model->previewText(line.record));
        p.restore();
    }
}

// ---- GridEX printing --------------------------------------------------------

int GridEX::printGrid(QPrinter *printer, bool onlySelected)
{
    if (!printer)
        return 0;
    GridPrinter gp(this, onlySelected);
    return gp.print(printer);
}

bool GridEX::print(bool showDialog, bool onlySelected)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(m_printer.landscape ? QPageLayout::Landscape
                                                   : QPageLayout::Portrait);
    if (showDialog && !Dialogs::printDialog(&printer))
        return false;
    printGrid(&printer, onlySelected);
    return true;
}

int GridEX::pageCount(QPrinter *printer, bool onlySelected)
{
    if (!printer)
        return 0;
    GridPrinter gp(this, onlySelected);
    return gp.paginate(printer);
}

void GridEX::printPreview(GEXPreview *preview, bool onlySelected)
{
    if (!preview)
        return;
    preview->setSource(this, onlySelected);
}

} // namespace kq::platform
