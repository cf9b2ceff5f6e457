// The cheque query and the grid-query pattern it shares: load, store styles,
// drop-downs, group captions with totals, the filter dialog, "Todos",
// layouts, preview and the page footers of a print.
#include "data/database.h"
#include "data/jetsql.h"
#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "platform/grid/gexpreview.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "queries/fconsultas1.h"
#include "queries/ffiltros1.h"
#include "queries/frmpreview.h"
#include "queries/rules/queryfilters.h"
#include "queries/screens.h"
#include "shell/fprincipal.h"
#include "support/base_data.h"
#include "support/base_screens.h"
#include "support/shell_fixture.h"
#include "support/shell_queries_fixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace kq::test;
using namespace kq::queries;
using kq::platform::GridEX;
using kq::platform::RowType;
using kq::platform::ScreenRegistry;

namespace {

using kq::test::shot;

// Column values of the records shown, in display order.
QStringList column(GridEX *g, int col)
{
    QStringList out;
    for (int r = 0; r < g->rowCount(); ++r) {
        if (g->rowType(r) == RowType::Record)
            out << g->valueAt(r, col).toString();
    }
    return out;
}

// True once the screen has been unloaded.
bool unloaded(const QString &name)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return !ScreenRegistry::instance().find(name);
}

QStringList captionsOf(GridEX *g)
{
    QStringList out;
    for (int r = 0; r < g->rowCount(); ++r) {
        if (g->rowType(r) == RowType::GroupHeader)
            out << g->groupCaption(r);
    }
    return out;
}

} // namespace

class tst_qconsultas1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerQueryScreens(); }
    void init();
    void cleanup();

    void menuOpensTheScreens();
    void load();
    void groupCaptions_data();
    void groupCaptions();
    void filters_data();
    void filters();
    void filterLoadsTheScreenHidden();
    void longStorePeriodIsWalked();
    void documentWithANulIsRefused();
    void allAfterAFilter();
    void layouts();
    void layoutErrors();
    void previewHidesTheScreen();
    void printFooters();
    void printCancelled();
    void resize();

private:
    fconsultas1 *open();

    ShellFixture *m_fx = nullptr;
    QString m_db;
};

void tst_qconsultas1::init()
{
    m_fx = new ShellFixture;
    m_db = m_fx->devolvidos();
    kq::test::queries::addPortfolio(m_db);
}

void tst_qconsultas1::cleanup()
{
    delete m_fx;
    m_fx = nullptr;
}

fconsultas1 *tst_qconsultas1::open()
{
    auto *s = qobject_cast<fconsultas1 *>(ScreenRegistry::instance().show("fconsultas1"));
    s->GridEX1->recordCount(); // every row read
    return s;
}

void tst_qconsultas1::menuOpensTheScreens()
{
    const char *const names[] = {"fconsultas1", "fconsulta2", "fconsulta3"};
    for (int item = 1; item <= 3; ++item) {
        m_fx->main->ButtonBar1_ItemClick(3, item);
        QWidget *w = ScreenRegistry::instance().find(names[item - 1]);
        QVERIFY2(w && w->isVisible(), names[item - 1]);
        // Hidden by a preview: the menu brings up the same instance.
        w->hide();
        m_fx->main->ButtonBar1_ItemClick(3, item);
        QCOMPARE(ScreenRegistry::instance().find(names[item - 1]), w);
        QVERIFY(w->isVisible());
    }
    QVERIFY(m_fx->dialogs.messages.isEmpty());
}

void tst_qconsultas1::load()
{
    fconsultas1 *s = open();
    QCOMPARE(s->windowTitle(), QString("CONSULTA DE DOCUMENTOS"));
    QCOMPARE(s->GridEX1->recordSource(), chequeLoadQuery());
    GridEX *g = s->GridEX1;
    // The cheque of the missing store 009 is left out.
    QStringList keys = column(g, 3);
    keys.sort();
    QCOMPARE(keys, (QStringList{"0000000001", "0000000002", "0000000003", "0000000004",
                                "0000000005", "0000000007"}));
    QVERIFY(!g->column(3).isVisible());
    QVERIFY(!g->column(15).isVisible());
    QCOMPARE(g->column(17).position(), 7);
    QCOMPARE(g->column(14).key(), QString("DS_SITUACAO"));
    // Store styles in the store's colour; each row takes its store's.
    QCOMPARE(g->formatStyle("001").foreColor, QColor(255, 0, 0));
    QCOMPARE(g->formatStyle("002").foreColor, QColor(0, 0, 255));
    const int row = g->findRow(3, "0000000003");
    QCOMPARE(g->rowStyleName(row), QString("002"));
    // The situation and destination columns show descriptions.
    QCOMPARE(g->textAt(g->findRow(3, "0000000001"), 14), QString("EM ACORDO"));
    QCOMPARE(g->textAt(row, 14), QString("EM COBRANÇA"));
    QCOMPARE(g->textAt(row, 13), QString("ESCRITÓRIO"));
    QCOMPARE(g->textAt(row, 6), QString("R$ 300,00"));
    g->setCurrentRow(row);
    shot(s, "fconsultas1");
}

void tst_qconsultas1::groupCaptions_data()
{
    QTest::addColumn<QList<int>>("groups");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("by store") << QList<int>{
        2} << QStringList{"LOJA CENTRO  (Total= R$ 800,00)", "LOJA NORTE  (Total= R$ 1.400,00)"};
    QTest::newRow("by store and situation")
        << QList<int>{2, 14}
        << QStringList{"LOJA CENTRO  (Total= R$ 800,00)", "EM COBRANÇA  (Total= R$ 200,00)",
                       "EM ACORDO  (Total= R$ 600,00)", "LOJA NORTE  (Total= R$ 1.400,00)",
                       "EM COBRANÇA  (Total= R$ 1.400,00)"};
}

void tst_qconsultas1::groupCaptions()
{
    QFETCH(QList<int>, groups);
    QFETCH(QStringList, expected);
    fconsultas1 *s = open();
    for (int c : groups)
        s->GridEX1->groupBy(c);
    const QStringList got = captionsOf(s->GridEX1);
    QCOMPARE(got.size(), expected.size());
    for (int i = 0; i < got.size(); ++i)
        QVERIFY2(got[i].endsWith(expected[i]), qPrintable(got[i] + " / " + expected[i]));
    if (groups.size() == 2)
        shot(s, "fconsultas1_grouped");
}

void tst_qconsultas1::filters_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("store");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QStringList>("expected"); // by issuer
    const QDate none;
    QTest::newRow("store") << "Command2"
                           << "LOJA NORTE" << none << none << ""
                           << QStringList{"0000000003", "0000000007", "0000000004"};
    QTest::newRow("no store chosen") << "Command2"
                                     << "" << none << none << "" << QStringList{};
    QTest::newRow("store and period") << "Command1"
                                      << "LOJA CENTRO" << QDate(2026, 1, 10) << QDate(2026, 1, 31)
                                      << "" << QStringList{"0000000002", "0000000001"};
    QTest::newRow("period") << "Command4"
                            << "" << QDate(2026, 2, 1) << QDate(2026, 2, 15) << ""
                            << QStringList{"0000000003", "0000000004"};
    QTest::newRow("document with a quote")
        << "Command5"
        << "" << none << none << "123'" << QStringList{"0000000002"};
}

void tst_qconsultas1::filters()
{
    QFETCH(QString, button);
    QFETCH(QString, store);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, document);
    QFETCH(QStringList, expected);
    fconsultas1 *s = open();
    s->Command8->click();
    auto *f = qobject_cast<ffiltros1 *>(ScreenRegistry::instance().find("ffiltros1"));
    QVERIFY(f && f->isVisible());
    QCOMPARE(f->windowTitle(), QString("Filtros da Consulta de Documentos"));
    QCOMPARE(f->inicio->value(), QDate::currentDate());
    QCOMPARE(f->ds_loja->boundText(), QString());
    if (button == "Command2") {
        f->ds_loja->setText(store);
    } else if (button == "Command1") {
        f->loja1->setText(store);
        f->inicio->setValue(from);
        f->fim->setValue(to);
    } else if (button == "Command4") {
        f->inicio1->setValue(from);
        f->fim1->setValue(to);
    } else {
        f->nr_documento->setText(document);
    }
    if (button == "Command1")
        shot(f, "ffiltros1");
    f->findChild<QPushButton *>(button)->click();
    QVERIFY(unloaded("ffiltros1"));
    QCOMPARE(column(s->GridEX1, 3), expected);
    QVERIFY(m_fx->dialogs.messages.isEmpty());
}

void tst_qconsultas1::filterLoadsTheScreenHidden()
{
    auto *f = qobject_cast<ffiltros1 *>(ScreenRegistry::instance().show("ffiltros1"));
    f->ds_loja->setText("LOJA CENTRO");
    f->Command2->click();
    auto *s = qobject_cast<fconsultas1 *>(ScreenRegistry::instance().find("fconsultas1"));
    QVERIFY(s);
    QVERIFY(!s->isVisible());
    QCOMPARE(s->GridEX1->recordSource(), chequesByStore("001"));
}

// A store's period of many cheques is read walking the store's issuers in
// order: the same rows as the sorted period.
void tst_qconsultas1::longStorePeriodIsWalked()
{
    kq::test::addCheques(m_db, 20001); // at LOJA CENTRO, from 2020
    kq::data::exec(m_db, "INSERT OR IGNORE INTO CLIENTES (CD_cliente, nm_cliente) "
                         "SELECT DISTINCT CD_CLIENTE, 'DEVEDOR' FROM DEVOLVIDOS");
    const QDate from(2020, 1, 1);
    const QDate to(2026, 12, 31);
    fconsultas1 *s = open();
    QTest::mouseClick(s->Command8, Qt::LeftButton);
    auto *f = qobject_cast<ffiltros1 *>(ScreenRegistry::instance().find("ffiltros1"));
    QVERIFY(f);
    f->loja1->setText("LOJA CENTRO");
    f->inicio->setValue(from);
    f->fim->setValue(to);
    QTest::mouseClick(f->Command1, Qt::LeftButton);
    QVERIFY(unloaded("ffiltros1"));
    QCOMPARE(s->GridEX1->recordSource(), chequesByStoreAndPeriodInIssuerOrder("001", from, to));
    const kq::data::RecordSource sorted = chequesByStoreAndPeriod("001", from, to);
    QCOMPARE(s->GridEX1->recordCount(),
             kq::data::scalar(m_db,
                              "SELECT count(*) FROM (" + kq::data::translateJet(sorted.sql) + ")",
                              sorted.values)
                 .toInt());
    QVERIFY(s->GridEX1->recordCount() > 20000);
    shot(s, "fconsultas1_loja_periodo");
    QVERIFY(m_fx->dialogs.messages.isEmpty());
}

void tst_qconsultas1::documentWithANulIsRefused()
{
    fconsultas1 *s = open();
    s->Command8->click();
    auto *f = qobject_cast<ffiltros1 *>(ScreenRegistry::instance().find("ffiltros1"));
    QVERIFY(f);
    f->nr_documento->setText(QStringLiteral("123") + QChar(0));
    f->Command5->click();
    QCOMPARE(m_fx->dialogs.messages.size(), 1);
    QVERIFY(m_fx->dialogs.lastText().contains(QStringLiteral("caractere inválido")));
    // Nothing ran: the list and the dialog stay for another try.
    QCOMPARE(s->GridEX1->recordSource(), chequeLoadQuery());
    QVERIFY(f->isVisible());
}

void tst_qconsultas1::allAfterAFilter()
{
    fconsultas1 *s = open();
    s->applyRecordSource(chequesByStore("002"));
    QCOMPARE(s->GridEX1->recordCount(), 3);
    // "Agrupar" groups by the current cell's column (the first shown one here).
    s->Command3->click();
    QCOMPARE(s->GridEX1->groupColumns(), QList<int>{1});
    s->Command7->click();
    QCOMPARE(s->GridEX1->recordSource(), chequeLoadQuery());
    QCOMPARE(s->GridEX1->recordCount(), 6);
    // Grouping and styles stay.
    QVERIFY(s->GridEX1->isGrouped());
    QVERIFY(s->GridEX1->hasFormatStyle("001"));
    s->Command4->click();
    QVERIFY(!s->GridEX1->isGrouped());
}

void tst_qconsultas1::layouts()
{
    fconsultas1 *s = open();
    QTemporaryDir dir;
    const QString file = dir.filePath("cheques");
    s->GridEX1->column(1).setVisible(false);
    // The default extension is added to a name without one.
    m_fx->dialogs.files.enqueue(file);
    s->Command5->click();
    QVERIFY(QFile::exists(file + ".lyt"));
    // An empty name saves nothing and says nothing.
    m_fx->dialogs.files.enqueue("");
    s->Command5->click();
    s->GridEX1->column(1).setVisible(true);
    m_fx->dialogs.files.enqueue(file + ".lyt");
    s->Command6->click();
    QVERIFY(!s->GridEX1->column(1).isVisible());
    QVERIFY(m_fx->dialogs.messages.isEmpty());
}

void tst_qconsultas1::layoutErrors()
{
    fconsultas1 *s = open();
    QTemporaryDir dir;
    const QString bad = dir.filePath("bad.lyt");
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a layout");
    f.close();
    m_fx->dialogs.files.enqueue(bad);
    s->Command6->click();
    QCOMPARE(m_fx->dialogs.messages.size(), 1);
    QVERIFY(!m_fx->dialogs.lastText().isEmpty());
    QVERIFY(!m_fx->dialogs.lastText().contains("Erro No."));
    // A folder that does not exist cannot take the file.
    m_fx->dialogs.files.enqueue(dir.filePath("no/such/folder/x.lyt"));
    s->Command5->click();
    QCOMPARE(m_fx->dialogs.messages.size(), 2);
    QVERIFY(s->isVisible());
}

void tst_qconsultas1::previewHidesTheScreen()
{
    fconsultas1 *s = open();
    s->applyRecordSource(chequesByStore("001"));
    s->cmdPrintPreview->click();
    auto *p = qobject_cast<frmPreview *>(ScreenRegistry::instance().find("frmPreview"));
    QVERIFY(p && p->isVisible());
    QCOMPARE(p->windowTitle(), QString("Print Preview"));
    QVERIFY(!s->isVisible());
    QVERIFY(p->grPrev->pageCount() >= 1);
    QCOMPARE(p->geometry(), s->geometry());
    shot(p, "frmPreview");
    p->grPrev->closePreview();
    QVERIFY(unloaded("frmPreview"));
    // Still loaded and hidden, with the last filter; the menu shows it again.
    QCOMPARE(ScreenRegistry::instance().find("fconsultas1"), s);
    QVERIFY(!s->isVisible());
    QCOMPARE(ScreenRegistry::instance().show("fconsultas1"), s);
    QCOMPARE(s->GridEX1->recordSource(), chequesByStore("001"));
}

void tst_qconsultas1::printFooters()
{
    kq::test::addCheques(m_db, 140);
    fconsultas1 *s = open();
    s->Check1->setChecked(true);
    s->Check3->setChecked(true);
    s->setPrintOptions(true);
    const auto &settings = s->GridEX1->printerSettings();
    QVERIFY(settings.groupPages);
    QVERIFY(settings.repeatHeaders);
    QVERIFY(!settings.gridLines);
    QVERIFY(settings.footer(2).startsWith(QDate::currentDate().toString("dd/MM/yyyy")));
    s->Check2->setChecked(true);
    s->setPrintOptions(false);
    QVERIFY(settings.gridLines);
    s->Check2->setChecked(false);
    s->setPrintOptions(true);
    QStringList footers;
    connect(s->GridEX1, &GridEX::pagePrinting, this,
            [&](int, int) { footers << s->GridEX1->printerSettings().footer(3); });
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("cheques.pdf"));
    const int pages = s->GridEX1->printGrid(&printer);
    QVERIFY(pages >= 3);
    QCOMPARE(footers.size(), pages);
    for (int n = 1; n <= pages; ++n)
        QCOMPARE(footers[n - 1], QString("Page %1\r\n of %2").arg(n).arg(pages));
}

void tst_qconsultas1::printCancelled()
{
    fconsultas1 *s = open();
    m_fx->dialogs.printAccepted = false;
    s->cmdPrint->click();
    QVERIFY(s->isVisible());
    QVERIFY(m_fx->dialogs.messages.isEmpty());
}

void tst_qconsultas1::resize()
{
    fconsultas1 *s = open();
    s->resize(900, 600);
    QCOMPARE(s->GridEX1->geometry().width(), 900 - 8);
    QVERIFY(s->GridEX1->geometry().top() >= s->Frame1->geometry().bottom());
    QCOMPARE(s->GridEX1->geometry().bottom(), 600 - 4 - 1);
    const QRect before = s->GridEX1->geometry();
    s->resize(100, 60); // smaller than the margins: the grid keeps its size
    QCOMPARE(s->GridEX1->geometry(), before);
}

QTEST_MAIN(tst_qconsultas1)
#include "tst_qconsultas1.moc"
