#pragma once

#include "data/dataerror.h"

#include <QColor>
#include <QString>

namespace kq::platform {

class GridEX;
class GridModel;

// A failure of the grid (bad record source, a field the query lacks, a bad
// layout file). The grid keeps what it showed before the failing call.
class GridError : public kq::data::DataError
{
public:
    using kq::data::DataError::DataError;
};

// Error numbers raised by the grid.
namespace GridErrorNumber {
constexpr int RecordSource = 3061; // the record source failed to run
constexpr int UnknownField = 3265; // a column is bound to a field the query lacks
constexpr int LayoutWrite = 75;    // the layout file could not be written
constexpr int LayoutRead = 53;     // the layout file could not be read
constexpr int LayoutFormat = 321;  // the file is not a layout of this grid
constexpr int BadIndex = 9;        // a column index out of range
constexpr int PrintFailed = 482;   // the printer failed
} // namespace GridErrorNumber

enum class RowType {
    Record,      // a data row: a record of the record source
    GroupHeader, // the header row of a group
    TotalRow,    // the grand total row under the last record
};

enum class Aggregate { None, Sum, Count };

enum class SortOrder { Ascending, Descending };

// A named look used by the row-format hook. An invalid colour keeps the
// grid's own colour for that role.
struct FormatStyle
{
    QString name;
    QColor foreColor;
    QColor backColor;
    bool bold = false;
};

// Page options of printing and preview.
struct GridPrinterSettings
{
    // A page break before each top-level group.
    bool groupPages = false;
    // The column headers at the top of every page (otherwise only on the first).
    bool repeatHeaders = true;
    // Draws the cell grid lines.
    bool gridLines = false;
    // Page header and footer texts by position: 1 left, 2 centre, 3 right.
    // A text may hold line breaks ("\r\n" or "\n").
    QString headerLeft, headerCenter, headerRight;
    QString footerLeft, footerCenter, footerRight;
    // Kept for the screens that set it; the print engine does not use it.
    int numericOption = 0;
    bool landscape = false;

    void setHeader(int position, const QString &text);
    void setFooter(int position, const QString &text);
    QString header(int position) const;
    QString footer(int position) const;
};

} // namespace kq::platform
