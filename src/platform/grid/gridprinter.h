#pragma once

#include "platform/grid/gridfit.h"
#include "platform/grid/gridtypes.h"

#include <QFont>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <QVector>

class QPainter;
class QPaintDevice;
class QPrinter;

namespace kq::platform {

class GridEX;
class GridEXPrivate;
class GridModel;

// Lays a grid's rows out on pages and draws them: page header and footer
// texts, the column headers (first page or every page), group rows with
// their sums, records with their preview text, the total row.
//
// No value is ever cut. The designed columns are fitted to the page: turned
// to landscape when they do not fit a portrait page, then printed in a
// smaller font down to 6 pt, then continued on further pages (bands of
// columns, the key columns repeated on each). Money, dates, codes, sums and
// group captions print whole; text with blanks wraps inside its cell.
class GridPrinter
{
public:
    GridPrinter(GridEXPrivate *d, bool onlySelected);

    // Fits the columns (the printer may be turned to landscape) and returns
    // the pages on this printer.
    int paginate(QPrinter *printer);
    // Draws every page; emits the grid's pagePrinting before each one.
    // Returns the page count.
    int print(QPrinter *printer);

    // The same a part at a time, for a preview: begin() fits the columns
    // (every row's texts measured once), then each layoutMore() places up to
    // `lines` more lines on pages; false once every line is placed.
    void begin(QPrinter *printer);
    bool layoutMore(int lines);
    bool isComplete() const { return m_complete; }
    // The pages laid out so far (all of them once complete).
    int pageCount() const;
    // Draws a page laid out, on the printer's pixels from the printable
    // area's corner; emits the grid's pagePrinting with the pages known.
    void drawPage(QPainter &p, int page);

private:
    struct Line
    {
        RowType type = RowType::Record;
        int record = -1;
        int group = -1;
        int level = 0;     // group level from 1
        double height = 0; // the whole line, preview included
        double cells = 0;  // the cells' part of a record line
        bool topGroup = false;
        bool sumsBelow = false; // group sums on a line under the caption
    };
    struct ColumnBox
    {
        int column = 0;
        double x = 0;
        double width = 0;
    };
    // The printed texts of one column, measured once in the base font.
    struct ColumnTexts
    {
        int column = 0;
        bool wraps = false; // text with blanks: may wrap inside its cell
        bool checkBox = false;
        double widest = 0;       // widest value on one line
        double longestWord = 0;  // widest word of a value or the caption
        double widestSum = 0;    // sums print bold
        QStringList widestTexts; // measured again in a smaller font
        QStringList longestWords;
        QStringList widestSums;
    };

    void collectLines();
    void measureTexts(QPaintDevice *device);
    QVector<ColumnNeed> needs(QPaintDevice *device, double pointSize) const;
    void chooseLayout(QPrinter *printer);
    void setFontSize(double pointSize, QPaintDevice *device);
    void measureBands(QPaintDevice *device);
    void measureLine(Line &line);
    void drawPage(QPainter &p, int page, int pageCount);
    void drawColumnHeaders(QPainter &p, double y);
    void drawLine(QPainter &p, const Line &line, double y);
    void drawBandTexts(QPainter &p, double top, double height, const QString &left,
                       const QString &center, const QString &right);
    QStringList cellLines(const QString &text, const QFont &font, QPaintDevice *device,
                          double width) const;
    int textLines(const QString &text) const;
    // A group or total row's caption over the lines it takes; *left its indent.
    QStringList captionLines(const Line &line, double *left) const;
    bool sumsOverlapCaption(const QString &lastCaptionLine, double left, int group,
                            QPaintDevice *device) const;

    GridEX *m_grid;
    GridEXPrivate *m_d;
    const GridModel *m_model;
    bool m_onlySelected;
    QSet<int> m_selected;
    QVector<Line> m_lines;
    QVector<QPair<int, int>> m_pages;       // first line, end line (one band)
    QVector<QPair<int, double>> m_wrapping; // wrapping column, text width
    int m_measured = 0;                     // lines measured
    int m_next = 0;                         // next line to place
    int m_pageStart = -1;                   // first line of the page being filled (-1: none)
    double m_y = 0;                         // height used on it
    bool m_complete = false;
    QVector<ColumnTexts> m_texts; // visible columns in display order
    QVector<QVector<ColumnBox>> m_bands;
    const QVector<ColumnBox> *m_boxes = nullptr; // the band being drawn
    double m_baseSize = 8.5;
    QFont m_font;
    QFont m_bold;
    QPaintDevice *m_device = nullptr;
    double m_pageWidth = 0;
    double m_pageHeight = 0;
    double m_lineHeight = 0;
    double m_pad = 0;
    double m_headerBand = 0;
    double m_footerBand = 0;
    double m_titleBand = 0;
    double m_columnHeader = 0;
    double m_indent = 0;
};

} // namespace kq::platform
