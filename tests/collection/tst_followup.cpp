// Follow-up rules: the debt totals and average delay, contact numbering,
// saving and deleting contacts.
#include "collection/rules/followup.h"
#include "data/database.h"
#include "data/datafolder.h"
#include "support/base_folders.h"

#include <QLocale>
#include <QTest>

using namespace kq::collection;

namespace {
QVector<DebtCheque> daysAgo(const QList<int> &days, const QDate &today)
{
    QVector<DebtCheque> out;
    for (int d : days)
        out.push_back({today.addDays(-d), 10.0});
    return out;
}
} // namespace

class tst_followup : public QObject
{
    Q_OBJECT

private:
    const QDate m_today{2024, 6, 15};
    kq::test::TempFolders *m_folders = nullptr;
    QString m_db;

    QVariant debtor(const QString &field) const
    {
        return kq::data::scalar(
            m_db, QStringLiteral("SELECT %1 FROM CLIENTES WHERE CD_cliente='00001'").arg(field));
    }
    int contacts(const QString &numero = QString()) const
    {
        return kq::data::scalar(m_db,
                                QStringLiteral("SELECT COUNT(*) FROM VANTESCA WHERE "
                                               "CD_CLIENTE='00001' AND (? = '' OR CD_VANTESCA=?)"),
                                {numero, numero})
            .toInt();
    }
    Contact contact(const QString &numero, const QDate &date) const
    {
        return {QStringLiteral("00001"),
                numero,
                date,
                QStringLiteral("Prometeu pagar"),
                QStringLiteral("Maria"),
                QStringLiteral("SUPERVISOR")};
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }
    void init()
    {
        m_folders = new kq::test::TempFolders;
        kq::data::prepareDataFolder(m_folders->dataFolder());
        m_db = m_folders->dataFile(kq::data::kDevolvidos);
        kq::data::exec(m_db, QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente) "
                                            "VALUES ('00001', 'JOSÉ')"));
    }
    void cleanup()
    {
        kq::data::closeAllDatabases();
        delete m_folders;
        m_folders = nullptr;
    }

    void averageDelay_data()
    {
        QTest::addColumn<QList<int>>("days");
        QTest::addColumn<qint64>("average");
        QTest::newRow("10 and 11 days") << QList<int>{10, 11} << qint64(10);
        QTest::newRow("5 days ahead") << QList<int>{-5} << qint64(-5);
        QTest::newRow("tomorrow and today") << QList<int>{-1, 0} << qint64(-1);
        QTest::newRow("exact") << QList<int>{30, 60} << qint64(45);
    }
    void averageDelay()
    {
        QFETCH(QList<int>, days);
        QFETCH(qint64, average);
        const DebtTotals t = computeDebtTotals(daysAgo(days, m_today), m_today);
        QCOMPARE(t.mediaAtraso().value_or(-999), average);
        QCOMPARE(t.total, 10.0 * days.size());
    }

    void noChequesGiveNoAverage()
    {
        const DebtTotals t = computeDebtTotals({}, m_today);
        QCOMPARE(t.total, 0.0);
        QVERIFY(!t.mediaAtraso());
    }

    // Far more days than a 16-bit sum holds.
    void largeSumsDoNotOverflow()
    {
        QVector<DebtCheque> cheques;
        for (int i = 0; i < 5000; ++i)
            cheques.push_back({m_today.addYears(-20), 1e9});
        const DebtTotals t = computeDebtTotals(cheques, m_today);
        QCOMPARE(t.cheques, qint64(5000));
        QCOMPARE(t.mediaAtraso().value(), qint64(m_today.addYears(-20).daysTo(m_today)));
        QCOMPARE(t.total, 5e12);
    }

    // A Null or unreadable field adds nothing and is no failure.
    void missingFields()
    {
        const QVector<DebtCheque> cheques{{QVariant(), 100.0},
                                          {m_today.addDays(-4), QVariant()},
                                          {QStringLiteral("2024-06-05"), QStringLiteral("50")},
                                          {QStringLiteral("lixo"), QStringLiteral("abc")}};
        const DebtTotals t = computeDebtTotals(cheques, m_today);
        QCOMPARE(t.cheques, qint64(4));
        QCOMPARE(t.total, 150.0);
        QCOMPARE(t.mediaAtraso().value(), qint64(7));
    }

    void readsOnlyChequesWithAKnownSituation()
    {
        kq::data::exec(
            m_db, QStringLiteral(
                      "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_SITUACAO, DT_DEPOSITO, "
                      "VL_CHEQUE) VALUES ('0000000001','00001','001','2024-06-05',100), "
                      "('0000000002','00001','002','2024-06-01',50), "
                      "('0000000003','00001','999','2024-06-01',70), "
                      "('0000000004','00002','001','2024-06-01',30), "
                      "('0000000005','00001','001',NULL,NULL)"));
        const DebtTotals t = computeDebtTotals(readDebtCheques(m_db, "00001"), m_today);
        QCOMPARE(t.cheques, qint64(3));
        QCOMPARE(t.total, 150.0);
        QCOMPARE(t.mediaAtraso().value(), qint64(12));
    }

    void contactNumber_data()
    {
        QTest::addColumn<QVariant>("shown");
        QTest::addColumn<QString>("number");
        QTest::newRow("none yet") << QVariant(0) << "001";
        QTest::newRow("empty count") << QVariant() << "001";
        QTest::newRow("text count") << QVariant(QStringLiteral("1")) << "002";
        QTest::newRow("ninth") << QVariant(8) << "009";
        QTest::newRow("thousandth") << QVariant(999) << "1000";
    }
    void contactNumber()
    {
        QFETCH(QVariant, shown);
        QFETCH(QString, number);
        QCOMPARE(nextContactNumber(shown), number);
    }

    void historyText_data()
    {
        QTest::addColumn<QString>("history");
        QTest::addColumn<bool>("says");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blanks") << "   " << false;
        QTest::newRow("line breaks and a tab") << "\n \n\t" << false;
        QTest::newRow("one letter") << "x" << true;
        QTest::newRow("text among blanks") << "  ligar amanhã \n" << true;
    }
    void historyText()
    {
        QFETCH(QString, history);
        QFETCH(bool, says);
        QCOMPARE(hasHistoryText(history), says);
    }

    void saveCountsOnTheDebtor()
    {
        // Back-dated contact: the last-contact date is still the day of saving.
        QVERIFY(saveContact(m_db, contact("001", m_today.addDays(-10)), m_today));
        QCOMPARE(debtor("nr_contatos").toInt(), 1);
        QCOMPARE(debtor("dt_ultimocontato").toString(), QStringLiteral("2024-06-15"));
        QCOMPARE(nextContactNumber(debtor("nr_contatos")), QStringLiteral("002"));
        QVERIFY(saveContact(m_db, contact("002", m_today), m_today));
        QCOMPARE(debtor("nr_contatos").toInt(), 2);
        QCOMPARE(kq::data::scalar(m_db, QStringLiteral("SELECT DT_VANTESCA FROM VANTESCA "
                                                       "WHERE CD_VANTESCA='001'"))
                     .toString(),
                 QStringLiteral("2024-06-05"));
    }

    void contactOfAMissingDebtorIsKeptUncounted()
    {
        Contact c = contact("001", m_today);
        c.cliente = QStringLiteral("00042");
        QVERIFY(!saveContact(m_db, c, m_today));
        QCOMPARE(kq::data::scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM VANTESCA "
                                                       "WHERE CD_CLIENTE='00042'"))
                     .toInt(),
                 1);
    }

    void deleteKeepsTheCountAndDoesNothingTwice()
    {
        saveContact(m_db, contact("001", m_today), m_today);
        saveContact(m_db, contact("002", m_today), m_today);
        QCOMPARE(contactHistory(m_db, "00001", "002").value_or(""),
                 QStringLiteral("Prometeu pagar"));
        QVERIFY(deleteContact(m_db, "00001", "002"));
        QVERIFY(!deleteContact(m_db, "00001", "002"));
        QVERIFY(!contactHistory(m_db, "00001", "002"));
        QCOMPARE(contacts(), 1);
        QCOMPARE(debtor("nr_contatos").toInt(), 2);
        // The deleted number is not used again.
        QCOMPARE(nextContactNumber(debtor("nr_contatos")), QStringLiteral("003"));
        QVERIFY(!deleteContact(m_db, "00009", "001"));
    }
};

QTEST_GUILESS_MAIN(tst_followup)
#include "tst_followup.moc"
