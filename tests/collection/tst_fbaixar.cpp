// The write-off selection and the write-off dialog: the period list of open
// instalments, the dialog filled from the current row, the write-off and the
// list read again.
#include "collection/fbaixa.h"
#include "collection/fbaixar.h"
#include "collection/screens.h"
#include "data/database.h"
#include "platform/dtpicker.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "support/base_screens.h"
#include "support/shell_agreement_fixture.h"
#include "support/shell_fixture.h"

#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

using namespace kq::test;
using kq::collection::fbaixa;
using kq::collection::fbaixar;
using kq::data::exec;
using kq::data::scalar;
using kq::platform::ScreenRegistry;

class tst_fbaixar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { kq::collection::registerAgreementScreens(); }
    void init();
    void cleanup();

    void opening();
    void periodList();
    void writeOffFromTheList();
    void rereadUsesLastQuery();
    void nothingToWriteOff();
    void alreadyWrittenOff();
    void dialogKeys();

private:
    fbaixar *filtered(const QDate &from, const QDate &to);
    void selectInstalment(fbaixar *s, const QString &acordo, const QString &parcela);
    QStringList listed(fbaixar *s) const;

    ShellFixture *m_fx = nullptr;
    QString m_db;
};

void tst_fbaixar::init()
{
    m_fx = new ShellFixture;
    m_db = m_fx->devolvidos();
    addDebtor(m_db, "00001", "JOSE DA SILVA");
    addDebtor(m_db, "00002", "MARIA SOUZA");
    addStore(m_db, "001", "LOJA CENTRO", 3, 2, 10, 3, 2);
    addStore(m_db, "002", "LOJA NORTE", 1, 0, 0, 6, 0);
    addAgreement(m_db, "00012", "00001", "001", 3, 50.5, QDate(2025, 1, 10)); // 10/02..10/04
    addAgreement(m_db, "00013", "00002", "002", 2, 70, QDate(2025, 2, 28));   // 28/03, 28/04
    exec(m_db, "UPDATE parcelas SET cd_status = 'C' WHERE cd_acordo = '00013' "
               "AND cd_parcela = '02'");
}

void tst_fbaixar::cleanup()
{
    delete m_fx;
    m_fx = nullptr;
}

fbaixar *tst_fbaixar::filtered(const QDate &from, const QDate &to)
{
    auto *s = qobject_cast<fbaixar *>(ScreenRegistry::instance().show("fbaixar"));
    s->dt_inicio->setValue(from);
    s->dt_fim->setValue(to);
    s->Command1->click();
    return s;
}

void tst_fbaixar::selectInstalment(fbaixar *s, const QString &acordo, const QString &parcela)
{
    for (int row = 0; row < s->GridEX1->rowCount(); ++row) {
        if (s->GridEX1->valueAt(row, 2).toString() == acordo
            && s->GridEX1->valueAt(row, 3).toString() == parcela) {
            s->GridEX1->setCurrentRow(row);
            return;
        }
    }
    QFAIL("instalment not listed");
}

QStringList tst_fbaixar::listed(fbaixar *s) const
{
    QStringList rows;
    for (int row = 0; row < s->GridEX1->rowCount(); ++row)
        if (s->GridEX1->rowType(row) == kq::platform::RowType::Record)
            rows << s->GridEX1->valueAt(row, 2).toString() + '/'
                        + s->GridEX1->valueAt(row, 3).toString();
    rows.sort();
    return rows;
}

void tst_fbaixar::opening()
{
    auto *s = qobject_cast<fbaixar *>(ScreenRegistry::instance().show("fbaixar"));
    QCOMPARE(s->windowTitle(), QString("Seleção de Baixa"));
    QCOMPARE(s->dt_inicio->value(), QDate::currentDate());
    QCOMPARE(s->dt_fim->value(), QDate::currentDate());
    QCOMPARE(s->GridEX1->recordCount(), 0);
    QCOMPARE(s->GridEX1->groupByBoxCaption(), QString("Traga a coluna a ser Agrupada"));
    QStringList captions;
    for (int c = 1; c <= s->GridEX1->columnCount(); ++c)
        captions << s->GridEX1->column(c).caption();
    QCOMPARE(captions, (QStringList{"Inadimplente", "Acordo", "Parcela", "Valor", "Vencimento",
                                    "Parcelas", "Cliente"}));
}

void tst_fbaixar::periodList()
{
    // Both ends included; the cancelled instalment never shows.
    fbaixar *s = filtered(QDate(2025, 3, 10), QDate(2025, 4, 28));
    QCOMPARE(listed(s), (QStringList{"00012/02", "00012/03", "00013/01"}));
    selectInstalment(s, "00013", "01");
    QCOMPARE(s->GridEX1->value(1).toString(), QString("MARIA SOUZA"));
    QCOMPARE(s->GridEX1->value(6).toInt(), 2);
    QCOMPARE(s->GridEX1->value(7).toString(), QString("LOJA NORTE"));
    QCOMPARE(s->navigator->text(), QString("Registro: %1 de 3").arg(s->GridEX1->currentRow() + 1));
    // A start after the end lists nothing.
    s = filtered(QDate(2025, 4, 28), QDate(2025, 3, 10));
    QCOMPARE(s->GridEX1->recordCount(), 0);
}

void tst_fbaixar::writeOffFromTheList()
{
    fbaixar *s = filtered(QDate(2025, 2, 1), QDate(2025, 4, 30));
    selectInstalment(s, "00012", "03");
    s->Command3->click();
    auto *d = qobject_cast<fbaixa *>(ScreenRegistry::instance().find("fbaixa"));
    QVERIFY(d && d->isVisible());
    QCOMPARE(d->windowTitle(), QString("Baixa de Titulos"));
    QCOMPARE(d->nr_documento->text(), QString("00012/03"));
    QCOMPARE(d->vl_titulo->text(), QString("50,5"));
    QCOMPARE(d->dt_vencimento->value(), QDate(2025, 4, 10));
    QCOMPARE(d->dt_baixa->value(), QDate::currentDate());
    kq::test::shot(s, "fbaixar");
    kq::test::shot(d, "fbaixa");

    // "Baixar" again brings up the same dialog, still on its instalment.
    selectInstalment(s, "00012", "01");
    s->Command3->click();
    QCOMPARE(ScreenRegistry::instance().find("fbaixa"), d);
    QCOMPARE(d->nr_documento->text(), QString("00012/03"));

    QPointer<fbaixa> guard(d);
    d->dt_vencimento->setValue(QDate(2030, 1, 1)); // not stored
    d->dt_baixa->setValue(QDate(2026, 3, 7));
    d->Command1->click();
    QVERIFY(guard.isNull() || !guard->isVisible());
    QSqlQuery q = exec(m_db, "SELECT DT_BAIXA, cd_refbaixa, cd_status, dt_vencimento "
                             "FROM parcelas WHERE cd_acordo = '00012' AND cd_parcela = '03'");
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QString("2026-03-07"));
    QCOMPARE(q.value(1).toString(), QString("03/2026"));
    QCOMPARE(q.value(2).toString(), QString("B"));
    QCOMPARE(q.value(3).toString(), QString("2025-04-10"));
    QCOMPARE(listed(s), (QStringList{"00012/01", "00012/02", "00013/01"}));
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM parcelas WHERE cd_status = 'A'").toInt(), 3);
    QVERIFY(scalar(m_db, "SELECT cd_status FROM acordos WHERE cd_acordo = '00012'").isNull());
    QVERIFY(m_fx->dialogs.messages.isEmpty());
}

void tst_fbaixar::rereadUsesLastQuery()
{
    fbaixar *s = filtered(QDate(2025, 2, 10), QDate(2025, 2, 10));
    QCOMPARE(listed(s), QStringList{"00012/01"});
    s->dt_fim->setValue(QDate(2025, 12, 31)); // changed, not filtered
    exec(m_db, "UPDATE parcelas SET dt_vencimento = '2025-02-10' WHERE cd_acordo = '00012' "
               "AND cd_parcela = '02'");
    s->refreshList();
    QCOMPARE(listed(s), (QStringList{"00012/01", "00012/02"}));
}

void tst_fbaixar::nothingToWriteOff()
{
    auto *s = qobject_cast<fbaixar *>(ScreenRegistry::instance().show("fbaixar"));
    s->Command3->click(); // an empty list: no current row
    auto *d = qobject_cast<fbaixa *>(ScreenRegistry::instance().find("fbaixa"));
    QVERIFY(d);
    QCOMPARE(d->nr_documento->text(), QString());
    QCOMPARE(d->vl_titulo->text(), QString());
    d->Command1->click();
    QCOMPARE(m_fx->dialogs.texts(), QStringList{"Nenhuma parcela escolhida para baixa!!"});
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM parcelas WHERE cd_status = 'B'").toInt(), 0);
}

void tst_fbaixar::alreadyWrittenOff()
{
    fbaixar *s = filtered(QDate(2025, 2, 1), QDate(2025, 2, 28));
    selectInstalment(s, "00012", "01");
    s->Command3->click();
    auto *d = qobject_cast<fbaixa *>(ScreenRegistry::instance().find("fbaixa"));
    // Meanwhile the agreement was cancelled elsewhere.
    exec(m_db, "UPDATE parcelas SET cd_status = 'C' WHERE cd_acordo = '00012'");
    d->Command1->click();
    QCOMPARE(m_fx->dialogs.texts(),
             QStringList{"Essa parcela não está mais em aberto; nada foi baixado!!"});
    QVERIFY(scalar(m_db, "SELECT DT_BAIXA FROM parcelas WHERE cd_acordo = '00012' "
                         "AND cd_parcela = '01'")
                .isNull());
    QCOMPARE(s->GridEX1->recordCount(), 0);
}

void tst_fbaixar::dialogKeys()
{
    fbaixar *s = filtered(QDate(2025, 2, 1), QDate(2025, 2, 28));
    selectInstalment(s, "00012", "01");
    s->Command3->click();
    QPointer<fbaixa> d = qobject_cast<fbaixa *>(ScreenRegistry::instance().find("fbaixa"));
    d->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d));
    QCOMPARE(QApplication::focusWidget(), d->dt_baixa); // the first box one may change
    d->dt_vencimento->setFocus();
    QVERIFY(QTest::qWaitFor([&] { return d->dt_vencimento->hasFocus(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!d->dt_vencimento->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(QTest::qWaitFor([&] { return d.isNull(); }));
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM parcelas WHERE cd_status = 'B'").toInt(), 0);
}

QTEST_MAIN(tst_fbaixar)
#include "tst_fbaixar.moc"
