// Printing, print preview and layout files of the grid control, and a look
// at a grouped, coloured grid in a real window.

#include "support/gridtestdb.h"

#include "data/database.h"
#include "core/format.h"
#include "platform/grid/gexpreview.h"
#include "platform/grid/gridex.h"
#include "support/base_dialogs.h"
#include "support/base_recordingprinter.h"

#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

using namespace kq::platform;

namespace {

void design(GridEX &g)
{
    g.addColumn(QStringLiteral("nm_emitente"), QStringLiteral("Emitente"), 150);
    g.addColumn(QStringLiteral("cd_devolvido"), QStringLiteral("Chave")).setVisible(false);
    g.addColumn(QStringLiteral("ds_loja"), QStringLiteral("Loja"), 120);
    GridColumn &valor = g.addColumn(QStringLiteral("vl_cheque"), QStringLiteral("Valor"), 100);
    valor.setFormat(QStringLiteral("Currency"));
    valor.setAggregate(Aggregate::Sum);
    g.addColumn(QStringLiteral("dt_deposito"), QStringLiteral("Depósito"), 90)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    g.addColumn(QStringLiteral("cd_situacao"), QStringLiteral("Situação"), 80);
    g.addColumn(QStringLiteral("cd_loja"), QStringLiteral("CD_LOJA")).setVisible(false);
    g.addColumn(QStringLiteral("ds_historico"), QStringLiteral("Histórico")).setVisible(false);
    g.setKeyColumn(2);
}

int pdfPages(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(f.readAll());
    return int(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

// The designed columns the fit tests cycle through: text, money with a sum,
// a date, longer text, a code, a short code.
struct ColumnSpec
{
    const char *field;
    const char *caption;
    int width;
    const char *format;
    bool sum;
};
const ColumnSpec kSpecs[] = {
    {"nm_emitente", "Emitente", 150, "", false},
    {"vl_cheque", "Valor", 100, "Currency", true},
    {"dt_deposito", "Depósito", 90, "dd/mm/yyyy", false},
    {"ds_loja", "Loja", 120, "", false},
    {"cd_devolvido", "Chave", 90, "", false},
    {"cd_situacao", "Situação", 80, "", false},
};

// count columns shown (at least four designed: the fourth groups).
void designColumns(GridEX &g, int count, int width)
{
    for (int i = 0; i < std::max(count, 4); ++i) {
        const ColumnSpec &c = kSpecs[i % std::size(kSpecs)];
        GridColumn &col = g.addColumn(QString::fromLatin1(c.field),
                                      QString::fromUtf8(c.caption)
                                          + (i < int(std::size(kSpecs))
                                                 ? QString()
                                                 : QString::number(i / std::size(kSpecs) + 1)),
                                      width > 0 ? width : c.width);
        col.setFormat(QString::fromLatin1(c.format));
        if (c.sum)
            col.setAggregate(Aggregate::Sum);
        col.setVisible(i < count);
    }
}

bool containsText(const QVector<kq::test::PrintedText> &texts, const QString &text)
{
    for (const auto &t : texts)
        if (t.text == text)
            return true;
    return false;
}

} // namespace

class tst_gridprint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void printPagesAndPageEvent();
    void printOptions();
    void previewFillsItsWindowAndCloses();
    void layoutRoundTrip();
    void badLayoutChangesNothing_data();
    void badLayoutChangesNothing();
    void layoutSaveFails();
    void groupedColouredGridOnScreen();
    void printedTextsFitTheirCells_data();
    void printedTextsFitTheirCells();
    void previewTurnsToLandscapeAndBack();
    void checkBoxTickedOnScreenAndPaper_data();
    void checkBoxTickedOnScreenAndPaper();
    void previewOfALargeGridLaysOutAPartAtATime();

private:
    void bind(GridEX &g);
    QTemporaryDir *m_dir = nullptr;
    QString m_db;
};

void tst_gridprint::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
}

void tst_gridprint::init()
{
    m_dir = new QTemporaryDir;
    m_db = m_dir->filePath(QStringLiteral("devolvidos.mdb"));
    gridtest::createCheques(m_db);
    // 150 more cheques, enough for several pages.
    kq::data::Transaction t(m_db);
    for (int i = 0; i < 150; ++i) {
        kq::data::exec(m_db,
                       QStringLiteral("INSERT INTO cheques (cd_devolvido, cd_loja, ds_loja, "
                                      "nm_emitente, vl_cheque, cd_situacao) "
                                      "VALUES (?, ?, ?, ?, 10, '001')"),
                       {QStringLiteral("Y%1").arg(i, 9, 10, QLatin1Char('0')),
                        QStringLiteral("00%1").arg(i % 3 + 1),
                        QStringList{"Loja Centro", "Loja Norte", "Loja Sul"}[i % 3],
                        QStringLiteral("Emitente %1").arg(i, 3, 10, QLatin1Char('0'))});
    }
    t.commit();
}

void tst_gridprint::cleanup()
{
    kq::data::closeAllDatabases();
    delete m_dir;
    m_dir = nullptr;
}

void tst_gridprint::bind(GridEX &g)
{
    design(g);
    g.setDatabaseName(m_db);
    g.setRecordSource(QStringLiteral("SELECT * FROM cheques ORDER BY nm_emitente"));
    g.rebind();
    g.refresh();
}

void tst_gridprint::printPagesAndPageEvent()
{
    GridEX g;
    bind(g);
    const QString pdf = m_dir->filePath(QStringLiteral("grade.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    const int expected = g.pageCount(&printer);
    QVERIFY(expected > 1);

    QList<QPair<int, int>> events;
    QStringList footers;
    connect(&g, &GridEX::pagePrinting, this, [&](int page, int count) {
        events.append({page, count});
        g.printerSettings().setFooter(3, QStringLiteral("Page ") + QString::number(page)
                                             + QStringLiteral("\r\n of ") + QString::number(count));
        footers << g.printerSettings().footer(3);
    });
    g.printerSettings().setFooter(2, QStringLiteral("01/02/2024 10:00:00"));
    QCOMPARE(g.printGrid(&printer), expected);
    QCOMPARE(events.size(), expected);
    for (int i = 0; i < expected; ++i)
        QCOMPARE(events[i], qMakePair(i + 1, expected));
    QCOMPARE(footers.last(), QStringLiteral("Page %1\r\n of %1").arg(expected));
    QCOMPARE(pdfPages(pdf), expected);
}

void tst_gridprint::printOptions()
{
    GridEX g;
    bind(g);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir->filePath(QStringLiteral("x.pdf")));
    const int all = g.pageCount(&printer);

    // Only the selected rows: three rows fit on one page.
    g.selectRows({0, 1, 2});
    QCOMPARE(g.selectedRows(), (QList<int>{0, 1, 2}));
    QCOMPARE(g.pageCount(&printer, true), 1);
    QCOMPARE(g.pageCount(&printer, false), all);

    // Page grouping: each store starts a page.
    g.groupBy(7);
    g.printerSettings().groupPages = false;
    const int grouped = g.pageCount(&printer);
    g.printerSettings().groupPages = true;
    const int paged = g.pageCount(&printer);
    QVERIFY(paged >= 3);
    QVERIFY(paged >= grouped);

    // Column headers on the first page only leave room for more rows.
    g.ungroup();
    g.printerSettings().groupPages = false;
    g.printerSettings().repeatHeaders = true;
    QCOMPARE(g.pageCount(&printer), all);
    g.printerSettings().repeatHeaders = false;
    QVERIFY(g.pageCount(&printer) <= all);

    // The print dialog's cancel prints nothing.
    kq::test::ScriptedDialogs dialogs;
    dialogs.printAccepted = false;
    QVERIFY(!g.print(true, false));
}

void tst_gridprint::previewFillsItsWindowAndCloses()
{
    GridEX g;
    bind(g);
    QWidget window;
    window.resize(640, 480);
    auto *preview = new GEXPreview(&window);
    preview->setObjectName(QStringLiteral("grPrev"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(preview->geometry(), window.rect());
    window.resize(800, 500);
    QCoreApplication::processEvents();
    QCOMPARE(preview->geometry(), window.rect());

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir->filePath(QStringLiteral("y.pdf")));
    QSignalSpy pages(&g, &GridEX::pagePrinting);
    const QString shot = qEnvironmentVariable("KQ_GRID_PREVIEW_SHOT");
    if (!shot.isEmpty()) {
        // A grouped page with its texts, to look at.
        g.setCaption(QStringLiteral("CONSULTA DE DOCUMENTOS"));
        g.groupBy(3);
        g.printerSettings().headerLeft = QStringLiteral("Escritório de Cobrança");
        g.printerSettings().footerCenter = QStringLiteral("01/02/2024 10:00:00");
        g.printerSettings().footerRight = QStringLiteral("Page 1\r\n of 2");
        g.printerSettings().gridLines = true;
        g.printPreview(preview);
        preview->previewWidget()->fitInView();
        QCoreApplication::processEvents();
        window.grab().save(shot);
        g.ungroup();
        g.setCaption(QString());
        g.printerSettings() = GridPrinterSettings();
    }
    g.printPreview(preview);
    QCOMPARE(preview->pageCount(), g.pageCount(&printer));
    QVERIFY(pages.count() >= preview->pageCount());
    g.selectRows({3});
    g.printPreview(preview, true);
    QCOMPARE(preview->pageCount(), 1);

    QStringList texts;
    for (QAction *a : preview->toolBar()->actions())
        texts << a->text();
    QCOMPARE(texts, (QStringList{"Page Set&up...", "&Print...", "&Close"}));
    QCOMPARE(preview->toolBar()->font().family(), QStringLiteral("Tahoma"));
    QSignalSpy closed(preview, &GEXPreview::closed);
    preview->toolBar()->actions().at(2)->trigger();
    QCOMPARE(closed.count(), 1);
}

void tst_gridprint::layoutRoundTrip()
{
    const QString file = m_dir->filePath(QStringLiteral("consulta.lyt"));
    {
        GridEX g;
        g.setObjectName(QStringLiteral("GridEX1"));
        bind(g);
        g.column(1).setCaption(QStringLiteral("Nome"));
        g.column(6).setVisible(false);
        g.column(5).setPosition(1);
        g.column(3).setWidth(222);
        g.groupBy(3, SortOrder::Descending);
        g.sortBy(4, SortOrder::Descending);
        g.setGroupByBoxVisible(true);
        g.saveLayout(file);
    }
    GridEX g;
    bind(g);
    g.loadLayout(file);
    QCOMPARE(g.column(1).caption(), QStringLiteral("Nome"));
    QVERIFY(!g.column(6).isVisible());
    QCOMPARE(g.column(5).position(), 1);
    QCOMPARE(g.columnAtPosition(2).index(), 1);
    QCOMPARE(g.column(3).width(), 222);
    QCOMPARE(g.groupColumns(), QList<int>{3});
    QVERIFY(g.groupByBoxVisible());
    QCOMPARE(g.view()->header()->sectionSize(2), 222);
    QVERIFY(g.view()->header()->isSectionHidden(5));
    // Descending groups, records by value descending inside them.
    QCOMPARE(g.groupCaption(0), QStringLiteral("Loja: Loja Sul"));
    QCOMPARE(g.textAt(1, 1), QStringLiteral("Gil"));
    // Hidden columns still count in the numbering after a load.
    g.setCurrentRow(1);
    QCOMPARE(g.value(2).toString(), QStringLiteral("0000000007"));
}

void tst_gridprint::badLayoutChangesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("number");
    QTest::newRow("corrupt") << QByteArray("{\"format\": \"kq-grid-lay") << 321;
    QTest::newRow("not a layout") << QByteArray("[1, 2, 3]") << 321;
    QTest::newRow("other format") << QByteArray("{\"format\": \"cube\", \"version\": 1}") << 321;
    QTest::newRow("incomplete column")
        << QByteArray("{\"format\":\"kq-grid-layout\",\"version\":1,"
                      "\"columns\":[{\"key\":\"nm_emitente\",\"caption\":\"X\"}]}")
        << 321;
    QTest::newRow("another grid") << QByteArray(
        "{\"format\":\"kq-grid-layout\",\"version\":1,\"columns\":"
        "[{\"key\":\"cd_cor\",\"caption\":\"Cor\",\"visible\":true,"
        "\"position\":1,\"width\":50}],\"groups\":[]}")
                                  << 321;
    QTest::newRow("missing file") << QByteArray() << 53;
}

void tst_gridprint::badLayoutChangesNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(int, number);
    const QString file = m_dir->filePath(QStringLiteral("ruim.lyt"));
    if (!content.isEmpty()) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    GridEX g;
    bind(g);
    g.groupBy(3);
    g.column(1).setCaption(QStringLiteral("Antes"));
    const int rows = g.rowCount();
    try {
        g.loadLayout(file);
        QFAIL("the load should fail");
    } catch (const GridError &e) {
        QCOMPARE(e.number(), number);
        QVERIFY(e.description().contains(QStringLiteral("ruim.lyt")));
    }
    QCOMPARE(g.column(1).caption(), QStringLiteral("Antes"));
    QCOMPARE(g.groupColumns(), QList<int>{3});
    QCOMPARE(g.rowCount(), rows);
}

void tst_gridprint::layoutSaveFails()
{
    GridEX g;
    bind(g);
    try {
        g.saveLayout(m_dir->filePath(QStringLiteral("nao/existe/x.lyt")));
        QFAIL("the save should fail");
    } catch (const GridError &e) {
        QCOMPARE(e.number(), GridErrorNumber::LayoutWrite);
        QVERIFY2(e.description().contains(QStringLiteral("não existe")),
                 qPrintable(e.description()));
        QVERIFY(!e.detail().isEmpty()); // the system's own text, for the error log
    }
}

void tst_gridprint::groupedColouredGridOnScreen()
{
    // The way the returned-cheque query shows its grid: store styles by
    // colour, group captions with the group's total, a preview line.
    QWidget window;
    window.setWindowTitle(QStringLiteral("CONSULTA DE DOCUMENTOS"));
    window.resize(820, 560);
    auto *g = new GridEX(&window);
    g->setObjectName(QStringLiteral("GridEX1"));
    g->setGeometry(4, 4, 812, 552);
    design(*g);
    g->setAlternatingRowColors(QColor(113, 247, 206), Qt::white);
    g->setGroupByBoxVisible(true);
    g->setGroupByBoxCaption(QStringLiteral("Traga a Coluna a ser agrupada para essa área"));
    g->addFormatStyle(QStringLiteral("001"), QColor(200, 0, 0));
    g->addFormatStyle(QStringLiteral("002"), QColor(0, 0, 200));
    g->addFormatStyle(QStringLiteral("003"), QColor(0, 120, 0));
    connect(g, &GridEX::formatRow, this, [](GridRow &row) {
        if (row.isRecord())
            row.setStyleName(row.text(7));
        else
            row.setGroupCaption(row.groupCaption() + QStringLiteral("  (Total= ")
                                + formatValue(row.groupSum(4), QStringLiteral("currency"))
                                + QStringLiteral(")"));
    });
    g->setDatabaseName(m_db);
    g->setRecordSource(QStringLiteral("SELECT * FROM cheques WHERE cd_devolvido < 'Y' "
                                      "OR cd_devolvido < 'Y000000010' ORDER BY nm_emitente"));
    g->refresh();
    g->setPreviewField(QStringLiteral("ds_historico"), 3);
    g->groupBy(3);
    g->groupBy(6);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    g->setCurrentRow(2);
    QCoreApplication::processEvents();
    const QImage shot = window.grab().toImage();
    QVERIFY(!shot.isNull());
    // Some pixel of the grid carries each store's colour.
    auto hasColour = [&shot](const QColor &c) {
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                if (shot.pixelColor(x, y) == c)
                    return true;
            }
        }
        return false;
    };
    QVERIFY(hasColour(QColor(200, 0, 0)));
    QVERIFY(hasColour(QColor(0, 0, 200)));
    const QString out = qEnvironmentVariable("KQ_GRID_SHOT");
    if (!out.isEmpty())
        shot.save(out);
    // Keeps the window up for a screenshot from outside (under Xvfb).
    if (qEnvironmentVariableIsSet("KQ_GRID_HOLD_MS"))
        QTest::qWait(qEnvironmentVariableIntValue("KQ_GRID_HOLD_MS"));
}

void tst_gridprint::printedTextsFitTheirCells_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("width"); // designed width of every column (0: as designed)
    QTest::addColumn<bool>("grouped");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<double>("fontSize");
    QTest::addColumn<bool>("bands");
    const int portrait = QPageLayout::Portrait;
    const int landscape = QPageLayout::Landscape;
    QTest::newRow("narrow") << 3 << 0 << false << portrait << 8.5 << false;
    QTest::newRow("designed too narrow") << 6 << 12 << false << landscape << 8.5 << false;
    QTest::newRow("narrow, grouped") << 3 << 0 << true << portrait << 8.5 << false;
    QTest::newRow("wide") << 12 << 0 << false << landscape << 8.5 << false;
    QTest::newRow("wide, grouped") << 12 << 0 << true << landscape << 8.5 << false;
    QTest::newRow("wider: smaller font") << 15 << 0 << false << landscape << 0.0 << false;
    QTest::newRow("too wide: bands") << 40 << 0 << false << landscape << 6.0 << true;
    QTest::newRow("too wide, grouped") << 40 << 0 << true << landscape << 6.0 << true;
}

void tst_gridprint::printedTextsFitTheirCells()
{
    QFETCH(int, columns);
    QFETCH(int, width);
    QFETCH(bool, grouped);
    QFETCH(int, orientation);
    QFETCH(double, fontSize);
    QFETCH(bool, bands);
    // Values wider than any designed column.
    kq::data::exec(m_db, QStringLiteral("INSERT INTO cheques VALUES ('0000000099', '004', "
                                        "'LOJA DE DEPARTAMENTOS DO CENTRO DA CIDADE', "
                                        "'MARIA APARECIDA DOS SANTOS FERREIRA DE OLIVEIRA', "
                                        "1234567.89, '2024-12-31', '002', '', 0)"));
    GridEX g;
    designColumns(g, columns, width);
    g.setKeyColumn(5);
    g.setCaption(QStringLiteral("CONSULTA DE DOCUMENTOS"));
    g.printerSettings().gridLines = true;
    g.printerSettings().footerCenter = QStringLiteral("01/02/2024 10:00:00");
    connect(&g, &GridEX::formatRow, this, [](GridRow &row) {
        if (row.isGroupHeader())
            row.setGroupCaption(row.groupCaption() + QStringLiteral("  (Total= ")
                                + formatValue(row.groupSum(2), QStringLiteral("currency"))
                                + QStringLiteral(")"));
    });
    g.setDatabaseName(m_db);
    g.setRecordSource(QStringLiteral("SELECT * FROM cheques ORDER BY nm_emitente"));
    g.rebind();
    g.refresh();
    if (grouped)
        g.groupBy(4);
    connect(&g, &GridEX::pagePrinting, this, [&g](int page, int count) {
        g.printerSettings().setFooter(3, QStringLiteral("Page %1\r\n of %2").arg(page).arg(count));
    });

    kq::test::RecordingPrinter printer;
    const int pages = g.printGrid(&printer);
    QCOMPARE(printer.pages(), pages);
    QCOMPARE(g.pageCount(&printer), pages);
    const QStringList faults = printer.faults();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 8).join(QLatin1Char('\n'))));
    QCOMPARE(int(printer.pageLayout().orientation()), orientation);

    double smallest = 100;
    for (const auto &t : printer.texts())
        smallest = std::min(smallest, t.font.pointSizeF());
    if (fontSize > 0)
        QCOMPARE(smallest, fontSize);
    else
        QVERIFY2(smallest < 8.5 && smallest >= 6, qPrintable(QString::number(smallest)));

    // Money, dates, codes, sums and captions are there whole.
    const QVector<kq::test::PrintedText> texts = printer.joinedTexts();
    QStringList whole{QStringLiteral("R$ 1.234.567,89"), QStringLiteral("31/12/2024")};
    if (columns > 4)
        whole << QStringLiteral("0000000099");
    whole << formatValue(kq::data::scalar(m_db, QStringLiteral("SELECT sum(vl_cheque) FROM "
                                                               "cheques")),
                         QStringLiteral("Currency"));
    if (grouped)
        whole << QStringLiteral("Loja: LOJA DE DEPARTAMENTOS DO CENTRO DA CIDADE  (Total= "
                                "R$ 1.234.567,89)");
    for (const QString &text : whole)
        QVERIFY2(containsText(texts, text), qPrintable(text));

    // Every page shows the key column; with bands the columns go on over
    // several pages, otherwise each page has them all.
    QSet<int> withKey;
    QSet<int> withLast;
    QSet<int> withValue;
    const QString lastCaption = g.column(columns).caption();
    for (const auto &t : texts) {
        if (t.text == QStringLiteral("Emitente"))
            withKey.insert(t.page);
        if (t.text == lastCaption)
            withLast.insert(t.page);
        if (t.text == QStringLiteral("Valor"))
            withValue.insert(t.page);
    }
    QCOMPARE(withKey.size(), pages);
    QVERIFY(!withLast.isEmpty());
    QCOMPARE(withLast.intersects(withValue), !bands);
    if (!bands)
        QCOMPARE(withLast.size(), pages);

    const QString dir = qEnvironmentVariable("KQ_GRID_PRINT_DIR");
    if (!dir.isEmpty()) {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(
            dir + QLatin1Char('/')
            + QString::fromLatin1(QTest::currentDataTag())
                  .replace(QRegularExpression(QStringLiteral("\\W+")), QStringLiteral("_"))
            + QStringLiteral(".pdf"));
        g.printGrid(&pdf);
    }
}

void tst_gridprint::checkBoxTickedOnScreenAndPaper_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("sim") << QVariant(QStringLiteral("sim")) << true;
    QTest::newRow("Sim") << QVariant(QStringLiteral("Sim")) << true;
    QTest::newRow("SIM with blanks") << QVariant(QStringLiteral(" SIM ")) << true;
    QTest::newRow("true") << QVariant(QStringLiteral("true")) << true;
    QTest::newRow("True with blanks") << QVariant(QStringLiteral(" True ")) << true;
    QTest::newRow("text 1") << QVariant(QStringLiteral("1")) << true;
    QTest::newRow("text -1") << QVariant(QStringLiteral("-1")) << true;
    QTest::newRow("text 0.5") << QVariant(QStringLiteral("0.5")) << true;
    QTest::newRow("Verdadeiro") << QVariant(QStringLiteral("Verdadeiro")) << false;
    QTest::newRow("text 0") << QVariant(QStringLiteral("0")) << false;
    QTest::newRow("empty text") << QVariant(QStringLiteral("")) << false;
    QTest::newRow("não") << QVariant(QStringLiteral("não")) << false;
    QTest::newRow("false") << QVariant(QStringLiteral("false")) << false;
    QTest::newRow("number -1") << QVariant(-1) << true;
    QTest::newRow("number 0") << QVariant(0) << false;
    QTest::newRow("null") << QVariant() << false;
}

// The tick of a check-box column follows one rule in the grid on screen and
// in its print-out (a ticked box is printed crossed).
void tst_gridprint::checkBoxTickedOnScreenAndPaper()
{
    QFETCH(QVariant, value);
    QFETCH(bool, ticked);
    kq::data::exec(m_db,
                   QStringLiteral("UPDATE cheques SET ds_historico = ? "
                                  "WHERE cd_devolvido = '0000000001'"),
                   {value});
    GridEX g;
    g.addColumn(QStringLiteral("ds_historico"), QStringLiteral("Feito"), 60).setCheckBox(true);
    g.setDatabaseName(m_db);
    g.setRecordSource(
        QStringLiteral("SELECT ds_historico FROM cheques WHERE cd_devolvido = '0000000001'"));
    g.refresh();
    const QModelIndex cell = g.view()->model()->index(0, 0);
    QCOMPARE(cell.data(Qt::CheckStateRole).toInt() == Qt::Checked, ticked);

    kq::test::RecordingPrinter printer;
    QCOMPARE(g.printGrid(&printer), 1);
    int crossing = 0;
    for (const kq::test::PrintedLine &l : printer.lines())
        crossing += l.line.dx() != 0 && l.line.dy() != 0;
    QCOMPARE(crossing == 2, ticked);
    QVERIFY(crossing == 0 || crossing == 2);
}

void tst_gridprint::previewTurnsToLandscapeAndBack()
{
    // A wide design is previewed on a landscape page; once narrow again the
    // preview goes back to the portrait page it was set up with.
    GridEX g;
    designColumns(g, 12, 0);
    g.setDatabaseName(m_db);
    g.setRecordSource(QStringLiteral("SELECT * FROM cheques ORDER BY nm_emitente"));
    g.rebind();
    g.refresh();
    QWidget window;
    window.resize(640, 480);
    auto *preview = new GEXPreview(&window);
    g.printPreview(preview);
    QCOMPARE(preview->printer()->pageLayout().orientation(), QPageLayout::Landscape);
    for (int c = 4; c <= 12; ++c)
        g.column(c).setVisible(false);
    g.printPreview(preview);
    QCOMPARE(preview->printer()->pageLayout().orientation(), QPageLayout::Portrait);
}

void tst_gridprint::previewOfALargeGridLaysOutAPartAtATime()
{
    // 100,000 cheques more: their pages are placed while the event loop runs,
    // the first one shown before; only the pages in sight are drawn.
    kq::data::exec(m_db,
                   QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c "
                                  "WHERE n < 100000) INSERT INTO cheques (cd_devolvido, cd_loja, "
                                  "ds_loja, nm_emitente, vl_cheque, cd_situacao) SELECT "
                                  "printf('Z%09d', n), '001', 'Loja Centro', 'Emitente ' || n, n, "
                                  "'001' FROM c"));
    GridEX g;
    bind(g);
    QCOMPARE(g.recordCount(), 100158);
    QWidget window;
    window.resize(640, 480);
    auto *preview = new GEXPreview(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy drawn(&g, &GridEX::pagePrinting);
    g.printPreview(preview);
    QVERIFY(!preview->isComplete());
    QVERIFY(preview->pageCount() >= 1);
    QVERIFY(drawn.count() >= 1);
    QCOMPARE(drawn.first().at(0).toInt(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(preview->isComplete(), 120000);
    QVERIFY(drawn.count() < 10);
    // The same pages as the print-out's.
    const int pages = preview->pageCount();
    QPrinter printer(QPrinter::HighResolution);
    QCOMPARE(g.pageCount(&printer), pages);
    QVERIFY(pages > 1000);
    // A page far down is drawn when it comes in sight, with the page count.
    preview->showPage(pages - 1);
    QCOMPARE(drawn.last().at(0).toInt(), pages);
    QCOMPARE(drawn.last().at(1).toInt(), pages);
}

QTEST_MAIN(tst_gridprint)
#include "tst_gridprint.moc"
