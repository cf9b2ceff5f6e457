// The instalment simulation of the follow-up screen.
#include "collection/rules/simulation.h"
#include "core/format.h"

#include <QLocale>
#include <QTest>

using namespace kq::collection;

class tst_simulation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    void plans_data()
    {
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("taxa");
        QTest::addColumn<double>("parcelas");
        QTest::addColumn<double>("parcela");
        QTest::addColumn<double>("financiado");
        // 12 x the instalment as shown (88,85), not the 1066,19 of the exact one.
        QTest::newRow("1000 at 1% x12") << 1000.0 << 1.0 << 12.0 << 88.85 << 1066.20;
        QTest::newRow("500 at 2% x1") << 500.0 << 2.0 << 1.0 << 510.0 << 510.0;
        QTest::newRow("2.5 periods") << 1000.0 << 1.0 << 2.5 << 407.02 << 1017.55;
        QTest::newRow("rounding shows") << 100.0 << 0.5 << 3.0 << 33.67 << 101.01;
        QTest::newRow("1234,56 at 2,5% x10") << 1234.56 << 2.5 << 10.0 << 141.06 << 1410.60;
    }
    void plans()
    {
        QFETCH(double, total);
        QFETCH(double, taxa);
        QFETCH(double, parcelas);
        QFETCH(double, parcela);
        QFETCH(double, financiado);
        const auto s = simulateInstalments(total, taxa, parcelas);
        QVERIFY(s);
        QCOMPARE(kq::platform::formatCurrency(s->parcela), kq::platform::formatCurrency(parcela));
        QCOMPARE(kq::platform::formatCurrency(s->totalFinanciado),
                 kq::platform::formatCurrency(financiado));
    }

    void guard_data()
    {
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("taxa");
        QTest::addColumn<QString>("parcelas");
        QTest::newRow("rate 0") << "1000,00"
                                << "0"
                                << "12";
        QTest::newRow("count still 0") << "1000,00"
                                       << "1"
                                       << "0";
        QTest::newRow("negative rate") << "1000,00"
                                       << "-1"
                                       << "12";
        QTest::newRow("negative count") << "1000,00"
                                        << "1"
                                        << "-3";
        QTest::newRow("empty rate") << "1000,00"
                                    << ""
                                    << "12";
        QTest::newRow("text count") << "1000,00"
                                    << "1"
                                    << "doze";
        QTest::newRow("no debtor yet") << ""
                                       << "1"
                                       << "12";
    }
    void guard()
    {
        QFETCH(QString, total);
        QFETCH(QString, taxa);
        QFETCH(QString, parcelas);
        QVERIFY(!simulateInstalments(total, taxa, parcelas));
    }

    // The boxes are read in the regional format.
    void fromTexts()
    {
        const auto s = simulateInstalments(QStringLiteral("1234,56"), QStringLiteral("2,5"),
                                           QStringLiteral("10"));
        QVERIFY(s);
        QCOMPARE(kq::platform::formatCurrency(s->parcela), kq::platform::formatCurrency(141.06));
    }
};

QTEST_GUILESS_MAIN(tst_simulation)
#include "tst_simulation.moc"
