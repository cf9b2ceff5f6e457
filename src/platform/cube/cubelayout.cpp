#include "platform/cube/cubemodel.h"

#include "platform/cube/cubemodel_p.h"

namespace kq::platform {

bool CubeModel::rebuild() { return false; }
bool CubeModel::reloadData() { return false; }
bool CubeModel::hasData() const { return d->haveData; }
int CubeModel::sourceRowCount() const { return d->rowCount; }
void CubeModel::ensureLayout() const {}
int CubeModel::rowCount() const { return 0; }
int CubeModel::columnCount() const { return 0; }
int CubeModel::nextRow(int i) const { return i + 1; }
int CubeModel::nextColumn(int i) const { return i + 1; }
int CubeModel::currentRow() const { return 0; }
int CubeModel::currentColumn() const { return 0; }
void CubeModel::setCurrentCell(int, int) {}
void CubeModel::setSelectionCorner(int, int) {}
std::pair<int, int> CubeModel::rowCorners() const { return {0, 0}; }
std::pair<int, int> CubeModel::columnCorners() const { return {0, 0}; }
int CubeModel::rowHeadingDepth(int) const { return 0; }
int CubeModel::columnHeadingDepth(int) const { return 0; }
CubeHeading CubeModel::rowHeading(int, int) const { return {}; }
CubeHeading CubeModel::columnHeading(int, int) const { return {}; }
bool CubeModel::isTotalRow(int) const { return false; }
bool CubeModel::isTotalColumn(int) const { return false; }
QVariant CubeModel::cellValue(int, int) const { return {}; }
QString CubeModel::cellText(int, int) const { return {}; }
QString CubeModel::cellText(int, int, const QLocale &) const { return {}; }
CubeField *CubeModel::dataFieldOfColumn(int) const { return nullptr; }
int CubeModel::displayedRowLevels() const { return 0; }
int CubeModel::displayedColumnLevels() const { return 0; }
bool CubeModel::rowHeadingExpanded(int, int) const { return false; }
void CubeModel::setRowHeadingExpanded(int, int, bool) {}
bool CubeModel::columnHeadingExpanded(int, int) const { return false; }
void CubeModel::setColumnHeadingExpanded(int, int, bool) {}
bool CubeModel::rowHeadingExpandable(int, int) const { return false; }
bool CubeModel::columnHeadingExpandable(int, int) const { return false; }
CubeCell CubeModel::formatCell(int row, int column)
{
    CubeCell c;
    c.row = row;
    c.column = column;
    return c;
}
bool CubeModel::save(const QString &, int) { return false; }
CubeLoadResult CubeModel::load(const QString &) { return {}; }
bool CubeModel::openUrl(const QString &) { return false; }
bool CubeModel::exportHtml(const QString &, bool, bool, bool, bool) { return false; }
bool CubeModel::exportExcel(const QString &, bool, bool, bool, bool) { return false; }

QColor cubeColor(int winRgb)
{
    return QColor(winRgb & 0xFF, (winRgb >> 8) & 0xFF, (winRgb >> 16) & 0xFF);
}
int cubeWinRgb(const QColor &c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }
QString cubeFormatNumber(double value, const QString &, const QLocale &locale)
{
    return locale.toString(value);
}

} // namespace kq::platform
