#include "data/numbertext.h"

#include <QLocale>
#include <QTest>

#include <cmath>

using kq::data::NumberRule;

class TestNumberText : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }
    void readNumber_data();
    void readNumber();
};

void TestNumberText::readNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rule");
    QTest::addColumn<bool>("read");
    QTest::addColumn<double>("value");
    const int regional = int(NumberRule::Regional);
    const int c = int(NumberRule::C);
    const int both = int(NumberRule::CThenBrazilian);
    QTest::newRow("regional grouped") << "1.234,50" << regional << true << 1234.5;
    QTest::newRow("regional currency") << "R$ 10,00" << regional << true << 10.0;
    QTest::newRow("regional plain C") << "1234.50" << regional << true << 1234.5;
    QTest::newRow("regional exponent") << "1e3" << regional << false << 0.0;
    QTest::newRow("C exponent, blanks") << " 1e3 " << c << true << 1000.0;
    QTest::newRow("C comma") << "2,5" << c << false << 0.0;
    QTest::newRow("C blank") << "  " << c << false << 0.0;
    QTest::newRow("C then Brazilian, C") << "2.5" << both << true << 2.5;
    QTest::newRow("C then Brazilian, comma") << "2,5" << both << true << 2.5;
    QTest::newRow("C then Brazilian, grouped") << "1.234,5" << both << true << 1234.5;
    QTest::newRow("C then Brazilian, word") << "dois" << both << false << 0.0;
}

void TestNumberText::readNumber()
{
    QFETCH(QString, text);
    QFETCH(int, rule);
    QFETCH(bool, read);
    QFETCH(double, value);
    const std::optional<double> n = kq::data::readNumber(text, NumberRule(rule));
    QCOMPARE(n.has_value(), read);
    if (read)
        QCOMPARE(*n, value);
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
