#pragma once

#include "gridtypes.h"

#include <QFont>
#include <QSet>
#include <QVector>

class QPainter;
class QPrinter;

namespace kq::platform {

class GridEX;
class GridModel;

// Lays a grid's rows out on pages and draws them: page header and footer
// texts, the column headers (first page or every page), group rows with
// their sums, records with their preview text, the total row.
class GridPrinter
{
public:
    GridPrinter(GridEX *grid, bool onlySelected);

    // Pages on this printer.
    int paginate(QPrinter *printer);
    // Draws every page; emits the grid's pagePrinting before each one.
    // Returns the page count.
    int print(QPrinter *printer);

private:
    struct Line
    {
        RowType type = RowType::Record;
        int record = -1;
        int group = -1;
        int level = 0;      // group level from 1
        double height = 0;
        bool topGroup = false;
    };
    struct ColumnBox
    {
        int column = 0;
        double x = 0;
        double width = 0;
    };

    void collectLines();
    void measure(QPrinter *printer);
    void drawPage(QPainter &p, int page, int pageCount);
    void drawColumnHeaders(QPainter &p, double y);
    void drawLine(QPainter &p, const Line &line, double y);
    void drawBandTexts(QPainter &p, double top, double height, const QString &left,
                       const QString &center, const QString &right);
    int textLines(const QString &text) const;

    GridEX *m_grid;
    const GridModel *m_model;
    bool m_onlySelected;
    QSet<int> m_selected;
    QVector<Line> m_lines;
    QVector<QPair<int, int>> m_pages; // first line, end line
    QVector<ColumnBox> m_boxes;
    QFont m_font;
    QFont m_bold;
    double m_pageWidth = 0;
    double m_pageHeight = 0;
    double m_lineHeight = 0;
    double m_headerBand = 0;
    double m_footerBand = 0;
    double m_titleBand = 0;
    double m_columnHeader = 0;
    double m_indent = 0;
};

} // namespace kq::platform
