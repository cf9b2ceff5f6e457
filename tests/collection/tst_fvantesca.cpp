// Follow-up screen: debtors, their cheques and contacts, totals and the
// simulation, driven through the screen's controls.
#include "collection/fvantesca.h"
#include "collection/screens.h"
#include "data/database.h"
#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "shell/services/appstate.h"
#include "gridcolumns.h"
#include "support/base_screens.h"
#include "support/shell_fixture.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

using kq::platform::Answer;
using kq::platform::DBCombo;
using kq::platform::GridEX;
using kq::platform::ScreenRegistry;

class tst_fvantesca : public QObject
{
    Q_OBJECT

private:
    kq::test::ShellFixture *m_fx = nullptr;
    kq::collection::fvantesca *m_screen = nullptr;
    const QDate m_today = QDate::currentDate();

    template<class T>
    T *ctl(const char *name) const
    {
        return kq::test::ctl<T>(m_screen, name);
    }
    GridEX *grid(const char *name) const { return ctl<GridEX>(name); }
    QString label(const char *name) const { return ctl<QLabel>(name)->text(); }
    void click(const char *name) const { ctl<QPushButton>(name)->click(); }
    QString db() const { return m_fx->devolvidos(); }
    QString iso(int daysAgo) const { return m_today.addDays(-daysAgo).toString(Qt::ISODate); }
    void addCheque(const QString &key, const QString &debtor, const QString &store,
                   const QString &situation, int daysAgo, double value)
    {
        kq::data::exec(db(),
                       QStringLiteral("INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, "
                                      "CD_LOJA, CD_SITUACAO, DT_DEPOSITO, VL_CHEQUE, "
                                      "CD_ALINEA) VALUES (?, ?, ?, ?, ?, ?, '11')"),
                       {key, debtor, store, situation, iso(daysAgo), value});
    }
    void open()
    {
        m_screen = qobject_cast<kq::collection::fvantesca *>(
            ScreenRegistry::instance().show(QStringLiteral("fvantesca")));
        QVERIFY(m_screen);
        QVERIFY(QTest::qWaitForWindowActive(m_screen));
    }
    void chooseDebtor(const QString &code)
    {
        GridEX *g = grid("GridEX2");
        g->setCurrentRow(g->findRow(2, code));
        QCOMPARE(g->value(2).toString(), code);
    }
    void typeContact(const QString &history)
    {
        ctl<QPlainTextEdit>("DS_hISTORICO")->setPlainText(history);
        ctl<QLineEdit>("ENVOLVIDO")->setText(QStringLiteral("A esposa"));
    }
    QVariant debtorField(const QString &code, const QString &field) const
    {
        return kq::data::scalar(
            db(), QStringLiteral("SELECT %1 FROM CLIENTES WHERE CD_cliente=?").arg(field), {code});
    }
    int contactCount(const QString &code) const
    {
        return kq::data::scalar(
                   db(), QStringLiteral("SELECT COUNT(*) FROM VANTESCA WHERE CD_CLIENTE=?"), {code})
            .toInt();
    }
    void leave(QWidget *from, QWidget *to)
    {
        from->setFocus(Qt::TabFocusReason);
        to->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }

private slots:
    void initTestCase() { kq::collection::registerScreens(); }
    void init()
    {
        m_fx = new kq::test::ShellFixture;
        kq::data::exec(
            db(), QStringLiteral(
                      "INSERT INTO usuarios (CD_usuario, usuario) VALUES ('001', 'SUPERVISOR'), "
                      "('002', 'MARTA')"));
        kq::data::exec(
            db(), QStringLiteral(
                      "INSERT INTO CLIENTES (CD_cliente, nm_cliente, DS_cidade, nr_telefones, "
                      "nr_contatos) VALUES ('00001', 'ANA PAULA', 'CAMPINAS', '3232-1010', 0), "
                      "('00002', 'BRUNO LIMA', 'SANTOS', NULL, 4), "
                      "('00003', 'CARLA SEM CHEQUES', 'CAMPINAS', NULL, 0)"));
        kq::data::exec(
            db(), QStringLiteral(
                      "INSERT INTO lojas (CD_loja, DS_loja, cd_cor) VALUES ('001', 'LOJA AZUL', "
                      "'16711680'), ('002', 'LOJA VERMELHA', '255')"));
        addCheque("0000000001", "00001", "001", "001", 10, 600.0);
        addCheque("0000000002", "00001", "002", "001", 11, 400.0);
        addCheque("0000000003", "00001", "001", "002", 30, 0.0);   // in an agreement
        addCheque("0000000004", "00002", "001", "001", -5, 250.0); // deposited ahead
        addCheque("0000000005", "00001", "009", "001", 20, 0.0);   // store not registered
        open();
    }
    void cleanup()
    {
        delete m_fx;
        m_fx = nullptr;
        m_screen = nullptr;
    }

    void loadsEveryDebtorAndTheCollector()
    {
        QCOMPARE(m_screen->windowTitle(), QStringLiteral("Módulo de Vantesca"));
        GridEX *g = grid("GridEX2");
        QCOMPARE(g->recordCount(), 3);
        QVERIFY(!g->column(2).isVisible());
        QVERIFY(g->groupByBoxVisible());
        QCOMPARE(ctl<DBCombo>("cobrador")->text(), QStringLiteral("SUPERVISOR"));
        QCOMPARE(ctl<DBCombo>("cobrador")->boundText(), QStringLiteral("001"));
        QCOMPARE(ctl<kq::platform::DTPicker>("dt_contato")->value(), m_today);
        // The debtor shown is the grid's current row, once it has one.
        QCOMPARE(m_screen->debtorShown(),
                 g->hasCurrentRecord() ? g->value(2).toString() : QString());
    }

    // The debtor's cheques grouped by situation then store; totals and average.
    void debtorTotals()
    {
        chooseDebtor(QStringLiteral("00001"));
        QCOMPARE(label("totaldivida"), kq::platform::formatFixed2(1000));
        // (10 + 11 + 30 + 20) / 4 = 17.75
        QCOMPARE(label("mediaatraso"), QStringLiteral("17"));
        GridEX *c = grid("GridEX3");
        QCOMPARE(c->recordCount(), 3); // the cheque of an unknown store is counted, not listed
        QCOMPARE(c->groupColumns(), (QList<int>{4, 6}));
        QCOMPARE(c->totalSum(2), 1000.0);
        QCOMPARE(ctl<QLineEdit>("juros")->text(), QStringLiteral("0"));
        QCOMPARE(ctl<QLineEdit>("parcelas")->text(), QStringLiteral("0"));

        chooseDebtor(QStringLiteral("00002"));
        QCOMPARE(label("totaldivida"), kq::platform::formatFixed2(250));
        QCOMPARE(label("mediaatraso"), QStringLiteral("-5"));
        // No cheques: total 0 and no average, not the last debtor's.
        chooseDebtor(QStringLiteral("00003"));
        QCOMPARE(label("totaldivida"), kq::platform::formatFixed2(0));
        QCOMPARE(label("mediaatraso"), QString());
    }

    // Dates and money show whole: the last contact's year, the cheques' sums.
    void datesAndMoneyShowWhole()
    {
        kq::data::exec(db(), QStringLiteral("UPDATE CLIENTES SET dt_ultimocontato = '2026-12-11'"));
        addCheque(QStringLiteral("0000000009"), QStringLiteral("00001"), QStringLiteral("001"),
                  QStringLiteral("001"), 12, 1234567.89);
        // A desk whose screens use a larger font.
        QFont larger = m_screen->font();
        larger.setPointSizeF(larger.pointSizeF() * 1.5);
        m_screen->setFont(larger);
        GridEX *debtors = grid("GridEX2");
        debtors->refresh();
        QCOMPARE(debtors->textAt(0, 6), QStringLiteral("11/12/2026"));
        QVERIFY2(kq::test::cutInColumn(debtors, 6).isEmpty(),
                 qPrintable(kq::test::cutInColumn(debtors, 6)));
        chooseDebtor(QStringLiteral("00002"));
        chooseDebtor(QStringLiteral("00001"));
        GridEX *cheques = grid("GridEX3");
        QCOMPARE(cheques->recordCount(), 4);
        QVERIFY2(kq::test::cutInColumn(cheques, 2).isEmpty(),
                 qPrintable(kq::test::cutInColumn(cheques, 2)));
        QVERIFY(kq::test::shot(m_screen, QStringLiteral("fvantesca-widths")));
    }

    // Cheques changed on other screens show when the follow-up is active again.
    void chequesReadAgainOnComingBack()
    {
        chooseDebtor(QStringLiteral("00001"));
        GridEX *c = grid("GridEX3");
        auto situations = [c] {
            QStringList s;
            for (int r = 0; r < c->rowCount(); ++r)
                if (c->rowType(r) == kq::platform::RowType::Record)
                    s << c->valueAt(r, 4).toString();
            s.sort();
            return s;
        };
        QCOMPARE(situations(), (QStringList{"EM ACORDO", "EM COBRANÇA", "EM COBRANÇA"}));
        // An agreement takes the cheques; another cheque is entered and one deleted.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        kq::data::exec(db(), QStringLiteral("UPDATE DEVOLVIDOS SET CD_SITUACAO='002' "
                                            "WHERE CD_CLIENTE='00001'"));
        kq::data::exec(db(), QStringLiteral("DELETE FROM DEVOLVIDOS WHERE "
                                            "CD_DEVOLVIDO='0000000002'"));
        addCheque("0000000006", "00001", "001", "001", 2, 50.0);
        QCOMPARE(label("totaldivida"), kq::platform::formatFixed2(1000));
        m_screen->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_screen));
        QCOMPARE(situations(), (QStringList{"EM ACORDO", "EM ACORDO", "EM COBRANÇA"}));
        QCOMPARE(label("totaldivida"), kq::platform::formatFixed2(650));
        // (10 + 30 + 20 + 2) / 4 = 15.5
        QCOMPARE(label("mediaatraso"), QStringLiteral("15"));
        QCOMPARE(m_screen->debtorShown(), QStringLiteral("00001"));
    }

    void contactsAreNumberedAndCounted()
    {
        chooseDebtor(QStringLiteral("00001"));
        ctl<kq::platform::DTPicker>("dt_contato")->setValue(m_today.addDays(-3));
        typeContact(QStringLiteral("Prometeu pagar na sexta"));
        click("CONFIRMA");
        QCOMPARE(m_fx->dialogs.messages.size(), 0);
        QCOMPARE(contactCount("00001"), 1);
        QCOMPARE(debtorField("00001", "nr_contatos").toInt(), 1);
        QCOMPARE(debtorField("00001", "dt_ultimocontato").toString(), iso(0));
        QCOMPARE(kq::data::scalar(db(), QStringLiteral("SELECT CD_VANTESCA || '|' || "
                                                       "DT_VANTESCA || '|' || DS_COBRADOR || "
                                                       "'|' || DS_ENVOLVIDO FROM VANTESCA"))
                     .toString(),
                 QStringLiteral("001|%1|SUPERVISOR|A esposa").arg(iso(3)));
        // Cleared, except the date; the collector is not set back.
        QCOMPARE(ctl<QPlainTextEdit>("DS_hISTORICO")->toPlainText(), QString());
        QCOMPARE(ctl<QLineEdit>("ENVOLVIDO")->text(), QString());
        QCOMPARE(ctl<DBCombo>("cobrador")->text(), QString());
        QCOMPARE(ctl<kq::platform::DTPicker>("dt_contato")->value(), m_today.addDays(-3));
        // Still on the same debtor, with the new count shown.
        QCOMPARE(grid("GridEX2")->value(2).toString(), QStringLiteral("00001"));
        QCOMPARE(grid("GridEX2")->value(5).toInt(), 1);
        QCOMPARE(m_screen->debtorShown(), QStringLiteral("00001"));
        QCOMPARE(grid("GridEX1")->recordCount(), 1);

        typeContact(QStringLiteral("Não atendeu"));
        ctl<DBCombo>("cobrador")->setText(QStringLiteral("MARTA"));
        click("CONFIRMA");
        QCOMPARE(kq::data::scalar(db(), QStringLiteral("SELECT DS_COBRADOR FROM VANTESCA "
                                                       "WHERE CD_VANTESCA='002'"))
                     .toString(),
                 QStringLiteral("MARTA"));
        QCOMPARE(debtorField("00001", "nr_contatos").toInt(), 2);
        QCOMPARE(grid("GridEX1")->recordCount(), 2);
        QCOMPARE(grid("GridEX1")->previewColumn(), 2);

        // A debtor already counted goes on from his count.
        chooseDebtor(QStringLiteral("00002"));
        typeContact(QStringLiteral("Pediu prazo"));
        click("CONFIRMA");
        QCOMPARE(kq::data::scalar(db(), QStringLiteral("SELECT CD_VANTESCA FROM VANTESCA "
                                                       "WHERE CD_CLIENTE='00002'"))
                     .toString(),
                 QStringLiteral("005"));
    }

    // Collectors whose names differ in case only: the logged-in one is shown
    // and saved; a typed name that fits both asks for a choice.
    void collectorBoundByKey()
    {
        kq::data::exec(db(), QStringLiteral("INSERT INTO usuarios (CD_usuario, usuario) "
                                            "VALUES ('003', 'Marta')"));
        kq::shell::setUsuarioLogado(QStringLiteral("Marta"), QStringLiteral("003"));
        ScreenRegistry::instance().unload(QStringLiteral("fvantesca"));
        open();
        auto *cobrador = ctl<DBCombo>("cobrador");
        QCOMPARE(cobrador->boundText(), QStringLiteral("003"));
        chooseDebtor(QStringLiteral("00001"));
        typeContact(QStringLiteral("Primeiro"));
        click("CONFIRMA");
        auto collectors = [this] {
            QStringList names;
            QSqlQuery q = kq::data::exec(db(), QStringLiteral("SELECT DS_COBRADOR FROM VANTESCA "
                                                              "ORDER BY CD_VANTESCA"));
            while (q.next())
                names << q.value(0).toString();
            return names;
        };
        QCOMPARE(collectors(), QStringList{QStringLiteral("Marta")});

        cobrador->setText(QStringLiteral("marta"));
        typeContact(QStringLiteral("Segundo"));
        click("CONFIRMA");
        QCOMPARE(m_fx->dialogs.lastText(),
                 QStringLiteral("Há mais de um cadastro com o nome \"marta\". Escolha na lista "
                                "o desejado."));
        QCOMPARE(contactCount(QStringLiteral("00001")), 1);
        QCOMPARE(ctl<QPlainTextEdit>("DS_hISTORICO")->toPlainText(), QStringLiteral("Segundo"));
        cobrador->setCurrentIndex(cobrador->findData(QStringLiteral("002")));
        click("CONFIRMA");
        QCOMPARE(collectors(), (QStringList{QStringLiteral("Marta"), QStringLiteral("MARTA")}));
    }

    // Nothing is saved without a debtor row, nor on a group row; neither
    // names a current debtor for the other screens.
    void noContactWithoutADebtorRow()
    {
        ScreenRegistry::instance().unload(QStringLiteral("fvantesca"));
        kq::data::exec(db(), QStringLiteral("DELETE FROM CLIENTES"));
        open();
        QCOMPARE(kq::collection::followUpDebtor(), QString());
        typeContact(QStringLiteral("x"));
        click("CONFIRMA");
        QCOMPARE(m_fx->dialogs.lastText(),
                 QStringLiteral("Escolha o inadimplente na lista antes de gravar!!"));
        QCOMPARE(kq::data::scalar(db(), QStringLiteral("SELECT COUNT(*) FROM VANTESCA")).toInt(),
                 0);
        ScreenRegistry::instance().unload(QStringLiteral("fvantesca"));
        kq::data::exec(db(), QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente, "
                                            "DS_cidade) VALUES ('00001', 'ANA', 'CAMPINAS')"));
        open();
        chooseDebtor(QStringLiteral("00001"));
        QCOMPARE(kq::collection::followUpDebtor(), QStringLiteral("00001"));
        GridEX *g = grid("GridEX2");
        g->groupBy(3); // by city
        int groupRow = -1;
        for (int r = 0; r < g->rowCount() && groupRow < 0; ++r)
            if (g->rowType(r) == kq::platform::RowType::GroupHeader)
                groupRow = r;
        g->setCurrentRow(groupRow);
        QVERIFY(g->isGroupRow());
        QCOMPARE(m_screen->debtorShown(), QStringLiteral("00001"));
        QCOMPARE(m_screen->currentDebtor(), QString());
        m_fx->dialogs.clear();
        typeContact(QStringLiteral("x"));
        click("CONFIRMA");
        QCOMPARE(m_fx->dialogs.messages.size(), 1);
        QCOMPARE(kq::data::scalar(db(), QStringLiteral("SELECT COUNT(*) FROM VANTESCA")).toInt(),
                 0);
        QCOMPARE(ctl<QPlainTextEdit>("DS_hISTORICO")->toPlainText(), QStringLiteral("x"));
    }

    // A contact that says nothing is refused: nothing saved, nothing counted,
    // the focus back in the history box.
    void emptyContactIsRefused_data()
    {
        QTest::addColumn<QString>("history");
        QTest::newRow("empty") << "";
        QTest::newRow("blanks and line breaks") << "  \n ";
    }
    void emptyContactIsRefused()
    {
        QFETCH(QString, history);
        chooseDebtor(QStringLiteral("00002"));
        typeContact(history);
        click("CONFIRMA");
        QCOMPARE(m_fx->dialogs.texts(),
                 QStringList{QStringLiteral("Digite o histórico do contato antes de gravar!!")});
        QCOMPARE(contactCount("00002"), 0);
        QCOMPARE(debtorField("00002", "nr_contatos").toInt(), 4);
        QCOMPARE(ctl<QLineEdit>("ENVOLVIDO")->text(), QStringLiteral("A esposa"));
        QCOMPARE(QApplication::focusWidget(), ctl<QPlainTextEdit>("DS_hISTORICO"));
    }

    // By the keys alone: Enter reaches the button without pressing it, Space
    // saves, and the focus goes back to where the next contact starts, so
    // further Enters and Spaces save nothing more.
    void oneContactByKeyboard()
    {
        chooseDebtor(QStringLiteral("00001"));
        auto *date = ctl<kq::platform::DTPicker>("dt_contato");
        auto *confirma = ctl<QPushButton>("CONFIRMA");
        ctl<QLineEdit>("ENVOLVIDO")->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("O tio"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // past the collector
        QCOMPARE(QApplication::focusWidget(), ctl<QPlainTextEdit>("DS_hISTORICO"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Vai depositar"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), confirma);
        QTest::keyClick(confirma, Qt::Key_Return);
        QCOMPARE(contactCount("00001"), 0);
        QVERIFY(QApplication::focusWidget() != confirma);
        confirma->setFocus();
        QTest::keyClick(confirma, Qt::Key_Space);
        QCOMPARE(contactCount("00001"), 1);
        QCOMPARE(QApplication::focusWidget(), date);
        for (Qt::Key k : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Return, Qt::Key_Return})
            QTest::keyClick(QApplication::focusWidget(), k);
        QCOMPARE(contactCount("00001"), 1);
        QCOMPARE(debtorField("00001", "nr_contatos").toInt(), 1);
        QCOMPARE(kq::data::scalar(db(), QStringLiteral("SELECT DS_HISTORICO || '|' || "
                                                       "DS_ENVOLVIDO FROM VANTESCA"))
                     .toString(),
                 QStringLiteral("Vai depositar|O tio"));
        QVERIFY(m_fx->dialogs.messages.isEmpty());
    }

    void deleteAsksOnceAndNeverTwice()
    {
        chooseDebtor(QStringLiteral("00001"));
        typeContact(QStringLiteral("Primeiro contato"));
        click("CONFIRMA");
        ctl<kq::platform::DTPicker>("dt_contato")->setValue(m_today.addDays(1));
        typeContact(QStringLiteral("Segundo contato"));
        click("CONFIRMA");
        // Choose the second contact in the history grid.
        GridEX *h = grid("GridEX1");
        h->setCurrentRow(h->findRow(3, QStringLiteral("002")));
        m_fx->dialogs.clear();
        m_fx->dialogs.answers.enqueue(Answer::No);
        click("Command5");
        const auto &q = m_fx->dialogs.messages.last();
        QCOMPARE(q.text,
                 QStringLiteral("Deseja Realmente excluir esse registro? :Segundo contato"));
        QCOMPARE(q.title, QStringLiteral("EXCLUSÃO"));
        QCOMPARE(contactCount("00001"), 2);
        m_fx->dialogs.answers.enqueue(Answer::Yes);
        click("Command5");
        QCOMPARE(contactCount("00001"), 1);
        QCOMPARE(h->recordCount(), 1);
        m_fx->dialogs.clear();
        click("Command5");
        QCOMPARE(m_fx->dialogs.messages.size(), 0);
        QCOMPARE(contactCount("00001"), 1);
        QCOMPARE(debtorField("00001", "nr_contatos").toInt(), 2);
        // Without a new choice, the earliest contact after a debtor change.
        chooseDebtor(QStringLiteral("00002"));
        chooseDebtor(QStringLiteral("00001"));
        m_fx->dialogs.answers.enqueue(Answer::Yes);
        click("Command5");
        QCOMPARE(m_fx->dialogs.lastText(),
                 QStringLiteral("Deseja Realmente excluir esse registro? :Primeiro contato"));
        QCOMPARE(contactCount("00001"), 0);
        m_fx->dialogs.clear();
        click("Command5");
        QCOMPARE(m_fx->dialogs.messages.size(), 0);
        // The next contact takes the next number, not a deleted one.
        typeContact(QStringLiteral("Terceiro"));
        click("CONFIRMA");
        QCOMPARE(kq::data::scalar(db(), QStringLiteral("SELECT CD_VANTESCA FROM VANTESCA "
                                                       "WHERE CD_CLIENTE='00001'"))
                     .toString(),
                 QStringLiteral("003"));
    }

    void simulationOnLeavingTheBoxes()
    {
        kq::data::exec(db(), QStringLiteral("UPDATE DEVOLVIDOS SET VL_CHEQUE=0 "
                                            "WHERE CD_CLIENTE='00001'"));
        kq::data::exec(db(), QStringLiteral("UPDATE DEVOLVIDOS SET VL_CHEQUE=1000 "
                                            "WHERE CD_DEVOLVIDO='0000000001'"));
        chooseDebtor(QStringLiteral("00001"));
        QCOMPARE(label("totaldivida"), kq::platform::formatFixed2(1000));
        auto *juros = ctl<QLineEdit>("juros");
        auto *parcelas = ctl<QLineEdit>("parcelas");
        juros->setText(QStringLiteral("1"));
        leave(juros, parcelas); // the count is still 0: nothing yet
        QCOMPARE(label("parcela"), QString());
        parcelas->setText(QStringLiteral("12"));
        leave(parcelas, juros);
        QCOMPARE(label("parcela"), kq::platform::formatCurrency(88.85));
        QCOMPARE(label("totalfinanciado"), kq::platform::formatCurrency(1066.20));
        // Rate 0 changes nothing; a debtor change resets the boxes only.
        juros->setText(QStringLiteral("0"));
        leave(juros, parcelas);
        QCOMPARE(label("parcela"), kq::platform::formatCurrency(88.85));
        chooseDebtor(QStringLiteral("00002"));
        QCOMPARE(juros->text(), QStringLiteral("0"));
        QCOMPARE(parcelas->text(), QStringLiteral("0"));
        QCOMPARE(label("totalfinanciado"), kq::platform::formatCurrency(1066.20));
        juros->setText(QStringLiteral("abc"));
        leave(juros, parcelas);
        QCOMPARE(label("parcela"), kq::platform::formatCurrency(88.85));
    }

    void enterMovesOnFromTheHistoryBox()
    {
        auto *history = ctl<QPlainTextEdit>("DS_hISTORICO");
        history->setFocus();
        QTest::keyClicks(history, QStringLiteral("ok"));
        QTest::keyClick(history, Qt::Key_Return);
        QCOMPARE(history->toPlainText(), QStringLiteral("ok"));
        QVERIFY(QApplication::focusWidget() != history);
        // The history holds 200 characters at most.
        history->setPlainText(QString(250, QLatin1Char('a')));
        QCOMPARE(history->toPlainText().size(), 200);
    }

    // A character that does not fit whole in the 200 is left out whole.
    void historyKeepsWholeCharacters()
    {
        chooseDebtor(QStringLiteral("00001"));
        const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
        typeContact(QString(199, QLatin1Char('a')) + smile);
        click("CONFIRMA");
        const QString stored = kq::data::scalar(db(), QStringLiteral("SELECT DS_HISTORICO "
                                                                     "FROM VANTESCA"))
                                   .toString();
        QCOMPARE(stored, QString(199, QLatin1Char('a')));
    }

    void buttonsOpenTheOtherScreensOnTheDebtor()
    {
        chooseDebtor(QStringLiteral("00002"));
        const struct
        {
            const char *button;
            const char *screen;
        } targets[]
            = {{"Command4", "facordo"}, {"Command3", "fagenda"}, {"Command1", "frelatorioscartas"}};
        for (const auto &t : targets) {
            const QString name = QString::fromLatin1(t.screen);
            click(t.button);
            if (ScreenRegistry::instance().isRegistered(name))
                QVERIFY2(ScreenRegistry::instance().find(name), t.screen);
            else
                QVERIFY(!ScreenRegistry::instance().find(name));
        }
        // Whatever they opened, the debtor row stays.
        QCOMPARE(grid("GridEX2")->value(2).toString(), QStringLiteral("00002"));
    }

    void escCloses()
    {
        QPointer<QWidget> screen = m_screen;
        ctl<QLineEdit>("ENVOLVIDO")->setFocus();
        QTest::keyClick(ctl<QLineEdit>("ENVOLVIDO"), Qt::Key_Escape);
        QTRY_VERIFY(!screen);
    }
};

QTEST_MAIN(tst_fvantesca)
#include "tst_fvantesca.moc"
