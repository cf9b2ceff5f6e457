#pragma once

#include <QColor>
#include <QLocale>
#include <QString>
#include <QVariant>
#include <functional>

namespace kq::platform {

class CubeField;
class CubeDataItem;

// Where a field stands. Setting a field's orientation moves it between the
// collections; the codes are the cube control's own.
enum CubeOrientation : int {
    OrientHidden = 0,
    OrientColumn = 1,
    OrientRow = 2,
    OrientData = 3,
    OrientPage = 4,
};

// Aggregate of a data field (Sum is the default; Count counts the source rows
// whose value is not Null).
enum CubeAggregate : int {
    AggSum = 0,
    AggCount = 1,
    AggAvg = 2,
    AggMin = 3,
    AggMax = 4,
};

// Member order of an axis field: by label (see labelDescending), or ranked by
// the totals of its rank data field.
enum CubeSortType : int {
    SortLabel = 0,
    SortRankAscending = 1,
    SortRankDescending = 2,
};

// Total kind of a dimension for a calculated field (setTotalExpression).
enum CubeTotalKind : int {
    TotalDefault = 0,
    TotalExpression = 4,
};

// Areas of a hit record. In the field areas 4 and 6 the hit column, in
// area 5 the hit row, is the position of the field under the point.
enum CubeHitArea : int {
    HitNone = 0,
    HitDataCells = 1,
    HitColumnHeadings = 2,
    HitRowHeadings = 3,
    HitColumnFieldArea = 4,
    HitRowFieldArea = 5,
    HitPageFieldArea = 6,
};

// Flags of DCube::save / CubeModel::save.
enum CubeSaveFlag : int {
    SaveLayoutOnly = 0,
    SaveWithData = 1,
    SaveCompressed = 2,
};

// Progress of a long piece of work (building, files, exports): done of total
// steps (total 0 when unknown). Returning false cancels the work.
using CubeProgress = std::function<bool(qint64 done, qint64 total)>;

// Error numbers of load, save and export. 1014 and 1021 are the control's;
// the others are ours.
enum CubeError : int {
    CubeErrNone = 0,
    CubeErrFileMissing = 1014, // "File not found"
    CubeErrPassword = 1021,    // password missing or wrong
    CubeErrNotCubeFile = 1030, // not one of our cube files
    CubeErrVersion = 1031,     // written by a newer version
    CubeErrCorrupt = 1032,     // damaged file
    CubeErrDataSource = 1033,  // the record source could not be read
    CubeErrWrite = 1034,       // the file could not be written
    CubeErrUnsupported = 1035, // e.g. a web address
    CubeErrCancelled = 1036,   // the user cancelled the work
};

// One heading cell of a row or column at a level (level 1 = outermost).
// A member heading has item and field set; a total heading has total set and
// the total caption as text; the data-caption level (column level = column
// field count + 1, when two or more data fields are shown) has dataCaption
// set, field = that data field. Any other level is empty (text "").
struct CubeHeading
{
    QString text;
    CubeDataItem *item = nullptr;
    CubeField *field = nullptr;
    bool total = false;
    bool dataCaption = false;

    bool isDataItem() const { return item != nullptr; }
    operator QString() const { return text; }
};

// What lies under a point of the widget (see CubeHitArea). row/column are
// dense 0-based grid indices in areas 1-3 (-1 where the point has none);
// headingField is the axis field whose heading lies at the point (null on the
// data-caption level and outside the heading areas; in the field areas, the
// field button under the point).
struct CubeHitRecord
{
    int area = HitNone;
    int row = -1;
    int column = -1;
    CubeField *headingField = nullptr;
};

// Result of a cube operation: ok, or the error number and its description
// (the model also keeps them as its last error and raises errorOccurred).
struct CubeResult
{
    bool ok = false;
    int code = CubeErrNone;
    QString description;

    // Reads as the old bool results did.
    operator bool() const { return ok; }
};

// Argument of the per-cell format signal. Handlers may change backColor and
// foreColor (Windows RGB values, red in the low byte); the others are read-only
// facts about the cell. dataFieldNumber is +(position + 1) of the cell's data
// field (-(position + 1) on a total row or column; 0 with no data field).
struct CubeCell
{
    int row = -1;
    int column = -1;
    int dataFieldNumber = 0;
    double value = 0.0; // the cell's value; 0 for an empty cell
    bool empty = true;  // no source row falls in the cell
    bool total = false; // on a total row or total column
    int backColor = 0xFFFFFF;
    int foreColor = 0;
};

// Windows RGB (red in the low byte; a value with the high bit set, e.g.
// int(0x8000000F), names a system colour resolved through the palette) to a
// QColor, and back (alpha dropped).
QColor cubeColor(int winRgb);
int cubeWinRgb(const QColor &color);

// The cube's number formats ("0.00", "#,##0", "$#,##0.00", "Currency",
// "Percent", "0", "" for the plain value) applied in the given locale ("."
// the decimal and "," the group separator of the locale; "$" its currency
// symbol). Rounds half away from zero.
QString cubeFormatNumber(double value, const QString &format, const QLocale &locale);

// One of those formats read once, for many values.
class CubeNumberFormat
{
public:
    CubeNumberFormat(const QString &format, const QLocale &locale);
    QString format(double value) const;
    // A pattern whose texts never need escaping in XML.
    bool xmlPlain() const { return m_kind == Pattern && m_xmlPlain; }

private:
    enum Kind { Plain, Pattern, Currency, Percent };
    Kind m_kind = Plain;
    QLocale m_locale;
    QString m_symbol;
    QString m_prefix, m_suffix;
    QString m_decimalPoint, m_groupSeparator;
    int m_decimals = 0;
    double m_power = 1;
    int m_minInt = 0;
    bool m_group = false;
    bool m_xmlPlain = false;
};

} // namespace kq::platform
