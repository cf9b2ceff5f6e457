#pragma once

#include "platform/grid/gridcolumn.h"
#include "platform/grid/gridrow.h"
#include "platform/grid/gridtypes.h"

#include "data/recordsource.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>
#include <memory>

class QPrinter;
class QTreeView;

namespace kq::platform {

class GEXPreview;
class GridEXPrivate;
class GridPrinter;

// The list and query grid of every screen: bound to a database file and a
// Jet record source through the data layer, with designed columns, named
// row styles, grouping with sums, a preview row, drop-down columns, printing,
// print preview and layout files. The screen sets the object name
// ("GridEX1"). Rows are held compactly in the model; there is no widget per
// row.
//
// Rows: "row" below is a display row, from 0, in the current order with every
// group expanded: group header rows, records and the total row. A group row
// or the total row is never the current record.
//
// Errors: binding, layout and printing failures throw GridError (a
// kq::data::DataError); the grid then shows what it showed before.
class GridEX : public QWidget
{
    Q_OBJECT
public:
    explicit GridEX(QWidget *parent = nullptr);
    ~GridEX() override;

    // ---- Binding -------------------------------------------------------
    // Full path of the database file ("<data folder>/devolvidos.mdb").
    void setDatabaseName(const QString &path);
    QString databaseName() const;
    // Record source in Jet SQL, translated with kq::data::translateJet, with
    // the values bound to its "?" when it runs.
    void setRecordSource(const kq::data::RecordSource &source);
    const kq::data::RecordSource &recordSource() const;
    // Takes the database and record source set (no query is run yet).
    void rebind();
    // Runs the record source and shows its rows. The designed columns stay as
    // they are; a grid with no columns gets one per query field on its first
    // refresh. The current record is kept by its key (setKeyColumn) when it
    // is still there. Throws GridError when the query fails or a column's
    // field is not in the query; the grid then keeps its previous rows.
    void refresh();
    // Records of the last refresh.
    int recordCount() const;

    // The key column (from 1) used to keep the current record across a
    // refresh; 0 (default) uses the first column bound to a field.
    void setKeyColumn(int column);
    int keyColumn() const;

    // In-place edits of editable columns are written to this table, the row
    // found by keyField = the row's key column value (bound parameters).
    void setUpdateTable(const QString &table, const QString &keyField);

    // ---- Columns -------------------------------------------------------
    // Adds a designed column at the end; returns it. Index = columnCount().
    GridColumn &addColumn(const QString &field, const QString &caption = QString(),
                          int width = 100);
    void clearColumns();
    int columnCount() const;
    // Column by index from 1 (designed order). Throws GridError when out of
    // range.
    GridColumn &column(int index);
    const GridColumn &column(int index) const;
    // Column by its key or bound field (case ignored); nullptr when none.
    GridColumn *columnByKey(const QString &key);
    // Column shown at display position p (from 1, hidden columns counted).
    GridColumn &columnAtPosition(int position);

    // ---- Current row and selection ------------------------------------
    // Value of column n (from 1, hidden included) of the current record;
    // invalid QVariant on a group row or when there is no current record.
    QVariant value(int column) const;
    // The text shown for column n of the current record (empty when none).
    QString text(int column) const;
    bool hasCurrentRecord() const;
    // True when the current row is a group header or the total row.
    bool isGroupRow() const;

    int rowCount() const;
    RowType rowType(int row) const;
    QVariant valueAt(int row, int column) const;
    QString textAt(int row, int column) const;
    // -1 when no row is current.
    int currentRow() const;
    // Makes a row current (as a click would): emits rowChanged when the
    // current record changes. Out-of-range rows are ignored.
    void setCurrentRow(int row);
    // Display row of the first record whose column n equals value (text
    // compared without regard to case); -1 when none.
    int findRow(int column, const QVariant &value) const;
    // Several rows can be selected (the current row is one of them).
    void selectRows(const QList<int> &rows);
    QList<int> selectedRows() const;

    // ---- Looks ---------------------------------------------------------
    // Header click sorts (default on).
    void setHeaderSort(bool on);
    // Sorts the records by column n (from 1); within groups when grouped.
    void sortBy(int column, SortOrder order = SortOrder::Ascending);
    void setMultiSelect(bool on);
    bool multiSelect() const;
    // Background of odd rows (1st, 3rd, ...) and even rows. Invalid colours
    // turn the alternation off (default).
    void setAlternatingRowColors(const QColor &odd, const QColor &even = Qt::white);
    // Header height in pixels (0 = the style's).
    void setHeaderHeight(int pixels);

    // Named format styles; adding a name again replaces its colours.
    void addFormatStyle(const QString &name, const QColor &foreColor,
                        const QColor &backColor = QColor(), bool bold = false);
    void removeFormatStyle(const QString &name);
    void clearFormatStyles();
    bool hasFormatStyle(const QString &name) const;
    FormatStyle formatStyle(const QString &name) const;
    // Style of the group header rows and the total row (default bold on grey).
    void setGroupRowStyle(const QColor &foreColor, const QColor &backColor);

    // Row-format hook, called once for each record and group row before it is
    // first drawn, printed or read with rowStyleName/groupCaption. The call
    // is direct: connect with a plain lambda or slot. Both the signal and the
    // function are called when both are set.
    using RowFormatter = std::function<void(GridRow &row)>;
    void setRowFormatter(RowFormatter formatter);
    // Style name and group caption a row got from the hook.
    QString rowStyleName(int row) const;
    QString groupCaption(int row) const;
    // Runs the hook again for every row (e.g. after the screen's data for it
    // changed).
    void invalidateRowFormats();

    // ---- Grouping ------------------------------------------------------
    // Groups by column n (from 1) as one more level (at most two levels).
    void groupBy(int column, SortOrder order = SortOrder::Ascending);
    // The designed groups: what group() applies and a layout without groups
    // leaves.
    void setDesignGroups(const QList<int> &columns);
    // Argument-less grouping: the designed groups when the grid is not
    // grouped and has some, otherwise one level by the current cell's column
    // (the first shown column when there is none).
    void group();
    // Removes every grouping level.
    void ungroup();
    QList<int> groupColumns() const;
    bool isGrouped() const;
    // The group-by box above the grid: shown flag and its caption.
    void setGroupByBoxVisible(bool on);
    bool groupByBoxVisible() const;
    void setGroupByBoxCaption(const QString &caption);
    QString groupByBoxCaption() const;
    // Grand total row at the end when some column has an aggregate.
    void setTotalRowVisible(bool on);
    bool totalRowVisible() const;
    // Sum of column n over all records (nulls skipped).
    double totalSum(int column) const;

    // ---- Preview row ---------------------------------------------------
    // Shows the text of column n (from 1, usually hidden) under each record,
    // over up to maxLines lines, in the given colour. 0 turns it off.
    void setPreviewColumn(int column, int maxLines = 5, const QColor &color = Qt::blue);
    // The same by bound field name.
    void setPreviewField(const QString &field, int maxLines = 5, const QColor &color = Qt::blue);
    int previewColumn() const;

    // ---- Drop-down grids -----------------------------------------------
    // When this grid serves as a drop-down of another: its value column (the
    // code stored) and display column (the description shown), from 1.
    void setDropDownColumns(int valueColumn, int displayColumn);
    int dropDownValueColumn() const;
    int dropDownDisplayColumn() const;
    // Description of a code in this grid's records (the code itself when
    // missing).
    QString dropDownText(const QVariant &code) const;

    // ---- Printing ------------------------------------------------------
    GridPrinterSettings &printerSettings();
    const GridPrinterSettings &printerSettings() const;
    // The grid's caption printed as the report title (default empty).
    void setCaption(const QString &caption);
    QString caption() const;
    // Prints on the given printer (a PDF printer works offscreen); emits
    // pagePrinting before each page. Returns the number of pages.
    int printGrid(QPrinter *printer, bool onlySelected = false);
    // Prints on the default printer; with showDialog the print dialog of
    // Dialogs comes first and cancelling it prints nothing (returns false).
    bool print(bool showDialog = true, bool onlySelected = false);
    // Pages the grid would print on this printer.
    int pageCount(QPrinter *printer, bool onlySelected = false);
    // Renders the preview into a preview control.
    void printPreview(GEXPreview *preview, bool onlySelected = false);
    // The print-out laid out a part at a time, as the preview draws it.
    std::unique_ptr<GridPrinter> printLayout(bool onlySelected = false);

    // ---- Layout --------------------------------------------------------
    // Saves columns (caption, shown flag, position, width), grouping, sort
    // and the group-by box state to a JSON file. Throws GridError.
    void saveLayout(const QString &path) const;
    // Loads a file written by saveLayout. A corrupt file or one of another
    // grid (no column key in common) throws GridError and changes nothing.
    void loadLayout(const QString &path);

    // The inner view (tests, screenshots).
    QTreeView *view() const;

signals:
    // The current record changed through the user or code; not on the first
    // bind, nor on a refresh that keeps the same record.
    void rowChanged();
    // Before each row is first drawn; see setRowFormatter.
    void formatRow(kq::platform::GridRow &row);
    // Before each printed or previewed page is drawn: page from 1 and the
    // page count. Changes to printerSettings() apply to this page.
    void pagePrinting(int page, int pageCount);
    // After every successful refresh (drop-downs reread this grid).
    void refreshed();
    // An editable cell of the current record was changed in place.
    void cellEdited(int column);

private:
    std::unique_ptr<GridEXPrivate> d;
};

} // namespace kq::platform
