#include "data/database.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "registers/ffornecedores.h"
#include "registers/screens.h"
#include "support/shell_fixture.h"
#include "support/shell_registers_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using kq::platform::ScreenRegistry;
using kq::registers::ffornecedores;

namespace {

struct Debtors
{
    Debtors()
    {
        static bool registered = false;
        if (!registered) {
            kq::registers::registerScreens();
            registered = true;
        }
    }
    ffornecedores *open()
    {
        auto *w = qobject_cast<ffornecedores *>(ScreenRegistry::instance().show("ffornecedores"));
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("window not active");
        return w;
    }
    QString db() const { return shell.devolvidos(); }
    void add(const QString &code, const QString &name, const QString &doc = QString())
    {
        kq::test::reg::insertRow(db(), "CLIENTES", {"CD_cliente", "nm_cliente", "nr_documento"},
                                 {code, name, doc});
    }
    QVariant field(const QString &code, const QString &f) const
    {
        return kq::test::reg::fieldOf(db(), "CLIENTES", "CD_cliente", code, f);
    }
    QString log() const { return kq::test::reg::activityLogToday("001"); }

    kq::test::ShellFixture shell;
};

} // namespace

class tst_ffornecedores : public QObject
{
    Q_OBJECT
private slots:
    void loadLogsAndListsByName()
    {
        Debtors d;
        d.add("00001", "ZÉLIA");
        d.add("00002", "ÁLVARO");
        ffornecedores *w = d.open();
        QCOMPARE(w->windowTitle(), QString(" Cadastro de Clientes Negativados"));
        QVERIFY(d.log().contains("-SUPERVISOR-ENTROU NO CADASTRO DE CLIENTES-**"));
        QCOMPARE(w->ds_estado->count(), 26);
        QCOMPARE(w->ds_estado->itemText(0), QString("AC"));
        QCOMPARE(w->ds_estado->itemText(25), QString("TO"));
        QVERIFY(w->ds_estado->currentText().isEmpty());
        // Ordered by name, accents as Portuguese orders them.
        QCOMPARE(w->GridEX1->textAt(0, 2), QString("ÁLVARO"));
        // "Contatos" is shown third.
        QCOMPARE(w->GridEX1->columnAtPosition(3).caption(), QString("Contatos"));
        QCOMPARE(w->GridEX1->column(3).position(), 4);
        QCOMPARE(w->focusWidget(), w->nm_cliente);
    }

    void includeWritesTheBoxesAndLogs()
    {
        Debtors d;
        ffornecedores *w = d.open();
        w->cd_cliente->setText("12345");
        w->nm_cliente->setText("JOÃO D'ÁVILA");
        w->ds_endereco->setText("RUA A");
        w->ds_bairro->setText("CENTRO");
        w->ds_cidade->setText("RECIFE");
        w->ds_estado->setEditText("XX");
        w->nr_telefone->setText("81 5555-0000");
        w->cd_cep->setText("50000-000");
        w->nr_documento->setText("123.456.789-00");
        w->ds_obs->setText("LIGAR À TARDE");
        w->CONFIRMA->click();

        QCOMPARE(kq::test::reg::keysOf(d.db(), "CLIENTES", "CD_cliente"), QStringList{"00001"});
        QCOMPARE(d.field("00001", "nm_cliente").toString(), QString("JOÃO D'ÁVILA"));
        QCOMPARE(d.field("00001", "DS_endereco").toString(), QString("RUA A"));
        QCOMPARE(d.field("00001", "DS_bairro").toString(), QString("CENTRO"));
        QCOMPARE(d.field("00001", "DS_cidade").toString(), QString("RECIFE"));
        QCOMPARE(d.field("00001", "ds_estado").toString(), QString("XX"));
        QCOMPARE(d.field("00001", "nr_telefones").toString(), QString("81 5555-0000"));
        QCOMPARE(d.field("00001", "cd_cep").toString(), QString("50000-000"));
        QCOMPARE(d.field("00001", "nr_documento").toString(), QString("123.456.789-00"));
        QCOMPARE(d.field("00001", "ds_obs").toString(), QString("LIGAR À TARDE"));
        QCOMPARE(d.field("00001", "nr_contatos").toInt(), 0);
        QVERIFY(d.log().contains("-INCLUI cliente-JOÃO D'ÁVILA"));

        // CEP and observation stay for the next debtor.
        QVERIFY(w->nm_cliente->text().isEmpty());
        QVERIFY(w->nr_documento->text().isEmpty());
        QCOMPARE(w->cd_cep->text(), QString("50000-000"));
        QCOMPARE(w->ds_obs->text(), QString("LIGAR À TARDE"));
        w->CONFIRMA->click();
        QCOMPARE(d.field("00002", "cd_cep").toString(), QString("50000-000"));
        QCOMPARE(d.field("00002", "nm_cliente").toString(), QString(""));
    }

    void alterLogsOnlyWhenFound()
    {
        Debtors d;
        d.add("00001", "ANA");
        d.add("00002", "BIA");
        ffornecedores *w = d.open();
        QVERIFY(kq::test::reg::chooseRow(w->GridEX1, 1, "00001"));
        QCOMPARE(w->nm_cliente->text(), QString("ANA"));
        w->cd_cliente->setText("00002");
        w->nm_cliente->setText("BEATRIZ");
        w->alterar->click();
        QCOMPARE(d.field("00002", "nm_cliente").toString(), QString("BEATRIZ"));
        QCOMPARE(d.field("00001", "nm_cliente").toString(), QString("ANA"));
        QVERIFY(d.log().contains("-ALTERA cliente-BEATRIZ"));

        w->nm_cliente->setText("NINGUÉM");
        w->alterar->click();
        QVERIFY(!d.log().contains("NINGUÉM"));
        QVERIFY(d.shell.dialogs.messages.isEmpty());
    }

    void keyAfterTheLastAndAtTheWidthLimit_data()
    {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("highest deleted is given again")
            << QStringList{"00001", "00003"} << QStringList{"00001", "00003", "00004"};
        QTest::newRow("five nines") << QStringList{"99999"} << QStringList{"100000", "99999"};
        QTest::newRow("past the limit adds nothing")
            << QStringList{"100000", "99999"} << QStringList{"100000", "99999"};
    }
    void keyAfterTheLastAndAtTheWidthLimit()
    {
        QFETCH(QStringList, codes);
        QFETCH(QStringList, after);
        Debtors d;
        for (const QString &c : codes)
            d.add(c, "D" + c);
        ffornecedores *w = d.open();
        w->nm_cliente->setText("NOVO");
        w->CONFIRMA->click();
        QCOMPARE(kq::test::reg::keysOf(d.db(), "CLIENTES", "CD_cliente"), after);
        QVERIFY(d.shell.dialogs.messages.isEmpty());
    }

    void rowChangeShowsTheRecordAndItsHistory()
    {
        Debtors d;
        d.add("00001", "ANA");
        d.add("00002", "BIA");
        const QString db = d.db();
        auto contact
            = [&](const QString &client, const QString &n, const QDate &day, const QString &text) {
                  kq::test::reg::insertRow(db, "VANTESCA",
                                           {"CD_CLIENTE", "CD_VANTESCA", "DT_VANTESCA",
                                            "DS_HISTORICO", "DS_COBRADOR", "DS_ENVOLVIDO"},
                                           {client, n, day, text, "SUPERVISOR", "ELA"});
              };
        contact("00002", "002", QDate(2024, 5, 2), "SEGUNDO");
        contact("00002", "001", QDate(2024, 3, 1), "PRIMEIRO");
        contact("00001", "001", QDate(2024, 1, 1), "DE OUTRA");
        ffornecedores *w = d.open();
        QCOMPARE(w->GridEX2->recordCount(), 0);
        QVERIFY(kq::test::reg::chooseRow(w->GridEX1, 1, "00002"));
        QCOMPARE(w->cd_cliente->text(), QString("00002"));
        QCOMPARE(w->nm_cliente->text(), QString("BIA"));
        QCOMPARE(w->ds_endereco->text(), QString(""));
        QCOMPARE(w->GridEX2->recordCount(), 2);
        QCOMPARE(w->GridEX2->valueAt(0, 2).toString(), QString("PRIMEIRO"));
        QCOMPARE(w->GridEX2->textAt(0, 1), QString("01/03/2024"));
        QVERIFY(!w->GridEX2->column(2).isVisible());
        QCOMPARE(w->GridEX2->previewColumn(), 2);
    }

    void documentWarning()
    {
        Debtors d;
        d.add("00001", "ANA", "111");
        d.add("00002", "BIA", "");
        ffornecedores *w = d.open();

        w->nr_documento->setText("111");
        w->nr_documento_LostFocus();
        QCOMPARE(d.shell.dialogs.texts(), QStringList{"Documento ja Cadastrado na pessoa de:ANA"});
        QCOMPARE(d.shell.dialogs.messages.first().icon, kq::platform::Icon::None);

        // The warning blocks nothing.
        w->nm_cliente->setText("CARLA");
        w->CONFIRMA->click();
        QCOMPARE(d.field("00003", "nr_documento").toString(), QString("111"));

        // An empty box names the first debtor without a document.
        d.shell.dialogs.clear();
        w->nr_documento->clear();
        w->nr_documento_LostFocus();
        QCOMPARE(d.shell.dialogs.lastText(), QString("Documento ja Cadastrado na pessoa de:BIA"));

        // A quote finds exactly what it names.
        d.shell.dialogs.clear();
        w->nr_documento->setText("1' OR ''='");
        w->nr_documento_LostFocus();
        QVERIFY(d.shell.dialogs.messages.isEmpty());

        // Leaving the box by Tab runs the warning.
        w->nr_documento->setText("111");
        w->nr_documento->setFocus();
        QTest::keyClick(w->nr_documento, Qt::Key_Tab);
        QTRY_COMPARE(d.shell.dialogs.messages.size(), 1);
    }

    void keysOfTheScreen()
    {
        Debtors d;
        ffornecedores *w = d.open();
        w->nm_cliente->setFocus();
        QTest::keyClick(w->nm_cliente, Qt::Key_Return);
        QCOMPARE(w->focusWidget(), w->ds_endereco);
        QVERIFY(w->ds_endereco->text().isEmpty());
        w->ds_obs->setFocus();
        QTest::keyClick(w->ds_obs, Qt::Key_Return);
        QCOMPARE(w->focusWidget(), w->cd_cliente);

        QPointer<QWidget> guard(w);
        QTest::keyClick(w->cd_cliente, Qt::Key_Escape);
        QTRY_VERIFY(!guard);
        QVERIFY(!d.log().contains("SAIU DO CADASTRO"));

        w = d.open();
        guard = w;
        w->Command1->click();
        QTRY_VERIFY(!guard);
        QVERIFY(d.log().contains("-SAIU DO CADASTRO DE clientes-**"));
    }

    // Cheque entry opens the register modally and waits for it.
    void opensModally()
    {
        Debtors d;
        bool closed = false;
        QTimer::singleShot(0, [&] {
            auto *w
                = qobject_cast<ffornecedores *>(ScreenRegistry::instance().find("ffornecedores"));
            QVERIFY(w);
            QVERIFY(w->isModal());
            w->nm_cliente->setText("MODAL");
            w->CONFIRMA->click();
            w->activateWindow();
            QTest::keyClick(w->nm_cliente, Qt::Key_Escape);
            closed = true;
        });
        ScreenRegistry::instance().showModal("ffornecedores");
        QVERIFY(closed);
        QCOMPARE(d.field("00001", "nm_cliente").toString(), QString("MODAL"));
        QCOMPARE(ScreenRegistry::instance().find("ffornecedores"), nullptr);
    }
};

QTEST_MAIN(tst_ffornecedores)
#include "tst_ffornecedores.moc"
