// Cancelling and deleting an agreement: what is written, what is kept, and
// that a failure part-way leaves everything as it was.
#include "data/database.h"
#include "data/dataerror.h"
#include "core/format.h"
#include "queries/rules/agreementcancel.h"
#include "support/base_data.h"
#include "support/shell_agreement_fixture.h"
#include "support/shell_queries_fixture.h"

#include <QtTest>

using namespace kq::queries;
using kq::data::exec;
using kq::data::scalar;

class tst_qagreementcancel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cancel();
    void cancelTwice();
    void remove();
    void deleteQuestionNamesWrittenOff_data();
    void deleteQuestionNamesWrittenOff();
    void withoutInstalmentsOrCheques_data();
    void withoutInstalmentsOrCheques();
    void emptyCodeChangesNothing();
    void failureRollsBack_data();
    void failureRollsBack();

private:
    QString statuses(const QString &acordo) const;
    QString situations(const QString &acordo) const;
    QString snapshot() const;

    kq::test::TempDataFolder *m_folder = nullptr;
    QString m_db;
};

void tst_qagreementcancel::init()
{
    m_folder = new kq::test::TempDataFolder;
    m_db = m_folder->devolvidos();
    kq::test::queries::addPortfolio(m_db);
}

void tst_qagreementcancel::cleanup()
{
    delete m_folder;
    m_folder = nullptr;
}

QString tst_qagreementcancel::statuses(const QString &acordo) const
{
    return scalar(m_db,
                  "SELECT group_concat(cd_status, '') FROM (SELECT cd_status FROM "
                  "parcelas WHERE cd_acordo = ? ORDER BY cd_parcela)",
                  {acordo})
        .toString();
}

QString tst_qagreementcancel::situations(const QString &acordo) const
{
    return scalar(m_db,
                  "SELECT group_concat(CD_SITUACAO, ',') FROM (SELECT CD_SITUACAO FROM "
                  "DEVOLVIDOS WHERE cd_acordo = ? ORDER BY CD_DEVOLVIDO)",
                  {acordo})
        .toString();
}

QString tst_qagreementcancel::snapshot() const
{
    return scalar(m_db, "SELECT (SELECT group_concat(cd_acordo || coalesce(cd_status, '-'), ',')"
                        " FROM acordos) || '|' || (SELECT group_concat(cd_acordo || cd_parcela"
                        " || cd_status, ',') FROM parcelas) || '|' || (SELECT "
                        "group_concat(CD_DEVOLVIDO || CD_SITUACAO || coalesce(cd_acordo, '-'),"
                        " ',') FROM DEVOLVIDOS)")
        .toString();
}

void tst_qagreementcancel::cancel()
{
    QCOMPARE(statuses("00001"), QString("ABA"));
    const AgreementChange change = cancelAgreement(m_db, "00001");
    QCOMPARE(change.agreements, 1);
    QCOMPARE(change.instalments, 3);
    QCOMPARE(change.cheques, 2);
    QCOMPARE(scalar(m_db, "SELECT cd_status FROM acordos WHERE cd_acordo = '00001'").toString(),
             QString("C"));
    // Written-off instalments are cancelled too.
    QCOMPARE(statuses("00001"), QString("CCC"));
    // The cheques go back to collection and keep their agreement code.
    QCOMPARE(situations("00001"), QString("001,001"));
    // Another agreement is untouched.
    QVERIFY(scalar(m_db, "SELECT cd_status FROM acordos WHERE cd_acordo = '00002'").isNull());
    QCOMPARE(statuses("00002"), QString("AA"));
}

void tst_qagreementcancel::cancelTwice()
{
    cancelAgreement(m_db, "00001");
    const QString after = snapshot();
    const AgreementChange again = cancelAgreement(m_db, "00001");
    QCOMPARE(again.agreements, 1);
    QCOMPARE(again.instalments, 3);
    QCOMPARE(snapshot(), after);
}

void tst_qagreementcancel::remove()
{
    const AgreementChange change = deleteAgreement(m_db, "00001");
    QCOMPARE(change.agreements, 1);
    QCOMPARE(change.instalments, 3);
    QCOMPARE(change.cheques, 2);
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM acordos WHERE cd_acordo = '00001'").toInt(), 0);
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM parcelas WHERE cd_acordo = '00001'").toInt(), 0);
    // The code stays on the cheques, naming no agreement now.
    QCOMPARE(situations("00001"), QString("001,001"));
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM CLIENTES WHERE CD_cliente = '00001'").toInt(), 1);
    QCOMPARE(kq::test::rowCount(m_db, "acordos"), 1);
    QCOMPARE(statuses("00002"), QString("AA"));
}

// The question before a delete names the written-off instalments that go
// with the agreement; with none it is the question alone.
void tst_qagreementcancel::deleteQuestionNamesWrittenOff_data()
{
    QTest::addColumn<QString>("acordo");
    QTest::addColumn<QStringList>("writtenOff"); // cd_parcela set to "B" first
    QTest::addColumn<QString>("secondLine");
    QTest::newRow("none") << "00002" << QStringList{} << QString();
    QTest::newRow("one") << "00001" << QStringList{}
                         << "Atenção: 1 parcela já baixada (" + kq::platform::formatCurrency(150)
                                + ") será excluída.";
    QTest::newRow("two, with cents")
        << "00002" << QStringList{"01", "02"}
        << "Atenção: 2 parcelas já baixadas (" + kq::platform::formatCurrency(160.5)
               + ") serão excluídas.";
}

void tst_qagreementcancel::deleteQuestionNamesWrittenOff()
{
    QFETCH(QString, acordo);
    QFETCH(QStringList, writtenOff);
    QFETCH(QString, secondLine);
    exec(m_db, "UPDATE parcelas SET vl_parcela = 80.25 WHERE cd_acordo = '00002'");
    for (const QString &p : writtenOff)
        exec(m_db, "UPDATE parcelas SET cd_status = 'B' WHERE cd_acordo = ? AND cd_parcela = ?",
             {acordo, p});
    const QString before = snapshot();
    const WrittenOff w = writtenOffInstalments(m_db, acordo);
    QString expected = "Deseja Realmente excluir esse registro? :" + acordo;
    if (!secondLine.isEmpty())
        expected += "\n" + secondLine;
    QCOMPARE(deleteQuestion(acordo, w), expected);
    QCOMPARE(snapshot(), before); // asking writes nothing
}

void tst_qagreementcancel::withoutInstalmentsOrCheques_data()
{
    QTest::addColumn<bool>("deleting");
    QTest::newRow("cancel") << false;
    QTest::newRow("delete") << true;
}

void tst_qagreementcancel::withoutInstalmentsOrCheques()
{
    QFETCH(bool, deleting);
    exec(m_db, "INSERT INTO acordos (cd_acordo, CD_CLIENTE, cd_loja) "
               "VALUES ('00003', '00003', '002')");
    const AgreementChange change
        = deleting ? deleteAgreement(m_db, "00003") : cancelAgreement(m_db, "00003");
    QCOMPARE(change.agreements, 1);
    QCOMPARE(change.instalments, 0);
    QCOMPARE(change.cheques, 0);
}

void tst_qagreementcancel::emptyCodeChangesNothing()
{
    const QString before = snapshot();
    QVERIFY_THROWS_EXCEPTION(kq::data::DataError, cancelAgreement(m_db, ""));
    QVERIFY_THROWS_EXCEPTION(kq::data::DataError, deleteAgreement(m_db, "  "));
    QCOMPARE(snapshot(), before);
}

void tst_qagreementcancel::failureRollsBack_data()
{
    QTest::addColumn<bool>("deleting");
    QTest::newRow("cancel") << false;
    QTest::newRow("delete") << true;
}

void tst_qagreementcancel::failureRollsBack()
{
    QFETCH(bool, deleting);
    // The cheques are written last; make that write fail.
    exec(m_db, "CREATE TRIGGER no_cheques BEFORE UPDATE ON DEVOLVIDOS "
               "BEGIN SELECT RAISE(ABORT, 'bloqueado'); END");
    const QString before = snapshot();
    QVERIFY_THROWS_EXCEPTION(kq::data::DataError, deleting ? deleteAgreement(m_db, "00001")
                                                           : cancelAgreement(m_db, "00001"));
    QCOMPARE(snapshot(), before);
}

QTEST_GUILESS_MAIN(tst_qagreementcancel)
#include "tst_qagreementcancel.moc"
