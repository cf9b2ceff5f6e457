// Cheque entry screen: driven through its controls as a user would.
#include "collection/flancheques.h"
#include "collection/screens.h"
#include "data/database.h"
#include "platform/dbcombo.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/maskedbox.h"
#include "platform/screenregistry.h"
#include "registers/screens.h"
#include "gridcolumns.h"
#include "support/base_screens.h"
#include "support/shell_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using kq::platform::Answer;
using kq::platform::DBCombo;
using kq::platform::GridEX;
using kq::platform::MaskEdBox;
using kq::platform::ScreenRegistry;

class tst_flancheques : public QObject
{
    Q_OBJECT

private:
    kq::test::ShellFixture *m_fx = nullptr;
    kq::collection::flancheques *m_screen = nullptr;

    template<class T>
    T *ctl(const char *name) const
    {
        return kq::test::ctl<T>(m_screen, name);
    }
    QLineEdit *box(const char *name) const { return ctl<QLineEdit>(name); }
    DBCombo *combo(const char *name) const { return ctl<DBCombo>(name); }
    GridEX *grid(const char *name) const { return ctl<GridEX>(name); }
    void click(const char *name) const { ctl<QAbstractButton>(name)->click(); }
    QString db() const { return m_fx->devolvidos(); }
    QVariant devolvido(const QString &key, const QString &field) const
    {
        return kq::data::scalar(
            db(), QStringLiteral("SELECT %1 FROM DEVOLVIDOS WHERE CD_DEVOLVIDO=?").arg(field),
            {key});
    }
    int chequeCount() const
    {
        return kq::data::scalar(db(), QStringLiteral("SELECT COUNT(*) FROM DEVOLVIDOS")).toInt();
    }
    void open()
    {
        m_screen = qobject_cast<kq::collection::flancheques *>(
            ScreenRegistry::instance().show(QStringLiteral("flancheques")));
        QVERIFY(m_screen);
        QVERIFY(QTest::qWaitForWindowActive(m_screen));
    }
    // Leaves a box the way Tab does, so its lost-focus work runs.
    void leave(QWidget *from, QWidget *to)
    {
        from->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        to->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        QApplication::processEvents();
    }
    void fillCheque(const QString &cheque, const QString &date, const QString &valor)
    {
        box("CD_BANCO")->setText(QStringLiteral("237"));
        box("CD_AGENCIA")->setText(QStringLiteral("1234"));
        box("CD_CONTA")->setText(QStringLiteral("1234567"));
        box("NR_CHEQUE")->setText(cheque);
        ctl<MaskEdBox>("dt_deposito")->setText(date);
        box("VL_CHEQUE")->setText(valor);
        box("CD_ALINEA")->setText(QStringLiteral("11"));
    }
    void chooseDebtor(const QString &name)
    {
        DBCombo *c = combo("nm_cliente");
        c->setCurrentIndex(c->findText(name));
    }
    // Picks in the list the row with that key, as a click on it does.
    void pick(const char *name, const QString &key)
    {
        DBCombo *c = combo(name);
        const int row = c->findData(key);
        QVERIFY2(row >= 0, qPrintable(key));
        c->setCurrentIndex(row);
    }
    // Types into a list's box, then leaves it.
    void typeInto(const char *name, const QString &text)
    {
        DBCombo *c = combo(name);
        c->setFocus(Qt::TabFocusReason);
        c->lineEdit()->selectAll();
        c->lineEdit()->insert(text);
        box("CD_BANCO")->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    void addCheque(const QString &key, const QString &debtor, double value)
    {
        kq::data::exec(db(),
                       QStringLiteral("INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, "
                                      "CD_SITUACAO, CD_DESTINO, CD_documento, DT_DEPOSITO, "
                                      "VL_CHEQUE) VALUES (?, ?, '001', '001', '001', '01', "
                                      "'2024-03-05', ?)"),
                       {key, debtor, value});
    }
    // Debtors whose names differ in nothing, in case only, in accents only,
    // each with a document of his own and one cheque.
    void addNamesakes()
    {
        kq::data::exec(
            db(),
            QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente, nr_documento) VALUES "
                           "('00003', 'MARIA SILVA', 'DOC-3'), ('00004', 'MARIA SILVA', 'DOC-4'), "
                           "('00005', 'Carla Dias', 'DOC-5'), ('00006', 'CARLA DIAS', 'DOC-6'), "
                           "('00007', 'JOSÉ COSTA', 'DOC-7'), ('00008', 'JOSE COSTA', 'DOC-8')"));
        for (int i = 3; i <= 8; ++i)
            addCheque(QStringLiteral("00000000%1").arg(i * 10), QStringLiteral("0000%1").arg(i),
                      i * 10.0);
        ScreenRegistry::instance().unload(QStringLiteral("flancheques"));
        open();
    }

private slots:
    void initTestCase()
    {
        kq::collection::registerScreens();
        kq::registers::registerScreens();
    }
    void init()
    {
        m_fx = new kq::test::ShellFixture;
        kq::data::exec(
            db(), QStringLiteral(
                      "INSERT INTO CLIENTES (CD_cliente, nm_cliente, nr_documento) VALUES "
                      "('00001', 'ANA PAULA', '111.111.111-11'), ('00002', 'BRUNO LIMA', NULL)"));
        kq::data::exec(
            db(),
            QStringLiteral("INSERT INTO lojas (CD_loja, DS_loja, cd_cor) VALUES "
                           "('001', 'LOJA AZUL', '16711680'), ('002', 'LOJA VERMELHA', '255')"));
        open();
    }
    void cleanup()
    {
        delete m_fx;
        m_fx = nullptr;
        m_screen = nullptr;
    }

    void loadsWithDefaults()
    {
        QCOMPARE(m_screen->windowTitle(), QStringLiteral("Lançamento de Cheques devolvidos"));
        QCOMPARE(combo("ds_documento")->boundText(), QStringLiteral("01"));
        QCOMPARE(combo("ds_loja")->boundText(), QStringLiteral("001"));
        QCOMPARE(combo("ds_destino")->boundText(), QStringLiteral("001"));
        QCOMPARE(combo("ds_situacao")->boundText(), QStringLiteral("001"));
        QCOMPARE(combo("nm_cliente")->boundText(), QString());
        QCOMPARE(ctl<MaskEdBox>("dt_deposito")->text(), QStringLiteral("__/__/____"));
        QVERIFY(grid("GridEX1")->groupByBoxVisible());
        QCOMPARE(grid("GridEX1")->groupByBoxCaption(),
                 QStringLiteral("Traga a Coluna a ser agrupada para essa área"));
        QVERIFY(!grid("GridEX1")->column(3).isVisible());
        QVERIFY(!grid("GridEX1")->column(16).isVisible());
    }

    // Three cheques of one debtor: what stays, what is cleared, the keys.
    void includeKeepsDebtorFields()
    {
        chooseDebtor(QStringLiteral("ANA PAULA"));
        QCOMPARE(box("NM_EMITENTE")->text(), QStringLiteral("ANA PAULA"));
        QCOMPARE(box("nr_documento")->text(), QStringLiteral("111.111.111-11"));
        fillCheque(QStringLiteral("000101"), QStringLiteral("05/03/2024"),
                   QStringLiteral("1.234,56"));
        click("CONFIRMA");
        QCOMPARE(m_fx->dialogs.messages.size(), 0);
        QCOMPARE(ctl<QLabel>("CD_DEVOLVIDO")->text(), QStringLiteral("0000000001"));
        QCOMPARE(devolvido("0000000001", "VL_CHEQUE").toDouble(), 1234.56);
        QCOMPARE(devolvido("0000000001", "DT_VANTESCA").toString(),
                 QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(QApplication::focusWidget(), box("CD_BANCO"));
        QCOMPARE(box("VL_CHEQUE")->text(), QString());
        QCOMPARE(box("NR_CHEQUE")->text(), QString());
        QCOMPARE(box("NM_EMITENTE")->text(), QString());
        QCOMPARE(box("CD_ALINEA")->text(), QString());
        QCOMPARE(ctl<MaskEdBox>("dt_deposito")->text(), QStringLiteral("__/__/____"));
        QCOMPARE(box("CD_BANCO")->text(), QStringLiteral("237"));
        // The next bank is typed over the kept one.
        QTest::keyClicks(box("CD_BANCO"), QStringLiteral("341"));
        QCOMPARE(box("CD_BANCO")->text(), QStringLiteral("341"));
        box("CD_BANCO")->setText(QStringLiteral("237"));
        QCOMPARE(box("CD_AGENCIA")->text(), QStringLiteral("1234"));
        QCOMPARE(box("CD_CONTA")->text(), QStringLiteral("1234567"));
        QCOMPARE(box("nr_documento")->text(), QStringLiteral("111.111.111-11"));
        QCOMPARE(combo("nm_cliente")->boundText(), QStringLiteral("00001"));

        fillCheque(QStringLiteral("000102"), QStringLiteral("06/03/2024"), QStringLiteral("0,50"));
        click("CONFIRMA");
        fillCheque(QStringLiteral("000103"), QStringLiteral("07/03/2024"), QStringLiteral("10"));
        click("CONFIRMA");
        QCOMPARE(ctl<QLabel>("CD_DEVOLVIDO")->text(), QStringLiteral("0000000003"));
        QCOMPARE(grid("GridEX1")->recordCount(), 3);
    }

    void refusalWritesNothing_data()
    {
        QTest::addColumn<QString>("debtor");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("message");
        QTest::newRow("no debtor") << ""
                                   << "05/03/2024"
                                   << "10,00"
                                   << "Não posso incluir sem inadimplente!!";
        QTest::newRow("no date") << "ANA PAULA"
                                 << ""
                                 << "10,00"
                                 << "Data de depósito inválida!!";
        QTest::newRow("bad date") << "ANA PAULA"
                                  << "30/02/2024"
                                  << "10,00"
                                  << "Data de depósito inválida!!";
        QTest::newRow("zero") << "ANA PAULA"
                              << "05/03/2024"
                              << "0"
                              << "Valor não pode estar Zerado";
        QTest::newRow("not a number") << "ANA PAULA"
                                      << "05/03/2024"
                                      << "dez"
                                      << "Valor inválido!!";
    }
    void refusalWritesNothing()
    {
        QFETCH(QString, debtor);
        QFETCH(QString, date);
        QFETCH(QString, valor);
        QFETCH(QString, message);
        if (!debtor.isEmpty())
            chooseDebtor(debtor);
        fillCheque(QStringLiteral("000101"), date, valor);
        click("CONFIRMA");
        QCOMPARE(m_fx->dialogs.lastText(), message);
        QCOMPARE(chequeCount(), 0);
        // The fields stay for correction.
        QCOMPARE(box("VL_CHEQUE")->text(), valor);
        QCOMPARE(box("NR_CHEQUE")->text(), QStringLiteral("000101"));
    }

    void refusedWithoutDestination()
    {
        chooseDebtor(QStringLiteral("ANA PAULA"));
        combo("ds_destino")->setText(QString());
        fillCheque(QStringLiteral("1"), QStringLiteral("05/03/2024"), QStringLiteral("0"));
        click("CONFIRMA");
        QCOMPARE(m_fx->dialogs.lastText(), QStringLiteral("Não posso incluir sem destino!!"));
        QCOMPARE(chequeCount(), 0);
    }

    // The debtor picked, and only he, gets the document, the history, the
    // new cheque and keeps the cheque altered.
    void debtorBoundByKey_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("otherCode");
        QTest::newRow("same name, first") << "00003"
                                          << "00004";
        QTest::newRow("same name, second") << "00004"
                                           << "00003";
        QTest::newRow("case only, first") << "00005"
                                          << "00006";
        QTest::newRow("case only, second") << "00006"
                                           << "00005";
        QTest::newRow("accent only, accented") << "00007"
                                               << "00008";
        QTest::newRow("accent only, plain") << "00008"
                                            << "00007";
    }
    void debtorBoundByKey()
    {
        QFETCH(QString, code);
        QFETCH(QString, otherCode);
        addNamesakes();
        const int n = code.right(1).toInt();
        pick("nm_cliente", code);
        QCOMPARE(combo("nm_cliente")->boundText(), code);
        QCOMPARE(box("nr_documento")->text(), QStringLiteral("DOC-%1").arg(n));
        GridEX *history = grid("GridEX3");
        QCOMPARE(history->recordCount(), 1);
        QCOMPARE(history->totalSum(2), n * 10.0);
        // Leaving the box does not trade the row for its namesake.
        leave(combo("nm_cliente"), box("CD_BANCO"));
        QCOMPARE(combo("nm_cliente")->boundText(), code);
        fillCheque(QStringLiteral("1"), QStringLiteral("05/03/2024"), QStringLiteral("10"));
        click("CONFIRMA");
        const QString added = ctl<QLabel>("CD_DEVOLVIDO")->text();
        QCOMPARE(devolvido(added, "CD_CLIENTE").toString(), code);

        // Alter a cheque of each of the two: each stays with its debtor.
        for (const QString &debtor : {code, otherCode}) {
            const QString key = QStringLiteral("00000000%1").arg(debtor.right(1).toInt() * 10);
            GridEX *g = grid("GridEX1");
            g->setCurrentRow(g->findRow(3, key));
            QCOMPARE(combo("nm_cliente")->boundText(), debtor);
            box("VL_CHEQUE")->setText(QStringLiteral("77"));
            click("alterar");
            QCOMPARE(devolvido(key, "CD_CLIENTE").toString(), debtor);
            QCOMPARE(devolvido(key, "VL_CHEQUE").toDouble(), 77.0);
        }
        QCOMPARE(m_fx->dialogs.messages.size(), 0);
    }

    // A typed name binds only when one debtor has it; otherwise the user is
    // asked to choose in the list and nothing is written.
    void typedDebtor_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("code");
        QTest::newRow("same name") << "MARIA SILVA"
                                   << "";
        QTest::newRow("same name, other case") << "maria silva"
                                               << "";
        QTest::newRow("case only") << "carla dias"
                                   << "";
        QTest::newRow("accent only, plain") << "jose costa"
                                            << "00008";
        QTest::newRow("accent only, accented") << "José Costa"
                                               << "00007";
        QTest::newRow("one debtor") << "ana paula"
                                    << "00001";
    }
    void typedDebtor()
    {
        QFETCH(QString, typed);
        QFETCH(QString, code);
        addNamesakes();
        const int before = chequeCount();
        typeInto("nm_cliente", typed);
        fillCheque(QStringLiteral("1"), QStringLiteral("05/03/2024"), QStringLiteral("10"));
        click("CONFIRMA");
        if (code.isEmpty()) {
            QCOMPARE(m_fx->dialogs.lastText(),
                     QStringLiteral("Há mais de um cadastro com o nome \"%1\". Escolha na lista "
                                    "o desejado.")
                         .arg(typed));
            QCOMPARE(chequeCount(), before);
            QCOMPARE(box("VL_CHEQUE")->text(), QStringLiteral("10"));
            QCOMPARE(QApplication::focusWidget(), combo("nm_cliente"));
            // Choosing in the list then lets the cheque in.
            pick("nm_cliente", QStringLiteral("00004"));
            fillCheque(QStringLiteral("1"), QStringLiteral("05/03/2024"), QStringLiteral("10"));
            click("CONFIRMA");
            code = QStringLiteral("00004");
        } else {
            QCOMPARE(m_fx->dialogs.messages.size(), 0);
        }
        QCOMPARE(chequeCount(), before + 1);
        QCOMPARE(devolvido(ctl<QLabel>("CD_DEVOLVIDO")->text(), "CD_CLIENTE").toString(), code);
    }

    // Stores, destinations, situations and document types that share a
    // description: the row picked is the one written, on include and alter.
    void everyListBoundByKey_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("twin");
        QTest::addColumn<QString>("insert");
        QTest::addColumn<QString>("typed");
        QTest::newRow("store") << "ds_loja"
                               << "CD_LOJA"
                               << "003"
                               << "INSERT INTO lojas (CD_loja, DS_loja, cd_cor) VALUES "
                                  "('003', 'loja azul', '0')"
                               << "Loja Azul";
        QTest::newRow("destination") << "ds_destino"
                                     << "CD_DESTINO"
                                     << "002"
                                     << "INSERT INTO destinos VALUES ('002', 'ESCRITÓRIO')"
                                     << "escritório";
        QTest::newRow("situation") << "ds_situacao"
                                   << "CD_SITUACAO"
                                   << "008"
                                   << "INSERT INTO situacoes VALUES ('008', 'EM COBRANÇA', '0')"
                                   << "em cobrança";
        QTest::newRow("document type") << "ds_documento"
                                       << "CD_documento"
                                       << "02"
                                       << "INSERT INTO documentos VALUES ('02', 'Cheque')"
                                       << "CHEQUE";
    }
    void everyListBoundByKey()
    {
        QFETCH(QString, list);
        QFETCH(QString, field);
        QFETCH(QString, twin);
        QFETCH(QString, insert);
        QFETCH(QString, typed);
        kq::data::exec(db(), insert);
        ScreenRegistry::instance().unload(QStringLiteral("flancheques"));
        open();
        const QByteArray name = list.toLatin1();
        chooseDebtor(QStringLiteral("ANA PAULA"));
        pick(name.constData(), twin);
        leave(combo(name.constData()), box("CD_BANCO"));
        QCOMPARE(combo(name.constData())->boundText(), twin);
        fillCheque(QStringLiteral("1"), QStringLiteral("05/03/2024"), QStringLiteral("10"));
        click("CONFIRMA");
        QCOMPARE(m_fx->dialogs.messages.size(), 0);
        QCOMPARE(devolvido(QStringLiteral("0000000001"), field).toString(), twin);
        GridEX *g = grid("GridEX1");
        g->setCurrentRow(g->findRow(3, QStringLiteral("0000000001")));
        QCOMPARE(combo(name.constData())->boundText(), twin);
        click("alterar");
        QCOMPARE(devolvido(QStringLiteral("0000000001"), field).toString(), twin);
        // Typed, the shared description asks for a choice.
        typeInto(name.constData(), typed);
        fillCheque(QStringLiteral("2"), QStringLiteral("05/03/2024"), QStringLiteral("10"));
        click("CONFIRMA");
        QVERIFY(m_fx->dialogs.lastText().startsWith(QStringLiteral("Há mais de um cadastro")));
        QCOMPARE(chequeCount(), 1);
    }

    // A character that does not fit whole in a box is left out whole.
    void boxesKeepWholeCharacters()
    {
        const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
        chooseDebtor(QStringLiteral("ANA PAULA"));
        fillCheque(QStringLiteral("00010") + smile, QStringLiteral("05/03/2024"),
                   QStringLiteral("10"));
        box("NM_EMITENTE")->setText(QString(29, QLatin1Char('E')) + smile);
        click("CONFIRMA");
        QCOMPARE(devolvido("0000000001", "NM_EMITENTE").toString(), QString(29, QLatin1Char('E')));
        QCOMPARE(devolvido("0000000001", "NR_CHEQUE").toString(), QStringLiteral("00010") + smile);
    }

    // Choosing a row shows the cheque; alter rewrites it and clears the boxes.
    void chooseAndAlter()
    {
        chooseDebtor(QStringLiteral("ANA PAULA"));
        fillCheque(QStringLiteral("000101"), QStringLiteral("05/03/2024"),
                   QStringLiteral("100,25"));
        box("NM_EMITENTE")->setText(QStringLiteral("EMITENTE UM"));
        click("CONFIRMA");
        chooseDebtor(QStringLiteral("BRUNO LIMA"));
        fillCheque(QStringLiteral("000201"), QStringLiteral("01/02/2024"), QStringLiteral("50"));
        click("CONFIRMA");
        kq::data::exec(db(), QStringLiteral("UPDATE DEVOLVIDOS SET DT_VANTESCA='2020-01-01', "
                                            "cd_acordo='00001'"));
        GridEX *g = grid("GridEX1");
        g->setCurrentRow(g->findRow(3, QStringLiteral("0000000001")));
        QCOMPARE(ctl<QLabel>("CD_DEVOLVIDO")->text(), QStringLiteral("0000000001"));
        QCOMPARE(combo("nm_cliente")->boundText(), QStringLiteral("00001"));
        QCOMPARE(box("VL_CHEQUE")->text(), QStringLiteral("100,25"));
        QCOMPARE(ctl<MaskEdBox>("dt_deposito")->text(), QStringLiteral("05/03/2024"));
        QCOMPARE(box("NR_CHEQUE")->text(), QStringLiteral("000101"));
        // The shown cheque's own issuer, not the debtor's look-up.
        QCOMPARE(box("NM_EMITENTE")->text(), QStringLiteral("EMITENTE UM"));
        QCOMPARE(box("nr_documento")->text(), QStringLiteral("111.111.111-11"));
        box("VL_CHEQUE")->setText(QStringLiteral("200,00"));
        click("alterar");
        QCOMPARE(devolvido("0000000001", "VL_CHEQUE").toDouble(), 200.0);
        QCOMPARE(devolvido("0000000001", "DT_VANTESCA").toString(),
                 QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(devolvido("0000000001", "cd_acordo").toString(), QStringLiteral("00001"));
        QCOMPARE(box("VL_CHEQUE")->text(), QString());
        QCOMPARE(devolvido("0000000002", "VL_CHEQUE").toDouble(), 50.0);
        // Alter after the boxes were cleared refuses instead of wiping the row.
        click("alterar");
        QCOMPARE(m_fx->dialogs.lastText(), QStringLiteral("Valor não pode estar Zerado"));
        QCOMPARE(devolvido("0000000001", "VL_CHEQUE").toDouble(), 200.0);
        QCOMPARE(devolvido("0000000001", "NR_CHEQUE").toString(), QStringLiteral("000101"));
    }

    // A date shown from the grid keeps the box's mask; entering the box by Tab
    // or by a click and typing a date replaces the one shown.
    void dateFromTheGridIsRetyped_data()
    {
        QTest::addColumn<bool>("byMouse");
        QTest::newRow("tab") << false;
        QTest::newRow("click") << true;
    }
    void dateFromTheGridIsRetyped()
    {
        QFETCH(bool, byMouse);
        chooseDebtor(QStringLiteral("ANA PAULA"));
        fillCheque(QStringLiteral("000101"), QStringLiteral("01/09/2026"), QStringLiteral("10"));
        click("CONFIRMA");
        GridEX *g = grid("GridEX1");
        g->setCurrentRow(g->findRow(3, QStringLiteral("0000000001")));
        auto *date = ctl<MaskEdBox>("dt_deposito");
        QCOMPARE(date->text(), QStringLiteral("01/09/2026"));
        QCOMPARE(date->mask(), QStringLiteral("##/##/####"));
        box("VL_CHEQUE")->setFocus();
        if (byMouse)
            QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(date->width() - 6, 6));
        else
            date->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(date, QStringLiteral("15082026"));
        QCOMPARE(date->text(), QStringLiteral("15/08/2026"));
        click("alterar");
        QCOMPARE(devolvido("0000000001", "DT_DEPOSITO").toString(), QStringLiteral("2026-08-15"));
    }

    void deleteAsksAndActsOnTheGridRow()
    {
        chooseDebtor(QStringLiteral("ANA PAULA"));
        fillCheque(QStringLiteral("000101"), QStringLiteral("05/03/2024"), QStringLiteral("10"));
        click("CONFIRMA");
        fillCheque(QStringLiteral("000102"), QStringLiteral("05/03/2024"), QStringLiteral("20"));
        click("CONFIRMA");
        GridEX *g = grid("GridEX1");
        g->setCurrentRow(g->findRow(3, QStringLiteral("0000000002")));
        m_fx->dialogs.answers.enqueue(Answer::No);
        click("EXCLUIR");
        const auto &q = m_fx->dialogs.messages.last();
        QCOMPARE(q.text, QStringLiteral("Deseja Realmente excluir esse registro? :"));
        QCOMPARE(q.title, QStringLiteral("EXCLUSÃO"));
        QCOMPARE(q.buttons, kq::platform::Buttons::YesNo);
        QCOMPARE(q.icon, kq::platform::Icon::Question);
        QCOMPARE(chequeCount(), 2);
        QCOMPARE(box("VL_CHEQUE")->text(), QString()); // cleared all the same
        g->setCurrentRow(g->findRow(3, QStringLiteral("0000000002")));
        m_fx->dialogs.answers.enqueue(Answer::Yes);
        click("EXCLUIR");
        QCOMPARE(chequeCount(), 1);
        QVERIFY(!devolvido("0000000002", "CD_DEVOLVIDO").isValid());
    }

    // Grouped by store: captions with totals, rows in their store's colour.
    void groupedRowsWithTotalsAndColours()
    {
        chooseDebtor(QStringLiteral("ANA PAULA"));
        fillCheque(QStringLiteral("1"), QStringLiteral("05/03/2024"), QStringLiteral("10,50"));
        click("CONFIRMA");
        fillCheque(QStringLiteral("2"), QStringLiteral("05/03/2024"), QStringLiteral("20"));
        click("CONFIRMA");
        combo("ds_loja")->setBoundText(QStringLiteral("002"));
        fillCheque(QStringLiteral("3"), QStringLiteral("05/03/2024"), QStringLiteral("5"));
        click("CONFIRMA");
        GridEX *g = grid("GridEX1");
        QCOMPARE(g->formatStyle(QStringLiteral("001")).foreColor, QColor(0, 0, 255));
        QCOMPARE(g->formatStyle(QStringLiteral("002")).foreColor, QColor(255, 0, 0));
        for (int r = 0; r < g->rowCount(); ++r)
            QCOMPARE(g->rowStyleName(r), g->valueAt(r, 16).toString());

        ctl<QCheckBox>("agrupar")->click();
        QVERIFY(g->isGrouped());
        QStringList captions;
        for (int r = 0; r < g->rowCount(); ++r) {
            if (g->rowType(r) == kq::platform::RowType::GroupHeader)
                captions << g->groupCaption(r);
            else if (g->rowType(r) == kq::platform::RowType::Record)
                QCOMPARE(g->rowStyleName(r), g->valueAt(r, 16).toString());
        }
        QCOMPARE(captions.size(), 2);
        const QString azul = QStringLiteral("  (Total= ") + kq::platform::formatCurrency(30.5)
                             + QStringLiteral(")");
        QVERIFY2(captions.at(0).contains(QStringLiteral("LOJA AZUL"))
                     && captions.at(0).endsWith(azul),
                 qPrintable(captions.join('|')));
        QVERIFY(captions.at(1).endsWith(QStringLiteral("  (Total= ")
                                        + kq::platform::formatCurrency(5) + QStringLiteral(")")));
        // A group row chosen shows nothing and deletes nothing.
        const QString shown = ctl<QLabel>("CD_DEVOLVIDO")->text();
        g->setCurrentRow(0);
        QVERIFY(g->isGroupRow());
        QCOMPARE(ctl<QLabel>("CD_DEVOLVIDO")->text(), shown);
        m_fx->dialogs.answers.enqueue(Answer::Yes);
        click("EXCLUIR");
        QCOMPARE(chequeCount(), 3);

        QVERIFY(kq::test::shot(m_screen, QStringLiteral("flancheques")));
        ctl<QCheckBox>("agrupar")->click();
        QVERIFY(!g->isGrouped());
    }

    // The reader's line fills the bank boxes and recalls the issuer.
    void readerLine()
    {
        const QString line = QStringLiteral("<23712345<0180001235>700012345678:");
        chooseDebtor(QStringLiteral("ANA PAULA"));
        box("ds_leitora")->setText(line);
        leave(box("ds_leitora"), box("CD_BANCO"));
        QCOMPARE(box("CD_BANCO")->text(), QStringLiteral("237"));
        QCOMPARE(box("CD_AGENCIA")->text(), QStringLiteral("1234"));
        QCOMPARE(box("NR_CHEQUE")->text(), QStringLiteral("000123"));
        QCOMPARE(box("CD_CONTA")->text(), QStringLiteral("1234567"));
        QCOMPARE(box("ds_leitora")->text(), QString());
        QCOMPARE(QApplication::focusWidget(), ctl<QWidget>("dt_deposito"));
        // First cheque of the account: the debtor's name and document stay.
        QCOMPARE(box("NM_EMITENTE")->text(), QStringLiteral("ANA PAULA"));
        box("NM_EMITENTE")->setText(QStringLiteral("EMPRESA X LTDA"));
        box("nr_documento")->setText(QStringLiteral("12.345.678/0001-99"));
        ctl<MaskEdBox>("dt_deposito")->setText(QStringLiteral("05/03/2024"));
        box("VL_CHEQUE")->setText(QStringLiteral("10"));
        click("CONFIRMA");
        QCOMPARE(devolvido("0000000001", "CD_chave").toString(), QStringLiteral("23712341234567"));
        // Second cheque of the same account, after another debtor was chosen.
        chooseDebtor(QStringLiteral("BRUNO LIMA"));
        QCOMPARE(box("nr_documento")->text(), QString());
        box("ds_leitora")->setText(line);
        leave(box("ds_leitora"), box("CD_BANCO"));
        QCOMPARE(box("NM_EMITENTE")->text(), QStringLiteral("EMPRESA X LTDA"));
        QCOMPARE(box("nr_documento")->text(), QStringLiteral("12.345.678/0001-99"));
        // A short line: no account.
        box("ds_leitora")->setText(line.left(20));
        leave(box("ds_leitora"), box("CD_BANCO"));
        QCOMPARE(box("NR_CHEQUE")->text(), QStringLiteral("000123"));
        QCOMPARE(box("CD_CONTA")->text(), QString());
        QCOMPARE(QApplication::focusWidget(), ctl<QWidget>("dt_deposito"));
    }

    // The small "Cheques" grid shows its dates and its sums whole.
    void chequeHistoryShowsMoneyWhole()
    {
        addCheque(QStringLiteral("0000000001"), QStringLiteral("00001"), 1234567.89);
        addCheque(QStringLiteral("0000000002"), QStringLiteral("00001"), 0.5);
        chooseDebtor(QStringLiteral("ANA PAULA"));
        GridEX *history = grid("GridEX3");
        QCOMPARE(history->recordCount(), 2);
        for (int column : {1, 2})
            QVERIFY2(kq::test::cutInColumn(history, column).isEmpty(),
                     qPrintable(kq::test::cutInColumn(history, column)));
        QVERIFY(kq::test::shot(m_screen, QStringLiteral("flancheques-widths")));
    }

    // Leaving the reader's box with nothing in it reads nothing: the bank
    // the user then types goes into the box he clicked.
    void emptyReaderLineIsNoReading_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks") << QStringLiteral("   ");
    }
    void emptyReaderLineIsNoReading()
    {
        QFETCH(QString, typed);
        box("CD_AGENCIA")->setText(QStringLiteral("1234"));
        box("CD_CONTA")->setText(QStringLiteral("1234567"));
        box("NR_CHEQUE")->setText(QStringLiteral("000123"));
        combo("ds_loja")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(combo("ds_loja"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), box("ds_leitora"));
        QTest::keyClicks(box("ds_leitora"), typed);
        QTest::mouseClick(box("CD_BANCO"), Qt::LeftButton);
        QApplication::processEvents();
        QApplication::processEvents();
        QCOMPARE(QApplication::focusWidget(), box("CD_BANCO"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("341"));
        QCOMPARE(box("CD_BANCO")->text(), QStringLiteral("341"));
        QCOMPARE(box("CD_AGENCIA")->text(), QStringLiteral("1234"));
        QCOMPARE(box("CD_CONTA")->text(), QStringLiteral("1234567"));
        QCOMPARE(box("NR_CHEQUE")->text(), QStringLiteral("000123"));
        QCOMPARE(ctl<MaskEdBox>("dt_deposito")->text(), QStringLiteral("__/__/____"));
        QCOMPARE(box("ds_leitora")->text(), typed);
    }

    void searchByDocument()
    {
        chooseDebtor(QStringLiteral("ANA PAULA"));
        fillCheque(QStringLiteral("1"), QStringLiteral("05/03/2024"), QStringLiteral("10"));
        click("CONFIRMA");
        fillCheque(QStringLiteral("2"), QStringLiteral("01/03/2024"), QStringLiteral("20"));
        click("CONFIRMA");
        chooseDebtor(QStringLiteral("BRUNO LIMA"));
        click("Command2");
        m_fx->dialogs.clear();
        m_fx->dialogs.inputs.enqueue(QStringLiteral("999"));
        click("Command5");
        QCOMPARE(m_fx->dialogs.messages.at(0).text,
                 QStringLiteral("DIGITE O NÚMERO DO DOCUMENTO: "));
        QCOMPARE(m_fx->dialogs.messages.at(0).title, QStringLiteral("LOCALIZAR DOCUMENTO.."));
        QCOMPARE(m_fx->dialogs.lastText(), QStringLiteral("Documento nao Cadastrado"));
        // Cancel searches with an empty document; an apostrophe is just text.
        m_fx->dialogs.inputs.enqueue(std::nullopt);
        click("Command5");
        QCOMPARE(m_fx->dialogs.lastText(), QStringLiteral("Documento nao Cadastrado"));
        m_fx->dialogs.inputs.enqueue(QStringLiteral("' OR ''='"));
        click("Command5");
        QCOMPARE(m_fx->dialogs.lastText(), QStringLiteral("Documento nao Cadastrado"));

        m_fx->dialogs.clear();
        m_fx->dialogs.inputs.enqueue(QStringLiteral("111.111.111-11"));
        click("Command5");
        QCOMPARE(m_fx->dialogs.messages.size(), 1);
        QCOMPARE(ctl<QLabel>("CD_DEVOLVIDO")->text(), QStringLiteral("0000000001"));
        QCOMPARE(combo("nm_cliente")->boundText(), QStringLiteral("00001"));
        QCOMPARE(box("VL_CHEQUE")->text(), QStringLiteral("10"));
        GridEX *h = grid("GridEX3");
        QCOMPARE(h->recordCount(), 2);
        int groups = 0;
        for (int r = 0; r < h->rowCount(); ++r)
            groups += h->rowType(r) == kq::platform::RowType::GroupHeader;
        QCOMPARE(groups, 1);
    }

    // The debtor and store registers open modally; their lists are read again.
    void registersOpenModally()
    {
        QStringList modal;
        QTimer::singleShot(0, [&] {
            QWidget *w = ScreenRegistry::instance().find(QStringLiteral("ffornecedores"));
            if (w) {
                modal << w->objectName();
                if (w->windowModality() == Qt::NonModal)
                    modal << QStringLiteral("not modal");
                kq::data::exec(db(), QStringLiteral("INSERT INTO CLIENTES (CD_cliente, "
                                                    "nm_cliente) VALUES ('00003', 'CARLA')"));
                w->close();
            }
        });
        click("Command4");
        QCOMPARE(modal, QStringList{QStringLiteral("ffornecedores")});
        QVERIFY(combo("nm_cliente")->findText(QStringLiteral("CARLA")) >= 0);

        QTimer::singleShot(0, [&] {
            QWidget *w = ScreenRegistry::instance().find(QStringLiteral("flojas"));
            if (w) {
                modal << w->objectName();
                kq::data::exec(db(), QStringLiteral("INSERT INTO lojas (CD_loja, DS_loja, "
                                                    "cd_cor) VALUES ('003', 'LOJA NOVA', '0')"));
                w->close();
            }
        });
        click("Command3");
        QCOMPARE(modal.size(), 2);
        QVERIFY(combo("ds_loja")->findText(QStringLiteral("LOJA NOVA")) >= 0);
        QCOMPARE(combo("ds_loja")->boundText(), QStringLiteral("001"));
        // A store added after the load has no style until the screen is reopened.
        QVERIFY(!grid("GridEX1")->hasFormatStyle(QStringLiteral("003")));
    }

    // The ">>" buttons by a function key named in their tooltip; they stay
    // out of the tab order of the fields.
    void registersByFunctionKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("tip");
        QTest::newRow("debtor") << int(Qt::Key_F2) << "Command4"
                                << "ffornecedores"
                                << "Cadastrar novo inadimplente (F2)";
        QTest::newRow("store") << int(Qt::Key_F3) << "Command3"
                               << "flojas"
                               << "Cadastrar nova loja (F3)";
    }
    void registersByFunctionKey()
    {
        QFETCH(int, key);
        QFETCH(QString, button);
        QFETCH(QString, screen);
        QFETCH(QString, tip);
        QCOMPARE(ctl<QPushButton>(qPrintable(button))->toolTip(), tip);
        QStringList modal;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            QWidget *w = ScreenRegistry::instance().find(screen);
            if (w && w->isVisible() && w->windowModality() != Qt::NonModal) {
                modal << w->objectName();
                w->close();
            }
        });
        poll.start(10);
        box("CD_BANCO")->setFocus();
        QTest::keyClick(box("CD_BANCO"), Qt::Key(key));
        QTRY_COMPARE(modal, QStringList{screen});
        poll.stop();

        m_screen->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_screen));
        combo("nm_cliente")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(combo("nm_cliente"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), combo("ds_loja"));
        QTest::keyClick(combo("ds_loja"), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), box("ds_leitora"));
    }

    void escCloses()
    {
        QPointer<QWidget> screen = m_screen;
        box("CD_BANCO")->setFocus();
        QTest::keyClick(box("CD_BANCO"), Qt::Key_Escape);
        QTRY_VERIFY(!screen);
        QVERIFY(!ScreenRegistry::instance().find(QStringLiteral("flancheques")));
    }
};

QTEST_MAIN(tst_flancheques)
#include "tst_flancheques.moc"
