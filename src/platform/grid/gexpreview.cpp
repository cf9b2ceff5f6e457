#include "platform/grid/gexpreview.h"

#include "platform/grid/gridex.h"
#include "platform/grid/gridprinter.h"
#include "platform/dialogs.h"
#include "platform/pageview.h"

#include <QAction>
#include <QElapsedTimer>
#include <QEvent>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>

namespace kq::platform {

namespace {
constexpr int kDrawnAtOnce = 100; // pages
} // namespace

GEXPreview::GEXPreview(QWidget *parent)
    : QWidget(parent)
{
    m_printer = new QPrinter(QPrinter::HighResolution);
    m_printer->setPageOrientation(QPageLayout::Portrait);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("previewToolBar"));
    m_toolBar->setFont(QFont(QStringLiteral("Tahoma")));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction *setup = m_toolBar->addAction(QStringLiteral("Page Set&up..."));
    setup->setObjectName(QStringLiteral("pageSetup"));
    QAction *print = m_toolBar->addAction(QStringLiteral("&Print..."));
    print->setObjectName(QStringLiteral("print"));
    QAction *close = m_toolBar->addAction(QStringLiteral("&Close"));
    close->setObjectName(QStringLiteral("close"));
    // Tool buttons would drop the "..." of the captions.
    for (QAction *a : {setup, print, close})
        a->setIconText(a->text());
    connect(setup, &QAction::triggered, this, &GEXPreview::pageSetup);
    connect(print, &QAction::triggered, this, &GEXPreview::printPages);
    connect(close, &QAction::triggered, this, &GEXPreview::closePreview);
    m_preview = new PageView(this);
    m_preview->setObjectName(QStringLiteral("previewPages"));
    m_preview->setPages([this] { return pageCount(); },
                        [this](QPainter &p, int page) {
                            if (m_grid && m_layout)
                                m_layout->drawPage(p, page);
                        });
    layout->addWidget(m_toolBar);
    layout->addWidget(m_preview);
    m_more.setInterval(0);
    connect(&m_more, &QTimer::timeout, this, &GEXPreview::layOutMore);
    if (parent) {
        parent->installEventFilter(this);
        setGeometry(parent->rect());
    }
}

GEXPreview::~GEXPreview()
{
    delete m_preview;
    m_preview = nullptr;
    m_layout.reset();
    delete m_printer;
}

bool GEXPreview::eventFilter(QObject *watched, QEvent *event)
{
    // Fills the window it is placed in (when the window has no layout).
    if (watched == parentWidget() && event->type() == QEvent::Resize && !parentWidget()->layout())
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

int GEXPreview::pageCount() const
{
    return m_grid && m_layout ? m_layout->pageCount() : 0;
}

bool GEXPreview::isComplete() const
{
    return !m_layout || m_layout->isComplete();
}

void GEXPreview::showPage(int page)
{
    m_preview->showPage(page);
    m_preview->viewport()->repaint();
}

QPrinter *GEXPreview::printer() const
{
    return m_printer;
}

void GEXPreview::setSource(GridEX *grid, bool onlySelected)
{
    if (m_grid)
        disconnect(m_grid, nullptr, this, nullptr);
    m_grid = grid;
    m_onlySelected = onlySelected;
    // The rows read again: laid out anew.
    if (grid)
        connect(grid, &GridEX::refreshed, this, &GEXPreview::updatePreview);
    updatePreview();
}

void GEXPreview::updatePreview()
{
    m_more.stop();
    m_layout.reset();
    if (m_grid) {
        m_printer->setPageOrientation(m_orientation);
        m_layout = m_grid->printLayout(m_onlySelected);
        m_layout->begin(m_printer); // may turn the page
        const QPageLayout page = m_printer->pageLayout();
        const int dpi = m_printer->resolution();
        m_preview->setPaper(page.fullRectPixels(dpi).size(), page.paintRectPixels(dpi).topLeft(),
                            dpi);
    }
    layOutMore();
    if (m_layout && m_layout->isComplete() && pageCount() <= kDrawnAtOnce) {
        // A short print-out laid out at once: each page is drawn now, so its
        // page event comes before the preview shows, as on paper.
        QPicture pages;
        QPainter p(&pages);
        for (int page = 0; page < pageCount(); ++page)
            m_layout->drawPage(p, page);
    }
    // The pages in sight are drawn at once.
    if (m_preview->isVisible())
        m_preview->viewport()->repaint();
}

void GEXPreview::layOutMore()
{
    if (!m_layout)
        return;
    // A twentieth of a second at a time, the window answering in between.
    QElapsedTimer clock;
    clock.start();
    while (m_layout->layoutMore(500) && clock.elapsed() < 50) {
    }
    m_preview->pagesChanged(m_layout->isComplete());
    if (m_layout->isComplete())
        m_more.stop();
    else if (!m_more.isActive())
        m_more.start();
}

void GEXPreview::pageSetup()
{
    m_printer->setPageOrientation(m_orientation);
    if (Dialogs::pageSetup(m_printer)) {
        m_orientation = m_printer->pageLayout().orientation();
        updatePreview();
    }
}

void GEXPreview::printPages()
{
    if (!m_grid || !Dialogs::printDialog(m_printer))
        return;
    try {
        m_grid->printGrid(m_printer, m_onlySelected);
    } catch (const GridError &e) {
        Dialogs::message(e.description(), QString(), Buttons::Ok, Icon::Critical);
    }
    updatePreview();
}

void GEXPreview::closePreview()
{
    emit closed();
}

} // namespace kq::platform
