#pragma once

#include "cube/model/cubefield.h"
#include "cube/model/cubetypes.h"

#include <QFont>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <utility>

namespace kq::platform {

// Colours (Windows RGB; system colours as int(0x80000000 | index)), fonts and
// the style numbers of a cube. The style numbers are kept and saved; only
// gridStyle 0 (no grid lines) changes the painting.
struct CubeStyle
{
    int borderStyle = 1;
    int rowStyle = 1;
    int colStyle = 1;
    int gridStyle = 1;
    int gridColor = 0xC0C0C0;
    int cubeBackColor = int(0x8000000F);
    int cellBackColor = 0xFFFFFF;
    int cellForeColor = 0;
    int fieldsBackColor = 0x808080;
    int fieldsForeColor = 0xFFFFFF;
    int filteredFieldsBackColor = 0x808080;
    int filteredFieldsForeColor = 0x00FFFF;
    int headingsBackColor = int(0x8000000F);
    int headingsForeColor = int(0x80000008);
    int totalsBackColor = int(0x80000018);
    int totalsForeColor = int(0x80000008);
    QFont font;
    QFont fieldFont;
    QFont filteredFieldFont;
    QFont headingsFont;
    QFont totalsFont;
};

// The pivot engine, without widgets. The record source runs once through the
// data layer (Jet SQL translated); each field's source is evaluated per row,
// dimensions are dictionary-encoded and the cells aggregated over member
// paths. The grid it lays out is addressed by dense 0-based row and column
// indices; headings have levels from 1 (outermost).
//
// Rows: the row fields by position, each member followed by its children
// while expanded; a field's group footer adds a "Total" row at its level after
// each group of its parent (the outermost field's is the grand total).
// Columns likewise, each column member repeated per shown data field (data
// fields innermost). No data field shown: one empty column per member.
class CubeModel : public QObject
{
    Q_OBJECT
public:
    explicit CubeModel(QObject *parent = nullptr);
    ~CubeModel() override;

    // --- connection and definition -----------------------------------------
    // 1 = Access: databaseName is the file; 5 = OLE DB: the file is the
    // "Data Source=" of connect. Both open the database file through src/data.
    int connectType() const;
    void setConnectType(int type);
    QString connect() const;
    void setConnect(const QString &connect);
    QString databaseName() const;
    void setDatabaseName(const QString &path);
    // The database file the connection names.
    QString databasePath() const;
    // Jet SQL text or a bare table name.
    QString recordSource() const;
    void setRecordSource(const QString &source);

    // When on, any change of fields or settings lays the cube out again before
    // the next query; when off, only rebuild() does.
    bool autoDataRefresh() const;
    void setAutoDataRefresh(bool on);

    // Runs the record source when the connection or source changed (or never
    // ran), then applies fields, filters and sort settings. False on failure
    // (lastError()); errorOccurred is raised first. progress hears of the
    // source rows read and may cancel (1036): the cube keeps what it held,
    // and reads the source again only when asked to.
    CubeResult rebuild(const CubeProgress &progress = {});
    // Runs the record source again even when nothing changed.
    CubeResult reloadData(const CubeProgress &progress = {});
    // True once source rows are present (from the database or a data file).
    bool hasData() const;
    int sourceRowCount() const;

    // Date-part templates, kept and saved ("<field>" stands for the column).
    QString sqlYearPart() const;
    void setSqlYearPart(const QString &t);
    QString sqlQuarterPart() const;
    void setSqlQuarterPart(const QString &t);
    QString sqlMonthPart() const;
    void setSqlMonthPart(const QString &t);
    QString sqlWeekPart() const;
    void setSqlWeekPart(const QString &t);

    // Page header and footer of printing; "&P" page number, "&PP" page count.
    QString headerCaption() const;
    void setHeaderCaption(const QString &caption);
    QString footerCaption() const;
    void setFooterCaption(const QString &caption);

    CubeStyle &style();
    const CubeStyle &style() const;
    void setStyle(const CubeStyle &style);

    // --- fields ------------------------------------------------------------
    CubeFields *fields();
    CubeFields *rowFields();
    CubeFields *columnFields();
    CubeFields *dataFields();
    CubeFields *pageFields();
    CubeField *addField(const QString &source, const QString &caption, int orientation);
    void removeField(CubeField *field);
    void removeAllFields();
    // Field by name (case-insensitive), null when none.
    CubeField *field(const QString &name) const;
    // Data field by its dataIndex, null when none.
    CubeField *dataFieldByIndex(int dataIndex) const;
    // Number of data fields shown.
    int shownDataFieldCount() const;
    // Data fields shown, by position.
    QList<CubeField *> shownDataFields() const;

    // --- grid queries (lay the cube out first when needed) ------------------
    int rowCount() const;
    int columnCount() const;
    // i + 1 (the index after i); rowCount() / columnCount() after the last.
    int nextRow(int i) const;
    int nextColumn(int i) const;

    int currentRow() const;
    int currentColumn() const;
    // Makes (r, c) current and collapses the block to it (clamped to the grid).
    void setCurrentCell(int row, int column);
    // The block's opposite corner (clamped); the current cell stays.
    void setSelectionCorner(int row, int column);
    // (current, opposite corner), always valid indices (0 on an empty grid).
    std::pair<int, int> rowCorners() const;
    std::pair<int, int> columnCorners() const;

    int rowHeadingDepth(int row) const;
    int columnHeadingDepth(int column) const;
    CubeHeading rowHeading(int row, int level) const;
    CubeHeading columnHeading(int column, int level) const;
    // Whether two rows (columns) read the same at every heading level from 1
    // to level, texts and totals, and not empty at level: the headings that
    // the widget and the exports draw as one.
    bool sameRowHeading(int a, int b, int level) const;
    bool sameColumnHeading(int a, int b, int level) const;
    bool isTotalRow(int row) const;
    bool isTotalColumn(int column) const;

    // Invalid QVariant for an empty cell (which reads as 0); else a double.
    QVariant cellValue(int row, int column) const;
    // The value in its data field's number format (locale given or QLocale()).
    QString cellText(int row, int column) const;
    QString cellText(int row, int column, const QLocale &locale) const;
    CubeField *dataFieldOfColumn(int column) const;

    // Levels shown: rows = 1 + the consecutive expanded row fields from
    // position 0 (0 with no row field); columns likewise, plus 1 when two or
    // more data fields are shown.
    int displayedRowLevels() const;
    int displayedColumnLevels() const;

    // Expanded state of the heading at (row, field position) — level0 is the
    // row field's position. Setting it overrides the field's flag for that
    // member path (false for a total heading or a level the row lacks).
    bool rowHeadingExpanded(int row, int level0) const;
    void setRowHeadingExpanded(int row, int level0, bool expanded);
    bool columnHeadingExpanded(int column, int level0) const;
    void setColumnHeadingExpanded(int column, int level0, bool expanded);
    // Whether the heading at that place can be expanded (its field has a
    // field below it on the axis).
    bool rowHeadingExpandable(int row, int level0) const;
    bool columnHeadingExpandable(int column, int level0) const;

    // Runs the per-cell format handlers for one cell (cell colours start as
    // the style's cell or totals colours).
    CubeCell formatCell(int row, int column);

    // --- files and exports ------------------------------------------------
    // Used by save (when not empty) and by load; kept across operations.
    QString password() const;
    void setPassword(const QString &password);
    // Writes the cube (flags: SaveWithData, SaveCompressed) atomically;
    // encrypted when the password is set. False on failure (lastError());
    // progress hears of its steps and may cancel (1036): no file is written.
    CubeResult save(const QString &path, int flags, const CubeProgress &progress = {});
    // Reads a cube file: 1014 file missing, 1021 password missing or wrong,
    // 1030/1031/1032 not ours / newer version / damaged, 1033 source failed,
    // 1036 cancelled through progress. A failed load leaves the cube as it was.
    CubeResult load(const QString &path, const CubeProgress &progress = {});
    // A local file (path or file:// address) is loaded; any other address is
    // refused (1035).
    CubeResult openUrl(const QString &url);

    // The grid as it is laid out (totals only when includeTotals), numbers
    // formatted or raw, cell colours (format handlers included), repeated
    // headings merged. HTML: one UTF-8 table. Excel: Excel 2003 XML
    // (SpreadsheetML). Written row by row; progress hears of the lines
    // written and may cancel (1036), which leaves no file. False when the
    // file cannot be written (1034).
    CubeResult exportHtml(const QString &path, bool includeTotals, bool formattedNumbers,
                          bool colors, bool mergeHeadings, const CubeProgress &progress = {});
    CubeResult exportExcel(const QString &path, bool includeTotals, bool formattedNumbers,
                           bool colors, bool mergeHeadings, const CubeProgress &progress = {});

    int lastErrorCode() const;
    QString lastError() const;

    // Brings the layout up to date now (queries do it themselves). Does
    // nothing while a long piece of work runs (isBusy): queries then answer
    // from the layout as it was.
    void ensureLayout() const;
    bool isBusy() const;
    // Marks the layout out of date (fields call it).
    void invalidate(bool structural = true);
    // Number of layouts made (tests: a re-sort runs once per request).
    int layoutCount() const;

signals:
    // Per cell, before painting and exporting: handlers may set the colours.
    void formatCellRequested(kq::platform::CubeCell *cell);
    // The grid was laid out again.
    void layoutChanged();
    // A field or setting changed: the layout is out of date.
    void invalidated();
    // A data field's shown flag changed (its position).
    void dataFieldShownChanged(int position);
    // An error of the cube; a handler sets *handled to keep the cube silent.
    void errorOccurred(int code, const QString &description, const QString &source, bool *handled);

private:
    friend class CubeField;
    friend class CubeDataItem;
    friend class CubeFields;
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace kq::platform
