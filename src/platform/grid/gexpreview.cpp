#include "gexpreview.h"

#include "gridex.h"
#include "platform/dialogs.h"

#include <QAction>
#include <QEvent>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>

namespace kq::platform {

GEXPreview::GEXPreview(QWidget *parent) : QWidget(parent)
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
    m_preview = new QPrintPreviewWidget(m_printer, this);
    m_preview->setObjectName(QStringLiteral("previewPages"));
    layout->addWidget(m_toolBar);
    layout->addWidget(m_preview);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter *printer) {
        if (!m_grid)
            return;
        printer->setPageOrientation(m_orientation);
        try {
            m_grid->printGrid(printer, m_onlySelected);
        } catch (const GridError &e) {
            Dialogs::message(e.description(), QString(), Buttons::Ok, Icon::Critical);
        }
    });
    if (parent) {
        parent->installEventFilter(this);
        setGeometry(parent->rect());
    }
}

GEXPreview::~GEXPreview()
{
    delete m_preview;
    m_preview = nullptr;
    delete m_printer;
}

bool GEXPreview::eventFilter(QObject *watched, QEvent *event)
{
    // Fills the window it is placed in (when the window has no layout).
    if (watched == parentWidget() && event->type() == QEvent::Resize
        && !parentWidget()->layout())
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

int GEXPreview::pageCount() const
{
    return m_preview->pageCount();
}

QPrinter *GEXPreview::printer() const
{
    return m_printer;
}

void GEXPreview::setSource(GridEX *grid, bool onlySelected)
{
    m_grid = grid;
    m_onlySelected = onlySelected;
    m_preview->updatePreview();
}

void GEXPreview::pageSetup()
{
    m_printer->setPageOrientation(m_orientation);
    if (Dialogs::pageSetup(m_printer)) {
        m_orientation = m_printer->pageLayout().orientation();
        m_preview->updatePreview();
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
    m_preview->updatePreview();
}

void GEXPreview::closePreview()
{
    emit closed();
}

} // namespace kq::platform
