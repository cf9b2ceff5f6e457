#pragma once

#include <QPageLayout>
#include <QPointer>
#include <QWidget>

class QPrinter;
class QPrintPreviewWidget;
class QToolBar;

namespace kq::platform {

class GridEX;

// The print preview control of a grid: pages of GridEX::printPreview with a
// toolbar "Page Set&up...", "&Print...", "&Close" (font Tahoma). It fills the
// window it is placed in and reports its close.
class GEXPreview : public QWidget
{
    Q_OBJECT
public:
    explicit GEXPreview(QWidget *parent = nullptr);
    ~GEXPreview() override;

    // Number of pages of the preview shown.
    int pageCount() const;
    QPrinter *printer() const;
    QPrintPreviewWidget *previewWidget() const { return m_preview; }
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

    QToolBar *m_toolBar = nullptr;
    QPrintPreviewWidget *m_preview = nullptr;
    QPrinter *m_printer = nullptr;
    QPointer<GridEX> m_grid;
    bool m_onlySelected = false;
    // The orientation set up by the user; a wide grid turns the page for
    // its own print-out only.
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
};

} // namespace kq::platform
