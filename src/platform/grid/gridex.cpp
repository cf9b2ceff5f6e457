#include "gridex.h"
#include "gexpreview.h"

#include <QTreeView>

namespace kq::platform {

// Temporary bodies: the real grid lands in the next commits.

void GridPrinterSettings::setHeader(int, const QString &) {}
void GridPrinterSettings::setFooter(int, const QString &) {}
QString GridPrinterSettings::header(int) const { return {}; }
QString GridPrinterSettings::footer(int) const { return {}; }

void GridColumn::setKey(const QString &k) { m_key = k; }
void GridColumn::setCaption(const QString &c) { m_caption = c; }
void GridColumn::setField(const QString &f) { m_field = f; }
void GridColumn::setVisible(bool v) { m_visible = v; }
int GridColumn::position() const { return m_index; }
void GridColumn::setPosition(int) {}
void GridColumn::setWidth(int w) { m_width = w; }
void GridColumn::setFormat(const QString &f) { m_format = f; }
Qt::Alignment GridColumn::alignment() const { return m_alignment; }
void GridColumn::setAlignment(Qt::Alignment a) { m_alignment = a; }
void GridColumn::setAggregate(Aggregate a) { m_aggregate = a; }
void GridColumn::setCheckBox(bool on) { m_checkBox = on; }
void GridColumn::setEditable(bool on) { m_editable = on; }
void GridColumn::setDropDown(GridEX *g) { m_dropDown = g; }
void GridColumn::setDropDownItems(const QVector<QPair<QVariant, QString>> &i) { m_dropDownItems = i; }
bool GridColumn::hasDropDown() const { return m_dropDown || !m_dropDownItems.isEmpty(); }

QVariant GridRow::value(int) const { return {}; }
QString GridRow::text(int) const { return {}; }
double GridRow::groupSum(int) const { return 0; }

GridEX::GridEX(QWidget *parent) : QWidget(parent) {}
GridEX::~GridEX() = default;
void GridEX::setDatabaseName(const QString &p) { m_databaseName = p; }
void GridEX::setRecordSource(const QString &s) { m_recordSource = s; }
void GridEX::rebind() {}
void GridEX::refresh() {}
int GridEX::recordCount() const { return 0; }
void GridEX::setKeyColumn(int c) { m_keyColumn = c; }
void GridEX::setUpdateTable(const QString &, const QString &) {}
GridColumn &GridEX::addColumn(const QString &field, const QString &caption, int width)
{
    m_columns.emplace_back(new GridColumn(this, int(m_columns.size()) + 1));
    m_columns.back()->m_field = field;
    m_columns.back()->m_caption = caption;
    m_columns.back()->m_width = width;
    return *m_columns.back();
}
void GridEX::clearColumns() { m_columns.clear(); }
int GridEX::columnCount() const { return int(m_columns.size()); }
GridColumn &GridEX::column(int index) { return *m_columns.at(index - 1); }
const GridColumn &GridEX::column(int index) const { return *m_columns.at(index - 1); }
GridColumn *GridEX::columnByKey(const QString &) { return nullptr; }
GridColumn &GridEX::columnAtPosition(int p) { return column(p); }
QVariant GridEX::value(int) const { return {}; }
QString GridEX::text(int) const { return {}; }
bool GridEX::hasCurrentRecord() const { return false; }
bool GridEX::isGroupRow() const { return false; }
int GridEX::rowCount() const { return 0; }
RowType GridEX::rowType(int) const { return RowType::Record; }
QVariant GridEX::valueAt(int, int) const { return {}; }
QString GridEX::textAt(int, int) const { return {}; }
int GridEX::currentRow() const { return -1; }
void GridEX::setCurrentRow(int) {}
int GridEX::findRow(int, const QVariant &) const { return -1; }
void GridEX::selectRows(const QList<int> &) {}
QList<int> GridEX::selectedRows() const { return {}; }
void GridEX::setHeaderSort(bool) {}
void GridEX::sortBy(int, SortOrder) {}
void GridEX::setMultiSelect(bool on) { m_multiSelect = on; }
void GridEX::setAlternatingRowColors(const QColor &, const QColor &) {}
void GridEX::setHeaderHeight(int) {}
void GridEX::addFormatStyle(const QString &, const QColor &, const QColor &, bool) {}
void GridEX::removeFormatStyle(const QString &) {}
void GridEX::clearFormatStyles() {}
bool GridEX::hasFormatStyle(const QString &) const { return false; }
FormatStyle GridEX::formatStyle(const QString &) const { return {}; }
void GridEX::setGroupRowStyle(const QColor &, const QColor &) {}
void GridEX::setRowFormatter(RowFormatter f) { m_formatter = std::move(f); }
QString GridEX::rowStyleName(int) const { return {}; }
QString GridEX::groupCaption(int) const { return {}; }
void GridEX::invalidateRowFormats() {}
void GridEX::groupBy(int, SortOrder) {}
void GridEX::setDesignGroups(const QList<int> &c) { m_designGroups = c; }
void GridEX::group() {}
void GridEX::ungroup() {}
QList<int> GridEX::groupColumns() const { return {}; }
bool GridEX::isGrouped() const { return false; }
void GridEX::setGroupByBoxVisible(bool) {}
bool GridEX::groupByBoxVisible() const { return false; }
void GridEX::setGroupByBoxCaption(const QString &) {}
QString GridEX::groupByBoxCaption() const { return {}; }
void GridEX::setTotalRowVisible(bool on) { m_totalRow = on; }
double GridEX::totalSum(int) const { return 0; }
void GridEX::setPreviewColumn(int c, int, const QColor &) { m_previewColumn = c; }
void GridEX::setPreviewField(const QString &, int, const QColor &) {}
void GridEX::setDropDownColumns(int v, int d) { m_ddValueColumn = v; m_ddDisplayColumn = d; }
QString GridEX::dropDownText(const QVariant &code) const { return code.toString(); }
void GridEX::setCaption(const QString &c) { m_caption = c; }
int GridEX::printGrid(QPrinter *, bool) { return 0; }
bool GridEX::print(bool, bool) { return false; }
int GridEX::pageCount(QPrinter *, bool) { return 0; }
void GridEX::printPreview(GEXPreview *, bool) {}
void GridEX::saveLayout(const QString &) const {}
void GridEX::loadLayout(const QString &) {}
QTreeView *GridEX::view() const { return nullptr; }

GEXPreview::GEXPreview(QWidget *parent) : QWidget(parent) {}
GEXPreview::~GEXPreview() = default;
int GEXPreview::pageCount() const { return 0; }
QPrinter *GEXPreview::printer() const { return m_printer; }
void GEXPreview::pageSetup() {}
void GEXPreview::printPages() {}
void GEXPreview::closePreview() { emit closed(); }
void GEXPreview::setSource(GridEX *g, bool o) { m_grid = g; m_onlySelected = o; }

} // namespace kq::platform
