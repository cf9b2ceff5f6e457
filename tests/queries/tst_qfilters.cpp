// Record sources of the query screens and their filters, run on a small
// portfolio: what each filter keeps, its order, and typed text taken
// literally.
#include "data/recordset.h"
#include "queries/rules/queryfilters.h"
#include "support/base_data.h"
#include "support/base_server.h"
#include "support/shell_queries_fixture.h"

#include <QtTest>

using namespace kq::queries;
using kq::data::RecordSource;

Q_DECLARE_METATYPE(RecordSource)

class tst_qfilters : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void literals_data();
    void literals();
    void cheques_data();
    void cheques();
    void documentPrefix_data();
    void documentPrefix();
    void instalments_data();
    void instalments();
    void agreements_data();
    void agreements();
    void agreementRecord();

private:
    QStringList keys(const RecordSource &source, const QString &field) const;

    kq::test::TempDataFolder *m_folder = nullptr;
    QString m_db;
};

void tst_qfilters::initTestCase()
{
    KQ_SKIP_WITHOUT_SERVER();
    m_folder = new kq::test::TempDataFolder;
    m_db = m_folder->devolvidos();
    kq::test::queries::addPortfolio(m_db);
}

void tst_qfilters::cleanupTestCase()
{
    delete m_folder;
    m_folder = nullptr;
}

QStringList tst_qfilters::keys(const RecordSource &source, const QString &field) const
{
    kq::data::Recordset rs(m_db, source);
    rs.refresh();
    QStringList out;
    for (; !rs.eof(); rs.moveNext())
        out << rs.text(field);
    return out;
}

void tst_qfilters::literals_data()
{
    QTest::addColumn<QString>("got");
    QTest::addColumn<QString>("expected");
    QTest::newRow("date") << jetDate(QDate(2026, 3, 5)) << "#2026/03/05#";
    QTest::newRow("prefix") << kq::data::likePrefix("123") << "123%";
    QTest::newRow("empty prefix") << kq::data::likePrefix("") << "%";
    QTest::newRow("wildcards escaped")
        << kq::data::likePrefix("1%2_3\\4*5?") << "1\\%2\\_3\\\\4*5?%";
    QTest::newRow("quote in prefix") << kq::data::likePrefix("12'3") << "12'3%";
}

void tst_qfilters::literals()
{
    QFETCH(QString, got);
    QFETCH(QString, expected);
    QCOMPARE(got, expected);
}

void tst_qfilters::cheques_data()
{
    QTest::addColumn<RecordSource>("source");
    QTest::addColumn<QStringList>("expected"); // CD_DEVOLVIDO in the order given
    QTest::addColumn<bool>("ordered");
    const QDate jan1(2026, 1, 1), jan31(2026, 1, 31), feb15(2026, 2, 15);
    QTest::newRow("load: store 009 left out by the join")
        << RecordSource(chequeLoadQuery()) << QStringList{"0000000001", "0000000002", "0000000003",
                                                          "0000000004", "0000000005", "0000000007"}
        << false;
    QTest::newRow("store, by issuer")
        << chequesByStore("001") << QStringList{"0000000002", "0000000005", "0000000001"} << true;
    QTest::newRow("empty store key") << chequesByStore("") << QStringList{} << true;
    QTest::newRow("quote in a key") << chequesByStore("0'1") << QStringList{} << true;
    QTest::newRow("NUL in a key") << chequesByStore(QStringLiteral("001") + QChar(0))
                                  << QStringList{} << true;
    QTest::newRow("store and period, end date included")
        << chequesByStoreAndPeriod("001", jan1, jan31) << QStringList{"0000000002", "0000000001"}
        << true;
    QTest::newRow("period, both ends included")
        << RecordSource(chequesByPeriod(jan31, feb15))
        << QStringList{"0000000002", "0000000003", "0000000004"} << true;
    QTest::newRow("start after end")
        << RecordSource(chequesByPeriod(feb15, jan1)) << QStringList{} << true;
    // As the screen runs it (a period of few cheques, on either engine).
    QTest::newRow("period, on the database")
        << RecordSource(chequesByPeriod(m_db, jan31, feb15))
        << QStringList{"0000000002", "0000000003", "0000000004"} << true;
}

void tst_qfilters::cheques()
{
    QFETCH(RecordSource, source);
    QFETCH(QStringList, expected);
    QFETCH(bool, ordered);
    QStringList got = keys(source, "CD_DEVOLVIDO");
    if (!ordered) {
        got.sort();
        expected.sort();
    }
    QCOMPARE(got, expected);
}

void tst_qfilters::documentPrefix_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected"); // by issuer name
    QTest::newRow("empty: every present number, the empty one too")
        << "" << QStringList{"0000000002", "0000000003", "0000000005", "0000000007", "0000000001"};
    QTest::newRow("prefix") << "123" << QStringList{"0000000002", "0000000001"};
    QTest::newRow("single quote") << "123'" << QStringList{"0000000002"};
    QTest::newRow("percent is no wildcard") << "50%" << QStringList{"0000000003"};
    QTest::newRow("underscore is no wildcard") << "50%_" << QStringList{"0000000003"};
    QTest::newRow("star is no wildcard") << "*" << QStringList{};
    QTest::newRow("question mark is no wildcard") << "12?" << QStringList{};
    QTest::newRow("sql text stays text") << "' OR ''='" << QStringList{};
    QTest::newRow("backslash is no escape") << "123\\" << QStringList{};
    QTest::newRow("control character is looked for") << "123\t" << QStringList{};
}

void tst_qfilters::documentPrefix()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    QCOMPARE(keys(chequesByDocument(typed), "CD_DEVOLVIDO"), expected);
}

void tst_qfilters::instalments_data()
{
    QTest::addColumn<RecordSource>("source");
    QTest::addColumn<QStringList>("expected"); // cd_acordo/cd_parcela
    QTest::addColumn<bool>("ordered");
    QTest::newRow("load: every status")
        << RecordSource(instalmentLoadQuery())
        << QStringList{"00001/01", "00001/02", "00001/03", "00002/01", "00002/02"} << false;
    QTest::newRow("debtor") << instalmentsByDebtor("00002") << QStringList{"00002/01", "00002/02"}
                            << false;
    QTest::newRow("empty debtor") << instalmentsByDebtor("") << QStringList{} << true;
    // Due dates: 00001 on 10/05, 10/06, 10/07; 00002 on 05/06, 05/07.
    QTest::newRow("store and due period")
        << instalmentsByStoreAndPeriod("001", QDate(2026, 5, 10), QDate(2026, 6, 10))
        << QStringList{"00001/01", "00001/02"} << false;
    QTest::newRow("due period, by debtor")
        << RecordSource(instalmentsByPeriod(QDate(2026, 6, 5), QDate(2026, 7, 5)))
        << QStringList{"00001/02", "00002/01", "00002/02"} << false;
    QTest::newRow("due period, on the database")
        << RecordSource(instalmentsByPeriod(m_db, QDate(2026, 6, 5), QDate(2026, 7, 5)))
        << QStringList{"00001/02", "00002/01", "00002/02"} << false;
}

void tst_qfilters::instalments()
{
    QFETCH(RecordSource, source);
    QFETCH(QStringList, expected);
    QFETCH(bool, ordered);
    kq::data::Recordset rs(m_db, source);
    rs.refresh();
    QStringList got;
    QStringList names;
    for (; !rs.eof(); rs.moveNext()) {
        got << rs.text("cd_acordo") + "/" + rs.text("cd_parcela");
        names << rs.text("nm_cliente");
    }
    if (!ordered) {
        got.sort();
        expected.sort();
    }
    QCOMPARE(got, expected);
    // Every column of the list is in every source.
    for (const char *f : {"cd_status", "cd_acordo", "cd_parcela", "ds_loja", "NM_CLIENTE",
                          "NR_TELEFONES", "vl_parcela", "dt_vencimento", "vl_honorarios"})
        QVERIFY2(rs.fieldIndex(f) >= 0, f);
    if (source.sql.contains("order by")) {
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(names, sorted);
    }
}

void tst_qfilters::agreements_data()
{
    QTest::addColumn<RecordSource>("source");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("load") << RecordSource(agreementLoadQuery()) << QStringList{"00001", "00002"};
    QTest::newRow("all") << RecordSource(agreementAllQuery()) << QStringList{"00001", "00002"};
    QTest::newRow("store and date, both ends")
        << agreementsByStoreAndPeriod("002", QDate(2026, 5, 5), QDate(2026, 5, 5))
        << QStringList{"00002"};
    QTest::newRow("other store") << agreementsByStoreAndPeriod("001", QDate(2026, 5, 5),
                                                               QDate(2026, 5, 5))
                                 << QStringList{};
    QTest::newRow("debtor") << agreementsByDebtor("00001") << QStringList{"00001"};
    QTest::newRow("date") << RecordSource(agreementsByPeriod(QDate(2026, 4, 1), QDate(2026, 5, 31)))
                          << QStringList{"00001", "00002"};
}

void tst_qfilters::agreements()
{
    QFETCH(RecordSource, source);
    QFETCH(QStringList, expected);
    QCOMPARE(keys(source, "cd_acordo"), expected);
}

void tst_qfilters::agreementRecord()
{
    kq::data::Recordset rs(m_db, agreementRecordQuery("00001"));
    rs.refresh();
    QVERIFY(!rs.eof());
    QCOMPARE(rs.text("nm_cliente"), QString("ANA LIMA"));
    QCOMPARE(rs.field("vl_parcela").toDouble(), 150.0);
    QCOMPARE(keys(agreementChequesQuery("00001"), "CD_DEVOLVIDO"),
             (QStringList{"0000000001", "0000000005"}));
    QCOMPARE(keys(agreementInstalmentsQuery("00002"), "cd_parcela"), (QStringList{"01", "02"}));
}

QTEST_GUILESS_MAIN(tst_qfilters)
#include "tst_qfilters.moc"
