#pragma once

#include "cube/model/cubemodel.h"

#include <QPoint>
#include <QWidget>

class QPrinter;
class QPrintPreviewDialog;

namespace kq::platform {

class CubeView;

// The cube control: a CubeModel and its pivot widget (field buttons in the
// page, row and column areas with drag and drop, a filter pop-up per field,
// +/- on headings, current cell and block selection, virtualized painting).
// The members forward to the model; model() gives the rest.
class DCube : public QWidget
{
    Q_OBJECT
public:
    explicit DCube(QWidget *parent = nullptr);
    ~DCube() override;

    CubeModel *model() const { return m_model; }
    CubeView *view() const { return m_view; }

    // --- connection and definition (see CubeModel) --------------------------
    int connectType() const { return m_model->connectType(); }
    void setConnectType(int type) { m_model->setConnectType(type); }
    QString connect() const { return m_model->connect(); }
    void setConnect(const QString &c) { m_model->setConnect(c); }
    QString databaseName() const { return m_model->databaseName(); }
    void setDatabaseName(const QString &p) { m_model->setDatabaseName(p); }
    QString recordSource() const { return m_model->recordSource(); }
    void setRecordSource(const QString &s) { m_model->setRecordSource(s); }
    bool autoDataRefresh() const { return m_model->autoDataRefresh(); }
    void setAutoDataRefresh(bool on) { m_model->setAutoDataRefresh(on); }
    QString sqlYearPart() const { return m_model->sqlYearPart(); }
    void setSqlYearPart(const QString &t) { m_model->setSqlYearPart(t); }
    QString sqlQuarterPart() const { return m_model->sqlQuarterPart(); }
    void setSqlQuarterPart(const QString &t) { m_model->setSqlQuarterPart(t); }
    QString sqlMonthPart() const { return m_model->sqlMonthPart(); }
    void setSqlMonthPart(const QString &t) { m_model->setSqlMonthPart(t); }
    QString sqlWeekPart() const { return m_model->sqlWeekPart(); }
    void setSqlWeekPart(const QString &t) { m_model->setSqlWeekPart(t); }
    QString headerCaption() const { return m_model->headerCaption(); }
    void setHeaderCaption(const QString &c) { m_model->setHeaderCaption(c); }
    QString footerCaption() const { return m_model->footerCaption(); }
    void setFooterCaption(const QString &c) { m_model->setFooterCaption(c); }

    // Re-runs the source when needed and lays the cube out; then repaints.
    // A long reading shows progress and may be cancelled (1036).
    CubeResult rebuild();
    // Runs the format handlers for the visible cells again (synchronously)
    // and repaints.
    void refresh();

    // --- style (Windows RGB colours; see CubeStyle) ---------------------------
    CubeStyle &cubeStyle() { return m_model->style(); }
    void setBorderStyle(int v);
    void setRowStyle(int v);
    void setColStyle(int v);
    void setGridStyle(int v);
    void setGridColor(int c);
    void setCubeBackColor(int c);
    void setFieldsBackColor(int c);
    void setFieldsForeColor(int c);
    void setFieldFont(const QFont &f);
    void setFilteredFieldsBackColor(int c);
    void setFilteredFieldsForeColor(int c);
    void setFilteredFieldFont(const QFont &f);
    void setHeadingsBackColor(int c);
    void setHeadingsForeColor(int c);
    void setHeadingsFont(const QFont &f);
    void setTotalsBackColor(int c);
    void setTotalsForeColor(int c);
    void setTotalsFont(const QFont &f);
    // The cube's own font (cells); QWidget::setFont sets it too.
    void setCubeFont(const QFont &f);
    // 0 default arrow; 11 hourglass; 13 arrow and hourglass (drag).
    int mousePointer() const { return m_mousePointer; }
    void setMousePointer(int pointer);

    // --- fields ----------------------------------------------------------
    CubeFields *fields() const { return m_model->fields(); }
    CubeFields *rowFields() const { return m_model->rowFields(); }
    CubeFields *columnFields() const { return m_model->columnFields(); }
    CubeFields *dataFields() const { return m_model->dataFields(); }
    CubeFields *pageFields() const { return m_model->pageFields(); }
    CubeField *addField(const QString &source, const QString &caption, int orientation)
    {
        return m_model->addField(source, caption, orientation);
    }
    void removeAllFields() { m_model->removeAllFields(); }

    // --- grid (see CubeModel) ----------------------------------------------
    int rowCount() const { return m_model->rowCount(); }
    int columnCount() const { return m_model->columnCount(); }
    int nextRow(int i) const { return m_model->nextRow(i); }
    int nextColumn(int i) const { return m_model->nextColumn(i); }
    int currentRow() const { return m_model->currentRow(); }
    int currentColumn() const { return m_model->currentColumn(); }
    void setCurrentCell(int r, int c) { m_model->setCurrentCell(r, c); }
    void setSelectionCorner(int r, int c) { m_model->setSelectionCorner(r, c); }
    std::pair<int, int> rowCorners() const { return m_model->rowCorners(); }
    std::pair<int, int> columnCorners() const { return m_model->columnCorners(); }
    int rowHeadingDepth(int r) const { return m_model->rowHeadingDepth(r); }
    int columnHeadingDepth(int c) const { return m_model->columnHeadingDepth(c); }
    CubeHeading rowHeading(int r, int level) const { return m_model->rowHeading(r, level); }
    CubeHeading columnHeading(int c, int level) const { return m_model->columnHeading(c, level); }
    QVariant cellValue(int r, int c) const { return m_model->cellValue(r, c); }
    QString cellText(int r, int c) const { return m_model->cellText(r, c); }
    CubeField *dataFieldOfColumn(int c) const { return m_model->dataFieldOfColumn(c); }
    int displayedRowLevels() const { return m_model->displayedRowLevels(); }
    int displayedColumnLevels() const { return m_model->displayedColumnLevels(); }
    bool rowHeadingExpanded(int r, int level0) const
    {
        return m_model->rowHeadingExpanded(r, level0);
    }
    void setRowHeadingExpanded(int r, int level0, bool on)
    {
        m_model->setRowHeadingExpanded(r, level0, on);
    }
    bool columnHeadingExpanded(int c, int level0) const
    {
        return m_model->columnHeadingExpanded(c, level0);
    }
    void setColumnHeadingExpanded(int c, int level0, bool on)
    {
        m_model->setColumnHeadingExpanded(c, level0, on);
    }

    // What lies under a point of this widget (its own coordinates). Every
    // mouse event stores its hit record in lastHit() before the signal.
    CubeHitRecord hitTest(const QPoint &pos) const;
    CubeHitRecord lastHit() const { return m_lastHit; }

    // --- files, exports, printing -------------------------------------------
    QString password() const { return m_model->password(); }
    void setPassword(const QString &p) { m_model->setPassword(p); }
    CubeResult save(const QString &path, int flags);
    // Loads and exports show progress when long; cancelled: 1036, nothing
    // changed and no file left.
    CubeResult load(const QString &path);
    CubeResult openUrl(const QString &url);
    CubeResult exportHtml(const QString &path, bool totals, bool formatted, bool colors,
                          bool merge);
    CubeResult exportExcel(const QString &path, bool totals, bool formatted, bool colors,
                           bool merge);
    // Prints the whole grid, pages over both axes with the headings repeated,
    // header and footer captions on each page. False when nothing printed.
    bool print(QPrinter *printer);
    // Number of pages print() makes on that printer.
    int pageCount(QPrinter *printer);
    // Opens a print preview window of the cube (modeless, deletes itself on
    // close) and returns it.
    QPrintPreviewDialog *printPreview(QWidget *parent = nullptr);

    // Opens the filter pop-up of a dimension field under its button (a check
    // list of its data items); returns it (null for a data field).
    QWidget *showFilterPopup(CubeField *field);

signals:
    void formatCell(kq::platform::CubeCell *cell);
    void doubleClicked();
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt.
    void mousePressed(int button, int shift, int x, int y);
    void mouseMoved(int button, int shift, int x, int y);
    void mouseReleased(int button, int shift, int x, int y);
    void layoutChanged();
    void dataFieldShownChanged(int position);
    void errorOccurred(int code, const QString &description, const QString &source, bool *handled);

private:
    friend class CubeView;
    void setLastHit(const CubeHitRecord &hit) { m_lastHit = hit; }

    CubeModel *m_model = nullptr;
    CubeView *m_view = nullptr;
    CubeHitRecord m_lastHit;
    int m_mousePointer = 0;
};

} // namespace kq::platform
