// A collector's road: two cheques entered, the follow-up opens the agreement
// screen, an agreement of three instalments is made, the first instalment is
// written off from the menu's write-off screen and a call is scheduled.
#include "collection/facordo.h"
#include "collection/fagenda.h"
#include "collection/fbaixa.h"
#include "collection/fbaixar.h"
#include "collection/screens.h"
#include "data/database.h"
#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/maskedbox.h"
#include "platform/screenregistry.h"
#include "registers/screens.h"
#include "shell/fprincipal.h"
#include "support/base_screens.h"
#include "support/base_server.h"
#include "support/shell_agreement_fixture.h"
#include "support/shell_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace kq::collection;
using kq::data::scalar;
using kq::platform::formatDate;
using kq::platform::ScreenRegistry;

namespace {

using kq::test::ctl;
using kq::test::shot;

} // namespace

class tst_agreement_road : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        KQ_SKIP_WITHOUT_SERVER();
        kq::collection::registerScreens();
        kq::registers::registerScreens();
    }
    void collectorsRoad();
};

void tst_agreement_road::collectorsRoad()
{
    kq::test::ShellFixture fx;
    const QString db = fx.devolvidos();
    const QDate today = QDate::currentDate();
    kq::data::exec(db, "INSERT INTO usuarios (CD_usuario, usuario) VALUES ('001', 'SUPERVISOR')");
    kq::test::addDebtor(db, "00001", "JOSE DA SILVA");
    kq::test::addStore(db, "001", "LOJA CENTRO", 3, 2, 10, 3, 2);
    for (const QDate &d : {today.addDays(-45), today.addDays(-10), today}) {
        const QString month = kq::platform::formatYearMonth(d);
        if (!scalar(db, "SELECT 1 FROM correcao WHERE cd_ref = ?", {month}).isValid())
            kq::test::addFactor(db, month, 1.2);
    }

    // Two returned cheques entered on the cheque entry screen.
    QWidget *entry = ScreenRegistry::instance().show("flancheques");
    auto *debtor = ctl<kq::platform::DBCombo>(entry, "nm_cliente");
    debtor->setCurrentIndex(debtor->findText("JOSE DA SILVA"));
    const struct
    {
        const char *number;
        QDate deposit;
        const char *value;
    } cheques[]
        = {{"000101", today.addDays(-45), "100,00"}, {"000102", today.addDays(-10), "200,00"}};
    for (const auto &c : cheques) {
        ctl<QLineEdit>(entry, "CD_BANCO")->setText("237");
        ctl<QLineEdit>(entry, "CD_AGENCIA")->setText("1234");
        ctl<QLineEdit>(entry, "CD_CONTA")->setText("1234567");
        ctl<QLineEdit>(entry, "NR_CHEQUE")->setText(c.number);
        ctl<kq::platform::MaskEdBox>(entry, "dt_deposito")->setText(formatDate(c.deposit));
        ctl<QLineEdit>(entry, "VL_CHEQUE")->setText(c.value);
        ctl<QLineEdit>(entry, "CD_ALINEA")->setText("11");
        ctl<QPushButton>(entry, "CONFIRMA")->click();
    }
    QCOMPARE(scalar(db, "SELECT count(*) FROM DEVOLVIDOS WHERE "
                        "CD_CLIENTE = '00001' AND CD_SITUACAO = '001'")
                 .toInt(),
             2);
    QCOMPARE(scalar(db, "SELECT sum(VL_CHEQUE) FROM DEVOLVIDOS WHERE "
                        "CD_CLIENTE = '00001' AND CD_SITUACAO = '001'")
                 .toDouble(),
             300.0);

    // The follow-up screen on the debtor opens the agreement screen.
    QWidget *followUp = ScreenRegistry::instance().show("fvantesca");
    auto *debtors = ctl<kq::platform::GridEX>(followUp, "GridEX2");
    debtors->setCurrentRow(debtors->findRow(2, "00001"));
    ctl<QPushButton>(followUp, "Command4")->click();
    auto *agreement = qobject_cast<facordo *>(ScreenRegistry::instance().find("facordo"));
    QVERIFY(agreement && agreement->isVisible());
    QCOMPARE(ctl<QLabel>(agreement, "cd_cliente")->text(), QString("00001"));

    fx.dialogs.clear();
    ctl<kq::platform::DBList>(agreement, "ds_loja")->setBoundText("001");
    QCOMPARE(ctl<QLabel>(agreement, "vl_total")->text(), QString("342,5"));
    QCOMPARE(ctl<QLineEdit>(agreement, "nr_parcelas")->text(), QString("3"));
    QCOMPARE(ctl<QLineEdit>(agreement, "vl_parcela")->text(), QString("118,76"));
    ctl<kq::platform::MaskEdBox>(agreement, "dt_primeira")->setText(formatDate(today));
    shot(agreement, "road-facordo");
    ctl<QPushButton>(agreement, "Command2")->click();
    QCOMPARE(fx.dialogs.texts(), QStringList{"Acordo realizado com sucesso!!!!"});
    QCOMPARE(ctl<QLabel>(agreement, "cd_acordo")->text(), QString("00001"));
    QCOMPARE(scalar(db, "SELECT count(*) FROM DEVOLVIDOS WHERE cd_situacao = '002' "
                        "AND cd_acordo = '00001'")
                 .toInt(),
             2);
    QCOMPARE(scalar(db, "SELECT count(*) FROM parcelas WHERE cd_acordo = '00001' "
                        "AND cd_status = 'A'")
                 .toInt(),
             3);

    // The menu's write-off screen lists the first instalment and writes it off.
    QCOMPARE(kq::shell::menuTarget(2, 4), QString("fbaixar"));
    auto *selection
        = qobject_cast<fbaixar *>(ScreenRegistry::instance().show(kq::shell::menuTarget(2, 4)));
    selection->dt_inicio->setValue(today);
    selection->dt_fim->setValue(today.addMonths(1));
    selection->Command1->click();
    QCOMPARE(selection->GridEX1->recordCount(), 1);
    selection->GridEX1->setCurrentRow(selection->GridEX1->findRow(2, "00001"));
    QCOMPARE(selection->GridEX1->value(3).toString(), QString("01"));
    selection->Command3->click();
    auto *dialog = qobject_cast<fbaixa *>(ScreenRegistry::instance().find("fbaixa"));
    QVERIFY(dialog);
    QCOMPARE(dialog->nr_documento->text(), QString("00001/01"));
    shot(selection, "road-fbaixar");
    dialog->Command1->click();
    QCOMPARE(selection->GridEX1->recordCount(), 0);
    QCOMPARE(scalar(db, "SELECT cd_status || ' ' || cd_refbaixa FROM parcelas "
                        "WHERE cd_acordo = '00001' AND cd_parcela = '01'")
                 .toString(),
             "B " + kq::platform::formatMonthYear(today));

    // A call scheduled from the follow-up screen.
    ctl<QPushButton>(followUp, "Command3")->click();
    auto *agenda = qobject_cast<fagenda *>(ScreenRegistry::instance().find("fagenda"));
    QVERIFY(agenda && agenda->isVisible());
    ctl<kq::platform::DBCombo>(agenda, "nm_cliente")->setText("JOSE DA SILVA");
    ctl<kq::platform::DTPicker>(agenda, "dt_marcada")->setValue(today.addDays(7));
    ctl<QPlainTextEdit>(agenda, "DS_hISTORICO")->setPlainText("Ligar para lembrar da 2ª parcela");
    ctl<QPushButton>(agenda, "Command3")->click();
    QCOMPARE(ctl<QLabel>(agenda, "cd_agenda")->text(), QString("0000000001"));
    QCOMPARE(ctl<kq::platform::GridEX>(agenda, "GridEX1")->recordCount(), 1);
    QCOMPARE(scalar(db, "SELECT nm_envolvido || '|' || nm_responsavel FROM agenda").toString(),
             QString("JOSE DA SILVA|SUPERVISOR"));
    shot(agenda, "road-fagenda");
    QCOMPARE(fx.dialogs.texts().filter("Erro"), QStringList());
}

QTEST_MAIN(tst_agreement_road)
#include "tst_agreement_road.moc"
