// The road of a collector: a new debtor and a new store made through the
// modal registers, three cheques (two read from the cheque reader), the
// search by document, two contacts and a simulated plan.
#include "collection/screens.h"
#include "data/database.h"
#include "platform/dbcombo.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/maskedbox.h"
#include "platform/screenregistry.h"
#include "registers/screens.h"
#include "support/base_screens.h"
#include "support/shell_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using kq::platform::DBCombo;
using kq::platform::GridEX;
using kq::platform::ScreenRegistry;

namespace {

using kq::test::ctl;
using kq::test::shot;

QLineEdit *box(QWidget *s, const char *name)
{
    return ctl<QLineEdit>(s, name);
}
void click(QWidget *s, const char *name)
{
    ctl<QAbstractButton>(s, name)->click();
}

// Runs `fill` on a modal register once it is up, then leaves it with "&Sair".
void answerModal(const QString &name, std::function<void(QWidget *)> fill, bool *done)
{
    QTimer::singleShot(0, [=] {
        QWidget *w = ScreenRegistry::instance().find(name);
        if (!w || w->windowModality() == Qt::NonModal)
            return;
        fill(w);
        click(w, "Command1");
        *done = true;
    });
}

void leave(QWidget *from, QWidget *to)
{
    from->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    to->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    QApplication::processEvents();
}

} // namespace

class tst_collection_road : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        kq::collection::registerScreens();
        kq::registers::registerScreens();
    }

    void collectorsRoad()
    {
        kq::test::ShellFixture fx;
        const QString db = fx.devolvidos();
        kq::data::exec(db, QStringLiteral("INSERT INTO usuarios (CD_usuario, usuario) "
                                          "VALUES ('001', 'SUPERVISOR')"));
        kq::data::exec(db, QStringLiteral("INSERT INTO lojas (CD_loja, DS_loja, cd_cor) "
                                          "VALUES ('001', 'MAGAZINE CENTRAL', '16711680')"));
        kq::data::exec(db, QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente) "
                                          "VALUES ('00001', 'ANTIGO DEVEDOR')"));
        kq::data::exec(
            db,
            QStringLiteral(
                "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, CD_SITUACAO, "
                "CD_DESTINO, CD_documento, DT_VANTESCA, DT_DEPOSITO, VL_CHEQUE, NR_CHEQUE) VALUES "
                "('0000000001', '00001', '001', '001', '001', '01', '2024-01-10', '2024-01-05', "
                "75.5, '9001'), ('0000000002', '00001', '001', '001', '001', '01', '2024-01-10', "
                "'2024-01-06', 24.5, '9002')"));

        QWidget *entry = ScreenRegistry::instance().show(QStringLiteral("flancheques"));
        QVERIFY(QTest::qWaitForWindowActive(entry));

        // A new debtor through the debtor register, opened modally.
        bool debtorDone = false;
        answerModal(
            QStringLiteral("ffornecedores"),
            [](QWidget *w) {
                box(w, "nm_cliente")->setText(QStringLiteral("CARLOS ALBERTO"));
                box(w, "nr_documento")->setText(QStringLiteral("222.333.444-55"));
                box(w, "ds_cidade")->setText(QStringLiteral("CAMPINAS"));
                click(w, "CONFIRMA");
            },
            &debtorDone);
        click(entry, "Command4");
        QVERIFY(debtorDone);
        QVERIFY(!ScreenRegistry::instance().find(QStringLiteral("ffornecedores")));

        // A new store through the store register, with its colour.
        bool storeDone = false;
        fx.dialogs.colors.enqueue(QColor(0, 140, 0));
        answerModal(
            QStringLiteral("flojas"),
            [](QWidget *w) {
                box(w, "ds_loja")->setText(QStringLiteral("LOJA DO BAIRRO"));
                click(w, "Command3");
                click(w, "CONFIRMA");
            },
            &storeDone);
        click(entry, "Command3");
        QVERIFY(storeDone);
        entry->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(entry));

        auto *debtor = ctl<DBCombo>(entry, "nm_cliente");
        auto *store = ctl<DBCombo>(entry, "ds_loja");
        debtor->setCurrentIndex(debtor->findText(QStringLiteral("CARLOS ALBERTO")));
        const QString debtorCode = debtor->boundText();
        QCOMPARE(debtorCode, QStringLiteral("00002"));
        store->setCurrentIndex(store->findText(QStringLiteral("LOJA DO BAIRRO")));
        QCOMPARE(store->boundText(), QStringLiteral("002"));
        QCOMPARE(box(entry, "nr_documento")->text(), QStringLiteral("222.333.444-55"));

        // Three cheques: the first and third from the reader, the second typed.
        auto *date = ctl<kq::platform::MaskEdBox>(entry, "dt_deposito");
        const QString line = QStringLiteral("<34156789<0180004567>700098765432:");
        box(entry, "ds_leitora")->setText(line);
        leave(box(entry, "ds_leitora"), box(entry, "CD_BANCO"));
        QCOMPARE(QApplication::focusWidget(), date);
        box(entry, "NM_EMITENTE")->setText(QStringLiteral("CARLOS A. SOUZA"));
        date->setText(QStringLiteral("02/04/2024"));
        box(entry, "VL_CHEQUE")->setText(QStringLiteral("350,00"));
        box(entry, "CD_ALINEA")->setText(QStringLiteral("11"));
        click(entry, "CONFIRMA");
        box(entry, "NR_CHEQUE")->setText(QStringLiteral("000777"));
        box(entry, "NM_EMITENTE")->setText(QStringLiteral("CARLOS A. SOUZA"));
        date->setText(QStringLiteral("10/04/2024"));
        box(entry, "VL_CHEQUE")->setText(QStringLiteral("1.250,40"));
        box(entry, "CD_ALINEA")->setText(QStringLiteral("12"));
        click(entry, "CONFIRMA");
        box(entry, "ds_leitora")->setText(line);
        leave(box(entry, "ds_leitora"), box(entry, "CD_BANCO"));
        QCOMPARE(box(entry, "NM_EMITENTE")->text(), QStringLiteral("CARLOS A. SOUZA"));
        date->setText(QStringLiteral("15/04/2024"));
        box(entry, "VL_CHEQUE")->setText(QStringLiteral("99,60"));
        box(entry, "CD_ALINEA")->setText(QStringLiteral("11"));
        click(entry, "CONFIRMA");
        QCOMPARE(fx.dialogs.texts().filter(QStringLiteral("Erro")), QStringList());
        QCOMPARE(kq::data::scalar(db, QStringLiteral("SELECT COUNT(*) || '|' || SUM(VL_CHEQUE) "
                                                     "FROM DEVOLVIDOS WHERE CD_CLIENTE='00002' "
                                                     "AND CD_LOJA='002'"))
                     .toString(),
                 QStringLiteral("3|1700.0"));

        // Found again by the issuer's document.
        fx.dialogs.inputs.enqueue(QStringLiteral("222.333.444-55"));
        click(entry, "Command5");
        QCOMPARE(ctl<QLabel>(entry, "CD_DEVOLVIDO")->text(), QStringLiteral("0000000003"));
        QCOMPARE(ctl<GridEX>(entry, "GridEX3")->recordCount(), 3);

        // Reopened, the new store has its colour; grouped by store with totals.
        entry->close();
        QTRY_VERIFY(!ScreenRegistry::instance().find(QStringLiteral("flancheques")));
        entry = ScreenRegistry::instance().show(QStringLiteral("flancheques"));
        QVERIFY(QTest::qWaitForWindowActive(entry));
        auto *list = ctl<GridEX>(entry, "GridEX1");
        QCOMPARE(list->formatStyle(QStringLiteral("002")).foreColor, QColor(0, 140, 0));
        ctl<QCheckBox>(entry, "agrupar")->click();
        QStringList captions;
        for (int r = 0; r < list->rowCount(); ++r)
            if (list->rowType(r) == kq::platform::RowType::GroupHeader)
                captions << list->groupCaption(r);
        QCOMPARE(captions.size(), 2);
        QVERIFY(captions.contains(QStringLiteral("Empresa: LOJA DO BAIRRO  (Total= %1)")
                                      .arg(kq::platform::formatCurrency(1700))));
        ctl<DBCombo>(entry, "nm_cliente")
            ->setCurrentIndex(
                ctl<DBCombo>(entry, "nm_cliente")->findText(QStringLiteral("CARLOS ALBERTO")));
        QVERIFY(shot(entry, QStringLiteral("flancheques-grouped")));

        // The follow-up: two contacts and a plan for the debt.
        QWidget *follow = ScreenRegistry::instance().show(QStringLiteral("fvantesca"));
        QVERIFY(QTest::qWaitForWindowActive(follow));
        auto *debtors = ctl<GridEX>(follow, "GridEX2");
        debtors->setCurrentRow(debtors->findRow(2, debtorCode));
        QCOMPARE(ctl<QLabel>(follow, "totaldivida")->text(), kq::platform::formatFixed2(1700));
        auto *history = ctl<QPlainTextEdit>(follow, "DS_hISTORICO");
        history->setPlainText(QStringLiteral("Cliente reconhece a dívida; pede parcelamento."));
        box(follow, "ENVOLVIDO")->setText(QStringLiteral("CARLOS"));
        click(follow, "CONFIRMA");
        ctl<DBCombo>(follow, "cobrador")->setText(QStringLiteral("SUPERVISOR"));
        history->setPlainText(QStringLiteral("Retornou a ligação: aceita proposta em 6 vezes."));
        box(follow, "ENVOLVIDO")->setText(QStringLiteral("ESPOSA"));
        click(follow, "CONFIRMA");
        QCOMPARE(kq::data::scalar(db,
                                  QStringLiteral("SELECT GROUP_CONCAT(CD_VANTESCA) FROM "
                                                 "VANTESCA WHERE CD_CLIENTE=?"),
                                  {debtorCode})
                     .toString(),
                 QStringLiteral("001,002"));
        QCOMPARE(debtors->value(2).toString(), debtorCode);
        QCOMPARE(debtors->value(5).toInt(), 2);
        box(follow, "juros")->setText(QStringLiteral("2"));
        box(follow, "parcelas")->setText(QStringLiteral("6"));
        leave(box(follow, "parcelas"), box(follow, "juros"));
        QCOMPARE(ctl<QLabel>(follow, "parcela")->text(), kq::platform::formatCurrency(303.49));
        QCOMPARE(ctl<QLabel>(follow, "totalfinanciado")->text(),
                 kq::platform::formatCurrency(1820.94));
        // The agreement screen reads the debtor from the grid's column 2.
        QCOMPARE(debtors->value(2).toString(), debtorCode);
        QVERIFY(shot(follow, QStringLiteral("fvantesca")));
    }
};

QTEST_MAIN(tst_collection_road)
#include "tst_collection_road.moc"
