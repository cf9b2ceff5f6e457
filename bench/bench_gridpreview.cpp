// The print preview of a query screen's grid (frmPreview's GEXPreview) over
// every cheque of a portfolio, the grid's rows all read: the first page on
// screen, every page laid out, the PDF of every page; with the memory held.
// The baseline, in the same run, is the preview as it was: every page drawn
// up front into Qt's print preview.
//   bench_gridpreview [cheques] [--baseline-size N | --no-baseline] [--shot FILE.png]
//   (default 1000000 cheques; the baseline at 100000, it takes minutes at 1M)

#include "benchgrid.h"
#include "benchcompare.h"
#include "benchmemory.h"
#include "benchsupport.h"
#include "data/database.h"
#include "platform/grid/gexpreview.h"
#include "platform/grid/gridex.h"
#include "queries/rules/queryfilters.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>

using namespace kq::bench;
using namespace kq::platform;

namespace {

// Notes when a widget named `name` first paints.
class FirstPaint : public QObject
{
public:
    QElapsedTimer clock;
    double seconds = -1;
    QString name;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (seconds < 0 && event->type() == QEvent::Paint && watched->parent()
            && watched->parent()->objectName() == name)
            seconds = clock.nsecsElapsed() / 1e9;
        return false;
    }
};

void row(const char *what, const QString &value)
{
    std::printf("%-52s %18s\n", what, qPrintable(value));
}

QString secs(double s)
{
    return QString::asprintf("%.2f s", s);
}
QString mb(long m)
{
    return QString::asprintf("%ld MB", m);
}

// A grid over every cheque, every row read.
struct ChequeGrid
{
    kq::bench::BenchOffice office;
    GridEX grid;
    double generated = 0;
    double read = 0;

    explicit ChequeGrid(int cheques)
    {
        generated
            = kq::bench::secondsOf([&] { kq::bench::makePortfolio(office.devolvidos, cheques); });
        grid.setObjectName(QStringLiteral("GridEX1"));
        kq::bench::designChequeColumns(grid);
        grid.setCaption(QStringLiteral("CONSULTA DE DOCUMENTOS"));
        grid.setDatabaseName(office.devolvidos);
        grid.setRecordSource(kq::queries::chequeLoadQuery());
        read = kq::bench::secondsOf([&] {
            grid.rebind();
            grid.refresh();
            grid.recordCount();
        });
    }
};

void streamed(int cheques, const QString &shot)
{
    ChequeGrid g(cheques);
    std::printf("%d cheques (%.1f s to generate, %.1f s to read into the grid)\n", cheques,
                g.generated, g.read);
    QWidget window;
    window.resize(800, 600);
    auto *preview = new GEXPreview(&window);
    preview->setObjectName(QStringLiteral("grPrev"));
    window.show();
    QCoreApplication::processEvents();
    FirstPaint paint;
    paint.name = QStringLiteral("previewPages");
    qApp->installEventFilter(&paint);
    resetPeak();
    const long before = anonMb();
    paint.clock.start();
    g.grid.printPreview(preview);
    const double returned = paint.clock.nsecsElapsed() / 1e9;
    while (paint.seconds < 0 && paint.clock.nsecsElapsed() < 600e9)
        QCoreApplication::processEvents();
    while (!preview->isComplete() && paint.clock.nsecsElapsed() < 600e9)
        QCoreApplication::processEvents();
    const double laidOut = paint.clock.nsecsElapsed() / 1e9;
    qApp->removeEventFilter(&paint);
    const long previewMb = anonMb() - before;
    const long previewPeak = peakMb();

    if (!shot.isEmpty())
        window.grab().save(shot);
    QElapsedTimer clock;
    clock.start();
    preview->showPage(preview->pageCount() - 1);
    const double lastPage = clock.nsecsElapsed() / 1e9;

    QTemporaryDir out;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(out.filePath(QStringLiteral("grade.pdf")));
    resetPeak();
    clock.restart();
    const int pages = g.grid.printGrid(&pdf);
    const double pdfSeconds = clock.nsecsElapsed() / 1e9;

    row("preview: printPreview() returns", secs(returned));
    row("preview: first page on screen", secs(paint.seconds));
    row(qPrintable(QString("preview: all %1 pages laid out").arg(preview->pageCount())),
        secs(laidOut));
    row("preview: last page shown after a jump", secs(lastPage));
    row("preview: memory it holds (anonymous, beside the grid)", mb(previewMb));
    row("preview: peak RSS", mb(previewPeak));
    row(qPrintable(QString("PDF of all %1 pages").arg(pages)), secs(pdfSeconds));
    row("  PDF size",
        mb(long(QFileInfo(out.filePath(QStringLiteral("grade.pdf"))).size() / (1024 * 1024))));
    row("  peak RSS while writing", mb(peakMb()));
}

void upFront(int cheques)
{
    ChequeGrid g(cheques);
    std::printf("\nbaseline, %d cheques: every page drawn up front into Qt's print preview\n",
                cheques);
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewWidget whole(&printer);
    QObject::connect(&whole, &QPrintPreviewWidget::paintRequested, &whole,
                     [&g](QPrinter *p) { g.grid.printGrid(p); });
    whole.resize(800, 600);
    resetPeak();
    const long before = anonMb();
    QElapsedTimer clock;
    clock.start();
    whole.show();
    whole.updatePreview();
    QCoreApplication::processEvents();
    row("first page on screen", secs(clock.nsecsElapsed() / 1e9));
    row(qPrintable(QString("pages: %1").arg(whole.pageCount())), QString());
    row("memory it holds (anonymous, beside the grid)", mb(anonMb() - before));
    row("peak RSS", mb(peakMb()));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    int cheques = 1000000;
    int baseline = 100000;
    QString shot;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--shot" && i + 1 < argc)
            shot = QString::fromLocal8Bit(argv[++i]);
        else if (a == "--no-baseline")
            baseline = 0;
        else if (a == "--baseline-size" && i + 1 < argc)
            baseline = QString(argv[++i]).toInt();
        else
            cheques = a.toInt();
    }
    streamed(cheques, shot);
    if (baseline > 0) {
        if (baseline != cheques)
            streamed(baseline, QString());
        upFront(baseline);
    }
    return 0;
}
