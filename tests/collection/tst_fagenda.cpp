// The agenda screen: defaults on opening, saving entries, the list in
// scheduled-date order, the "Executado" tick and the guarded deletion.
#include "collection/fagenda.h"
#include "collection/screens.h"
#include "data/database.h"
#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "shell/services/appstate.h"
#include "support/base_screens.h"
#include "support/shell_agreement_fixture.h"
#include "support/shell_fixture.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTreeView>
#include <QtTest>

using namespace kq::test;
using kq::collection::fagenda;
using kq::data::exec;
using kq::data::scalar;
using kq::platform::Answer;
using kq::platform::ScreenRegistry;

class tst_fagenda : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { kq::collection::registerAgreementScreens(); }
    void init();
    void cleanup();

    void opening();
    void saving();
    void listOrder();
    void executedTick();
    void deleting();
    void filtersDoNothing();
    void collectorBoundByKey();

private:
    fagenda *open();
    fagenda *save(fagenda *f, const QString &debtor, const QDate &day, const QString &text);

    ShellFixture *m_fx = nullptr;
    QString m_db;
};

void tst_fagenda::init()
{
    m_fx = new ShellFixture;
    m_db = m_fx->devolvidos();
    addDebtor(m_db, "00001", "JOSE DA SILVA");
    addDebtor(m_db, "00002", "MARIA SOUZA");
    exec(m_db, "INSERT INTO usuarios (CD_usuario, usuario) VALUES ('001', 'SUPERVISOR'), "
               "('002', 'ANA')");
}

void tst_fagenda::cleanup()
{
    delete m_fx;
    m_fx = nullptr;
}

// Collectors whose names differ in case only: the logged-in one is shown and
// saved; a typed name that fits both asks for a choice.
void tst_fagenda::collectorBoundByKey()
{
    exec(m_db, "INSERT INTO usuarios (CD_usuario, usuario) VALUES ('003', 'ana')");
    kq::shell::setUsuarioLogado("ana", "003");
    fagenda *f = open();
    QCOMPARE(ctl<kq::platform::DBCombo>(f, "cobrador")->boundText(), QString("003"));
    save(f, "JOSE DA SILVA", QDate(2027, 3, 5), "Ligar");
    QCOMPARE(scalar(m_db, "SELECT nm_responsavel FROM agenda").toString(), QString("ana"));
    ctl<kq::platform::DBCombo>(f, "cobrador")->setText("Ana");
    save(f, "JOSE DA SILVA", QDate(2027, 3, 6), "Ligar de novo");
    QCOMPARE(m_fx->dialogs.lastText(),
             QString("Há mais de um cadastro com o nome \"Ana\". Escolha na lista o desejado."));
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM agenda").toInt(), 1);
}

fagenda *tst_fagenda::open()
{
    return qobject_cast<fagenda *>(ScreenRegistry::instance().show("fagenda"));
}

fagenda *tst_fagenda::save(fagenda *f, const QString &debtor, const QDate &day, const QString &text)
{
    ctl<kq::platform::DBCombo>(f, "nm_cliente")->setText(debtor);
    ctl<kq::platform::DTPicker>(f, "dt_marcada")->setValue(day);
    ctl<QPlainTextEdit>(f, "DS_hISTORICO")->setPlainText(text);
    ctl<QPushButton>(f, "Command3")->click();
    return f;
}

void tst_fagenda::opening()
{
    fagenda *f = open();
    QCOMPARE(f->windowTitle(), QString("Agenda"));
    QCOMPARE(ctl<kq::platform::DBCombo>(f, "cobrador")->text(), QString("SUPERVISOR"));
    QCOMPARE(ctl<kq::platform::DBCombo>(f, "cobrador")->count(), 2);
    QCOMPARE(ctl<kq::platform::DBCombo>(f, "nm_cliente")->count(), 2);
    QCOMPARE(ctl<kq::platform::DBCombo>(f, "nm_cliente")->text(), QString());
    QCOMPARE(ctl<kq::platform::DTPicker>(f, "dt_marcada")->value(), QDate::currentDate());
    QCOMPARE(ctl<QLabel>(f, "cd_agenda")->text(), QString());
    QCOMPARE(ctl<kq::platform::GridEX>(f, "GridEX1")->recordCount(), 0);
    QCOMPARE(ctl<kq::platform::GridEX>(f, "GridEX1")->groupByBoxCaption(),
             QString("Traga a Coluna a ser agrupada para essa área"));
    QVERIFY(!ctl<kq::platform::GridEX>(f, "GridEX1")->column(6).isVisible());
}

void tst_fagenda::saving()
{
    fagenda *f = open();
    save(f, "JOSE DA SILVA", QDate(2027, 3, 5), "Ligar para confirmar o acordo");
    QCOMPARE(ctl<QLabel>(f, "cd_agenda")->text(), QString("0000000001"));
    QVERIFY(m_fx->dialogs.messages.isEmpty());
    QSqlQuery q = exec(m_db, "SELECT dt_lancamento, dt_marcada, nm_envolvido, nm_responsavel, "
                             "ds_historico, cd_ref, status FROM agenda");
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QDate::currentDate().toString(Qt::ISODate));
    QCOMPARE(q.value(1).toString(), QString("2027-03-05"));
    QCOMPARE(q.value(2).toString(), QString("JOSE DA SILVA"));
    QCOMPARE(q.value(3).toString(), QString("SUPERVISOR"));
    QCOMPARE(q.value(4).toString(), QString("Ligar para confirmar o acordo"));
    QCOMPARE(q.value(5).toString(), QString("03/2027"));
    QCOMPARE(q.value(6).toInt(), 0);
    QCOMPARE(ctl<kq::platform::GridEX>(f, "GridEX1")->recordCount(), 1);

    // The fields stay filled: a second click adds the same entry again.
    ctl<QPushButton>(f, "Command3")->click();
    QCOMPARE(ctl<QLabel>(f, "cd_agenda")->text(), QString("0000000002"));
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM agenda WHERE ds_historico = "
                          "'Ligar para confirmar o acordo'")
                 .toInt(),
             2);

    // No debtor, an empty history and a history past 200 characters.
    ctl<QPlainTextEdit>(f, "DS_hISTORICO")->setPlainText(QString(230, 'a'));
    QCOMPARE(ctl<QPlainTextEdit>(f, "DS_hISTORICO")->toPlainText().size(), 200);
    save(f, QString(), QDate(2027, 3, 6), QString());
    QCOMPARE(scalar(m_db, "SELECT nm_envolvido || '|' || ds_historico FROM agenda "
                          "WHERE cd_agenda = '0000000003'")
                 .toString(),
             QString("|"));
    // A character that does not fit whole in the 200 is left out whole.
    save(f, "MARIA SOUZA", QDate(2027, 3, 7),
         QString(199, 'a') + QString::fromUtf8("\xF0\x9F\x98\x80"));
    QCOMPARE(
        scalar(m_db, "SELECT ds_historico FROM agenda WHERE cd_agenda = '0000000004'").toString(),
        QString(199, 'a'));
    kq::test::shot(f, "fagenda");
}

void tst_fagenda::listOrder()
{
    fagenda *f = open();
    save(f, "JOSE DA SILVA", QDate(2027, 3, 5), "terceiro");
    save(f, "MARIA SOUZA", QDate(2026, 1, 2), "primeiro");
    save(f, "MARIA SOUZA", QDate(2026, 7, 1), "segundo");
    QStringList order;
    for (int row = 0; row < ctl<kq::platform::GridEX>(f, "GridEX1")->rowCount(); ++row)
        order << ctl<kq::platform::GridEX>(f, "GridEX1")->valueAt(row, 2).toString();
    QCOMPARE(order, (QStringList{"primeiro", "segundo", "terceiro"}));
    QCOMPARE(ctl<kq::platform::GridEX>(f, "GridEX1")->textAt(0, 1), QString("02/01/2026"));
    QCOMPARE(ctl<kq::platform::GridEX>(f, "GridEX1")->textAt(0, 7), QString("01/2026"));
}

void tst_fagenda::executedTick()
{
    fagenda *f = open();
    save(f, "JOSE DA SILVA", QDate(2027, 3, 5), "ligar");
    QAbstractItemModel *model = ctl<kq::platform::GridEX>(f, "GridEX1")->view()->model();
    const int viewColumn = ctl<kq::platform::GridEX>(f, "GridEX1")->column(4).position() - 1;
    QVERIFY(model->setData(model->index(0, viewColumn), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(scalar(m_db, "SELECT status FROM agenda WHERE cd_agenda = '0000000001'").toInt(), 1);
}

void tst_fagenda::deleting()
{
    fagenda *f = open();
    save(f, "JOSE DA SILVA", QDate(2027, 3, 5), "primeiro");
    save(f, "MARIA SOUZA", QDate(2026, 1, 2), "segundo");
    f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    f = open();
    // Before any row change "Excluir" acts on the first entry in code order.
    QCOMPARE(f->locatedEntry(), QString("0000000001"));

    ctl<kq::platform::GridEX>(f, "GridEX1")
        ->setCurrentRow(ctl<kq::platform::GridEX>(f, "GridEX1")->findRow(6, "0000000002"));
    m_fx->dialogs.answers.enqueue(Answer::No);
    ctl<QPushButton>(f, "Command2")->click();
    QCOMPARE(m_fx->dialogs.messages.size(), 1);
    const auto &question = m_fx->dialogs.messages.first();
    QCOMPARE(question.text, QString("Deseja Realmente excluir esse registro? :segundo"));
    QCOMPARE(question.title, QString("EXCLUSÃO"));
    QCOMPARE(question.buttons, kq::platform::Buttons::YesNo);
    QCOMPARE(question.icon, kq::platform::Icon::Question);
    QCOMPARE(rowCount(m_db, "agenda"), 2);

    m_fx->dialogs.answers.enqueue(Answer::Yes);
    ctl<QPushButton>(f, "Command2")->click();
    QCOMPARE(rowCount(m_db, "agenda"), 1);
    QCOMPARE(ctl<kq::platform::GridEX>(f, "GridEX1")->recordCount(), 1);
    QVERIFY(!scalar(m_db, "SELECT 1 FROM agenda WHERE cd_agenda = '0000000002'").isValid());

    // A second "Excluir" before another row is chosen deletes nothing.
    m_fx->dialogs.clear();
    ctl<QPushButton>(f, "Command2")->click();
    QCOMPARE(m_fx->dialogs.texts(), QStringList{"Escolha na lista o contato a excluir!!"});
    QCOMPARE(rowCount(m_db, "agenda"), 1);
}

void tst_fagenda::filtersDoNothing()
{
    fagenda *f = open();
    save(f, "JOSE DA SILVA", QDate(2027, 3, 5), "ligar");
    exec(m_db, "UPDATE agenda SET status = 1");
    ctl<QRadioButton>(f, "Option2")->click();
    ctl<QRadioButton>(f, "Option3")->click();
    QCOMPARE(ctl<kq::platform::GridEX>(f, "GridEX1")->recordCount(), 1);
}

QTEST_MAIN(tst_fagenda)
#include "tst_fagenda.moc"
