#include "platform/grid/gridprinter.h"

#include "platform/grid/gexpreview.h"
#include "platform/grid/gridex.h"
#include "platform/grid/gridex_p.h"
#include "platform/grid/gridmodel.h"
#include "platform/dialogs.h"

#include <QPageLayout>
#include <QTextLayout>
#include <QPainter>
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

namespace {
constexpr double kSizes[] = {8.5, 8, 7.5, 7, 6.5, 6}; // the smallest stays readable

// Calls take(word) for each word of a text (split at blanks).
template<typename Take>
void forEachWord(const QString &text, Take take)
{
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool blank = i == text.size() || text[i].isSpace();
        if (!blank && start < 0)
            start = i;
        else if (blank && start >= 0) {
            take(QStringView(text).mid(start, i - start));
            start = -1;
        }
    }
}

QStringList wordsOf(const QString &text)
{
    QStringList words;
    forEachWord(text, [&](QStringView word) { words << word.toString(); });
    return words;
}

// Keeps the `keep` widest texts seen.
void keepWidest(QVector<QPair<double, QString>> &widest, double width, const QString &text,
                int keep = 3)
{
    auto least = std::min_element(widest.begin(), widest.end());
    if (widest.size() >= keep && least->first >= width)
        return;
    for (const auto &w : widest)
        if (w.second == text)
            return;
    if (widest.size() < keep)
        widest.append({width, text});
    else
        *least = {width, text};
}

QStringList textsOf(const QVector<QPair<double, QString>> &widest)
{
    QStringList out;
    for (const auto &w : widest)
        out << w.second;
    return out;
}
} // namespace

GridPrinter::GridPrinter(GridEXPrivate *d, bool onlySelected)
    : m_grid(d->q)
    , m_d(d)
    , m_model(d->model)
    , m_onlySelected(onlySelected)
{
    m_model->fetchAll();
    if (onlySelected) {
        const QList<int> records = d->selectedRecords();
        m_selected = QSet<int>(records.begin(), records.end());
    }
    m_font = m_grid->font();
    m_font.setPointSizeF(m_baseSize);
    // Without kerning a text is as wide as its letters (TextWidths).
    m_font.setKerning(false);
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

namespace {

// Widths of texts in one font, fast: the font prints without kerning, so a
// text of simple letters is as wide as its letters' advances together (each
// letter measured once); any other text is measured whole.
class TextWidths
{
public:
    TextWidths(const QFont &font, QPaintDevice *device)
        : m_fm(font, device)
    {}

    double operator()(QStringView text)
    {
        double width = 0;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u >= kSimple)
                return m_fm.horizontalAdvance(text.toString());
            double &a = m_advance[u];
            if (a < 0)
                a = m_fm.horizontalAdvance(c);
            width += a;
        }
        return width;
    }

private:
    // Latin letters with their accents, before the combining marks.
    static constexpr char16_t kSimple = 0x0300;
    QFontMetricsF m_fm;
    std::vector<double> m_advance = std::vector<double>(kSimple, -1.0);
};

} // namespace

void GridPrinter::measureTexts(QPaintDevice *device)
{
    TextWidths width(m_font, device);
    TextWidths boldWidth(m_bold, device);
    m_texts.clear();
    for (int index : m_d->positions) {
        const GridColumn &col = m_grid->column(index);
        if (!col.isVisible())
            continue;
        ColumnTexts t;
        t.column = index;
        t.checkBox = col.isCheckBox();
        QVector<QPair<double, QString>> widest;
        QVector<QPair<double, QString>> words;
        bool blanks = false;
        auto take = [&](const QString &text) {
            if (text.isEmpty())
                return;
            const double w = width(text);
            t.widest = std::max(t.widest, w);
            keepWidest(widest, w, text);
            if (!text.contains(QLatin1Char(' ')) && !text.contains(QLatin1Char('\n'))
                && !text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\r'))) {
                t.longestWord = std::max(t.longestWord, w);
                keepWidest(words, w, text);
                return;
            }
            blanks = true;
            forEachWord(text, [&](QStringView word) {
                const double ww = width(word);
                t.longestWord = std::max(t.longestWord, ww);
                keepWidest(words, ww, word.toString());
            });
        };
        QVector<QPair<double, QString>> sums;
        for (const Line &line : std::as_const(m_lines)) {
            if (line.type == RowType::Record) {
                if (!t.checkBox)
                    take(m_model->recordText(line.record, index));
            } else if (col.aggregate() != Aggregate::None) {
                const QString text
                    = m_model->sumText(line.type == RowType::GroupHeader ? line.group : -1, index);
                const double w = boldWidth(text);
                t.widestSum = std::max(t.widestSum, w);
                keepWidest(sums, w, text);
            }
        }
        t.widestSums = textsOf(sums);
        t.wraps
            = blanks && col.format().isEmpty() && col.aggregate() == Aggregate::None && !t.checkBox;
        if (!t.wraps) {
            // Whole on one line: its widest value is also its narrowest cell.
            t.longestWord = t.widest;
            words = widest;
        }
        for (const QString &word : wordsOf(col.caption()))
            t.longestWord = std::max(t.longestWord, boldWidth(word));
        t.widestTexts = textsOf(widest);
        t.longestWords = textsOf(words);
        m_texts.append(t);
    }
}

QVector<ColumnNeed> GridPrinter::needs(QPaintDevice *device, double pointSize) const
{
    QFont font = m_font;
    font.setPointSizeF(pointSize);
    QFont bold = font;
    bold.setBold(true);
    const QFontMetricsF fm(font, device);
    const QFontMetricsF bm(bold, device);
    const double ratio = pointSize / m_baseSize;
    const double pad = fm.lineSpacing() * 0.25;
    const int key = m_grid->keyColumn();
    QVector<ColumnNeed> out;
    for (int i = 0; i < m_texts.size(); ++i) {
        const ColumnTexts &t = m_texts[i];
        const GridColumn &col = m_grid->column(t.column);
        ColumnNeed n;
        n.designed = std::max(1, col.width());
        n.key = i == 0 || t.column == key;
        double widest = t.widest * ratio;
        for (const QString &text : t.widestTexts)
            widest = std::max(widest, fm.horizontalAdvance(text));
        double word = t.longestWord * ratio;
        for (const QString &text : t.longestWords)
            word = std::max(word, fm.horizontalAdvance(text));
        for (const QString &w : wordsOf(col.caption()))
            word = std::max(word, bm.horizontalAdvance(w));
        widest = std::max(widest, t.widestSum * ratio);
        for (const QString &text : t.widestSums)
            widest = std::max(widest, bm.horizontalAdvance(text));
        if (t.checkBox)
            widest = word = std::max(fm.lineSpacing() * 0.7, word);
        if (!t.wraps || t.widestSum > 0)
            word = std::max(word, widest);
        n.minimum = word + 2 * pad;
        n.natural = std::max({widest, word, bm.horizontalAdvance(col.caption())}) + 2 * pad;
        out << n;
    }
    return out;
}

void GridPrinter::chooseLayout(QPrinter *printer)
{
    measureTexts(printer);
    const QPageLayout layout = printer->pageLayout();
    QVector<QPageLayout::Orientation> orientations{layout.orientation()};
    if (layout.orientation() == QPageLayout::Portrait)
        orientations << QPageLayout::Landscape;
    auto widthFor = [&](QPageLayout::Orientation o) {
        QPageLayout l = layout;
        l.setOrientation(o);
        return double(l.paintRectPixels(printer->resolution()).width());
    };
    auto boxesOf = [&](const QVector<int> &columns, const QVector<double> &widths) {
        QVector<ColumnBox> boxes;
        double x = 0;
        for (int k = 0; k < columns.size(); ++k) {
            boxes.append({m_texts[columns[k]].column, x, widths[k]});
            x += widths[k];
        }
        return boxes;
    };

    QPageLayout::Orientation chosen = orientations.last();
    double size = kSizes[std::size(kSizes) - 1];
    m_bands.clear();
    QVector<int> all;
    for (int k = 0; k < m_texts.size(); ++k)
        all << k;
    // Every value on one line at the designed size, turning the page if need be.
    const QVector<ColumnNeed> base = needs(printer, kSizes[0]);
    for (QPageLayout::Orientation o : orientations) {
        QVector<ColumnNeed> oneLine = base;
        for (ColumnNeed &n : oneLine)
            n.minimum = n.natural;
        const QVector<double> widths = fitColumnWidths(oneLine, widthFor(o));
        if (!widths.isEmpty()) {
            m_bands << boxesOf(all, widths);
            chosen = o;
            size = kSizes[0];
            break;
        }
    }
    // Then text wraps in its cells on the widest page, the font shrinking if
    // that is not enough.
    for (double s : kSizes) {
        if (!m_bands.isEmpty())
            break;
        const QVector<double> widths
            = fitColumnWidths(needs(printer, s), widthFor(orientations.last()));
        if (!widths.isEmpty() || m_texts.isEmpty()) {
            m_bands << boxesOf(all, widths);
            chosen = orientations.last();
            size = s;
        }
    }
    if (m_bands.isEmpty()) {
        // Bands of columns at the smallest size, the key columns on each.
        const double width = widthFor(chosen);
        const QVector<ColumnNeed> n = needs(printer, size);
        for (const QVector<int> &band : columnBands(n, width)) {
            QVector<ColumnNeed> bn;
            for (int k : band)
                bn << n[k];
            QVector<double> widths = fitColumnWidths(bn, width);
            if (widths.isEmpty()) {
                // Wider than a page even alone: every cell wraps anywhere.
                double total = 0;
                for (const ColumnNeed &c : bn)
                    total += c.minimum;
                for (const ColumnNeed &c : bn)
                    widths << c.minimum * width / total;
            }
            m_bands << boxesOf(band, widths);
        }
    }
    if (chosen != layout.orientation())
        printer->setPageOrientation(chosen);
    setFontSize(size, printer);
}

void GridPrinter::setFontSize(double pointSize, QPaintDevice *device)
{
    m_device = device;
    m_font.setPointSizeF(pointSize);
    m_bold = m_font;
    m_bold.setBold(true);
    const QFontMetricsF fm(m_font, device);
    m_lineHeight = fm.lineSpacing();
    m_pad = m_lineHeight * 0.25;
    m_indent = m_lineHeight * 1.2;
}

QStringList GridPrinter::cellLines(const QString &text, const QFont &font, QPaintDevice *device,
                                   double width) const
{
    if (text.isEmpty())
        return {};
    const QString joined = joinedLines(text);
    if (!joined.contains(QLatin1Char('\n'))
        && QFontMetricsF(font, device).horizontalAdvance(joined) <= width)
        return {joined};
    QString laid = joined;
    laid.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(laid, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList out;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(1.0, width));
        out << laid.mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator).trimmed();
    }
    layout.endLayout();
    return out;
}

QStringList GridPrinter::captionLines(const Line &line, double *left) const
{
    const QString caption = line.type == RowType::GroupHeader ? m_model->groupCaption(line.group)
                                                              : QStringLiteral("Total");
    *left = (std::max(1, line.level) - 1) * m_indent + m_pad;
    return cellLines(caption, m_bold, m_device, m_pageWidth - *left - m_pad);
}

bool GridPrinter::sumsOverlapCaption(const QString &lastCaptionLine, double left, int group,
                                     QPaintDevice *device) const
{
    const QFontMetricsF fm(m_bold, device);
    const double captionEnd = left + fm.horizontalAdvance(lastCaptionLine);
    for (const QVector<ColumnBox> &band : m_bands) {
        for (const ColumnBox &b : band) {
            const GridColumn &col = m_grid->column(b.column);
            if (col.aggregate() == Aggregate::None)
                continue;
            const double w = fm.horizontalAdvance(m_model->sumText(group, b.column));
            const double textLeft
                = (col.alignment() & Qt::AlignRight) ? b.x + b.width - m_pad - w : b.x + m_pad;
            if (textLeft < captionEnd + m_pad)
                return true;
        }
    }
    return false;
}

void GridPrinter::measureBands(QPaintDevice *device)
{
    const GridPrinterSettings &s = m_grid->printerSettings();
    int headerLines = 0;
    int footerLines = 2; // room for a two-line page number set per page
    for (int pos = 1; pos <= 3; ++pos) {
        headerLines = std::max(headerLines, textLines(s.header(pos)));
        footerLines = std::max(footerLines, textLines(s.footer(pos)));
    }
    m_headerBand = headerLines ? headerLines * m_lineHeight + m_lineHeight * 0.6 : 0;
    m_footerBand = footerLines * m_lineHeight + m_lineHeight * 0.6;
    m_titleBand = m_grid->caption().isEmpty() ? 0 : m_lineHeight * 2.2;

    int headerCaptionLines = 1;
    for (const QVector<ColumnBox> &band : m_bands)
        for (const ColumnBox &b : band)
            headerCaptionLines = std::max<int>(headerCaptionLines,
                                               int(cellLines(m_grid->column(b.column).caption(),
                                                             m_bold, device, b.width - 2 * m_pad)
                                                       .size()));
    m_columnHeader = headerCaptionLines * m_lineHeight + m_lineHeight * 0.5;

    m_wrapping.clear();
    for (const QVector<ColumnBox> &band : m_bands)
        for (const ColumnBox &b : band)
            for (const ColumnTexts &t : std::as_const(m_texts))
                if (t.column == b.column && t.wraps)
                    m_wrapping.append({b.column, b.width - 2 * m_pad});
}

void GridPrinter::measureLine(Line &line)
{
    QPaintDevice *device = m_device;
    if (line.type != RowType::Record) {
        double left = 0;
        const QStringList lines = captionLines(line, &left);
        const int group = line.type == RowType::GroupHeader ? line.group : -1;
        line.sumsBelow = sumsOverlapCaption(lines.value(lines.size() - 1), left, group, device);
        line.height
            = (std::max<int>(1, int(lines.size())) + (line.sumsBelow ? 1 : 0)) * m_lineHeight
              + m_lineHeight * 0.5;
        line.cells = line.height;
        return;
    }
    const QFontMetricsF fm(m_font, device);
    int cellLineCount = 1;
    for (const auto &[column, width] : std::as_const(m_wrapping)) {
        const QString text = m_model->recordText(line.record, column);
        if (text.isEmpty()
            || (fm.horizontalAdvance(text) <= width && !text.contains(QLatin1Char('\n'))))
            continue;
        cellLineCount
            = std::max<int>(cellLineCount, int(cellLines(text, m_font, device, width).size()));
    }
    line.cells = cellLineCount * m_lineHeight + m_lineHeight * 0.3;
    line.height = line.cells;
    if (m_grid->previewColumn() > 0) {
        const QString text = m_model->previewText(line.record);
        if (!text.trimmed().isEmpty()) {
            const int lines = std::clamp<int>(
                int(cellLines(text, m_font, device, m_pageWidth - m_indent * 2).size()), 1,
                m_d->previewLines);
            line.height += lines * m_lineHeight + m_lineHeight * 0.2;
        }
    }
}

void GridPrinter::begin(QPrinter *printer)
{
    chooseLayout(printer);
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    m_pageWidth = page.width();
    m_pageHeight = page.height();
    measureBands(printer);
    m_pages.clear();
    m_measured = 0;
    m_next = 0;
    m_pageStart = -1;
    m_complete = false;
}

bool GridPrinter::layoutMore(int lines)
{
    if (m_complete)
        return false;
    const GridPrinterSettings &s = m_grid->printerSettings();
    const int n = int(m_lines.size());
    const int upTo = int(std::min<qint64>(n, qint64(m_measured) + std::max(1, lines)));
    for (; m_measured < upTo; ++m_measured)
        measureLine(m_lines[m_measured]);
    const double bottom = m_pageHeight - m_footerBand;
    // A line is placed once the line after it is measured: a group header
    // stays with the row after it.
    while (m_next < n && (m_next + 1 < m_measured || m_measured == n)) {
        if (m_pageStart < 0) {
            const bool first = m_pages.isEmpty();
            m_pageStart = m_next;
            m_y = m_headerBand + (first ? m_titleBand : 0)
                  + (first || s.repeatHeaders ? m_columnHeader : 0);
        }
        const Line &line = m_lines[m_next];
        double need = line.height;
        if (line.type == RowType::GroupHeader && m_next + 1 < n)
            need += m_lines[m_next + 1].height;
        if (m_next > m_pageStart && ((s.groupPages && line.topGroup) || m_y + need > bottom)) {
            m_pages.append({m_pageStart, m_next});
            m_pageStart = -1;
            continue;
        }
        m_y += line.height;
        ++m_next;
    }
    if (m_next < n)
        return true;
    if (m_pageStart >= 0 || m_pages.isEmpty())
        m_pages.append({std::max(0, m_pageStart), n});
    m_pageStart = -1;
    m_complete = true;
    return false;
}

int GridPrinter::pageCount() const
{
    return int(m_pages.size() * std::max<qsizetype>(1, m_bands.size()));
}

void GridPrinter::drawPage(QPainter &p, int page)
{
    if (page >= 0 && page < pageCount())
        drawPage(p, page, pageCount());
}

int GridPrinter::paginate(QPrinter *printer)
{
    begin(printer);
    while (layoutMore(std::numeric_limits<int>::max())) {
    }
    return pageCount();
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
    const int bands = std::max<int>(1, int(m_bands.size()));
    const int rowPage = page / bands;
    static const QVector<ColumnBox> none;
    m_boxes = m_bands.isEmpty() ? &none : &m_bands[page % bands];
    const GridPrinterSettings &s = m_grid->printerSettings();
    double y = 0;
    if (m_headerBand > 0)
        drawBandTexts(p, 0, m_headerBand, s.headerLeft, s.headerCenter, s.headerRight);
    y += m_headerBand;
    if (rowPage == 0 && m_titleBand > 0) {
        QFont title = m_bold;
        title.setPointSizeF(m_font.pointSizeF() * 1.5);
        p.setFont(title);
        p.setPen(Qt::black);
        p.drawText(QRectF(0, y, m_pageWidth, m_titleBand), Qt::AlignLeft | Qt::AlignVCenter,
                   m_grid->caption());
        y += m_titleBand;
    }
    if (rowPage == 0 || s.repeatHeaders) {
        drawColumnHeaders(p, y);
        y += m_columnHeader;
    }
    const auto range = m_pages.value(rowPage);
    for (int i = range.first; i < range.second; ++i) {
        drawLine(p, m_lines[i], y);
        y += m_lines[i].height;
    }
    drawBandTexts(p, m_pageHeight - m_footerBand, m_footerBand, s.footerLeft, s.footerCenter,
                  s.footerRight);
}

void GridPrinter::drawColumnHeaders(QPainter &p, double y)
{
    const double width
        = m_boxes->isEmpty() ? m_pageWidth : m_boxes->last().x + m_boxes->last().width;
    p.fillRect(QRectF(0, y, width, m_columnHeader), QColor(220, 220, 220));
    p.setFont(m_bold);
    p.setPen(Qt::black);
    for (const ColumnBox &b : *m_boxes) {
        const QStringList lines
            = cellLines(m_grid->column(b.column).caption(), m_bold, m_device, b.width - 2 * m_pad);
        for (int k = 0; k < lines.size(); ++k)
            p.drawText(QRectF(b.x + m_pad, y + m_lineHeight * (0.25 + k), b.width - 2 * m_pad,
                              m_lineHeight),
                       int((m_grid->column(b.column).alignment() & Qt::AlignHorizontal_Mask)
                           | Qt::AlignVCenter),
                       lines[k]);
        p.drawRect(QRectF(b.x, y, b.width, m_columnHeader));
    }
}

void GridPrinter::drawLine(QPainter &p, const Line &line, double y)
{
    const GridPrinterSettings &s = m_grid->printerSettings();
    const double pad = m_pad;
    if (line.type != RowType::Record) {
        const FormatStyle *style
            = line.group >= 0 ? m_model->style(m_model->groupStyleName(line.group)) : nullptr;
        const QColor back
            = style && style->backColor.isValid() ? style->backColor : m_model->groupBackColor();
        const QColor fore
            = style && style->foreColor.isValid() ? style->foreColor : m_model->groupForeColor();
        p.fillRect(QRectF(0, y, m_pageWidth, line.height), back);
        p.setFont(m_bold);
        p.setPen(fore);
        double left = 0;
        const QStringList lines = captionLines(line, &left);
        const double top = y + m_lineHeight * 0.25;
        for (int k = 0; k < lines.size(); ++k)
            p.drawText(QRectF(left, top + k * m_lineHeight, m_pageWidth - left - pad, m_lineHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, lines[k]);
        const double sumTop
            = top + (std::max<int>(1, int(lines.size())) - (line.sumsBelow ? 0 : 1)) * m_lineHeight;
        for (const ColumnBox &b : *m_boxes) {
            const GridColumn &col = m_grid->column(b.column);
            if (col.aggregate() == Aggregate::None)
                continue;
            const QString text
                = m_model->sumText(line.type == RowType::GroupHeader ? line.group : -1, b.column);
            p.drawText(QRectF(b.x + pad, sumTop, b.width - 2 * pad, m_lineHeight),
                       int(col.alignment() | Qt::AlignVCenter), text);
        }
        p.setPen(Qt::gray);
        p.drawLine(QPointF(0, y + line.height), QPointF(m_pageWidth, y + line.height));
        return;
    }

    const FormatStyle *style = m_model->style(m_model->recordStyleName(line.record));
    if (style && style->backColor.isValid())
        p.fillRect(QRectF(0, y, m_pageWidth, line.height), style->backColor);
    const QColor fore = style && style->foreColor.isValid() ? style->foreColor : Qt::black;
    const QFont &font = style && style->bold ? m_bold : m_font;
    p.setFont(font);
    const double rowHeight = line.cells;
    const double top = y + m_lineHeight * 0.15;
    for (const ColumnBox &b : *m_boxes) {
        const GridColumn &col = m_grid->column(b.column);
        const QRectF cell(b.x + pad, top, b.width - 2 * pad, m_lineHeight);
        if (col.isCheckBox()) {
            const double size = m_lineHeight * 0.7;
            const QRectF box(cell.x(), top + (m_lineHeight - size) / 2, size, size);
            p.setPen(Qt::black);
            p.drawRect(box);
            if (checkBoxChecked(m_model->recordValue(line.record, b.column))) {
                p.drawLine(box.topLeft(), box.bottomRight());
                p.drawLine(box.topRight(), box.bottomLeft());
            }
        } else {
            p.setPen(fore);
            const QStringList lines = cellLines(m_model->recordText(line.record, b.column), font,
                                                m_device, cell.width());
            for (int k = 0; k < lines.size(); ++k)
                p.drawText(cell.translated(0, k * m_lineHeight),
                           int(col.alignment() | Qt::AlignVCenter), lines[k]);
        }
        if (s.gridLines) {
            p.setPen(Qt::lightGray);
            p.drawRect(QRectF(b.x, y, b.width, rowHeight));
        }
    }
    if (line.height > rowHeight + 1) {
        p.setFont(m_font);
        p.setPen(m_d->previewColor);
        const double width = m_pageWidth - m_indent * 2;
        const QStringList lines
            = cellLines(m_model->previewText(line.record), m_font, m_device, width)
                  .mid(0, m_d->previewLines);
        for (int k = 0; k < lines.size(); ++k)
            p.drawText(QRectF(m_indent, y + rowHeight + k * m_lineHeight, width, m_lineHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, lines[k]);
    }
}

// ---- GridEX printing --------------------------------------------------------

int GridEX::printGrid(QPrinter *printer, bool onlySelected)
{
    if (!printer)
        return 0;
    GridPrinter gp(d.get(), onlySelected);
    return gp.print(printer);
}

bool GridEX::print(bool showDialog, bool onlySelected)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(d->printer.landscape ? QPageLayout::Landscape
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
    GridPrinter gp(d.get(), onlySelected);
    return gp.paginate(printer);
}

std::unique_ptr<GridPrinter> GridEX::printLayout(bool onlySelected)
{
    return std::make_unique<GridPrinter>(d.get(), onlySelected);
}

void GridEX::printPreview(GEXPreview *preview, bool onlySelected)
{
    if (!preview)
        return;
    preview->setSource(this, onlySelected);
}

} // namespace kq::platform
