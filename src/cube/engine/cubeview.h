#pragma once

#include "cube/model/cubetypes.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QPointer>

namespace kq::platform {

class CubeModel;
class DCube;

// The pivot widget of DCube: the page-field strip at the top, the column-field
// strip above the column headings, the row-field buttons over the row
// headings, and the cells. Only the visible cells are painted; their formats
// are cached until the next refresh or layout.
class CubeView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit CubeView(DCube *cube);
    ~CubeView() override;

    CubeHitRecord hitTest(const QPoint &viewportPos) const;
    // Geometry in viewport coordinates (tests drive the mouse with them).
    QRect fieldButtonRect(const CubeField *field) const;
    QRect cellRect(int row, int column) const;
    QRect rowHeadingRect(int row, int level) const;
    QRect columnHeadingRect(int column, int level) const;
    QRect pageAreaRect() const;
    QRect columnAreaRect() const;
    QRect rowAreaRect() const;
    // The +/- box of a member heading (empty when it has none).
    QRect expandBoxRect(bool rowAxis, int index, int level0) const;
    // The field whose width the edge at this point resizes (the data field of
    // a column heading's right edge, or a row field's button edge), or null.
    CubeField *resizeFieldAt(const QPoint &viewportPos) const;
    // Drops the cached formats; the next paint runs the handlers again.
    void clearFormats();
    // Runs the format handlers for the visible cells now.
    void formatVisibleCells();
    // Makes the cell visible.
    void scrollToCell(int row, int column);
    QWidget *showFilterPopup(CubeField *field);
    // Cells painted by the last paint (benchmarks).
    int lastPaintedCells() const { return m_lastPainted; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Geometry;
    void updateScrollBars();
    Geometry geometry() const;
    const CubeCell &cachedFormat(int row, int column);
    void ensureColumns() const;
    int columnAt(int x, const Geometry &g) const;
    int rowAt(int y, const Geometry &g) const;
    int buttonWidth(const CubeField *f) const;
    void paintButton(QPainter &p, const QRect &r, const CubeField *f) const;
    void paintColumnHeadings(QPainter &p, const Geometry &g, int c0, int c1);
    void paintRowHeadings(QPainter &p, const Geometry &g, int r0, int r1);
    void paintHeading(QPainter &p, const QRect &r, const CubeHeading &h, bool expandable,
                      bool expanded);
    void emitMouse(int kind, QMouseEvent *event);
    void dropField(CubeField *field, const QPoint &pos);
    void moveCurrent(int dr, int dc, bool extend);
    void applyFilter(CubeField *field, const QVector<bool> &included);

    mutable QVector<int> m_colX; // column edges in content pixels
    mutable int m_colXLayout = -1;
    mutable int m_colXCount = -1;

    DCube *m_cube;
    CubeModel *m_model;
    QHash<qint64, CubeCell> m_formats;
    int m_lastPainted = 0;
    // Mouse state: selecting cells, dragging a field button.
    bool m_selecting = false;
    CubeField *m_pressField = nullptr;
    QPoint m_pressPos;
    bool m_dragging = false;
    CubeField *m_resizeField = nullptr; // column-width drag
    int m_resizeStartX = 0;
    float m_resizeStartWidth = 0;
    QPoint m_dragPos;
    QPointer<QWidget> m_popup;
};

} // namespace kq::platform
