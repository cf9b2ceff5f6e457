// The agreement query: the agreement located on a row change, cancelling and
// deleting it from the screen, and the filter dialog.
#include "data/database.h"
#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/letters/wordprocessor.h"
#include "platform/screenregistry.h"
#include "queries/fconsulta3.h"
#include "queries/ffiltros3.h"
#include "queries/rules/queryfilters.h"
#include "queries/screens.h"
#include "support/base_screens.h"
#include "support/shell_agreement_fixture.h"
#include "support/shell_fixture.h"
#include "support/shell_queries_fixture.h"

#include <QPushButton>
#include <QtTest>

using namespace kq::test;
using namespace kq::queries;
using kq::data::scalar;
using kq::platform::Answer;
using kq::platform::Buttons;
using kq::platform::GridEX;
using kq::platform::Icon;
using kq::platform::RowType;
using kq::platform::ScreenRegistry;

namespace {

using kq::test::shot;

// Fills a one-line template instead of starting a word processor.
class FakeProcessor : public kq::platform::WordProcessor
{
public:
    QString templatePath;
    QString shown;
    QString toFlatOdt(const QString &path, QString *) override
    {
        templatePath = path;
        return QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document "
            "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
            "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
            "office:version=\"1.3\" office:mimetype=\"application/vnd.oasis.opendocument.text\">"
            "<office:body><office:text><text:p>Eu, @NomeDev, devo</text:p></office:text>"
            "</office:body></office:document>\n");
    }
    bool show(const QString &flatOdt, const QString &, QString *) override
    {
        shown = flatOdt;
        return true;
    }
};

QStringList agreements(GridEX *g)
{
    QStringList out;
    for (int r = 0; r < g->rowCount(); ++r) {
        if (g->rowType(r) == RowType::Record)
            out << g->valueAt(r, 1).toString();
    }
    return out;
}

} // namespace

class tst_qconsulta3 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerQueryScreens(); }
    void init();
    void cleanup();

    void load();
    void rowChangeLocates();
    void cancel();
    void remove();
    void answerNo_data();
    void answerNo();
    void nothingLocated();
    void filters_data();
    void filters();
    void namesakeDebtor();
    void totalsInCurrency();
    void confession();

private:
    fconsulta3 *open();
    void select(fconsulta3 *s, const QString &acordo);
    QString snapshot() const;

    ShellFixture *m_fx = nullptr;
    QString m_db;
};

void tst_qconsulta3::init()
{
    m_fx = new ShellFixture;
    m_db = m_fx->devolvidos();
    kq::test::queries::addPortfolio(m_db);
}

void tst_qconsulta3::cleanup()
{
    delete m_fx;
    m_fx = nullptr;
}

fconsulta3 *tst_qconsulta3::open()
{
    auto *s = qobject_cast<fconsulta3 *>(ScreenRegistry::instance().show("fconsulta3"));
    s->GridEX1->recordCount();
    return s;
}

void tst_qconsulta3::select(fconsulta3 *s, const QString &acordo)
{
    // Through another row first, so that the row really changes.
    const int row = s->GridEX1->findRow(1, acordo);
    QVERIFY(row >= 0);
    s->GridEX1->setCurrentRow(row == 0 ? 1 : 0);
    s->GridEX1->setCurrentRow(row);
    QCOMPARE(s->locatedAgreement(), acordo);
}

QString tst_qconsulta3::snapshot() const
{
    return scalar(m_db, "SELECT (SELECT group_concat(cd_acordo || coalesce(cd_status, '-'), ',')"
                        " FROM acordos) || '|' || (SELECT group_concat(cd_parcela || cd_status,"
                        " ',') FROM parcelas) || '|' || (SELECT group_concat(CD_SITUACAO, ',')"
                        " FROM DEVOLVIDOS)")
        .toString();
}

void tst_qconsulta3::load()
{
    fconsulta3 *s = open();
    QCOMPARE(s->windowTitle(), QString("CONSULTAS DE ACORDOS"));
    QCOMPARE(s->GridEX1->recordSource(), agreementLoadQuery());
    QCOMPARE(agreements(s->GridEX1), (QStringList{"00001", "00002"}));
    QCOMPARE(s->GridEX1->column(12).position(), 2);
    QCOMPARE(s->Command10->text(), QString("Cancelar  Acordo"));
    QCOMPARE(s->EXCLUIR->toolTip(), QString("APÓS ESCOLHER O REGISTRO A SER EXCLUIDO CLICK AQUI"));
    QVERIFY(!s->Data4.eof()); // the office parameters
    QCOMPARE(s->GridEX1->totalSum(3), 450.0 + 160.0);
    s->Command7->click();
    QCOMPARE(s->GridEX1->recordSource(), agreementAllQuery());
    select(s, "00002");
    shot(s, "fconsulta3");
}

void tst_qconsulta3::rowChangeLocates()
{
    fconsulta3 *s = open();
    select(s, "00002");
    QCOMPARE(s->Data1.text("nm_cliente"), QString("BRUNO COSTA"));
    QCOMPARE(s->Data1.field("nr_parcelas").toInt(), 2);
    select(s, "00001");
    QCOMPARE(s->Data1.text("nm_cliente"), QString("ANA LIMA"));
}

void tst_qconsulta3::cancel()
{
    fconsulta3 *s = open();
    select(s, "00001");
    m_fx->dialogs.answers.enqueue(Answer::Yes);
    s->Command10->click();
    QCOMPARE(m_fx->dialogs.messages.size(), 2);
    const auto &question = m_fx->dialogs.messages[0];
    QCOMPARE(question.text, QString("Deseja Cancelar esse acordo ? :00001"));
    QCOMPARE(question.title, QString("CANCELAMENTO"));
    QCOMPARE(question.buttons, Buttons::YesNo);
    QCOMPARE(question.icon, Icon::Question);
    QCOMPARE(m_fx->dialogs.messages[1].text, QString(" Acordo Cancelado com sucesso !!"));
    QCOMPARE(m_fx->dialogs.messages[1].buttons, Buttons::Ok);
    QCOMPARE(scalar(m_db, "SELECT cd_status FROM acordos WHERE cd_acordo = '00001'").toString(),
             QString("C"));
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM parcelas WHERE cd_acordo = '00001' AND "
                          "cd_status = 'C'")
                 .toInt(),
             3);
    QCOMPARE(scalar(m_db, "SELECT group_concat(CD_SITUACAO || cd_acordo) FROM DEVOLVIDOS "
                          "WHERE cd_acordo IS NOT NULL")
                 .toString(),
             QString("00100001,00100001"));
    // A cancelled agreement stays listed.
    QCOMPARE(agreements(s->GridEX1), (QStringList{"00001", "00002"}));
}

void tst_qconsulta3::remove()
{
    fconsulta3 *s = open();
    s->applyRecordSource(agreementsByDebtor("00001"));
    select(s, "00001");
    m_fx->dialogs.answers.enqueue(Answer::Yes);
    s->EXCLUIR->click();
    // Its second instalment is written off: the question says so.
    QCOMPARE(m_fx->dialogs.messages[0].text,
             QString("Deseja Realmente excluir esse registro? :00001\nAtenção: 1 parcela já "
                     "baixada (%1) será excluída.")
                 .arg(kq::platform::formatCurrency(150)));
    QCOMPARE(m_fx->dialogs.messages[0].title, QString("EXCLUSÃO"));
    QCOMPARE(m_fx->dialogs.messages[0].buttons, Buttons::YesNo);
    QCOMPARE(m_fx->dialogs.lastText(), QString(" Acordo excluido com sucesso !!"));
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM acordos WHERE cd_acordo = '00001'").toInt(), 0);
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM parcelas WHERE cd_acordo = '00001'").toInt(), 0);
    // The list is read again with its current query: the agreement has left it
    // and nothing is located any more.
    QCOMPARE(s->GridEX1->recordSource(), agreementsByDebtor("00001"));
    QVERIFY(agreements(s->GridEX1).isEmpty());
    QVERIFY(s->locatedAgreement().isEmpty());
    m_fx->dialogs.clear();
    const QString after = snapshot();
    s->EXCLUIR->click();
    QCOMPARE(snapshot(), after);
    QCOMPARE(m_fx->dialogs.messages.size(), 1); // told, not asked
    QCOMPARE(m_fx->dialogs.messages[0].buttons, Buttons::Ok);
}

void tst_qconsulta3::answerNo_data()
{
    QTest::addColumn<bool>("deleting");
    QTest::newRow("cancel") << false;
    QTest::newRow("delete") << true;
}

void tst_qconsulta3::answerNo()
{
    QFETCH(bool, deleting);
    fconsulta3 *s = open();
    select(s, "00001");
    const QString before = snapshot();
    m_fx->dialogs.answers.enqueue(Answer::No);
    (deleting ? s->EXCLUIR : s->Command10)->click();
    QCOMPARE(snapshot(), before);
    QCOMPARE(m_fx->dialogs.messages.size(), 1);
}

void tst_qconsulta3::nothingLocated()
{
    // Before any row change there is no agreement record: nothing is asked
    // or written.
    fconsulta3 *s = open();
    QVERIFY(s->locatedAgreement().isEmpty());
    const QString before = snapshot();
    s->Command10->click();
    s->EXCLUIR->click();
    QCOMPARE(snapshot(), before);
    for (const auto &m : m_fx->dialogs.messages)
        QCOMPARE(m.buttons, Buttons::Ok);
}

void tst_qconsulta3::filters_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("store and date, both ends")
        << "Command1"
        << "LOJA CENTRO" << QDate(2026, 4, 10) << QDate(2026, 4, 10) << QStringList{"00001"};
    QTest::newRow("no store") << "Command1"
                              << "" << QDate(2026, 1, 1) << QDate(2026, 12, 31) << QStringList{};
    QTest::newRow("debtor") << "Command2"
                            << "BRUNO COSTA" << QDate() << QDate() << QStringList{"00002"};
    QTest::newRow("date") << "Command4"
                          << "" << QDate(2026, 4, 11) << QDate(2026, 5, 5) << QStringList{"00002"};
    QTest::newRow("start after end")
        << "Command4"
        << "" << QDate(2026, 5, 5) << QDate(2026, 4, 1) << QStringList{};
}

void tst_qconsulta3::filters()
{
    QFETCH(QString, button);
    QFETCH(QString, choice);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, expected);
    fconsulta3 *s = open();
    s->Command8->click();
    auto *f = qobject_cast<ffiltros3 *>(ScreenRegistry::instance().find("ffiltros3"));
    QVERIFY(f);
    if (button == "Command1") {
        f->loja1->setText(choice);
        f->inicio->setValue(from);
        f->fim->setValue(to);
        shot(f, "ffiltros3");
    } else if (button == "Command2") {
        f->nm_cliente->setText(choice);
    } else {
        f->inicio1->setValue(from);
        f->fim1->setValue(to);
    }
    f->findChild<QPushButton *>(button)->click();
    QCOMPARE(agreements(s->GridEX1), expected);
    QVERIFY(m_fx->dialogs.messages.isEmpty());
}

// Two debtors of one name: the one picked is the one filtered; a typed name
// that fits both asks for a choice and keeps the list.
void tst_qconsulta3::namesakeDebtor()
{
    addDebtor(m_db, "00004", "BRUNO COSTA");
    addAgreement(m_db, "00003", "00004", "001", 1, 50, QDate(2026, 6, 1));
    fconsulta3 *s = open();
    s->Command8->click();
    auto *f = qobject_cast<ffiltros3 *>(ScreenRegistry::instance().find("ffiltros3"));
    QVERIFY(f);
    f->nm_cliente->setText("bruno costa");
    f->Command2->click();
    QCOMPARE(m_fx->dialogs.lastText(),
             QString("Há mais de um cadastro com o nome \"bruno costa\". Escolha na lista o "
                     "desejado."));
    QCOMPARE(agreements(s->GridEX1), (QStringList{"00001", "00002", "00003"}));
    QVERIFY(ScreenRegistry::instance().find("ffiltros3"));
    for (const QString &debtor : {QString("00004"), QString("00002")}) {
        if (!ScreenRegistry::instance().find("ffiltros3"))
            s->Command8->click();
        f = qobject_cast<ffiltros3 *>(ScreenRegistry::instance().find("ffiltros3"));
        f->nm_cliente->setCurrentIndex(f->nm_cliente->findData(debtor));
        f->Command2->click();
        QCOMPARE(agreements(s->GridEX1),
                 QStringList{debtor == "00004" ? QString("00003") : QString("00002")});
    }
}

// The summed columns show their cells as stored and their group and total
// figures in currency.
void tst_qconsulta3::totalsInCurrency()
{
    kq::data::exec(m_db, "UPDATE acordos SET vl_aberto = 837.5, vl_parcela = 418.75 "
                         "WHERE cd_acordo = '00001'");
    fconsulta3 *s = open();
    GridEX *g = s->GridEX1;
    const int total = g->rowCount() - 1;
    QCOMPARE(g->rowType(total), RowType::TotalRow);
    QCOMPARE(g->textAt(total, 3), kq::platform::formatCurrency(837.5 + 160));
    QCOMPARE(g->textAt(total, 5), kq::platform::formatCurrency(10));
    QCOMPARE(g->textAt(total, 6), kq::platform::formatCurrency(20));
    QCOMPARE(g->textAt(total, 9), kq::platform::formatCurrency(418.75 + 80));
    QCOMPARE(g->textAt(g->findRow(1, "00001"), 3), QString("837,5"));
    g->groupBy(13);
    QStringList groups;
    for (int r = 0; r < g->rowCount(); ++r)
        if (g->rowType(r) == RowType::GroupHeader)
            groups << g->textAt(r, 3);
    QCOMPARE(groups,
             (QStringList{kq::platform::formatCurrency(837.5), kq::platform::formatCurrency(160)}));
}

void tst_qconsulta3::confession()
{
    FakeProcessor processor;
    kq::platform::setWordProcessor(&processor);
    kq::data::exec(m_db, "UPDATE parametros SET ds_cidade = 'Bauru'"); // nothing left blank
    fconsulta3 *s = open();
    // Nothing located yet: the user is told, no template is read.
    s->Command9->click();
    QVERIFY(processor.templatePath.isEmpty());
    QCOMPARE(m_fx->dialogs.messages.size(), 1);
    select(s, "00002");
    s->Command9->click();
    kq::platform::setWordProcessor(nullptr);
    QVERIFY(processor.templatePath.endsWith("/confissaodivida.doc"));
    QVERIFY(processor.shown.contains("Eu, BRUNO COSTA, devo"));
    QCOMPARE(m_fx->dialogs.messages.size(), 1);
}

QTEST_MAIN(tst_qconsulta3)
#include "tst_qconsulta3.moc"
