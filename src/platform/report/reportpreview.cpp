#include "platform/report/reportpreview.h"

#include "platform/dialogs.h"
#include "platform/placement.h"
#include "platform/progress.h"
#include "platform/report/reportdocument.h"

#include "data/dataerror.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QToolBar>
#include <QVBoxLayout>

namespace kq::platform {

namespace {
constexpr int kRowsPerStep = 2000;
constexpr int kRowsPerLook = 500; // records read between looks at the clock
constexpr int kSliceMs = 50;
constexpr int kShowMs = 250;
} // namespace

ReportPageView::ReportPageView(const ReportDocument *doc, ReportPageLayout *layout, QWidget *parent)
    : PageView(parent)
    , m_doc(doc)
{
    setPaper(layout->paperSize(), layout->paintOffset(), int(ReportPageLayout::kUnitsPerInch));
    setPages([layout] { return layout->pageCount(); },
             [doc, layout](QPainter &p, int page) { layout->drawPage(p, *doc, page); });
    pagesChanged();
}

void ReportPageView::pagesChanged()
{
    PageView::pagesChanged(m_doc->isComplete());
}

ReportPreview::ReportPreview(std::unique_ptr<ReportDocument> doc, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_doc(std::move(doc))
{
    const ReportDefinition &def = m_doc->definition();
    setObjectName(QStringLiteral("ReportPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(def.title);
    resize(900, 700);
    placeOnFirstShow(this);
    m_printer = new QPrinter(QPrinter::HighResolution);
    m_printer->setPageSize(QPageSize(QPageSize::A4));
    m_printer->setPageOrientation(def.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    m_printer->setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    m_layout = std::make_unique<ReportPageLayout>(def, m_printer->pageLayout());
    m_layout->paginate(*m_doc);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_toolBar = new QToolBar(this);
    QAction *print
        = m_toolBar->addAction(QStringLiteral("&Imprimir..."), this, [this] { printPages(); });
    print->setObjectName(QStringLiteral("imprimir"));
    QAction *pdf
        = m_toolBar->addAction(QStringLiteral("Salvar &PDF..."), this, [this] { savePdf(); });
    pdf->setObjectName(QStringLiteral("salvarPdf"));
    QAction *close
        = m_toolBar->addAction(QStringLiteral("&Fechar"), this, [this] { this->close(); });
    close->setObjectName(QStringLiteral("fechar"));
    m_read = new QLabel(m_toolBar);
    m_read->setObjectName(QStringLiteral("lidos"));
    m_read->setContentsMargins(12, 0, 0, 0);
    // A toolbar shows its widgets through their actions; a widget hidden
    // alone comes back at the next relayout.
    m_readAction = m_toolBar->addWidget(m_read);
    layout->addWidget(m_toolBar);
    m_view = new ReportPageView(m_doc.get(), m_layout.get(), this);
    m_view->setObjectName(QStringLiteral("paginas"));
    layout->addWidget(m_view, 1);
    m_reading.setInterval(0);
    connect(&m_reading, &QTimer::timeout, this, &ReportPreview::readSlice);
    showRead();
    if (!m_doc->isComplete())
        m_reading.start();
}

ReportPreview::~ReportPreview()
{
    delete m_printer;
}

int ReportPreview::pageCount() const
{
    return m_layout->pageCount();
}

void ReportPreview::readSlice()
{
    QElapsedTimer clock;
    clock.start();
    try {
        while (m_doc->readMore(kRowsPerLook) && clock.elapsed() < kSliceMs) {
        }
    } catch (const kq::data::DataError &e) {
        readFailed(e.description());
        return;
    }
    // Laying the new pages out and repainting costs about as much as a slice:
    // the pages read are shown a few times a second, and at the end.
    if (m_doc->isComplete() || !m_sinceShown.isValid() || m_sinceShown.elapsed() >= kShowMs)
        showRead();
}

void ReportPreview::showRead()
{
    m_sinceShown.start();
    m_layout->paginate(*m_doc);
    m_view->pagesChanged();
    if (m_doc->isComplete()) {
        m_reading.stop();
        m_readAction->setVisible(false);
        m_read->hide();
    } else {
        m_read->setText(QStringLiteral("Lendo os registros do relatório: %1 lidos.")
                            .arg(QLocale().toString(m_doc->recordCount())));
    }
}

void ReportPreview::readFailed(const QString &why)
{
    m_reading.stop();
    Dialogs::message(why, QString(), Buttons::Ok, Icon::Critical);
    close();
}

bool ReportPreview::readRest()
{
    if (m_doc->isComplete())
        return true;
    m_reading.stop();
    Progress progress(QStringLiteral("Lendo os registros do relatório..."), 0, this);
    try {
        while (m_doc->readMore(kRowsPerStep)) {
            if (!progress.setValue(int(std::min<qint64>(m_doc->recordCount(), INT_MAX)))) {
                // The window goes on reading while it answers.
                showRead();
                m_reading.start();
                return false;
            }
        }
    } catch (const kq::data::DataError &e) {
        readFailed(e.description());
        return false;
    }
    showRead();
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
