#include "data/database.h"
#include "data/shippedfiles.h"
#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "platform/report/reportdocument.h"
#include "platform/report/reportengine.h"
#include "platform/report/reportpreview.h"
#include "core/selectionformula.h"
#include "platform/screenregistry.h"
#include "queries/filelistbox.h"
#include "queries/frelatorios.h"
#include "queries/frelatorioscliente.h"
#include "queries/frelatoriosfinanceiros.h"
#include "queries/frelatoriosvantesca.h"
#include "queries/rules/reportformulas.h"
#include "queries/screens.h"
#include "support/base_screens.h"
#include "support/shell_agreement_fixture.h"
#include "support/shell_fixture.h"

#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace kq::queries;
using kq::platform::DBCombo;
using kq::platform::DTPicker;
using kq::platform::ReportEngine;
using kq::platform::ScreenRegistry;

namespace {

const QDate d1(2026, 3, 1);
const QDate d2(2026, 3, 31);

void fill(const QString &db)
{
    kq::test::addDebtor(db, "00001", "ANA");
    kq::test::addDebtor(db, "00002", "BIA");
    kq::test::addStore(db, "001", "LOJA A", 3, 2, 10, 6, 2);
    kq::test::addStore(db, "002", "LOJA B", 3, 2, 10, 6, 2);
    kq::test::addCheque(db, "0000000001", "00001", "001", QDate(2026, 3, 1), 100);
    kq::test::addCheque(db, "0000000002", "00002", "002", QDate(2026, 3, 31), 50);
    kq::test::addCheque(db, "0000000003", "00002", "001", QDate(2026, 4, 1), 70);
    kq::test::addAgreement(db, "00001", "00001", "001", 3, 100, QDate(2026, 3, 10));
    kq::test::addAgreement(db, "00002", "00002", "002", 2, 100, QDate(2026, 3, 20));
    for (const auto &[cliente, data] :
         {std::pair{"00001", "2026-03-02"}, {"00002", "2026-03-05"}, {"00001", "2026-04-02"}})
        kq::data::exec(db,
                       "INSERT INTO VANTESCA (CD_CLIENTE, CD_VANTESCA, DT_VANTESCA, "
                       "DS_HISTORICO) VALUES (?, '001', ?, 'LIGOU')",
                       {cliente, data});
}

template<typename T>
T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(name);
    if (!c)
        qFatal("no control %s", name);
    return c;
}

void setPeriod(QWidget *w, const char *start, const char *end)
{
    child<DTPicker>(w, start)->setValue(d1);
    child<DTPicker>(w, end)->setValue(d2);
}

// Rows of the report window the last run opened (-1 when none opened).
int shownRows(ReportEngine *engine)
{
    auto *p = engine->preview();
    if (!p)
        return -1;
    const int n = int(p->document().recordCount());
    p->close();
    return n;
}

void chooseFirstReport(QWidget *w, const char *list)
{
    auto *l = child<FileListBox>(w, list);
    QCOMPARE(l->count(), 1);
    l->setFileName(l->item(0)->text());
}

} // namespace

class tst_reports : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void chequeReports();
    void contactReports();
    void financialReports();
    void runWithoutReportFile();
    void shotScreens();
};

void tst_reports::initTestCase()
{
    kq::test::registerAllScreens();
    registerLetterScreens();
}

void tst_reports::chequeReports()
{
    kq::test::ShellFixture fx;
    fill(fx.devolvidos());
    auto &reg = ScreenRegistry::instance();
    reg.show("frelatorios");
    auto *s = reg.get<frelatorios>("frelatorios");
    QCOMPARE(s->windowTitle(), QString("Relatórios do Sistema"));
    QCOMPARE(child<DTPicker>(s, "dt_inicio")->value(), QDate::currentDate());
    chooseFirstReport(s, "diretorio");
    setPeriod(s, "dt_inicio", "dt_fim");
    child<DBCombo>(s, "cd_loja")->setBoundText("001");
    QCOMPARE(s->formula(), QString()); // neither option on
    child<QPushButton>(s, "Command2")->click();
    QCOMPARE(shownRows(s->engine()), 3);
    QCOMPARE(s->engine()->windowState(), 2);
    child<QRadioButton>(s, "empresa")->setChecked(true);
    s->Command2_Click();
    QCOMPARE(shownRows(s->engine()), 1);
    child<QRadioButton>(s, "todos")->setChecked(true); // the store is ignored
    s->Command2_Click();
    QCOMPARE(shownRows(s->engine()), 2);
    // A start after the end selects nothing and is not refused.
    child<DTPicker>(s, "dt_inicio")->setValue(QDate(2026, 4, 30));
    s->Command2_Click();
    QCOMPARE(shownRows(s->engine()), 0);
}

void tst_reports::contactReports()
{
    kq::test::ShellFixture fx;
    fill(fx.devolvidos());
    auto &reg = ScreenRegistry::instance();
    reg.show("frelatoriosvantesca");
    auto *v = reg.get<frelatoriosvantesca>("frelatoriosvantesca");
    chooseFirstReport(v, "diretorio");
    setPeriod(v, "dt_inicio", "dt_fim");
    v->Command2_Click();
    QCOMPARE(shownRows(v->engine()), 2);

    reg.show("frelatorioscliente");
    auto *c = reg.get<frelatorioscliente>("frelatorioscliente");
    QCOMPARE(c->windowTitle(), QString("Relatórios de Clientes"));
    chooseFirstReport(c, "diretorio");
    setPeriod(c, "dt_inicio", "dt_fim");
    child<DBCombo>(c, "cd_cliente")->setBoundText("00001");
    c->Command2_Click();
    QCOMPARE(shownRows(c->engine()), 1);
}

void tst_reports::financialReports()
{
    kq::test::ShellFixture fx;
    fill(fx.devolvidos());
    auto &reg = ScreenRegistry::instance();
    reg.show("frelatoriosfinanceiros");
    auto *f = reg.get<frelatoriosfinanceiros>("frelatoriosfinanceiros");
    QCOMPARE(f->windowTitle(), QString("Relatórios Financeiros"));
    chooseFirstReport(f, "diretorio");
    chooseFirstReport(f, "diretorio1");
    setPeriod(f, "dt_inicio", "dt_fim");
    setPeriod(f, "dt_inicio1", "dt_fim1");
    child<QPushButton>(f, "Command3")->click();
    QCOMPARE(shownRows(f->engine()), 2);
    child<QPushButton>(f, "Command2")->click(); // no store chosen: nothing
    QCOMPARE(shownRows(f->engine()), 0);
    child<DBCombo>(f, "cd_loja")->setBoundText("002");
    f->Command2_Click();
    QCOMPARE(shownRows(f->engine()), 1);
    // Instalments fall due monthly from a month after the first due date.
    child<DTPicker>(f, "dt_fim1")->setValue(QDate(2026, 6, 30));
    f->Command5_Click();
    const int all = shownRows(f->engine());
    QCOMPARE(all, 5);
    child<DBCombo>(f, "cd_loja1")->setBoundText("001");
    f->Command4_Click();
    QCOMPARE(shownRows(f->engine()), 3);
}

void tst_reports::runWithoutReportFile()
{
    kq::test::ShellFixture fx;
    auto &reg = ScreenRegistry::instance();
    reg.show("frelatoriosvantesca");
    auto *v = reg.get<frelatoriosvantesca>("frelatoriosvantesca");
    v->Command2_Click();
    QCOMPARE(fx.dialogs.lastText(), QString("Escolha o relatório a emitir."));
    QVERIFY(!v->engine()->preview());
    QFile bad(fx.folders.dataFile("2_Estragado.rpt"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("{ não é um relatório");
    bad.close();
    reg.unload("frelatoriosvantesca");
    reg.show("frelatoriosvantesca");
    v = reg.get<frelatoriosvantesca>("frelatoriosvantesca");
    QVERIFY(child<FileListBox>(v, "diretorio")->setFileName("2_Estragado.rpt"));
    v->Command2_Click();
    QVERIFY(fx.dialogs.lastText().contains("2_Estragado.rpt"));
    QVERIFY(v->isVisible());
}

void tst_reports::shotScreens()
{
    const QString dir = kq::test::shotDir();
    if (dir.isEmpty())
        QSKIP("KQ_SHOT_DIR not set");
    kq::test::ShellFixture fx;
    fill(fx.devolvidos());
    auto &reg = ScreenRegistry::instance();
    for (const char *name :
         {"frelatorios", "frelatoriosvantesca", "frelatorioscliente", "frelatoriosfinanceiros"}) {
        reg.show(name);
        kq::test::shot(reg.find(name), name);
    }
    auto *f = reg.get<frelatoriosfinanceiros>("frelatoriosfinanceiros");
    chooseFirstReport(f, "diretorio1");
    setPeriod(f, "dt_inicio1", "dt_fim1");
    child<DTPicker>(f, "dt_fim1")->setValue(QDate(2026, 6, 30));
    f->Command5_Click();
    auto *p = f->engine()->preview();
    QVERIFY(p);
    p->showNormal();
    p->resize(1000, 720);
    kq::test::shot(p, "parcelas_preview");
    QVERIFY(p->savePdf(dir + "/parcelas.pdf"));
}

QTEST_MAIN(tst_reports)
#include "tst_reports.moc"
