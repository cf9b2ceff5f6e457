// HTML and Excel 2003 XML (SpreadsheetML) exports of the laid-out grid,
// written row by row to the file: the grid is never held whole. Repeated
// headings are merged from the cube's axes (see sameRowHeading).

#include "cube/model/cubemodel.h"

#include "cube/model/cubemodel_p.h"

#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QXmlStreamWriter>

namespace kq::platform {

namespace {

// Rows written between two progress reports.
const int kProgressRows = 256;

// One cell of the exported grid.
struct ExCell
{
    QString text;
    bool number = false; // a data cell with a value
    double value = 0;
    QString format;    // its number format
    int formatId = -1; // the format's number among the grid's formats
    bool heading = false;
    bool total = false;
    int rowSpan = 1;
    int colSpan = 1;
    int back = -1; // Windows RGB, -1 none
    int fore = -1;
    bool plain = false; // text known to need no escaping
};

QString htmlColor(int winRgb)
{
    return cubeColor(winRgb).name();
}

QString excelFormat(const QString &f)
{
    if (f.isEmpty())
        return QStringLiteral("General");
    if (f.compare(QStringLiteral("currency"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Currency");
    return f;
}

// The grid as the exports lay it out: the column-heading lines (the row
// fields' captions in the corner), then one line per row, row headings
// first. Cells inside another cell's merge are left out.
class ExportGrid
{
public:
    // dataText: whether the data cells need their text (numbers are written
    // as text in HTML, as values in Excel).
    ExportGrid(CubeModel &m, bool totals, bool formatted, bool colors, bool merge, bool dataText)
        : m_m(m)
        , m_formatted(formatted)
        , m_colors(colors)
        , m_merge(merge)
        , m_dataText(dataText)
    {
        m.ensureLayout();
        for (int r = 0; r < m.rowCount(); ++r) {
            if (totals || !m.isTotalRow(r))
                m_rows.append(r);
        }
        for (int c = 0; c < m.columnCount(); ++c) {
            if (totals || !m.isTotalColumn(c))
                m_cols.append(c);
        }
        m_rowLevels = m.rowFields()->count();
        m_multi = m.shownDataFieldCount() >= 2;
        m_colLevels = qMax(1, m.columnFields()->count() + (m_multi ? 1 : 0));
        m_width = qMax(1, m_rowLevels + int(m_cols.size()));
        m_coveredUntil.fill(-1, m_rowLevels);
        for (CubeField *f : m.rowFields()->byPosition())
            m_rowCaptions.append(f->caption());
        // Each exported column's data field and its number format, read once.
        const QLocale locale;
        QHash<CubeField *, int> formats;
        for (int col : std::as_const(m_cols)) {
            CubeField *f = m.dataFieldOfColumn(col);
            auto it = formats.constFind(f);
            if (it == formats.constEnd()) {
                it = formats.insert(f, int(m_formats.size()));
                m_formats.append(CubeNumberFormat(f ? f->numberFormat() : QString(), locale));
            }
            m_colField.append(f);
            m_colFormat.append(*it);
        }
    }

    int lineCount() const { return m_colLevels + int(m_rows.size()); }
    int width() const { return m_width; }

    // Calls cell(x, cell) for every cell of line y that is not covered by a
    // merge; x counts from 0 over the whole width. Lines go in order.
    template<typename Visit>
    void line(int y, Visit cell)
    {
        if (y < m_colLevels)
            headingLine(y, cell);
        else
            dataLine(y - m_colLevels, cell);
    }

private:
    void headingColors(ExCell &c) const
    {
        if (!m_colors)
            return;
        const CubeStyle &st = m_m.style();
        c.back = c.total ? st.totalsBackColor : st.headingsBackColor;
        c.fore = c.total ? st.totalsForeColor : st.headingsForeColor;
    }

    template<typename Visit>
    void headingLine(int l, Visit cell)
    {
        // The corner: the row fields' captions on the last heading line.
        for (int k = 0; k < m_rowLevels; ++k) {
            ExCell c;
            if (l == m_colLevels - 1) {
                c.heading = true;
                c.text = m_rowCaptions.at(k);
                headingColors(c);
            }
            cell(k, c);
        }
        if (m_cols.isEmpty() && m_rowLevels == 0)
            cell(0, ExCell());
        for (int j = 0; j < m_cols.size();) {
            const int col = m_cols.at(j);
            ExCell c;
            const CubeHeading h = m_m.columnHeading(col, l + 1);
            c.heading = true;
            c.total = h.total;
            c.text = h.text;
            if (l == 0 && m_m.columnFields()->count() == 0 && !m_multi) {
                if (CubeField *f = m_m.dataFieldOfColumn(col))
                    c.text = f->caption();
            }
            headingColors(c);
            int k = j + 1;
            if (m_merge) {
                while (k < m_cols.size() && m_m.sameColumnHeading(col, m_cols.at(k), l + 1))
                    ++k;
            }
            c.colSpan = k - j;
            cell(m_rowLevels + j, c);
            j = k;
        }
    }

    template<typename Visit>
    void dataLine(int i, Visit cell)
    {
        const int row = m_rows.at(i);
        for (int l = 0; l < m_rowLevels; ++l) {
            if (m_coveredUntil.at(l) >= i)
                continue;
            ExCell c;
            const CubeHeading h = m_m.rowHeading(row, l + 1);
            c.heading = true;
            c.total = h.total;
            c.text = h.text;
            headingColors(c);
            int k = i + 1;
            if (m_merge) {
                while (k < m_rows.size() && m_m.sameRowHeading(row, m_rows.at(k), l + 1))
                    ++k;
            }
            c.rowSpan = k - i;
            m_coveredUntil[l] = k - 1;
            cell(l, c);
        }
        if (m_cols.isEmpty() && m_rowLevels == 0)
            cell(0, ExCell());
        for (int j = 0; j < m_cols.size(); ++j) {
            const int col = m_cols.at(j);
            ExCell c;
            const CubeCell fc = m_m.formatCell(row, col);
            c.total = fc.total;
            if (!fc.empty) {
                CubeField *f = m_colField.at(j);
                c.format = f ? f->numberFormat() : QString();
                c.formatId = m_colFormat.at(j);
                c.number = true;
                c.value = fc.value;
                if (m_dataText) {
                    const CubeNumberFormat &nf = m_formats.at(c.formatId);
                    c.text = m_formatted ? nf.format(fc.value) : QString::number(fc.value, 'g', 15);
                    c.plain = !m_formatted || nf.xmlPlain();
                }
            }
            if (m_colors) {
                c.back = fc.backColor;
                c.fore = fc.foreColor;
            }
            cell(m_rowLevels + j, c);
        }
    }

    CubeModel &m_m;
    bool m_formatted, m_colors, m_merge, m_dataText;
    QVector<int> m_rows, m_cols;
    int m_rowLevels = 0;
    bool m_multi = false;
    int m_colLevels = 1;
    int m_width = 1;
    QVector<int> m_coveredUntil; // per row level: the last line a merge covers
    QStringList m_rowCaptions;
    QVector<CubeField *> m_colField; // per exported column
    QVector<int> m_colFormat;        // per exported column: index into m_formats
    QVector<CubeNumberFormat> m_formats;
};

// The target file, written aside and put in place only when whole.
class ExportFile
{
public:
    explicit ExportFile(const QString &path)
        : m_file(path)
    {}
    bool open() { return m_file.open(QIODevice::WriteOnly); }
    QSaveFile *device() { return &m_file; }
    bool commit() { return !m_failed && m_file.commit(); }
    void cancel() { m_file.cancelWriting(); }
    void fail() { m_failed = true; }

private:
    QSaveFile m_file;
    bool m_failed = false;
};

// What a QXmlStreamWriter writes into text, passed on to a file in UTF-8 a
// line of the grid at a time (a writer on the file itself would encode and
// write every little piece on its own).
class XmlText
{
public:
    explicit XmlText(QIODevice *out)
        : m_out(out)
    {}
    QString *text() { return &m_text; }
    bool flush()
    {
        QByteArray bytes = m_text.toUtf8();
        m_text.clear();
        if (m_first) {
            // A writer on text names no encoding; on a file it names UTF-8.
            static const QByteArray plain("<?xml version=\"1.0\"?>");
            if (bytes.startsWith(plain))
                bytes.replace(0, plain.size(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
            m_first = false;
        }
        return m_out->write(bytes) == bytes.size();
    }

private:
    QIODevice *m_out;
    QString m_text;
    bool m_first = true;
};

// What makes an Excel style: heading or not, colours, and the number
// format (by its number among the grid's formats; -1 none).
struct ExcelLook
{
    bool heading = false;
    int back = -1;
    int fore = -1;
    int format = -1;
    bool operator==(const ExcelLook &o) const
    {
        return heading == o.heading && back == o.back && fore == o.fore && format == o.format;
    }
};

size_t qHash(const ExcelLook &l, size_t seed = 0)
{
    return qHashMulti(seed, l.heading, l.back, l.fore, l.format);
}

bool reportRows(const CubeProgress &progress, int y, int lines)
{
    return !progress || y % kProgressRows != 0 || progress(y, lines);
}

// The text of the grid's lines as QXmlStreamWriter with auto-formatting
// writes it (an element on a line of its own, four blanks a level, the same
// escapes), made directly: the writer spends far more per element.
class LineText
{
public:
    QString text;

    // A new line at an element's depth.
    void newLine(int depth)
    {
        text += u'\n';
        text.append(QStringView(kBlanks).left(qMin(depth * 4, int(std::size(kBlanks)) - 1)));
    }
    void attribute(QStringView name, const QString &value)
    {
        text += u' ';
        text += name;
        text += QStringView(u"=\"");
        escaped(value, true);
        text += u'"';
    }
    void attribute(QStringView name, int value)
    {
        text += u' ';
        text += name;
        text += QStringView(u"=\"");
        text += QString::number(value);
        text += u'"';
    }
    // Text or an attribute value, escaped as the writer escapes it.
    void escaped(const QString &value, bool attributeValue = false)
    {
        for (const QChar ch : value) {
            const char16_t u = ch.unicode();
            if (u == u'<' || u == u'>' || u == u'&' || u == u'"' || u < 0x20 || u >= 0xfffe) {
                QString out;
                QXmlStreamWriter w(&out);
                if (attributeValue) {
                    // An attribute of a throwaway element: its value only.
                    w.writeStartElement(QStringLiteral("x"));
                    w.writeAttribute(QStringLiteral("y"), value);
                    out = out.mid(6);
                } else {
                    w.writeCharacters(value);
                }
                text += out;
                return;
            }
        }
        text += value;
    }

private:
    static constexpr char16_t kBlanks[] = u"                                        ";
};

void htmlCell(LineText &t, const ExCell &c, QHash<quint64, QString> (&styles)[2])
{
    const QStringView tag = c.heading ? QStringView(u"th") : QStringView(u"td");
    t.newLine(4);
    t.text += u'<';
    t.text += tag;
    if (c.rowSpan > 1)
        t.attribute(QStringView(u"rowspan"), c.rowSpan);
    if (c.colSpan > 1)
        t.attribute(QStringView(u"colspan"), c.colSpan);
    // The few looks of a grid are worked out once each: the style attribute
    // as written.
    QHash<quint64, QString> &looks = styles[c.heading ? 1 : 0];
    const quint64 key = (quint64(quint32(c.back)) << 32) | quint32(c.fore);
    auto it = looks.constFind(key);
    if (it == looks.constEnd()) {
        QString style;
        if (c.back != -1)
            style += QStringLiteral("background-color:%1;").arg(htmlColor(c.back));
        if (c.fore != -1)
            style += QStringLiteral("color:%1;").arg(htmlColor(c.fore));
        if (!c.heading)
            style += QStringLiteral("text-align:right;");
        LineText attribute;
        if (!style.isEmpty())
            attribute.attribute(QStringView(u"style"), style);
        it = looks.insert(key, attribute.text);
    }
    t.text += *it;
    t.text += u'>';
    if (c.plain)
        t.text += c.text;
    else
        t.escaped(c.text);
    t.text += QStringView(u"</");
    t.text += tag;
    t.text += u'>';
}

enum class Written { Whole, Cancelled, Failed };

// Writes the grid's lines, each as an element tag holding its cells (made
// by cell), a line at a time, to out. The element around them was left open
// by the writer of what comes before.
template<typename Cell>
Written writeLines(ExportGrid &g, QStringView tag, QIODevice *out, const CubeProgress &progress,
                   Cell cell)
{
    const int lines = g.lineCount();
    LineText t;
    t.text += u'>';
    for (int y = 0; y < lines; ++y) {
        if (!reportRows(progress, y, lines))
            return Written::Cancelled;
        t.newLine(3);
        t.text += u'<';
        t.text += tag;
        bool any = false;
        g.line(y, [&](int x, const ExCell &c) {
            if (!any)
                t.text += u'>';
            any = true;
            cell(t, x, c);
        });
        if (any) {
            t.newLine(3);
            t.text += QStringView(u"</");
            t.text += tag;
            t.text += u'>';
        } else {
            t.text += QStringView(u"/>");
        }
        const QByteArray bytes = t.text.toUtf8();
        t.text.resize(0);
        if (out->write(bytes) != bytes.size())
            return Written::Failed;
    }
    return Written::Whole;
}

} // namespace

CubeResult CubeModel::exportHtml(const QString &path, bool includeTotals, bool formattedNumbers,
                                 bool colors, bool mergeHeadings, const CubeProgress &progress)
{
    d->clearError();
    ExportGrid g(*this, includeTotals, formattedNumbers, colors, mergeHeadings, true);
    ExportFile file(path);
    if (!file.open())
        return d->failed(CubeErrWrite, QStringLiteral("Não foi possível gravar %1.").arg(path),
                         QStringLiteral("DCube.ExportHTML"));
    XmlText out(file.device());
    QXmlStreamWriter w(out.text());
    w.setAutoFormatting(true);
    w.writeDTD(QStringLiteral("<!DOCTYPE html>"));
    w.writeStartElement(QStringLiteral("html"));
    w.writeStartElement(QStringLiteral("head"));
    w.writeEmptyElement(QStringLiteral("meta"));
    w.writeAttribute(QStringLiteral("charset"), QStringLiteral("utf-8"));
    w.writeTextElement(QStringLiteral("title"),
                       d->header.isEmpty() ? QStringLiteral("Cubo") : d->header);
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("body"));
    w.writeStartElement(QStringLiteral("table"));
    w.writeAttribute(QStringLiteral("border"), QStringLiteral("1"));
    w.writeAttribute(QStringLiteral("cellspacing"), QStringLiteral("0"));
    // The table's start tag stays open until its first line.
    if (!out.flush())
        file.fail();
    QHash<quint64, QString> styles[2];
    const Written written
        = writeLines(g, u"tr", file.device(), progress,
                     [&](LineText &t, int, const ExCell &c) { htmlCell(t, c, styles); });
    if (written == Written::Cancelled) {
        file.cancel();
        return d->failed(CubeErrCancelled, QStringLiteral("Operação cancelada."),
                         QStringLiteral("DCube.ExportHTML"));
    }
    if (written == Written::Failed)
        file.fail();
    const QByteArray end("\n        </table>\n    </body>\n</html>");
    if (file.device()->write(end) != end.size())
        file.fail();
    if (!file.commit())
        return d->failed(CubeErrWrite, QStringLiteral("Não foi possível gravar %1.").arg(path),
                         QStringLiteral("DCube.ExportHTML"));
    return d->result();
}

CubeResult CubeModel::exportExcel(const QString &path, bool includeTotals, bool formattedNumbers,
                                  bool colors, bool mergeHeadings, const CubeProgress &progress)
{
    d->clearError();
    auto failed = [&] {
        return d->failed(CubeErrWrite, QStringLiteral("Não foi possível gravar %1.").arg(path),
                         QStringLiteral("DCube.ExportExcel"));
    };
    ExportGrid g(*this, includeTotals, formattedNumbers, colors, mergeHeadings, false);
    const QString ss = QStringLiteral("urn:schemas-microsoft-com:office:spreadsheet");
    // The workbook up to the start of its table; the same in both writers,
    // so that the table written aside continues the final file exactly.
    auto begin = [&](QXmlStreamWriter &w, const std::function<void()> &styles) {
        w.setAutoFormatting(true);
        w.writeStartDocument();
        w.writeProcessingInstruction(QStringLiteral("mso-application"),
                                     QStringLiteral("progid=\"Excel.Sheet\""));
        w.writeDefaultNamespace(ss);
        w.writeNamespace(ss, QStringLiteral("ss"));
        w.writeStartElement(ss, QStringLiteral("Workbook"));
        styles();
        w.writeStartElement(ss, QStringLiteral("Worksheet"));
        w.writeAttribute(ss, QStringLiteral("Name"), QStringLiteral("Cubo"));
        w.writeStartElement(ss, QStringLiteral("Table"));
    };

    // The table first, into a file of its own beside the target: the styles
    // it uses (numbered as met) come before it in the workbook.
    QTemporaryFile table(path + QStringLiteral(".XXXXXX"));
    if (!table.open())
        return failed();
    // One style per distinct look, numbered in the order met.
    // Looks are told apart by the Excel format they get: formats that read
    // the same there are one.
    QHash<QString, int> excelFormats;
    QVector<int> excelOfGridFormat; // by the grid's format number, -1 not yet met
    QHash<ExcelLook, QString> styleIds;
    QVector<QPair<QString, ExCell>> styles;
    ExcelLook lastLook;
    QString lastId;
    auto styleId = [&](const ExCell &c) -> const QString & {
        ExcelLook look{c.heading, c.back, c.fore, -1};
        if (formattedNumbers && !c.heading) {
            const int grid = c.formatId + 1; // 0: a cell without a value
            if (grid >= excelOfGridFormat.size())
                excelOfGridFormat.resize(grid + 1, -1);
            if (excelOfGridFormat.at(grid) < 0) {
                const QString f = excelFormat(c.format);
                auto fit = excelFormats.constFind(f);
                if (fit == excelFormats.constEnd())
                    fit = excelFormats.insert(f, int(excelFormats.size()));
                excelOfGridFormat[grid] = *fit;
            }
            look.format = excelOfGridFormat.at(grid);
        }
        if (!lastId.isEmpty() && look == lastLook)
            return lastId;
        auto it = styleIds.constFind(look);
        if (it == styleIds.constEnd()) {
            const QString id = QStringLiteral("s%1").arg(styles.size() + 1);
            it = styleIds.insert(look, id);
            styles.append({id, c});
        }
        lastLook = look;
        lastId = *it;
        return lastId;
    };
    {
        const Written written
            = writeLines(g, u"ss:Row", &table, progress, [&](LineText &t, int x, const ExCell &c) {
                  t.newLine(4);
                  t.text += QStringView(u"<ss:Cell");
                  t.attribute(QStringView(u"ss:Index"), x + 1);
                  t.attribute(QStringView(u"ss:StyleID"), styleId(c));
                  if (c.colSpan > 1)
                      t.attribute(QStringView(u"ss:MergeAcross"), c.colSpan - 1);
                  if (c.rowSpan > 1)
                      t.attribute(QStringView(u"ss:MergeDown"), c.rowSpan - 1);
                  if (!c.number && c.text.isEmpty()) {
                      t.text += QStringView(u"/>");
                      return;
                  }
                  t.text += u'>';
                  t.newLine(5);
                  t.text += QStringView(u"<ss:Data ss:Type=\"");
                  t.text += c.number ? QStringView(u"Number") : QStringView(u"String");
                  t.text += QStringView(u"\">");
                  if (c.number)
                      t.text += QString::number(c.value, 'g', 15);
                  else
                      t.escaped(c.text);
                  t.text += QStringView(u"</ss:Data>");
                  t.newLine(4);
                  t.text += QStringView(u"</ss:Cell>");
              });
        if (written == Written::Cancelled)
            return d->failed(CubeErrCancelled, QStringLiteral("Operação cancelada."),
                             QStringLiteral("DCube.ExportExcel"));
        if (written == Written::Failed)
            return failed();
        const QByteArray end("\n        </ss:Table>\n    </ss:Worksheet>\n</ss:Workbook>\n");
        if (table.write(end) != end.size() || !table.flush())
            return failed();
    }

    ExportFile file(path);
    if (!file.open())
        return failed();
    XmlText out(file.device());
    QXmlStreamWriter w(out.text());
    begin(w, [&] {
        w.writeStartElement(ss, QStringLiteral("Styles"));
        for (const auto &s : std::as_const(styles)) {
            const ExCell &c = s.second;
            w.writeStartElement(ss, QStringLiteral("Style"));
            w.writeAttribute(ss, QStringLiteral("ID"), s.first);
            if (c.heading) {
                w.writeEmptyElement(ss, QStringLiteral("Font"));
                w.writeAttribute(ss, QStringLiteral("Bold"), QStringLiteral("1"));
                if (c.fore != -1)
                    w.writeAttribute(ss, QStringLiteral("Color"), htmlColor(c.fore));
            } else if (c.fore != -1) {
                w.writeEmptyElement(ss, QStringLiteral("Font"));
                w.writeAttribute(ss, QStringLiteral("Color"), htmlColor(c.fore));
            }
            if (c.back != -1) {
                w.writeEmptyElement(ss, QStringLiteral("Interior"));
                w.writeAttribute(ss, QStringLiteral("Color"), htmlColor(c.back));
                w.writeAttribute(ss, QStringLiteral("Pattern"), QStringLiteral("Solid"));
            }
            if (!c.heading && formattedNumbers) {
                w.writeEmptyElement(ss, QStringLiteral("NumberFormat"));
                w.writeAttribute(ss, QStringLiteral("Format"), excelFormat(c.format));
            }
            w.writeEndElement();
        }
        w.writeEndElement();
    });
    if (w.hasError() || !out.flush() || !table.seek(0))
        return failed();
    // The rest of the workbook, from the end of the table's start tag.
    QByteArray chunk;
    while (!(chunk = table.read(1 << 20)).isEmpty()) {
        if (file.device()->write(chunk) != chunk.size()) {
            file.fail();
            break;
        }
    }
    if (!file.commit())
        return failed();
    return d->result();
}

} // namespace kq::platform
