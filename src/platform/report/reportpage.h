#pragma once

#include "platform/report/reportdefinition.h"

#include <QFont>
#include <QPageLayout>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QVector>
#include <functional>

class QPainter;
class QPrinter;

namespace kq::platform {

class ReportDocument;
struct ReportLine;

// The pages of a report on one paper: title, "Emitido em", column headers on
// every page, the lines, "Página n de N" and the record count. Measured in
// units of 1/1200 inch with fonts sized in those units, so that the screen
// and every printer show the same pages. Where each page starts is kept as
// the document grows; a group header never ends a page.
class ReportPageLayout
{
public:
    static constexpr double kUnitsPerInch = 1200;

    ReportPageLayout(const ReportDefinition &def, const QPageLayout &page);

    QSizeF paperSize() const { return m_paper; }
    QPointF paintOffset() const { return m_offset; }
    QSizeF paintSize() const { return m_area; }
    int linesPerPage() const { return m_perPage; }

    // Takes in the lines the document has read since the last call.
    void paginate(const ReportDocument &doc);
    int pageCount() const { return int(m_starts.size()); }
    // Draws a page; the painter's units are 1/1200 inch from the printable
    // area's corner. Until the document is read whole a page shows no total.
    void drawPage(QPainter &p, const ReportDocument &doc, int page) const;

private:
    Qt::Alignment alignOf(int column) const;
    // Where a total line writes its caption: over the first columns in a
    // row that it leaves empty, so that it covers no total (none when every
    // column has one).
    QRectF captionRoom(const ReportLine &line, double y) const;

    ReportDefinition m_def;
    QSizeF m_paper;
    QPointF m_offset;
    QSizeF m_area;
    QFont m_body;
    QFont m_bold;
    QFont m_title;
    double m_lineH = 0;
    double m_titleH = 0;
    double m_headTop = 0;
    double m_bodyTop = 0;
    double m_pad = 0;
    int m_perPage = 1;
    QVector<double> m_xs;
    QVector<int> m_starts{0};
    int m_placed = 0; // lines placed on pages
    int m_fill = 0;   // lines on the last page
};

// Prints (or writes as PDF) every page of a document read whole, one page at
// a time; honours the printer's page range. step(page, pages) after each
// page; false stops. Returns the pages printed, 0 when stopped or failed.
int renderReport(QPrinter *printer, ReportDocument &doc,
                 const std::function<bool(int page, int pages)> &step = {});

} // namespace kq::platform
