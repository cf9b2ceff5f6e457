// Writing instalments off: the period's open instalments, the instalment
// found by its agreement and number, and the write-off itself.
#include "collection/rules/writeoff.h"
#include "data/database.h"
#include "data/datafolder.h"
#include "data/jetsql.h"
#include "support/base_folders.h"
#include "support/shell_agreement_fixture.h"

#include <QSqlQuery>
#include <QtTest>

using namespace kq::collection;
using namespace kq::test;
using kq::data::exec;
using kq::data::scalar;

class tst_writeoff : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writeOffMonth_data();
    void writeOffMonth();
    void periodEnds_data();
    void periodEnds();
    void writeOffByAgreementAndNumber();

private:
    QStringList openInstalments(const QDate &from, const QDate &to) const;

    TempFolders *m_folders = nullptr;
    QString m_db;
};

void tst_writeoff::init()
{
    m_folders = new TempFolders;
    kq::data::prepareDataFolder(m_folders->dataFolder());
    m_db = m_folders->dataFile(kq::data::kDevolvidos);
    addDebtor(m_db, "00001", "JOSE DA SILVA");
    addDebtor(m_db, "00002", "MARIA SOUZA");
    addStore(m_db, "001", "LOJA CENTRO", 3, 2, 10, 3, 2);
    addAgreement(m_db, "00001", "00001", "001", 3, 50, QDate(2025, 1, 10)); // 10/02..10/04
    addAgreement(m_db, "00002", "00002", "001", 1, 70, QDate(2025, 2, 9));  // 09/03
}

void tst_writeoff::cleanup()
{
    kq::data::closeAllDatabases();
    delete m_folders;
    m_folders = nullptr;
}

QStringList tst_writeoff::openInstalments(const QDate &from, const QDate &to) const
{
    QSqlQuery q = exec(m_db, kq::data::translateJet(openInstalmentsSource(from, to)));
    QStringList rows;
    while (q.next())
        rows << q.value("cd_acordo").toString() + '/' + q.value("cd_parcela").toString();
    rows.sort();
    return rows;
}

void tst_writeoff::writeOffMonth_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("month");
    QTest::newRow("first day") << QDate(2026, 3, 1) << "03/2026";
    QTest::newRow("last day of the year") << QDate(2025, 12, 31) << "12/2025";
    QTest::newRow("leap day") << QDate(2024, 2, 29) << "02/2024";
    QTest::newRow("year 2000") << QDate(2000, 1, 9) << "01/2000";
}

void tst_writeoff::writeOffMonth()
{
    QFETCH(QDate, day);
    QFETCH(QString, month);
    QCOMPARE(kq::collection::writeOffMonth(day), month);
}

// Both days of the period count, and only those between them.
void tst_writeoff::periodEnds_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("whole span") << QDate(2025, 2, 10) << QDate(2025, 4, 10)
                                << QStringList{"00001/01", "00001/02", "00001/03", "00002/01"};
    QTest::newRow("a day inside each end")
        << QDate(2025, 2, 11) << QDate(2025, 4, 9) << QStringList{"00001/02", "00002/01"};
    QTest::newRow("one day") << QDate(2025, 3, 9) << QDate(2025, 3, 9) << QStringList{"00002/01"};
    QTest::newRow("day between two") << QDate(2025, 3, 11) << QDate(2025, 4, 9) << QStringList{};
    QTest::newRow("ends reversed") << QDate(2025, 4, 10) << QDate(2025, 2, 10) << QStringList{};
}

void tst_writeoff::periodEnds()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, rows);
    QCOMPARE(openInstalments(from, to), rows);
}

// An instalment is its agreement and its number: writing one off leaves the
// instalment of the same number of another agreement open, and the list of
// open instalments loses that one alone.
void tst_writeoff::writeOffByAgreementAndNumber()
{
    QVERIFY(writeOffInstalment(m_db, "00002", "01", QDate(2025, 3, 9)));
    QCOMPARE(findInstalment(m_db, "00002", "01")->cdStatus, QString("B"));
    const auto other = findInstalment(m_db, "00001", "01");
    QVERIFY(other);
    QCOMPARE(other->cdStatus, QString("A"));
    QCOMPARE(other->vlParcela, 50.0);
    QCOMPARE(other->dtVencimento, QDate(2025, 2, 10));
    QVERIFY(scalar(m_db, "SELECT DT_BAIXA FROM parcelas WHERE cd_acordo = '00001' "
                         "AND cd_parcela = '01'")
                .isNull());
    QCOMPARE(openInstalments(QDate(2025, 2, 10), QDate(2025, 4, 10)),
             (QStringList{"00001/01", "00001/02", "00001/03"}));
}

QTEST_GUILESS_MAIN(tst_writeoff)
#include "tst_writeoff.moc"
