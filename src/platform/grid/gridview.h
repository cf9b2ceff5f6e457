#pragma once

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QWidget>

namespace kq::platform {

class GridEX;
class GridEXPrivate;

// Drag data of a column header or a group chip: "<grid id>:<column>:<from>".
struct ColumnDrag
{
    static QString mimeType();
    static QMimeData *make(const GridEX *grid, int column, bool fromGroupBox);
    // The column (from 1), or 0 when the data is not of this grid.
    static int read(const GridEX *grid, const QMimeData *mime, bool *fromGroupBox = nullptr);
};

// The header: click sorts, drag a section onto another place to move the
// column, or into the group-by box to group by it.
class GridHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit GridHeader(GridEXPrivate *d);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    GridEX *m_grid;
    GridEXPrivate *m_d;
    int m_pressSection = -1;
    QPoint m_pressPos;
};

// Cells of a record: with a preview row the cell is painted in the top band
// and the row is taller.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit GridDelegate(GridEXPrivate *d);
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    GridEXPrivate *m_d;
};

class GridView : public QTreeView
{
    Q_OBJECT
public:
    explicit GridView(GridEXPrivate *d);

    int lineHeight() const;
    int previewHeight(const QModelIndex &index) const;
    // Height of the preview band of a text at a width.
    int previewHeightFor(const QString &text, int width) const;

protected:
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void drawGroupRow(QPainter *painter, const QStyleOptionViewItem &option,
                      const QModelIndex &index) const;
    void drawPreview(QPainter *painter, const QStyleOptionViewItem &option,
                     const QModelIndex &index) const;
    int contentLeft(const QModelIndex &index) const;

    GridEX *m_grid;
    GridEXPrivate *m_d;
};

// The area above the grid that shows the grouping: its caption when the grid
// is not grouped, otherwise one chip per level. Drop a header here to group;
// click a chip to reverse its order; double-click or drag it out to remove it.
class GroupByBox : public QWidget
{
    Q_OBJECT
public:
    explicit GroupByBox(GridEXPrivate *d);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    QSize sizeHint() const override;
    // Chip rectangles, one per grouping level.
    QList<QRect> chipRects() const;

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    int chipAt(const QPoint &pos) const;

    GridEX *m_grid;
    GridEXPrivate *m_d;
    QString m_caption;
    int m_pressChip = -1;
    QPoint m_pressPos;
    bool m_dragged = false;
};

} // namespace kq::platform
