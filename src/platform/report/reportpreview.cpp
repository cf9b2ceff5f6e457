#include "platform/report/reportpreview.h"

#include "platform/dialogs.h"
#include "platform/placement.h"
#include "platform/progress.h"
#include "platform/report/reportdocument.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QToolBar>
#include <QVBoxLayout>

namespace kq::platform {

namespace {
constexpr double kGap = 12; // pixels around the pages
constexpr int kRowsPerStep = 2000;
} // namespace

ReportPageView::ReportPageView(const ReportDocument *doc, ReportPageLayout *layout,
                               QWidget *parent)
    : QAbstractScrollArea(parent), m_doc(doc), m_layout(layout)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(40);
    pagesChanged();
}

double ReportPageView::zoom() const
{
    const double width = m_layout->paperSize().width();
    return std::max(0.02, (viewport()->width() - 2 * kGap) / std::max(1.0, width));
}

double ReportPageView::pageStep() const
{
    return m_layout->paperSize().height() * zoom() + kGap;
}

void ReportPageView::pagesChanged()
{
    const int pages = m_layout->pageCount();
    const double total = kGap + pages * pageStep();
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, int(std::min(total - viewport()->height(), 2e9))));
    // Only the pages in sight are drawn again: those that grew, or every one
    // once the totals are known.
    const int lastInSight = int((bar->value() + viewport()->height()) / pageStep());
    if (m_doc->isComplete() || lastInSight >= m_shownPages - 1)
        viewport()->update();
    m_shownPages = pages;
}

void ReportPageView::showPage(int page)
{
    verticalScrollBar()->setValue(int(page * pageStep()));
}

void ReportPageView::resizeEvent(QResizeEvent *event)
{
    // Keeps the same page in sight when the width (and so the zoom) changes.
    const double step = pageStep();
    QAbstractScrollArea::resizeEvent(event);
    const double page = step > 0 ? verticalScrollBar()->value() / step : 0;
    pagesChanged();
    verticalScrollBar()->setValue(int(page * pageStep()));
}

void ReportPageView::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), QColor(128, 128, 128));
    const double z = zoom();
    const QSizeF paper = m_layout->paperSize() * z;
    const double step = pageStep();
    const double top = verticalScrollBar()->value();
    const int pages = m_layout->pageCount();
    const int first = std::max(0, int((top - kGap) / step));
    const int last = std::min(pages - 1, int((top + viewport()->height()) / step));
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    for (int page = first; page <= last; ++page) {
        const QPointF corner((viewport()->width() - paper.width()) / 2,
                             kGap + page * step - top);
        p.fillRect(QRectF(corner + QPointF(3, 3), paper), QColor(90, 90, 90));
        p.fillRect(QRectF(corner, paper), Qt::white);
        p.save();
        p.translate(corner);
        p.scale(z, z);
        p.translate(m_layout->paintOffset());
        m_layout->drawPage(p, *m_doc, page);
        p.restore();
    }
}

ReportPreview::ReportPreview(std::unique_ptr<ReportDocument> doc, QWidget *parent)
    : QWidget(parent, Qt::Window), m_doc(std::move(doc))
{
    const ReportDefinition &def = m_doc->definition();
    setObjectName(QStringLiteral("ReportPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(def.title);
    resize(900, 700);
    placeOnFirstShow(this);
    m_printer = new QPrinter(QPrinter::HighResolution);
    m_printer->setPageSize(QPageSize(QPageSize::A4));
    m_printer->setPageOrientation(def.landscape ? QPageLayout::Landscape
                                                : QPageLayout::Portrait);
    m_printer->setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    m_layout = std::make_unique<ReportPageLayout>(def, m_printer->pageLayout());
    m_layout->paginate(*m_doc);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_toolBar = new QToolBar(this);
    QAction *print = m_toolBar->addAction(QStringLiteral("&Imprimir..."), this,
                                          [this] { printPages(); });
    print->setObjectName(QStringLiteral("imprimir"));
    QAction *pdf = m_toolBar->addAction(QStringLiteral("Salvar &PDF..."), this,
                                        [this] { savePdf(); });
    pdf->setObjectName(QStringLiteral("salvarPdf"));
    QAction *close = m_toolBar->addAction(QStringLiteral("&Fechar"), this,
                                          [this] { this->close(); });
    close->setObjectName(QStringLiteral("fechar"));
    layout->addWidget(m_toolBar);
    m_view = new ReportPageView(m_doc.get(), m_layout.get(), this);
    m_view->setObjectName(QStringLiteral("paginas"));
    layout->addWidget(m_view, 1);
}

ReportPreview::~ReportPreview()
{
    delete m_printer;
}

int ReportPreview::pageCount() const
{
    return m_layout->pageCount();
}

bool ReportPreview::readRest()
{
    if (m_doc->isComplete())
        return true;
    Progress progress(QStringLiteral("Lendo os registros do relatório..."), 0, this);
    // The first page shows at once.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    while (m_doc->readMore(kRowsPerStep)) {
        m_layout->paginate(*m_doc);
        m_view->pagesChanged();
        if (!progress.setValue(int(std::min<qint64>(m_doc->recordCount(), INT_MAX))))
            return false;
    }
    m_layout->paginate(*m_doc);
    m_view->pagesChanged();
    return true;
}

void ReportPreview::printPages()
{
    if (!readRest() || !Dialogs::printDialog(m_printer))
        return;
    Progress progress(QStringLiteral("Imprimindo o relatório..."), pageCount(), this);
    renderReport(m_printer, *m_doc, [&progress](int page, int pages) {
        progress.setMaximum(pages);
        return progress.setValue(page);
    });
}

bool ReportPreview::savePdf(const QString &path)
{
    QString file = path;
    if (file.isEmpty())
        file = Dialogs::saveFile(QStringLiteral("Salvar PDF"), QString(),
                                 QStringLiteral("PDF (*.pdf)"));
    if (file.isEmpty() || !readRest())
        return false;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".pdf");
    const QString failed = QStringLiteral("Não foi possível gravar o arquivo \"%1\".").arg(file);
    // Written beside the target under another name, put in its place when whole.
    QTemporaryFile part(QFileInfo(file).absolutePath() + QStringLiteral("/.XXXXXX.pdf"));
    if (!part.open()) {
        Dialogs::message(failed, QString(), Buttons::Ok, Icon::Warning);
        return false;
    }
    part.close();
    int written = 0;
    bool cancelled = false;
    {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(part.fileName());
        pdf.setPageLayout(m_printer->pageLayout());
        Progress progress(QStringLiteral("Gravando o PDF..."), pageCount(), this);
        written = renderReport(&pdf, *m_doc, [&](int page, int) {
            cancelled = !progress.setValue(page);
            return !cancelled;
        });
    }
    if (cancelled)
        return false;
    if (written == 0 || (QFile::exists(file) && !QFile::remove(file))
        || !QFile::rename(part.fileName(), file)) {
        Dialogs::message(failed, QString(), Buttons::Ok, Icon::Warning);
        return false;
    }
    part.setAutoRemove(false);
    return true;
}

} // namespace kq::platform
