#include "data/database.h"
#include "data/datafolder.h"
#include "shell/rules/correction.h"
#include "support/base_folders.h"

#include <QSqlQuery>
#include <QtTest>

using kq::shell::Correction;
using kq::shell::CorrectionTable;

class tst_correction : public QObject
{
    Q_OBJECT

private:
    static CorrectionTable sample()
    {
        CorrectionTable t;
        t.insert(QStringLiteral("2005/03"), 1.5);
        t.insert(QStringLiteral("2005/01"), 1.0);
        t.insert(QStringLiteral("2005/02"), 1.2);
        t.insert(QStringLiteral("2004/11"), 0.0);
        return t;
    }

private slots:
    void newestMonthIsLastInTextOrder()
    {
        const CorrectionTable t = sample();
        QCOMPARE(t.newestMonth(), QStringLiteral("2005/03"));
        QCOMPARE(t.newestFactor(), 1.5);
        QCOMPARE(t.monthOrNewest(QStringLiteral("2005/02")), QStringLiteral("2005/02"));
        QCOMPARE(t.monthOrNewest(QStringLiteral("2005/__")), QStringLiteral("2005/03"));
        QVERIFY(!t.hasUsableFactor(QStringLiteral("2004/11")));
        QCOMPARE(CorrectionTable().newestMonth(), QString());
        QCOMPARE(CorrectionTable().newestFactor(), 0.0);
    }

    // Rows that are not a whole month are left out and named once; the
    // newest month goes by year and month.
    void invalidMonthsLeftOut()
    {
        CorrectionTable t = sample();
        t.insert(QStringLiteral("____/__"), 5.0);
        t.insert(QStringLiteral("2026/1_"), 5.0);
        t.insert(QStringLiteral("2005/13"), 9.0);
        t.insert(QStringLiteral("2026/1_"), 5.0);
        QCOMPARE(t.newestMonth(), QStringLiteral("2005/03"));
        QCOMPARE(t.newestFactor(), 1.5);
        QCOMPARE(t.size(), 4);
        QCOMPARE(t.invalidMonths(), (QStringList{"2005/13", "2026/1_", "____/__"}));
        QVERIFY(!t.factor(QStringLiteral("2026/1_")));
        QCOMPARE(t.monthOrNewest(QStringLiteral("2026/1_")), QStringLiteral("2005/03"));
        t.insert(QStringLiteral("2006/01"), 1.6);
        QCOMPARE(t.newestMonth(), QStringLiteral("2006/01"));
        t.insert(QStringLiteral("2005/12"), 1.55);
        QCOMPARE(t.newestMonth(), QStringLiteral("2006/01"));
    }

    void monthKey()
    {
        QCOMPARE(kq::shell::monthKey(QDate(2005, 3, 7)), QStringLiteral("2005/03"));
        QCOMPARE(kq::shell::monthKey(QDate(2005, 12, 31)), QStringLiteral("2005/12"));
        QCOMPARE(kq::shell::monthKey(QDate()), QString());
    }

    void correctValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QDate>("deposit");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<int>("status");
        QTest::addColumn<double>("expected");
        QTest::addColumn<QString>("missing");

        QTest::newRow("1.2 to 1.5") << 100.0 << QDate(2005, 2, 10) << "2005/03"
                                    << int(Correction::Corrected) << 125.0 << "";
        QTest::newRow("newest month") << 100.0 << QDate(2005, 3, 31) << "2005/03"
                                      << int(Correction::Corrected) << 100.0 << "";
        QTest::newRow("older reference")
            << 150.0 << QDate(2005, 3, 1) << "2005/02" << int(Correction::Corrected) << 120.0 << "";
        QTest::newRow("no row for deposit")
            << 80.0 << QDate(2004, 12, 5) << "2005/03" << int(Correction::NoDepositFactor) << 80.0
            << "2004/12";
        QTest::newRow("zero deposit factor")
            << 80.0 << QDate(2004, 11, 5) << "2005/03" << int(Correction::NoDepositFactor) << 80.0
            << "2004/11";
        QTest::newRow("no row for reference")
            << 80.0 << QDate(2005, 1, 5) << "2006/01" << int(Correction::NoReferenceFactor) << 80.0
            << "2006/01";
        QTest::newRow("zero reference") << 80.0 << QDate(2005, 1, 5) << "2004/11"
                                        << int(Correction::NoReferenceFactor) << 80.0 << "2004/11";
        QTest::newRow("no deposit date")
            << 80.0 << QDate() << "2005/03" << int(Correction::NoDepositDate) << 80.0 << "";
    }

    void correctValue()
    {
        QFETCH(double, value);
        QFETCH(QDate, deposit);
        QFETCH(QString, reference);
        QFETCH(int, status);
        QFETCH(double, expected);
        QFETCH(QString, missing);

        const Correction c = kq::shell::correctValue(sample(), value, deposit, reference);
        QCOMPARE(int(c.status), status);
        QCOMPARE(kq::shell::roundedValue(c.value), expected);
        QCOMPARE(c.missingMonth, missing);
    }

    void correctValueByFactor()
    {
        const CorrectionTable t = sample();
        auto c = kq::shell::correctValueByFactor(t, 100.0, QDate(2005, 1, 20), 1.5);
        QVERIFY(c.ok());
        QCOMPARE(c.value, 150.0);
        c = kq::shell::correctValueByFactor(t, 100.0, QDate(2005, 1, 20), 0.0);
        QCOMPARE(c.status, Correction::NoReferenceFactor);
        QCOMPARE(c.value, 100.0);
    }

    void roundingIsHalfAwayOnTheShownValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("expected");
        QTest::newRow("2.675") << 2.675 << 2.68;
        QTest::newRow("1.005") << 1.005 << 1.01;
        QTest::newRow("-2.675") << -2.675 << -2.68;
        QTest::newRow("115.384615") << 100.0 * 1.5 / 1.3 << 115.38;
        QTest::newRow("0.125") << 0.125 << 0.13;
        QTest::newRow("1234567.895") << 1234567.895 << 1234567.9;
    }

    void roundingIsHalfAwayOnTheShownValue()
    {
        QFETCH(double, value);
        QFETCH(double, expected);
        QCOMPARE(kq::shell::roundedValue(value), expected);
    }

    void loadReadsTheTable()
    {
        kq::test::TempFolders folders;
        kq::data::prepareDataFolder(folders.dataFolder());
        const QString db = folders.dataFile(kq::data::kDevolvidos);
        QVERIFY(CorrectionTable::load(db).isEmpty());
        const QString insert = QStringLiteral("INSERT INTO correcao (cd_ref, fator, ano) "
                                              "VALUES (?, ?, ?)");
        kq::data::exec(db, insert, {QStringLiteral("2010/02"), 1.25, QStringLiteral("2010")});
        kq::data::exec(db, insert, {QStringLiteral("2009/12"), 1.1, QStringLiteral("2009")});
        kq::data::exec(db, insert, {QStringLiteral("2010/01"), QVariant(), QStringLiteral("2010")});

        const CorrectionTable t = CorrectionTable::load(db);
        QCOMPARE(t.size(), 3);
        QCOMPARE(t.newestMonth(), QStringLiteral("2010/02"));
        QCOMPARE(t.newestFactor(), 1.25);
        QCOMPARE(*t.factor(QStringLiteral("2009/12")), 1.1);
        // A Null factor is no usable factor.
        QVERIFY(t.factor(QStringLiteral("2010/01")).has_value());
        QVERIFY(!t.hasUsableFactor(QStringLiteral("2010/01")));
    }
};

QTEST_GUILESS_MAIN(tst_correction)
#include "tst_correction.moc"
