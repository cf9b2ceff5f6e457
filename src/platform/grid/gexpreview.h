#pragma once

#include "platform/pageview.h"

#include <QPageLayout>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>

class QPrinter;
class QToolBar;

namespace kq::platform {

class GridEX;
class GridPrinter;

// The print preview control of a grid: pages of GridEX::printPreview with a
// toolbar "Page Set&up...", "&Print...", "&Close" (font Tahoma). It fills the
// window it is placed in and reports its close. The columns are fitted to
// the page at once; the lines are then placed on pages a part at a time
// while the event loop runs, and only the pages in sight are drawn, so the
// first page of a grid of any size shows at once.
class GEXPreview : public QWidget
{
    Q_OBJECT
public:
    explicit GEXPreview(QWidget *parent = nullptr);
    ~GEXPreview() override;

    // Number of pages of the preview shown (those laid out so far).
    int pageCount() const;
    // Every page is laid out.
    bool isComplete() const;
    QPrinter *printer() const;
    PageView *previewWidget() const { return m_preview; }
    // Scrolls to a page (from 0).
    void showPage(int page);
    QToolBar *toolBar() const { return m_toolBar; }

    // Toolbar actions, callable from code.
    void pageSetup();
    void printPages();
    void closePreview();

signals:
    // The "&Close" button or closePreview().
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class GridEX;
    void setSource(GridEX *grid, bool onlySelected);
    // Lays the grid out anew on the paper set up.
    void updatePreview();
    void layOutMore();

    QToolBar *m_toolBar = nullptr;
    PageView *m_preview = nullptr;
    std::unique_ptr<GridPrinter> m_layout;
    QTimer m_more; // places more lines while the event loop runs
    QPrinter *m_printer = nullptr;
    QPointer<GridEX> m_grid;
    bool m_onlySelected = false;
    // The orientation set up by the user; a wide grid turns the page for
    // its own print-out only.
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
};

} // namespace kq::platform
