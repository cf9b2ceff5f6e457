#pragma once

#include <QAbstractScrollArea>
#include <QPointF>
#include <QSizeF>
#include <functional>

class QPainter;

namespace kq::platform {

// Pages one under the other, as wide as the view (or each whole in sight);
// only the pages in sight are drawn, so that a print-out of any length
// shows its first page at once. A page is drawn as on the printer: on its
// pixels at the printer's resolution, from the printable area's corner,
// fonts in points.
class PageView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit PageView(QWidget *parent = nullptr);

    // The paper and where its printable area starts, in the printer's pixels
    // at `resolution` dots per inch.
    void setPaper(const QSizeF &paper, const QPointF &printableCorner, int resolution);
    // How many pages there are now, and how one is drawn.
    void setPages(std::function<int()> count, std::function<void(QPainter &, int)> draw);

    // More pages, or another paper: the pages in sight drawn again if they
    // grew, or all of them when `redrawAll` (the print-out is complete, so a
    // page shows its total).
    void pagesChanged(bool redrawAll = true);
    // Scrolls to a page (from 0).
    void showPage(int page);
    // A whole page in sight; fitToWidth() goes back to pages as wide as the view.
    void fitInView();
    void fitToWidth();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The scroll range for the pages there are now.
    void updateRange();
    // The last page (from 0) in sight.
    int lastPageInSight() const;
    double zoom() const;
    double pageStep() const;
    int pages() const;

    QSizeF m_paper{1, 1};
    QPointF m_corner;
    int m_resolution = 72;
    int m_shownPages = 0;
    bool m_wholePage = false;
    std::function<int()> m_count;
    std::function<void(QPainter &, int)> m_draw;
};

} // namespace kq::platform
