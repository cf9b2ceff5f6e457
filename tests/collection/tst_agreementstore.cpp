// The database side of agreements, write-offs and the agenda: eligible
// cheques, corrected values, agreement codes, the save transaction, the
// write-off of one instalment and the agenda's codes.
#include "collection/rules/agenda.h"
#include "collection/rules/agreementstore.h"
#include "collection/rules/writeoff.h"
#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/jetsql.h"
#include "support/base_data.h"
#include "support/base_folders.h"
#include "support/base_server.h"
#include "support/shell_agreement_fixture.h"

#include <QLocale>
#include <QSqlQuery>
#include <QtTest>

using namespace kq::collection;
using namespace kq::test;
using kq::data::exec;
using kq::data::scalar;

class tst_agreementstore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void eligibleCheques();
    void storeTerms();
    void correctedValues();
    void codes_data();
    void codes();
    void saveThreeInstalments();
    void saveTwiceRefused();
    void saveRefusesChangedCheques_data();
    void saveRefusesChangedCheques();
    void saveRolledBackOnFailure();
    void periodQuery();
    void writeOff();
    void agendaCodes();

private:
    Agreement agreement(int count = 3) const;

    TempFolders *m_folders = nullptr;
    QString m_db;
};

void tst_agreementstore::initTestCase()
{
    KQ_SKIP_WITHOUT_SERVER();
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
}

void tst_agreementstore::init()
{
    m_folders = new TempFolders;
    kq::data::prepareDataFolder(m_folders->dataFolder());
    m_db = m_folders->dataFile(kq::data::kDevolvidos);
    addDebtor(m_db, "00001", "JOSE DA SILVA");
    addDebtor(m_db, "00002", "MARIA SOUZA");
    addStore(m_db, "001", "LOJA CENTRO", 3, 2, 10, 3, 2);
    addStore(m_db, "002", "LOJA NORTE", 1, 0, 0, 6, 0);
    addCheque(m_db, "0000000001", "00001", "001", QDate(2025, 1, 15), 100);
    addCheque(m_db, "0000000002", "00001", "001", QDate(2024, 12, 1), 200);
    addCheque(m_db, "0000000003", "00001", "002", QDate(2025, 1, 2), 50);
    addCheque(m_db, "0000000004", "00002", "001", QDate(2025, 1, 3), 70);
}

void tst_agreementstore::cleanup()
{
    kq::data::closeAllDatabases();
    delete m_folders;
    m_folders = nullptr;
}

Agreement tst_agreementstore::agreement(int count) const
{
    Agreement a;
    a.cdCliente = "00001";
    a.cdLoja = "001";
    a.dtAcordo = QDate(2025, 1, 5);
    a.vlAberto = 300;
    a.txJuros = 3;
    a.vlMulta = 6;
    a.vlHonorarios = 30;
    a.vlJurosAcordo = 2;
    a.nrParcelas = count;
    a.vlParcela = 118.76;
    a.vlCorrecao = 0;
    a.vlFinanciado = 356.28;
    a.dt1Vencimento = QDate(2025, 1, 10);
    a.vlJuros = 6.5;
    a.vlHonorariosParcela = 10.4;
    a.cheques = loadEligibleCheques(m_db, "00001", "001");
    return a;
}

void tst_agreementstore::eligibleCheques()
{
    // A situation closed to agreements, and a cheque whose destination has
    // no row, take no part.
    exec(m_db, "INSERT INTO situacoes (CD_situacao, DS_situacao, CD_ACORDO) "
               "VALUES ('003', 'PROTESTO', '1')");
    addCheque(m_db, "0000000005", "00001", "001", QDate(2025, 1, 1), 10, "003");
    addCheque(m_db, "0000000006", "00001", "001", QDate(2025, 1, 1), 10);
    exec(m_db, "UPDATE DEVOLVIDOS SET CD_DESTINO = '999' WHERE CD_DEVOLVIDO = '0000000006'");
    addCheque(m_db, "0000000007", "00001", "001", QDate(2024, 11, 30), 5, "007");

    const QVector<Cheque> cheques = loadEligibleCheques(m_db, "00001", "001");
    QStringList keys;
    for (const Cheque &c : cheques)
        keys << c.cdDevolvido;
    QCOMPARE(keys, (QStringList{"0000000007", "0000000002", "0000000001"}));
    QCOMPARE(cheques[1].dtDeposito, QDate(2024, 12, 1));
    QCOMPARE(cheques[1].vlCheque, 200.0);
    QVERIFY(loadEligibleCheques(m_db, "00002", "002").isEmpty());
    // A quote in a code is a value, never SQL.
    QVERIFY(loadEligibleCheques(m_db, "00001' OR '1'='1", "001").isEmpty());
}

void tst_agreementstore::storeTerms()
{
    auto t = loadStoreTerms(m_db, "001");
    QVERIFY(t);
    QCOMPARE(t->dsLoja, QString("LOJA CENTRO"));
    QCOMPARE(t->jurosPraticado, 3.0);
    QCOMPARE(t->nrParcelasAcordo, QString("3"));
    QVERIFY(t->valid());

    const QString notANumber = "UPDATE lojas SET nr_parcelasacordo = NULL, "
                               "vl_jurosacordo = NULL, vl_multa = 'dois' WHERE CD_loja = '002'";
    if (kq::data::dialectOf(m_db) == kq::data::Dialect::Postgres) {
        // The server's number column takes no text: refused as a screen refuses it.
        try {
            exec(m_db, notANumber);
            QFAIL("the server took a text as a number");
        } catch (const kq::data::DataError &e) {
            QCOMPARE(e.number(), kq::data::ErrorNumber::TypeMismatch);
            QCOMPARE(e.description(), QString("Tipos incompatíveis: \"dois\" não é um número."));
        }
        QVERIFY(loadStoreTerms(m_db, "002")->valid());
        QVERIFY(!loadStoreTerms(m_db, "999"));
        return;
    }
    exec(m_db, notANumber);
    t = loadStoreTerms(m_db, "002");
    QCOMPARE(t->nrParcelasAcordo, QString("0"));
    QCOMPARE(t->jurosAcordo, QString("0"));
    QCOMPARE(t->invalidFields, QStringList{"vl_multa"});
    QVERIFY(!loadStoreTerms(m_db, "999"));
}

void tst_agreementstore::correctedValues()
{
    ChequeCalc a;
    a.cdDevolvido = "0000000001";
    a.vlAtualizado = 125;
    ChequeCalc b;
    b.cdDevolvido = "0000000002";
    b.vlAtualizado = 200.5;
    writeCorrectedValues(m_db, {a, b});
    QCOMPARE(scalar(m_db, "SELECT vl_atualizado FROM DEVOLVIDOS WHERE CD_DEVOLVIDO = "
                          "'0000000001'")
                 .toDouble(),
             125.0);
    QCOMPARE(scalar(m_db, "SELECT vl_atualizado FROM DEVOLVIDOS WHERE CD_DEVOLVIDO = "
                          "'0000000002'")
                 .toDouble(),
             200.5);

    // The same values again write nothing; a changed one is written.
    exec(m_db, "CREATE TABLE escritas (n INTEGER)");
    if (kq::data::dialectOf(m_db) == kq::data::Dialect::Postgres) {
        exec(m_db, "CREATE FUNCTION conta() RETURNS trigger LANGUAGE plpgsql AS "
                   "'BEGIN INSERT INTO escritas VALUES (1); RETURN NEW; END'");
        exec(m_db, "CREATE TRIGGER conta AFTER UPDATE ON DEVOLVIDOS FOR EACH ROW "
                   "EXECUTE FUNCTION conta()");
    } else {
        exec(m_db, "CREATE TRIGGER conta AFTER UPDATE ON DEVOLVIDOS "
                   "BEGIN INSERT INTO escritas VALUES (1); END");
    }
    writeCorrectedValues(m_db, {a, b});
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM escritas").toInt(), 0);
    b.vlAtualizado = 200.51;
    writeCorrectedValues(m_db, {a, b});
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM escritas").toInt(), 1);
    QCOMPARE(scalar(m_db, "SELECT vl_atualizado FROM DEVOLVIDOS WHERE CD_DEVOLVIDO = "
                          "'0000000002'")
                 .toDouble(),
             200.51);
}

void tst_agreementstore::codes_data()
{
    QTest::addColumn<QString>("last");       // last agreement code, "" for none
    QTest::addColumn<QString>("chequeCode"); // a code left on a cheque
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << ""
                           << ""
                           << "00001";
    QTest::newRow("after 00041") << "00041"
                                 << ""
                                 << "00042";
    // The agreement 00042 was deleted, its cheques still carry the code.
    QTest::newRow("code held by a cheque") << "00041"
                                           << "00042"
                                           << "00043";
}

void tst_agreementstore::codes()
{
    QFETCH(QString, last);
    QFETCH(QString, chequeCode);
    QFETCH(QString, expected);
    if (!last.isEmpty())
        addAgreement(m_db, last, "00002", "001", 1, 10, QDate(2024, 1, 1));
    if (!chequeCode.isEmpty())
        exec(m_db, "UPDATE DEVOLVIDOS SET cd_acordo = ? WHERE CD_DEVOLVIDO = '0000000004'",
             {chequeCode});
    QCOMPARE(nextAgreementCode(m_db), expected);
}

void tst_agreementstore::saveThreeInstalments()
{
    const SaveOutcome out = saveAgreement(m_db, agreement(3));
    QCOMPARE(out.status, SaveOutcome::Saved);
    QCOMPARE(out.cdAcordo, QString("00001"));

    QSqlQuery a = exec(m_db, "SELECT dt_acordo, cd_loja, vl_aberto, tx_juros, vl_multa, "
                             "vl_honorarios, vl_jurosacordo, nr_parcelas, vl_parcela, "
                             "vl_correcao, "
                             "CD_CLIENTE, vl_financiado, dt_1vencimento, vl_juros, cd_status "
                             "FROM acordos");
    QVERIFY(a.next());
    QCOMPARE(a.value(0).toString(), QString("2025-01-05"));
    QCOMPARE(a.value(1).toString(), QString("001"));
    QCOMPARE(a.value(2).toDouble(), 300.0);
    QCOMPARE(a.value(3).toDouble(), 3.0);
    QCOMPARE(a.value(7).toDouble(), 3.0);
    QCOMPARE(a.value(8).toDouble(), 118.76);
    QCOMPARE(a.value(10).toString(), QString("00001"));
    QCOMPARE(a.value(11).toDouble(), 356.28);
    QCOMPARE(a.value(12).toString(), QString("2025-01-10")); // kept as typed
    QCOMPARE(a.value(13).toDouble(), 6.5);
    QVERIFY(a.value(14).isNull());
    QVERIFY(!a.next());

    QSqlQuery p = exec(m_db, "SELECT cd_acordo, cd_parcela, cd_loja, vl_parcela, dt_vencimento, "
                             "vl_honorarios, CD_CLIENTE, cd_status, DT_BAIXA FROM parcelas "
                             "ORDER BY cd_parcela");
    const QStringList due{"2025-02-10", "2025-03-10", "2025-04-10"};
    for (int k = 0; k < 3; ++k) {
        QVERIFY(p.next());
        QCOMPARE(p.value(0).toString(), QString("00001"));
        QCOMPARE(p.value(1).toString(), QString("0%1").arg(k + 1));
        QCOMPARE(p.value(3).toDouble(), 118.76);
        QCOMPARE(p.value(4).toString(), due[k]);
        QCOMPARE(p.value(5).toDouble(), 10.4);
        QCOMPARE(p.value(6).toString(), QString("00001"));
        QCOMPARE(p.value(7).toString(), QString("A"));
        QVERIFY(p.value(8).isNull());
    }
    QVERIFY(!p.next());

    // The two cheques of the calculation, and only they, went into it.
    QSqlQuery d = exec(m_db, "SELECT CD_DEVOLVIDO, cd_situacao, cd_acordo FROM DEVOLVIDOS "
                             "ORDER BY CD_DEVOLVIDO");
    const QStringList expected{"0000000001 002 00001", "0000000002 002 00001", "0000000003 001 ",
                               "0000000004 001 "};
    QStringList rows;
    while (d.next())
        rows << d.value(0).toString() + ' ' + d.value(1).toString() + ' ' + d.value(2).toString();
    QCOMPARE(rows, expected);
}

void tst_agreementstore::saveTwiceRefused()
{
    const Agreement a = agreement(3);
    QCOMPARE(saveAgreement(m_db, a).status, SaveOutcome::Saved);
    // The same calculation again: its cheques are in situation "002" now.
    QCOMPARE(saveAgreement(m_db, a).status, SaveOutcome::ChequesChanged);
    // Even where "002" allowed agreements, the cheques no longer carry the
    // code they had when the calculation read them.
    exec(m_db, "UPDATE situacoes SET CD_ACORDO = '0' WHERE CD_situacao = '002'");
    QCOMPARE(saveAgreement(m_db, a).status, SaveOutcome::ChequesChanged);
    QCOMPARE(rowCount(m_db, "acordos"), 1);
    QCOMPARE(rowCount(m_db, "parcelas"), 3);
    // A new calculation lists them again and may make a new agreement.
    QCOMPARE(saveAgreement(m_db, agreement(1)).cdAcordo, QString("00002"));
}

void tst_agreementstore::saveRefusesChangedCheques_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("other debtor") << "UPDATE DEVOLVIDOS SET CD_CLIENTE = '00002' "
                                     "WHERE CD_DEVOLVIDO = '0000000002'";
    QTest::newRow("other store") << "UPDATE DEVOLVIDOS SET CD_LOJA = '002' "
                                    "WHERE CD_DEVOLVIDO = '0000000001'";
    QTest::newRow("deleted") << "DELETE FROM DEVOLVIDOS WHERE CD_DEVOLVIDO = '0000000001'";
    QTest::newRow("in agreement") << "UPDATE DEVOLVIDOS SET CD_SITUACAO = '002' "
                                     "WHERE CD_DEVOLVIDO = '0000000001'";
}

void tst_agreementstore::saveRefusesChangedCheques()
{
    QFETCH(QString, change);
    const Agreement a = agreement(3);
    exec(m_db, change);
    QCOMPARE(saveAgreement(m_db, a).status, SaveOutcome::ChequesChanged);
    QCOMPARE(rowCount(m_db, "acordos"), 0);
    QCOMPARE(rowCount(m_db, "parcelas"), 0);
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM DEVOLVIDOS WHERE cd_acordo IS NOT NULL").toInt(),
             0);
}

void tst_agreementstore::saveRolledBackOnFailure()
{
    // The third instalment cannot be written: nothing of the save stays.
    kq::test::addFailingTrigger(m_db, "fail_third", "BEFORE INSERT ON parcelas",
                                "NEW.cd_parcela = '03'", "disco cheio");
    QVERIFY_THROWS_EXCEPTION(kq::data::DataError, saveAgreement(m_db, agreement(3)));
    QCOMPARE(rowCount(m_db, "acordos"), 0);
    QCOMPARE(rowCount(m_db, "parcelas"), 0);
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM DEVOLVIDOS WHERE CD_SITUACAO = '002'").toInt(), 0);

    // A failure on the last step, the cheques' update, also undoes the rows before.
    kq::test::dropTrigger(m_db, "fail_third", "parcelas");
    kq::test::addFailingTrigger(m_db, "fail_cheque", "BEFORE UPDATE OF cd_acordo ON DEVOLVIDOS",
                                "NEW.CD_DEVOLVIDO = '0000000001'", "x");
    QVERIFY_THROWS_EXCEPTION(kq::data::DataError, saveAgreement(m_db, agreement(3)));
    QCOMPARE(rowCount(m_db, "acordos"), 0);
    QCOMPARE(rowCount(m_db, "parcelas"), 0);
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM DEVOLVIDOS WHERE cd_acordo IS NOT NULL").toInt(),
             0);
}

void tst_agreementstore::periodQuery()
{
    addAgreement(m_db, "00001", "00001", "001", 3, 50, QDate(2025, 1, 10)); // 10/02..10/04
    addAgreement(m_db, "00002", "00002", "002", 2, 70, QDate(2025, 2, 28)); // 28/03, 28/04
    exec(m_db, "UPDATE parcelas SET cd_status = 'B' WHERE cd_acordo = '00001' "
               "AND cd_parcela = '02'");
    exec(m_db, "UPDATE parcelas SET cd_status = 'C' WHERE cd_acordo = '00002' "
               "AND cd_parcela = '01'");
    // An instalment whose debtor is not the agreement's does not join.
    exec(m_db, "UPDATE parcelas SET CD_CLIENTE = '00002' WHERE cd_acordo = '00001' "
               "AND cd_parcela = '03'");

    const QString source = openInstalmentsSource(QDate(2025, 2, 10), QDate(2025, 4, 28));
    QVERIFY(source.contains("where dt_vencimento>=#2025/02/10# and dt_vencimento <= "
                            "#2025/04/28# AND parcelas.CD_STATUS='A'"));
    QSqlQuery q = exec(m_db, kq::data::translateJet(source));
    QStringList rows;
    while (q.next())
        rows << q.value("cd_acordo").toString() + '/' + q.value("cd_parcela").toString() + ' '
                    + q.value("ds_loja").toString();
    rows.sort();
    // Both ends of the period are included.
    QCOMPARE(rows, (QStringList{"00001/01 LOJA CENTRO", "00002/02 LOJA NORTE"}));
}

void tst_agreementstore::writeOff()
{
    addAgreement(m_db, "00012", "00001", "001", 3, 50.5, QDate(2025, 1, 10));
    const auto found = findInstalment(m_db, "00012", "03");
    QVERIFY(found);
    QCOMPARE(found->vlParcela, 50.5);
    QCOMPARE(found->dtVencimento, QDate(2025, 4, 10));
    QVERIFY(!findInstalment(m_db, "00012", "04"));

    // Written off in another month than today's: that month is stored.
    QVERIFY(writeOffInstalment(m_db, "00012", "03", QDate(2026, 3, 7)));
    QSqlQuery q = exec(m_db, "SELECT DT_BAIXA, cd_refbaixa, CD_STATUS FROM parcelas "
                             "WHERE cd_acordo = '00012' AND cd_parcela = '03'");
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QString("2026-03-07"));
    QCOMPARE(q.value(1).toString(), QString("03/2026"));
    QCOMPARE(q.value(2).toString(), QString("B"));

    // Never twice, never a cancelled one, never one that is not there.
    QVERIFY(!writeOffInstalment(m_db, "00012", "03", QDate(2026, 4, 1)));
    QCOMPARE(scalar(m_db, "SELECT DT_BAIXA FROM parcelas WHERE cd_acordo = '00012' "
                          "AND cd_parcela = '03'")
                 .toString(),
             QString("2026-03-07"));
    exec(m_db, "UPDATE parcelas SET cd_status = 'C' WHERE cd_parcela = '02'");
    QVERIFY(!writeOffInstalment(m_db, "00012", "02", QDate(2026, 4, 1)));
    QVERIFY(!writeOffInstalment(m_db, "00099", "01", QDate(2026, 4, 1)));
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM parcelas WHERE DT_BAIXA IS NOT NULL").toInt(), 1);
    // Any order: the first instalment is still open and can be written off.
    QVERIFY(writeOffInstalment(m_db, "00012", "01", QDate(2026, 4, 1)));
    QVERIFY(scalar(m_db, "SELECT cd_status FROM acordos WHERE cd_acordo = '00012'").isNull());
}

void tst_agreementstore::agendaCodes()
{
    QCOMPARE(firstAgendaCode(m_db), QString());
    AgendaEntry e;
    e.dtMarcada = QDate(2027, 3, 5);
    e.nmEnvolvido = "JOSE DA SILVA";
    e.nmResponsavel = "SUPERVISOR";
    e.dsHistorico = QString(250, 'x');
    QCOMPARE(addAgendaEntry(m_db, e, QDate(2025, 1, 2)), QString("0000000001"));
    QSqlQuery q = exec(m_db, "SELECT dt_lancamento, dt_marcada, cd_ref, length(ds_historico), "
                             "status FROM agenda");
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QString("2025-01-02"));
    QCOMPARE(q.value(1).toString(), QString("2027-03-05"));
    QCOMPARE(q.value(2).toString(), QString("03/2027"));
    QCOMPARE(q.value(3).toInt(), kAgendaHistoryLength);
    QCOMPARE(q.value(4).toInt(), 0);

    for (int i = 2; i <= 9; ++i)
        addAgendaEntry(m_db, AgendaEntry(), QDate(2025, 1, 2));
    QCOMPARE(addAgendaEntry(m_db, AgendaEntry(), QDate(2025, 1, 2)), QString("0000000010"));
    // Deleting the highest code makes it the next one given.
    QVERIFY(deleteAgendaEntry(m_db, "0000000010"));
    QVERIFY(!deleteAgendaEntry(m_db, "0000000010"));
    QCOMPARE(addAgendaEntry(m_db, AgendaEntry(), QDate(2025, 1, 2)), QString("0000000010"));
    QCOMPARE(agendaHistory(m_db, "0000000002"), std::optional<QString>(QString()));
    QVERIFY(!agendaHistory(m_db, "0000000099"));
    QCOMPARE(firstAgendaCode(m_db), QString("0000000001"));
}

QTEST_GUILESS_MAIN(tst_agreementstore)
#include "tst_agreementstore.moc"
