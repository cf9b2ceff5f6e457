// HTML and Excel 2003 XML (SpreadsheetML) exports of the laid-out grid.

#include "platform/cube/cubemodel.h"

#include "platform/cube/cubemodel_p.h"

#include <QSaveFile>
#include <QXmlStreamWriter>

namespace kq::platform {

namespace {

struct ExCell
{
    QString text;
    QVariant number;     // data cells with a value
    QString format;      // its number format
    bool heading = false;
    bool total = false;
    bool covered = false; // inside another cell's merge
    int rowSpan = 1;
    int colSpan = 1;
    int back = -1;       // Windows RGB, -1 none
    int fore = -1;
};

using ExGrid = QVector<QVector<ExCell>>;

QString htmlColor(int winRgb)
{
    return cubeColor(winRgb).name();
}

ExGrid buildGrid(CubeModel &m, bool totals, bool formatted, bool colors, bool merge)
{
    m.ensureLayout();
    QVector<int> rows, cols;
    for (int r = 0; r < m.rowCount(); ++r) {
        if (totals || !m.isTotalRow(r))
            rows.append(r);
    }
    for (int c = 0; c < m.columnCount(); ++c) {
        if (totals || !m.isTotalColumn(c))
            cols.append(c);
    }
    const int rowLevels = m.rowFields()->count();
    const bool multi = m.shownDataFieldCount() >= 2;
    const int colLevels = qMax(1, m.columnFields()->count() + (multi ? 1 : 0));
    const CubeStyle &st = m.style();
    const int width = rowLevels + int(cols.size());
    ExGrid g(colLevels + int(rows.size()), QVector<ExCell>(qMax(1, width)));
    auto headingColors = [&](ExCell &cell, bool total) {
        if (!colors)
            return;
        cell.back = total ? st.totalsBackColor : st.headingsBackColor;
        cell.fore = total ? st.totalsForeColor : st.headingsForeColor;
    };
    for (int k = 0; k < rowLevels && colLevels > 0; ++k) {
        ExCell &corner = g[colLevels - 1][k];
        corner.heading = true;
        corner.text = m.rowFields()->itemByPosition(k)->caption();
        headingColors(corner, false);
    }
    for (int j = 0; j < cols.size(); ++j) {
        const int c = cols.at(j);
        for (int l = 1; l <= colLevels; ++l) {
            ExCell &cell = g[l - 1][rowLevels + j];
            CubeHeading h = m.columnHeading(c, l);
            cell.heading = true;
            cell.total = h.total;
            cell.text = h.text;
            if (l == 1 && m.columnFields()->count() == 0 && !multi && m.dataFieldOfColumn(c))
                cell.text = m.dataFieldOfColumn(c)->caption();
            headingColors(cell, cell.total);
        }
    }
    for (int i = 0; i < rows.size(); ++i) {
        const int r = rows.at(i);
        for (int l = 1; l <= rowLevels; ++l) {
            ExCell &cell = g[colLevels + i][l - 1];
            const CubeHeading h = m.rowHeading(r, l);
            cell.heading = true;
            cell.total = h.total;
            cell.text = h.text;
            headingColors(cell, cell.total);
        }
        for (int j = 0; j < cols.size(); ++j) {
            const int c = cols.at(j);
            ExCell &cell = g[colLevels + i][rowLevels + j];
            const CubeCell fc = m.formatCell(r, c);
            cell.total = fc.total;
            if (!fc.empty) {
                CubeField *f = m.dataFieldOfColumn(c);
                cell.format = f ? f->numberFormat() : QString();
                cell.number = fc.value;
                cell.text = formatted ? m.cellText(r, c)
                                      : QString::number(fc.value, 'g', 15);
            }
            if (colors) {
                cell.back = fc.backColor;
                cell.fore = fc.foreColor;
            }
        }
    }
    if (!merge)
        return g;
    // Repeated headings: column headings across, row headings down, each
    // only inside its parent's span.
    for (int l = 0; l < colLevels; ++l) {
        for (int j = rowLevels; j < width;) {
            int k = j + 1;
            auto same = [&](int a, int b) {
                for (int p = 0; p <= l; ++p) {
                    if (g[p][a].text != g[p][b].text || g[p][a].total != g[p][b].total)
                        return false;
                }
                return true;
            };
            while (k < width && !g[l][j].text.isEmpty() && same(j, k))
                ++k;
            g[l][j].colSpan = k - j;
            for (int x = j + 1; x < k; ++x)
                g[l][x].covered = true;
            j = k;
        }
    }
    const int height = int(g.size());
    for (int l = 0; l < rowLevels; ++l) {
        for (int i = colLevels; i < height;) {
            int k = i + 1;
            auto same = [&](int a, int b) {
                for (int p = 0; p <= l; ++p) {
                    if (g[a][p].text != g[b][p].text || g[a][p].total != g[b][p].total)
                        return false;
                }
                return true;
            };
            while (k < height && !g[i][l].text.isEmpty() && same(i, k))
                ++k;
            g[i][l].rowSpan = k - i;
            for (int y = i + 1; y < k; ++y)
                g[y][l].covered = true;
            i = k;
        }
    }
    return g;
}

QString excelFormat(const QString &f)
{
    if (f.isEmpty())
        return QStringLiteral("General");
    if (f.compare(QStringLiteral("currency"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Currency");
    return f;
}

} // namespace

bool CubeModel::exportHtml(const QString &path, bool includeTotals, bool formattedNumbers,
                           bool colors, bool mergeHeadings)
{
    const ExGrid g = buildGrid(*this, includeTotals, formattedNumbers, colors, mergeHeadings);
    QString html;
    QXmlStreamWriter w(&html);
    w.setAutoFormatting(true);
    w.writeDTD(QStringLiteral("<!DOCTYPE html>"));
    w.writeStartElement(QStringLiteral("html"));
    w.writeStartElement(QStringLiteral("head"));
    w.writeEmptyElement(QStringLiteral("meta"));
    w.writeAttribute(QStringLiteral("charset"), QStringLiteral("utf-8"));
    w.writeTextElement(QStringLiteral("title"), d->header.isEmpty() ? QStringLiteral("Cubo")
                                                                    : d->header);
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("body"));
    w.writeStartElement(QStringLiteral("table"));
    w.writeAttribute(QStringLiteral("border"), QStringLiteral("1"));
    w.writeAttribute(QStringLiteral("cellspacing"), QStringLiteral("0"));
    for (const auto &row : g) {
        w.writeStartElement(QStringLiteral("tr"));
        for (const ExCell &c : row) {
            if (c.covered)
                continue;
            w.writeStartElement(c.heading ? QStringLiteral("th") : QStringLiteral("td"));
            if (c.rowSpan > 1)
                w.writeAttribute(QStringLiteral("rowspan"), QString::number(c.rowSpan));
            if (c.colSpan > 1)
                w.writeAttribute(QStringLiteral("colspan"), QString::number(c.colSpan));
            QString style;
            if (c.back != -1)
                style += QStringLiteral("background-color:%1;").arg(htmlColor(c.back));
            if (c.fore != -1)
                style += QStringLiteral("color:%1;").arg(htmlColor(c.fore));
            if (!c.heading)
                style += QStringLiteral("text-align:right;");
            if (!style.isEmpty())
                w.writeAttribute(QStringLiteral("style"), style);
            w.writeCharacters(c.text);
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
    QSaveFile file(path);
    const QByteArray bytes = html.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        d->fail(CubeErrWrite, QStringLiteral("Could not write %1").arg(path),
                QStringLiteral("DCube.ExportHTML"));
        return false;
    }
    return true;
}

bool CubeModel::exportExcel(const QString &path, bool includeTotals, bool formattedNumbers,
                            bool colors, bool mergeHeadings)
{
    const ExGrid g = buildGrid(*this, includeTotals, formattedNumbers, colors, mergeHeadings);
    // One style per distinct look.
    QHash<QString, QString> styleIds;
    QVector<QPair<QString, ExCell>> styles;
    auto styleKey = [&](const ExCell &c) {
        return QStringLiteral("%1|%2|%3|%4").arg(c.heading).arg(c.back).arg(c.fore)
            .arg(formattedNumbers && !c.heading ? excelFormat(c.format) : QString());
    };
    for (const auto &row : g) {
        for (const ExCell &c : row) {
            const QString key = styleKey(c);
            if (!styleIds.contains(key)) {
                const QString id = QStringLiteral("s%1").arg(styles.size() + 1);
                styleIds.insert(key, id);
                styles.append({id, c});
            }
        }
    }
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeProcessingInstruction(QStringLiteral("mso-application"),
                                 QStringLiteral("progid=\"Excel.Sheet\""));
    const QString ss = QStringLiteral("urn:schemas-microsoft-com:office:spreadsheet");
    w.writeDefaultNamespace(ss);
    w.writeNamespace(ss, QStringLiteral("ss"));
    w.writeStartElement(ss, QStringLiteral("Workbook"));
    w.writeStartElement(ss, QStringLiteral("Styles"));
    for (const auto &s : styles) {
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
    w.writeStartElement(ss, QStringLiteral("Worksheet"));
    w.writeAttribute(ss, QStringLiteral("Name"), QStringLiteral("Cubo"));
    w.writeStartElement(ss, QStringLiteral("Table"));
    for (const auto &row : g) {
        w.writeStartElement(ss, QStringLiteral("Row"));
        for (int x = 0; x < row.size(); ++x) {
            const ExCell &c = row.at(x);
            if (c.covered)
                continue;
            w.writeStartElement(ss, QStringLiteral("Cell"));
            w.writeAttribute(ss, QStringLiteral("Index"), QString::number(x + 1));
            w.writeAttribute(ss, QStringLiteral("StyleID"), styleIds.value(styleKey(c)));
            if (c.colSpan > 1)
                w.writeAttribute(ss, QStringLiteral("MergeAcross"),
                                 QString::number(c.colSpan - 1));
            if (c.rowSpan > 1)
                w.writeAttribute(ss, QStringLiteral("MergeDown"), QString::number(c.rowSpan - 1));
            if (c.number.isValid() || !c.text.isEmpty()) {
                w.writeStartElement(ss, QStringLiteral("Data"));
                if (c.number.isValid()) {
                    w.writeAttribute(ss, QStringLiteral("Type"), QStringLiteral("Number"));
                    w.writeCharacters(QString::number(c.number.toDouble(), 'g', 15));
                } else {
                    w.writeAttribute(ss, QStringLiteral("Type"), QStringLiteral("String"));
                    w.writeCharacters(c.text);
                }
                w.writeEndElement();
            }
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() || !file.commit()) {
        d->fail(CubeErrWrite, QStringLiteral("Could not write %1").arg(path),
                QStringLiteral("DCube.ExportExcel"));
        return false;
    }
    return true;
}

} // namespace kq::platform
