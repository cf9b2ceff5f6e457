// The instalment query: status names and colours, group captions with the
// instalment and fee totals, and its filter dialog.
#include "data/database.h"
#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "queries/fconsulta2.h"
#include "queries/ffiltros2.h"
#include "queries/rules/queryfilters.h"
#include "queries/screens.h"
#include "support/base_screens.h"
#include "support/shell_fixture.h"
#include "support/shell_queries_fixture.h"

#include <QPushButton>
#include <QtTest>

using namespace kq::test;
using namespace kq::queries;
using kq::platform::GridEX;
using kq::platform::RowType;
using kq::platform::ScreenRegistry;

namespace {

using kq::test::shot;

QStringList instalments(GridEX *g)
{
    QStringList out;
    for (int r = 0; r < g->rowCount(); ++r) {
        if (g->rowType(r) == RowType::Record)
            out << g->valueAt(r, 1).toString() + "/" + g->valueAt(r, 2).toString();
    }
    return out;
}

} // namespace

class tst_qconsulta2 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerQueryScreens(); }
    void init();
    void cleanup();

    void statusLooks_data();
    void statusLooks();
    void groupCaptions();
    void filters_data();
    void filters();

private:
    fconsulta2 *open();

    ShellFixture *m_fx = nullptr;
    QString m_db;
};

void tst_qconsulta2::init()
{
    m_fx = new ShellFixture;
    m_db = m_fx->devolvidos();
    kq::test::queries::addPortfolio(m_db);
    kq::data::exec(m_db, "UPDATE parcelas SET cd_status = 'C' WHERE cd_acordo = '00002' "
                         "AND cd_parcela = '01'");
    kq::data::exec(m_db, "UPDATE parcelas SET cd_status = 'X' WHERE cd_acordo = '00002' "
                         "AND cd_parcela = '02'");
}

void tst_qconsulta2::cleanup()
{
    delete m_fx;
    m_fx = nullptr;
}

fconsulta2 *tst_qconsulta2::open()
{
    auto *s = qobject_cast<fconsulta2 *>(ScreenRegistry::instance().show("fconsulta2"));
    s->GridEX1->recordCount();
    return s;
}

void tst_qconsulta2::statusLooks_data()
{
    QTest::addColumn<QString>("acordo");
    QTest::addColumn<QString>("parcela");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QColor>("color"); // invalid: the ordinary look
    QTest::newRow("open, red") << "00001"
                               << "01"
                               << "ABERTA" << QColor(255, 0, 0);
    QTest::newRow("written off, blue") << "00001"
                                       << "02"
                                       << "BAIXADA" << QColor(0, 0, 255);
    QTest::newRow("cancelled, plain") << "00002"
                                      << "01"
                                      << "CANCELADA" << QColor();
    QTest::newRow("unknown status keeps its row") << "00002"
                                                  << "02"
                                                  << "" << QColor();
}

void tst_qconsulta2::statusLooks()
{
    QFETCH(QString, acordo);
    QFETCH(QString, parcela);
    QFETCH(QString, shown);
    QFETCH(QColor, color);
    fconsulta2 *s = open();
    GridEX *g = s->GridEX1;
    QCOMPARE(s->windowTitle(), QString("CONSULTAS DE PARCELAMENTOS"));
    QCOMPARE(g->column(9).position(), 1);
    QCOMPARE(g->column(9).key(), QString("cd_statis"));
    int row = -1;
    for (int r = 0; r < g->rowCount(); ++r) {
        if (g->valueAt(r, 1).toString() == acordo && g->valueAt(r, 2).toString() == parcela)
            row = r;
    }
    QVERIFY(row >= 0);
    // A status missing from the table shows no name at all.
    QCOMPARE(g->textAt(row, 9), shown);
    const QString style = g->rowStyleName(row);
    QCOMPARE(g->hasFormatStyle(style) ? g->formatStyle(style).foreColor : QColor(), color);
    QCOMPARE(g->valueAt(row, 4).toString().isEmpty(), false);
}

void tst_qconsulta2::groupCaptions()
{
    fconsulta2 *s = open();
    s->GridEX1->groupBy(3); // "Empresa"
    QStringList captions;
    for (int r = 0; r < s->GridEX1->rowCount(); ++r) {
        if (s->GridEX1->rowType(r) == RowType::GroupHeader)
            captions << s->GridEX1->groupCaption(r);
    }
    QCOMPARE(captions.size(), 2);
    QVERIFY2(captions[0].endsWith("LOJA CENTRO  (Total= R$ 450,00)  Total Honorários=R$ 15,00"),
             qPrintable(captions[0]));
    QVERIFY2(captions[1].endsWith("LOJA NORTE  (Total= R$ 160,00)  Total Honorários=R$ 0,00"),
             qPrintable(captions[1]));
    shot(s, "fconsulta2_grouped");
}

void tst_qconsulta2::filters_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("expected");
    // Due dates: 00001 on 10/05, 10/06, 10/07; 00002 on 05/06, 05/07.
    QTest::newRow("debtor") << "Command2"
                            << "BRUNO COSTA" << QDate() << QDate()
                            << QStringList{"00002/01", "00002/02"};
    QTest::newRow("no debtor") << "Command2"
                               << "" << QDate() << QDate() << QStringList{};
    QTest::newRow("store and due period, end included")
        << "Command1"
        << "LOJA CENTRO" << QDate(2026, 5, 11) << QDate(2026, 7, 10)
        << QStringList{"00001/02", "00001/03"};
    QTest::newRow("due period") << "Command4"
                                << "" << QDate(2026, 6, 5) << QDate(2026, 6, 10)
                                << QStringList{"00001/02", "00002/01"};
}

void tst_qconsulta2::filters()
{
    QFETCH(QString, button);
    QFETCH(QString, choice);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, expected);
    fconsulta2 *s = open();
    s->Command8->click();
    auto *f = qobject_cast<ffiltros2 *>(ScreenRegistry::instance().find("ffiltros2"));
    QVERIFY(f);
    QCOMPARE(f->windowTitle(), QString("Consulta do Contas a Pagar"));
    if (button == "Command2") {
        f->nm_cliente->setText(choice);
    } else if (button == "Command1") {
        f->loja1->setText(choice);
        f->inicio->setValue(from);
        f->fim->setValue(to);
        shot(f, "ffiltros2");
    } else {
        f->inicio1->setValue(from);
        f->fim1->setValue(to);
    }
    f->findChild<QPushButton *>(button)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!ScreenRegistry::instance().find("ffiltros2"));
    QStringList got = instalments(s->GridEX1);
    got.sort();
    QCOMPARE(got, expected);
    // The columns stay filled.
    if (!got.isEmpty())
        QVERIFY(!s->GridEX1->valueAt(0, 4).toString().isEmpty());
    QVERIFY(m_fx->dialogs.messages.isEmpty());
}

QTEST_MAIN(tst_qconsulta2)
#include "tst_qconsulta2.moc"
