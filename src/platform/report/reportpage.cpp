#include "platform/report/reportpage.h"

#include "core/format.h"
#include "platform/report/reportdocument.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

namespace kq::platform {

namespace {

// A font of `points` points in units of 1/1200 inch.
QFont unitFont(double points, bool bold)
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(qRound(points * ReportPageLayout::kUnitsPerInch / 72.0));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QSizeF inUnits(const QSizeF &inches)
{
    return inches * ReportPageLayout::kUnitsPerInch;
}

} // namespace

ReportPageLayout::ReportPageLayout(const ReportDefinition &def, const QPageLayout &page)
    : m_def(def)
    , m_body(unitFont(8, false))
    , m_bold(unitFont(8, true))
    , m_title(unitFont(13, true))
{
    m_paper = inUnits(page.fullRect(QPageLayout::Inch).size());
    const QRectF paint = page.paintRect(QPageLayout::Inch);
    m_offset = QPointF(paint.left(), paint.top()) * kUnitsPerInch;
    m_area = inUnits(paint.size());
    m_lineH = QFontMetricsF(m_body).height() * 1.3;
    m_titleH = QFontMetricsF(m_title).height() * 1.4;
    m_headTop = m_titleH + m_lineH * 1.2;
    m_bodyTop = m_headTop + m_lineH * 1.4;
    m_pad = m_lineH * 0.3;
    const double footH = m_lineH * 1.6;
    m_perPage = std::max(1, int((m_area.height() - m_bodyTop - footH) / m_lineH));

    // Widths are relative and may each be as large as an int.
    double weight = 0;
    for (const ReportColumn &c : def.columns)
        weight += c.width;
    m_xs << 0;
    for (const ReportColumn &c : def.columns)
        m_xs << m_xs.last() + m_area.width() * c.width / std::max(1.0, weight);
}

Qt::Alignment ReportPageLayout::alignOf(int column) const
{
    const QString a = m_def.columns[column].alignment;
    if (a == QLatin1String("direita"))
        return Qt::AlignRight;
    if (a == QLatin1String("centro"))
        return Qt::AlignHCenter;
    if (a == QLatin1String("esquerda"))
        return Qt::AlignLeft;
    const QString f = m_def.columns[column].format.toLower();
    return f == QLatin1String("0.00") || f == QLatin1String("currency") ? Qt::AlignRight
                                                                        : Qt::AlignLeft;
}

void ReportPageLayout::paginate(const ReportDocument &doc)
{
    const int n = doc.lineCount();
    for (; m_placed < n; ++m_placed) {
        const bool full = m_fill >= m_perPage;
        // A group header does not take the last line of a page.
        const bool lonelyHeader = doc.kind(m_placed) == ReportLine::GroupHeader && m_fill > 0
                                  && m_fill >= m_perPage - 1;
        if (full || lonelyHeader) {
            m_starts << m_placed;
            m_fill = 0;
        }
        ++m_fill;
    }
}

QRectF ReportPageLayout::captionRoom(const ReportLine &line, double y) const
{
    // The first columns in a row that the line leaves empty.
    const int columns = int(m_def.columns.size());
    int from = 0;
    while (from < columns && !line.cells.value(from).isEmpty())
        ++from;
    int to = from;
    while (to < columns && line.cells.value(to).isEmpty())
        ++to;
    if (from == to)
        return QRectF();
    return QRectF(m_xs[from] + m_pad, y, m_xs[to] - m_xs[from] - 2 * m_pad, m_lineH);
}

void ReportPageLayout::drawPage(QPainter &p, const ReportDocument &doc, int page) const
{
    const double width = m_area.width();
    p.setPen(Qt::black);
    p.setFont(m_title);
    p.drawText(QRectF(0, 0, width, m_titleH), Qt::AlignLeft | Qt::AlignVCenter, m_def.title);
    p.setFont(m_body);
    const QDateTime made = doc.made();
    p.drawText(QRectF(0, m_titleH, width, m_lineH), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Emitido em ") + formatDate(made.date()) + QLatin1Char(' ')
                   + made.time().toString(QStringLiteral("hh:mm")));
    p.setFont(m_bold);
    for (int c = 0; c < m_def.columns.size(); ++c)
        p.drawText(QRectF(m_xs[c] + m_pad, m_headTop, m_xs[c + 1] - m_xs[c] - 2 * m_pad, m_lineH),
                   alignOf(c) | Qt::AlignVCenter, m_def.columns[c].caption);
    p.drawLine(QPointF(0, m_headTop + m_lineH), QPointF(width, m_headTop + m_lineH));

    const int first = m_starts.value(page, doc.lineCount());
    const int end
        = page + 1 < m_starts.size() ? m_starts[page + 1] : std::min(doc.lineCount(), m_placed);
    double y = m_bodyTop;
    for (int i = first; i < end; ++i) {
        const ReportLine l = doc.line(i);
        if (l.kind == ReportLine::GroupHeader) {
            p.setFont(m_bold);
            p.drawText(QRectF(m_pad + l.level * 2 * m_pad, y, width, m_lineH),
                       Qt::AlignLeft | Qt::AlignVCenter, l.text);
        } else {
            p.setFont(l.kind == ReportLine::Detail ? m_body : m_bold);
            if (l.kind != ReportLine::Detail) {
                p.drawLine(QPointF(0, y), QPointF(width, y));
                const QRectF room = captionRoom(l, y);
                if (!room.isEmpty())
                    p.drawText(
                        room, Qt::AlignLeft | Qt::AlignVCenter,
                        QFontMetricsF(m_bold).elidedText(l.text, Qt::ElideRight, room.width()));
            }
            for (int c = 0; c < l.cells.size() && c + 1 < m_xs.size(); ++c)
                if (!l.cells[c].isEmpty())
                    p.drawText(
                        QRectF(m_xs[c] + m_pad, y, m_xs[c + 1] - m_xs[c] - 2 * m_pad, m_lineH),
                        alignOf(c) | Qt::AlignVCenter, l.cells[c]);
        }
        y += m_lineH;
    }

    p.setFont(m_body);
    const double fy = m_area.height() - m_lineH;
    p.drawLine(QPointF(0, fy - 2), QPointF(width, fy - 2));
    const bool whole = doc.isComplete();
    p.drawText(QRectF(0, fy, width, m_lineH), Qt::AlignRight | Qt::AlignVCenter,
               whole ? QStringLiteral("Página %1 de %2").arg(page + 1).arg(pageCount())
                     : QStringLiteral("Página %1").arg(page + 1));
    if (whole)
        p.drawText(QRectF(0, fy, width, m_lineH), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1 registro(s)").arg(doc.recordCount()));
}

int renderReport(QPrinter *printer, ReportDocument &doc,
                 const std::function<bool(int page, int pages)> &step)
{
    doc.readAll();
    ReportPageLayout layout(doc.definition(), printer->pageLayout());
    layout.paginate(doc);
    const int pages = layout.pageCount();
    int from = 1;
    int to = pages;
    if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        from = std::clamp(printer->fromPage(), 1, pages);
        to = std::clamp(printer->toPage() > 0 ? printer->toPage() : pages, from, pages);
    }
    QPainter p;
    if (!p.begin(printer))
        return 0;
    const double scale = printer->resolution() / ReportPageLayout::kUnitsPerInch;
    for (int page = from; page <= to; ++page) {
        if (page > from)
            printer->newPage();
        p.save();
        p.scale(scale, scale);
        layout.drawPage(p, doc, page - 1);
        p.restore();
        if (step && !step(page - from + 1, to - from + 1)) {
            printer->abort();
            p.end();
            return 0;
        }
    }
    p.end();
    return to - from + 1;
}

} // namespace kq::platform
