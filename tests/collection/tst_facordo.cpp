// The agreement screen driven through its controls: the debtor taken from the
// follow-up screen, the calculation on a store choice, the plan, the save and
// the refusals that write nothing.
#include "collection/facordo.h"
#include "collection/fvantesca.h"
#include "collection/screens.h"
#include "data/database.h"
#include "platform/dbcombo.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/maskedbox.h"
#include "platform/screen.h"
#include "platform/screenregistry.h"
#include "support/base_screens.h"
#include "support/shell_agreement_fixture.h"
#include "support/shell_fixture.h"
#include "shell/services/appstate.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

using namespace kq::test;
using kq::collection::facordo;
using kq::data::exec;
using kq::data::scalar;
using kq::platform::ScreenRegistry;

namespace {

// The follow-up screen, on whose current debtor the agreement screen opens.
struct FollowUp
{
    kq::collection::fvantesca *screen = nullptr;

    void select(const QString &code) const
    {
        auto *grid = screen->findChild<kq::platform::GridEX *>(QStringLiteral("GridEX2"));
        grid->setCurrentRow(grid->findRow(2, code));
    }
};

QString ymd(const QDate &d)
{
    return kq::platform::formatYearMonth(d);
}

void leave(QWidget *box)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
}

} // namespace

class tst_facordo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opening();
    void calculation();
    void noDebtAtStore();
    void planFields();
    void saveThreeInstalments();
    void secondClickMakesNoSecondAgreement();
    void saveRecomputesChangedCount();
    void refusals_data();
    void refusals();
    void followUpMoves();
    void missingFactor();
    void invalidMonthsLeftOut();
    void keys();
    void storeChosenByKey_data();
    void storeChosenByKey();
    void storeChosenByClick_data();
    void storeChosenByClick();

private:
    facordo *open(const QString &debtor = QStringLiteral("00001"));
    void chooseStore(facordo *f, const QString &code);

    ShellFixture *m_fx = nullptr;
    FollowUp m_followUp;
    QString m_db;
    QDate m_today;
};

void tst_facordo::initTestCase()
{
    kq::collection::registerAgreementScreens();
    ScreenRegistry::instance().registerScreen(QStringLiteral("fvantesca"),
                                              [] { return new kq::collection::fvantesca; });
}

void tst_facordo::init()
{
    m_fx = new ShellFixture;
    m_db = m_fx->devolvidos();
    m_today = QDate::currentDate();
    addDebtor(m_db, "00001", "JOSE DA SILVA");
    addDebtor(m_db, "00002", "MARIA SOUZA");
    addStore(m_db, "001", "LOJA CENTRO", 3, 2, 10, 3, 2);
    addStore(m_db, "002", "LOJA NORTE", 1, 0, 0, 6, 0);
    for (const QDate &d : {m_today.addDays(-45), m_today.addDays(-10), m_today})
        if (!scalar(m_db, "SELECT 1 FROM correcao WHERE cd_ref = ?", {ymd(d)}).isValid())
            addFactor(m_db, ymd(d), 1.2);
    addCheque(m_db, "0000000001", "00001", "001", m_today.addDays(-45), 100);
    addCheque(m_db, "0000000002", "00001", "001", m_today.addDays(-10), 200);
    addCheque(m_db, "0000000003", "00002", "001", m_today.addDays(-10), 70);
    m_followUp.screen
        = qobject_cast<kq::collection::fvantesca *>(ScreenRegistry::instance().load("fvantesca"));
}

void tst_facordo::cleanup()
{
    delete m_fx;
    m_fx = nullptr;
}

facordo *tst_facordo::open(const QString &debtor)
{
    m_followUp.select(debtor);
    auto *f = qobject_cast<facordo *>(ScreenRegistry::instance().show("facordo"));
    Q_ASSERT(f);
    return f;
}

void tst_facordo::chooseStore(facordo *f, const QString &code)
{
    m_fx->dialogs.clear();
    ctl<kq::platform::DBList>(f, "ds_loja")->setBoundText(code);
}

void tst_facordo::opening()
{
    facordo *f = open();
    QVERIFY(QTest::qWaitForWindowActive(f));
    QApplication::processEvents();
    // The store list may get the focus; that alone chooses no store.
    QVERIFY(m_fx->dialogs.messages.isEmpty());
    QCOMPARE(ctl<kq::platform::GridEX>(f, "GridEX1")->recordCount(), 0);
    QCOMPARE(f->windowTitle(), QString("Cálculo de Acordos"));
    QCOMPARE(ctl<QLabel>(f, "cd_cliente")->text(), QString("00001"));
    QCOMPARE(ctl<kq::platform::MaskEdBox>(f, "cd_ref")->text(), ymd(m_today));
    QCOMPARE(ctl<QLabel>(f, "fator")->text(), QString("1,2"));
    QCOMPARE(ctl<kq::platform::DBList>(f, "ds_loja")->count(), 2);
    QVERIFY(ctl<QPushButton>(f, "Command2")->isEnabled());

    addFactor(m_db, "1999/01", 0.5);
    addFactor(m_db, "2999/12", 9.75);
    ctl<kq::platform::MaskEdBox>(f, "cd_ref")->setText("1999/01");
    QCOMPARE(ctl<QLabel>(f, "fator")->text(), QString("0,5"));
    // A month not in the table, or still being typed, shows the newest one.
    ctl<kq::platform::MaskEdBox>(f, "cd_ref")->setText("1999/02");
    QCOMPARE(ctl<QLabel>(f, "fator")->text(), QString("9,75"));
    ctl<kq::platform::MaskEdBox>(f, "cd_ref")->setText("19");
    QCOMPARE(ctl<QLabel>(f, "fator")->text(), QString("9,75"));
}

void tst_facordo::calculation()
{
    facordo *f = open();
    chooseStore(f, "001");
    QCOMPARE(m_fx->dialogs.messages.size(), 0);
    QCOMPARE(ctl<kq::platform::GridEX>(f, "GridEX1")->recordCount(), 2);
    QCOMPARE(ctl<QLabel>(f, "valoraberto")->text(), QString("300,00"));
    QCOMPARE(ctl<QLabel>(f, "vl_juros")->text(), QString("6,50"));
    QCOMPARE(ctl<QLabel>(f, "vl_multa")->text(), QString("6,00"));
    QCOMPARE(ctl<QLabel>(f, "vl_honorarios")->text(), QString("30,00"));
    QCOMPARE(ctl<QLabel>(f, "correcao")->text(), QString("0,00"));
    QCOMPARE(ctl<QLabel>(f, "vl_total")->text(), QString("342,5"));
    QCOMPARE(ctl<QLineEdit>(f, "nr_parcelas")->text(), QString("3"));
    QCOMPARE(ctl<QLineEdit>(f, "vl_jurosparcelamento")->text(), QString("2"));
    QCOMPARE(ctl<QLineEdit>(f, "vl_parcela")->text(), QString("118,76"));
    QCOMPARE(ctl<QLineEdit>(f, "vl_financiado")->text(), QString("356,28"));
    QCOMPARE(ctl<QLabel>(f, "vl_honorariosparcela")->text(), QString("10,40"));
    QVERIFY(ctl<QPushButton>(f, "Command2")->isEnabled());
    QCOMPARE(scalar(m_db, "SELECT vl_atualizado FROM DEVOLVIDOS WHERE CD_DEVOLVIDO = "
                          "'0000000002'")
                 .toDouble(),
             200.0);
    // The other debtor's cheque at the same store is neither listed nor corrected.
    QVERIFY(scalar(m_db, "SELECT vl_atualizado FROM DEVOLVIDOS WHERE CD_DEVOLVIDO = "
                         "'0000000003'")
                .isNull());
    kq::test::shot(f, "facordo");

    // A higher reference factor corrects the cheques; interest follows.
    exec(m_db, "UPDATE correcao SET fator = 1.5 WHERE cd_ref = ?", {ymd(m_today)});
    auto *cdRef = ctl<kq::platform::MaskEdBox>(f, "cd_ref");
    cdRef->setText(ymd(m_today.addMonths(-1))); // re-read the table ...
    cdRef->setText(ymd(m_today));               // ... and come back to this month
    QCOMPARE(ctl<QLabel>(f, "fator")->text(), QString("1,5"));
    exec(m_db, "UPDATE correcao SET fator = 1.5 WHERE cd_ref = ?", {ymd(m_today.addDays(-10))});
    chooseStore(f, "002");
    chooseStore(f, "001");
    // 100 x 1,5 / 1,2 = 125,00; its interest 125 x 0,03 / 30 x 45 = 5,625.
    QCOMPARE(ctl<QLabel>(f, "correcao")->text(), QString("25,00"));
    QCOMPARE(ctl<QLabel>(f, "vl_juros")->text(), QString("7,63"));
    QCOMPARE(ctl<QLabel>(f, "vl_total")->text(), QString("368,63"));
    QCOMPARE(scalar(m_db, "SELECT vl_atualizado FROM DEVOLVIDOS WHERE CD_DEVOLVIDO = "
                          "'0000000001'")
                 .toDouble(),
             125.0);
}

void tst_facordo::noDebtAtStore()
{
    facordo *f = open();
    chooseStore(f, "001");
    chooseStore(f, "002");
    QCOMPARE(m_fx->dialogs.texts(), QStringList{"Pessoa sem débito nessa empresa"});
    QVERIFY(!ctl<QPushButton>(f, "Command2")->isEnabled());
    QCOMPARE(ctl<kq::platform::GridEX>(f, "GridEX1")->recordCount(), 0);
    QCOMPARE(ctl<QLabel>(f, "valoraberto")->text(), QString("0,00"));
    QCOMPARE(ctl<QLabel>(f, "vl_juros")->text(), QString("0,00"));
    QCOMPARE(ctl<QLabel>(f, "vl_multa")->text(), QString("0,00"));
    QCOMPARE(ctl<QLabel>(f, "vl_honorarios")->text(), QString("0,00"));
    QCOMPARE(ctl<QLabel>(f, "correcao")->text(), QString("0"));
    QCOMPARE(ctl<QLabel>(f, "vl_total")->text(), QString("0"));
    // Count and rate come from the store; the plan stays as it was.
    QCOMPARE(ctl<QLineEdit>(f, "nr_parcelas")->text(), QString("6"));
    QCOMPARE(ctl<QLineEdit>(f, "vl_jurosparcelamento")->text(), QString("0"));
    QCOMPARE(ctl<QLineEdit>(f, "vl_parcela")->text(), QString("118,76"));
}

void tst_facordo::planFields()
{
    facordo *f = open();
    chooseStore(f, "001");
    // Leaving the rate field: the plan in currency form.
    ctl<QLineEdit>(f, "vl_jurosparcelamento")->setText("0");
    leave(ctl<QLineEdit>(f, "vl_jurosparcelamento"));
    QCOMPARE(ctl<QLineEdit>(f, "vl_parcela")->text().replace(QChar(0xa0), ' '),
             QString("R$ 114,17"));
    QCOMPARE(ctl<QLineEdit>(f, "vl_financiado")->text(), QString("342,51"));
    QCOMPARE(ctl<QLabel>(f, "vl_honorariosparcela")->text(), QString("10,00"));
    // Leaving the count field recomputes the plan for the new count.
    ctl<QLineEdit>(f, "nr_parcelas")->setText("5");
    leave(ctl<QLineEdit>(f, "nr_parcelas"));
    QCOMPARE(ctl<QLineEdit>(f, "vl_parcela")->text().replace(QChar(0xa0), ' '),
             QString("R$ 68,50"));
    QCOMPARE(ctl<QLineEdit>(f, "vl_financiado")->text(), QString("342,5"));
    // A count that is not a number shows no plan rather than a stale one.
    ctl<QLineEdit>(f, "nr_parcelas")->setText("x");
    leave(ctl<QLineEdit>(f, "nr_parcelas"));
    QVERIFY(ctl<QLineEdit>(f, "vl_parcela")->text().isEmpty());
    QVERIFY(ctl<QLineEdit>(f, "vl_financiado")->text().isEmpty());
}

void tst_facordo::saveThreeInstalments()
{
    facordo *f = open();
    chooseStore(f, "001");
    ctl<kq::platform::MaskEdBox>(f, "dt_primeira")->setText("10/01/2025");
    ctl<QLineEdit>(f, "vl_jurosparcelamento")->setText("2");
    leave(ctl<QLineEdit>(f, "vl_jurosparcelamento")); // currency form, stored as its number
    m_fx->dialogs.clear();
    ctl<QPushButton>(f, "Command2")->click();
    QCOMPARE(m_fx->dialogs.texts(), QStringList{"Acordo realizado com sucesso!!!!"});
    QCOMPARE(ctl<QLabel>(f, "cd_acordo")->text(), QString("00001"));
    QVERIFY(!ctl<QPushButton>(f, "Command2")->isEnabled());

    QSqlQuery a = exec(m_db, "SELECT CD_CLIENTE, cd_loja, vl_aberto, tx_juros, vl_parcela, "
                             "vl_financiado, nr_parcelas, dt_1vencimento, dt_acordo, vl_correcao "
                             "FROM acordos");
    QVERIFY(a.next());
    QCOMPARE(a.value(0).toString(), QString("00001"));
    QCOMPARE(a.value(1).toString(), QString("001"));
    QCOMPARE(a.value(2).toDouble(), 300.0);
    QCOMPARE(a.value(3).toDouble(), 3.0);
    QCOMPARE(a.value(4).toDouble(), 118.76);
    QCOMPARE(a.value(5).toDouble(), 356.28);
    QCOMPARE(a.value(6).toDouble(), 3.0);
    QCOMPARE(a.value(7).toString(), QString("2025-01-10"));
    QCOMPARE(a.value(8).toString(), m_today.toString(Qt::ISODate));
    QCOMPARE(a.value(9).toDouble(), 0.0);
    QStringList due;
    QSqlQuery p = exec(m_db, "SELECT dt_vencimento FROM parcelas WHERE cd_status = 'A' "
                             "ORDER BY cd_parcela");
    while (p.next())
        due << p.value(0).toString();
    QCOMPARE(due, (QStringList{"2025-02-10", "2025-03-10", "2025-04-10"}));
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM DEVOLVIDOS WHERE cd_situacao = '002' "
                          "AND cd_acordo = '00001'")
                 .toInt(),
             2);

    // Clicking the store again: the cheques in "002" are no longer listed.
    m_fx->dialogs.clear();
    auto *stores = ctl<kq::platform::DBList>(f, "ds_loja");
    const QRect item = stores->visualItemRect(stores->currentItem());
    QTest::mouseClick(stores->viewport(), Qt::LeftButton, {}, item.center());
    QCOMPARE(m_fx->dialogs.texts(), QStringList{"Pessoa sem débito nessa empresa"});
    QVERIFY(!ctl<QPushButton>(f, "Command2")->isEnabled());
}

void tst_facordo::secondClickMakesNoSecondAgreement()
{
    facordo *f = open();
    chooseStore(f, "001");
    ctl<kq::platform::MaskEdBox>(f, "dt_primeira")->setText("31/01/2025");
    ctl<QPushButton>(f, "Command2")->click();
    ctl<QPushButton>(f, "Command2")->click(); // disabled: nothing happens
    ctl<QPushButton>(f, "Command2")->setEnabled(true);
    m_fx->dialogs.clear();
    ctl<QPushButton>(f, "Command2")->click();
    QCOMPARE(m_fx->dialogs.texts(),
             QStringList{"Esse cálculo já gerou o acordo 00001. Para um novo acordo, "
                         "escolha a empresa novamente!!"});
    QCOMPARE(rowCount(m_db, "acordos"), 1);
    QCOMPARE(rowCount(m_db, "parcelas"), 3);
    QCOMPARE(scalar(m_db, "SELECT dt_vencimento FROM parcelas WHERE cd_parcela = '01'").toString(),
             QString("2025-02-28"));
    QCOMPARE(scalar(m_db, "SELECT dt_vencimento FROM parcelas WHERE cd_parcela = '02'").toString(),
             QString("2025-03-31"));
}

void tst_facordo::saveRecomputesChangedCount()
{
    facordo *f = open();
    chooseStore(f, "001");
    ctl<kq::platform::MaskEdBox>(f, "dt_primeira")->setText("10/01/2025");
    // The count changed but never left: the save still uses the plan of 4.
    ctl<QLineEdit>(f, "nr_parcelas")->setText("4");
    ctl<QPushButton>(f, "Command2")->click();
    const double expected
        = kq::platform::roundHalfAway(kq::collection::priceInstalment(342.5, 2, 4), 2);
    QCOMPARE(ctl<QLineEdit>(f, "vl_parcela")->text().replace(QChar(0xa0), ' '),
             kq::platform::formatCurrency(expected).replace(QChar(0xa0), ' '));
    QCOMPARE(rowCount(m_db, "parcelas"), 4);
    QCOMPARE(scalar(m_db, "SELECT vl_parcela FROM acordos").toDouble(), expected);
    QCOMPARE(scalar(m_db, "SELECT vl_financiado FROM acordos").toDouble(),
             kq::platform::roundHalfAway(4 * expected, 2));
}

void tst_facordo::refusals_data()
{
    QTest::addColumn<QString>("store");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("message");
    const QString count = "O número de parcelas deve ser um número inteiro de 1 a 32!!";
    QTest::newRow("no store") << ""
                              << "3"
                              << "2"
                              << "10/01/2025"
                              << "Por favor antes de executar o acordo escolha a empresa "
                                 "desejada!!";
    QTest::newRow("count 33") << "001"
                              << "33"
                              << "2"
                              << "10/01/2025" << count;
    QTest::newRow("count 0") << "001"
                             << "0"
                             << "2"
                             << "10/01/2025" << count;
    QTest::newRow("count 2,5") << "001"
                               << "2,5"
                               << "2"
                               << "10/01/2025" << count;
    QTest::newRow("rate") << "001"
                          << "3"
                          << "dois"
                          << "10/01/2025"
                          << "Os juros do parcelamento devem ser um número!!";
    QTest::newRow("no date") << "001"
                             << "3"
                             << "2"
                             << ""
                             << "Data do 1º vencimento inválida!!";
    QTest::newRow("bad date") << "001"
                              << "3"
                              << "2"
                              << "30/02/2025"
                              << "Data do 1º vencimento inválida!!";
    QTest::newRow("store gone") << "deleted"
                                << "3"
                                << "2"
                                << "10/01/2025"
                                << "Empresa não cadastrada!!!";
}

void tst_facordo::refusals()
{
    QFETCH(QString, store);
    QFETCH(QString, count);
    QFETCH(QString, rate);
    QFETCH(QString, date);
    QFETCH(QString, message);
    facordo *f = open();
    if (!store.isEmpty())
        chooseStore(f, "001");
    if (store == "deleted")
        exec(m_db, "DELETE FROM lojas WHERE CD_loja = '001'");
    ctl<QLineEdit>(f, "nr_parcelas")->setText(count);
    ctl<QLineEdit>(f, "vl_jurosparcelamento")->setText(rate);
    ctl<kq::platform::MaskEdBox>(f, "dt_primeira")->setText(date);
    m_fx->dialogs.clear();
    ctl<QPushButton>(f, "Command2")->click();
    QCOMPARE(m_fx->dialogs.texts(), QStringList{message});
    QCOMPARE(ctl<QLabel>(f, "cd_acordo")->text(), QString());
    QCOMPARE(rowCount(m_db, "acordos"), 0);
    QCOMPARE(rowCount(m_db, "parcelas"), 0);
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM DEVOLVIDOS WHERE cd_situacao = '002'").toInt(), 0);
}

void tst_facordo::followUpMoves()
{
    facordo *f = open("00001");
    m_followUp.select("00002");
    chooseStore(f, "001");
    QCOMPARE(m_fx->dialogs.texts(),
             QStringList{"O acompanhamento está em outro inadimplente. Este cálculo continua "
                         "com o inadimplente 00001; para outro, feche esta tela e abra-a de "
                         "novo."});
    QCOMPARE(ctl<QLabel>(f, "cd_cliente")->text(), QString("00001"));
    QCOMPARE(ctl<QLabel>(f, "valoraberto")->text(), QString("300,00"));
    ctl<kq::platform::MaskEdBox>(f, "dt_primeira")->setText("10/01/2025");
    ctl<QPushButton>(f, "Command2")->click();
    QCOMPARE(scalar(m_db, "SELECT CD_CLIENTE FROM acordos").toString(), QString("00001"));
    QCOMPARE(scalar(m_db, "SELECT cd_situacao FROM DEVOLVIDOS WHERE CD_DEVOLVIDO = "
                          "'0000000003'")
                 .toString(),
             QString("001"));

    // Opened afresh, the screen takes the follow-up's new debtor.
    f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    f = open("00002");
    QCOMPARE(ctl<QLabel>(f, "cd_cliente")->text(), QString("00002"));
}

void tst_facordo::missingFactor()
{
    addCheque(m_db, "0000000009", "00001", "001", QDate(1990, 5, 3), 40);
    facordo *f = open();
    chooseStore(f, "001");
    QCOMPARE(m_fx->dialogs.texts(),
             QStringList{"Fator de correção não cadastrado para: 1990/05. "
                         "Os cheques desses meses ficaram pelo valor de face!!"});
    QCOMPARE(scalar(m_db, "SELECT vl_atualizado FROM DEVOLVIDOS WHERE CD_DEVOLVIDO = "
                          "'0000000009'")
                 .toDouble(),
             40.0);
    QCOMPARE(ctl<QLabel>(f, "valoraberto")->text(), QString("340,00"));

    // No factor at all: every cheque at its face value, and the screen says so.
    exec(m_db, "DELETE FROM correcao");
    f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    f = open();
    QCOMPARE(ctl<QLabel>(f, "fator")->text(), QString());
    chooseStore(f, "001");
    QCOMPARE(m_fx->dialogs.texts(),
             QStringList{"Não há fator de correção para o mês de referência. "
                         "Os cheques ficaram pelo valor de face!!"});
    QCOMPARE(ctl<QLabel>(f, "correcao")->text(), QString("0,00"));
}

// Correction rows that are not a whole month are never the reference: the
// newest real month stands in for a month missing from the table.
void tst_facordo::invalidMonthsLeftOut()
{
    exec(m_db, "DELETE FROM correcao WHERE cd_ref = ?", {ymd(m_today)});
    addFactor(m_db, "____/__", 5);
    addFactor(m_db, "2026/1_", 5);
    facordo *f = open();
    QCOMPARE(ctl<kq::platform::MaskEdBox>(f, "cd_ref")->text(), ymd(m_today));
    QCOMPARE(ctl<QLabel>(f, "fator")->text(), QString("1,2"));
    ctl<kq::platform::MaskEdBox>(f, "cd_ref")->setText("2026/1_");
    QCOMPARE(ctl<QLabel>(f, "fator")->text(), QString("1,2"));
    ctl<kq::platform::MaskEdBox>(f, "cd_ref")->setText(ymd(m_today));
    chooseStore(f, "001");
    QCOMPARE(ctl<QLabel>(f, "correcao")->text(), QString("0,00"));
    QCOMPARE(ctl<QLabel>(f, "valoraberto")->text(), QString("300,00"));
    QCOMPARE(scalar(m_db, "SELECT vl_atualizado FROM DEVOLVIDOS WHERE CD_DEVOLVIDO = "
                          "'0000000001'")
                 .toDouble(),
             100.0);
}

void tst_facordo::keys()
{
    facordo *f = open();
    chooseStore(f, "001");
    f->activateWindow();
    ctl<QLineEdit>(f, "nr_parcelas")->setFocus();
    QVERIFY(QTest::qWaitFor([&] { return ctl<QLineEdit>(f, "nr_parcelas")->hasFocus(); }));
    QTest::keyClick(ctl<QLineEdit>(f, "nr_parcelas"), Qt::Key_Return);
    QVERIFY(!ctl<QLineEdit>(f, "nr_parcelas")->hasFocus()); // Enter moved on to the next field
    QPointer<facordo> guard(f);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(QTest::qWaitFor([&] { return guard.isNull(); }));
    QVERIFY(!ScreenRegistry::instance().find("facordo"));
}

// Enter or Space on the highlighted store runs the calculation: the only
// store (the focus alone highlights it without choosing it), or the store
// already chosen, whose cheques changed meanwhile.
void tst_facordo::storeChosenByKey_data()
{
    QTest::addColumn<bool>("onlyStore");
    QTest::addColumn<int>("key");
    QTest::newRow("the only store, enter") << true << int(Qt::Key_Return);
    QTest::newRow("the only store, space") << true << int(Qt::Key_Space);
    QTest::newRow("the store already chosen, enter") << false << int(Qt::Key_Return);
    QTest::newRow("the store already chosen, space") << false << int(Qt::Key_Space);
}

void tst_facordo::storeChosenByKey()
{
    QFETCH(bool, onlyStore);
    QFETCH(int, key);
    if (onlyStore)
        exec(m_db, "DELETE FROM lojas WHERE cd_loja <> '001'");
    facordo *f = open();
    if (!onlyStore) {
        chooseStore(f, "001");
        QCOMPARE(ctl<QLabel>(f, "valoraberto")->text(), kq::platform::formatFixed2(300));
        exec(m_db, "UPDATE DEVOLVIDOS SET VL_CHEQUE = 150 WHERE CD_DEVOLVIDO = '0000000001'");
    }
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
    ctl<kq::platform::DBList>(f, "ds_loja")->setFocus(Qt::TabFocusReason);
    QVERIFY(QTest::qWaitFor([&] { return ctl<kq::platform::DBList>(f, "ds_loja")->hasFocus(); }));
    QCOMPARE(ctl<kq::platform::DBList>(f, "ds_loja")->boundText(), QString("001"));
    QTest::keyClick(ctl<kq::platform::DBList>(f, "ds_loja"), Qt::Key(key));
    QCOMPARE(ctl<QLabel>(f, "valoraberto")->text(),
             kq::platform::formatFixed2(onlyStore ? 300 : 350));
    QCOMPARE(ctl<kq::platform::GridEX>(f, "GridEX1")->recordCount(), 2);
    QVERIFY(ctl<kq::platform::DBList>(f, "ds_loja")->currentItem()->isSelected());
    QCOMPARE(QApplication::focusWidget(), ctl<QLineEdit>(f, "nr_parcelas"));
    QVERIFY(m_fx->dialogs.messages.isEmpty());
}

// One click on a store calculates it, once, whether the row was current or
// not; the agreement then saved carries that store and its cheques.
void tst_facordo::storeChosenByClick_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("the current row") << QList<int>{0};
    QTest::newRow("another row") << QList<int>{1};
    QTest::newRow("one store, then another") << QList<int>{0, 1};
    QTest::newRow("another store, then back") << QList<int>{1, 0};
}

void tst_facordo::storeChosenByClick()
{
    QFETCH(QList<int>, rows);
    addCheque(m_db, "0000000004", "00001", "002", m_today, 50);
    facordo *f = open();
    // Every calculation says once that the follow-up moved on.
    m_followUp.select("00002");
    const QString moved = "O acompanhamento está em outro inadimplente. Este cálculo continua "
                          "com o inadimplente 00001; para outro, feche esta tela e abra-a de "
                          "novo.";
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
    auto *stores = ctl<kq::platform::DBList>(f, "ds_loja");
    stores->setFocus(Qt::TabFocusReason);
    QVERIFY(QTest::qWaitFor([&] { return stores->hasFocus(); }));
    QCOMPARE(stores->currentRow(), 0);
    for (int row : rows) {
        m_fx->dialogs.clear();
        const QRect item = stores->visualItemRect(stores->item(row));
        QTest::mouseClick(stores->viewport(), Qt::LeftButton, {}, item.center());
        QCOMPARE(m_fx->dialogs.texts(), QStringList{moved});
        QCOMPARE(ctl<QLabel>(f, "valoraberto")->text(), QString(row == 0 ? "300,00" : "50,00"));
    }
    const QString store = rows.last() == 0 ? "001" : "002";
    QCOMPARE(ctl<kq::platform::GridEX>(f, "GridEX1")->recordCount(), store == "001" ? 2 : 1);

    ctl<kq::platform::MaskEdBox>(f, "dt_primeira")->setText("10/01/2025");
    m_fx->dialogs.clear();
    ctl<QPushButton>(f, "Command2")->click();
    QCOMPARE(m_fx->dialogs.texts(), QStringList{"Acordo realizado com sucesso!!!!"});
    QCOMPARE(scalar(m_db, "SELECT cd_loja FROM acordos").toString(), store);
    QStringList agreed;
    QSqlQuery q = exec(m_db, "SELECT CD_DEVOLVIDO FROM DEVOLVIDOS WHERE cd_acordo = '00001' "
                             "AND cd_situacao = '002' ORDER BY CD_DEVOLVIDO");
    while (q.next())
        agreed << q.value(0).toString();
    const QStringList expected
        = store == "001" ? QStringList{"0000000001", "0000000002"} : QStringList{"0000000004"};
    QCOMPARE(agreed, expected);
}

QTEST_MAIN(tst_facordo)
#include "tst_facordo.moc"
