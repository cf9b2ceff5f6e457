#include "core/format.h"
#include "core/regional.h"

#include <QLocale>
#include <QTest>

using namespace kq::platform;

class tst_format : public QObject
{
    Q_OBJECT
private slots:
    // The program's own start-up settings, whatever the machine's locale.
    void initTestCase() { kq::platform::useBrazilianSettings(*QCoreApplication::instance()); }

    void formatValue_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fixed2") << QVariant(1234.5) << "0.00"
                                << "1234,50";
        QTest::newRow("fixed2 half up") << QVariant(2.675) << "0.00"
                                        << "2,68";
        QTest::newRow("fixed2 half away negative") << QVariant(-2.675) << "0.00"
                                                   << "-2,68";
        QTest::newRow("fixed2 .005") << QVariant(1.005) << "0.00"
                                     << "1,01";
        QTest::newRow("fixed2 no minus zero") << QVariant(-0.001) << "0.00"
                                              << "0,00";
        QTest::newRow("currency") << QVariant(1234.5) << "Currency"
                                  << "R$ 1.234,50";
        QTest::newRow("currency zero") << QVariant(0.0) << "Currency"
                                       << "R$ 0,00";
        QTest::newRow("currency millions") << QVariant(1234567.891) << "Currency"
                                           << "R$ 1.234.567,89";
        QTest::newRow("currency negative") << QVariant(-10.0) << "Currency"
                                           << "-R$ 10,00";
        QTest::newRow("padded") << QVariant(7) << "000"
                                << "007";
        QTest::newRow("padded wider") << QVariant(1000) << "000"
                                      << "1000";
        QTest::newRow("date iso text") << QVariant("2025-01-31") << "dd/mm/yyyy"
                                       << "31/01/2025";
        QTest::newRow("date") << QVariant(QDate(2025, 3, 4)) << "dd/mm/yyyy"
                              << "04/03/2025";
        QTest::newRow("year month") << QVariant(QDate(2025, 3, 4)) << "YYYY/MM"
                                    << "2025/03";
        QTest::newRow("month year") << QVariant(QDate(2025, 3, 4)) << "mm/YYYY"
                                    << "03/2025";
        QTest::newRow("null") << QVariant() << "0.00"
                              << "";
        QTest::newRow("plain") << QVariant(0.1 + 0.2) << ""
                               << "0,3";
        QTest::newRow("plain big money") << QVariant(123456789012.5) << ""
                                         << "123456789012,5";
        QTest::newRow("text passes") << QVariant("abc") << "0.00"
                                     << "abc";
    }
    void formatValue()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(kq::platform::formatValue(value, format), expected);
    }

    void parseNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("comma") << "125,50" << true << 125.5;
        QTest::newRow("factor") << "1,10" << true << 1.1;
        QTest::newRow("blanks around") << " 0,5 " << true << 0.5;
        QTest::newRow("millions") << "1.234.567,89" << true << 1234567.89;
        QTest::newRow("negative") << "-0,75" << true << -0.75;
        QTest::newRow("grouped") << "1.234,50" << true << 1234.5;
        QTest::newRow("currency") << "R$ 10,00" << true << 10.0;
        QTest::newRow("c form") << "1234.50" << true << 1234.5;
        QTest::newRow("integer") << "42" << true << 42.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("letters") << "12a" << false << 0.0;
    }
    void parseNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const auto n = kq::platform::parseNumber(text);
        QCOMPARE(n.has_value(), ok);
        if (ok)
            QCOMPARE(*n, value);
    }

    void parseNumberForms_data()
    {
        using kq::platform::NumberForm;
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("form");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        const int regional = int(NumberForm::RegionalOnly);
        const int plain = int(NumberForm::RegionalOrPlain);
        QTest::newRow("regional: comma") << "4,9" << regional << true << 4.9;
        QTest::newRow("regional: grouped") << "1.500,5" << regional << true << 1500.5;
        QTest::newRow("regional: currency") << "R$ 10,00" << regional << true << 10.0;
        QTest::newRow("regional: period refused") << "4.9" << regional << false << 0.0;
        QTest::newRow("regional: c form refused") << "1234.50" << regional << false << 0.0;
        QTest::newRow("regional: group of three") << "1.500" << regional << true << 1500.0;
        QTest::newRow("plain: period") << "4.9" << plain << true << 4.9;
        QTest::newRow("plain: comma") << "4,9" << plain << true << 4.9;
    }
    void parseNumberForms()
    {
        QFETCH(QString, text);
        QFETCH(int, form);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const auto n = kq::platform::parseNumber(text, kq::platform::NumberForm(form));
        QCOMPARE(n.has_value(), ok);
        if (ok)
            QCOMPARE(*n, value);
    }

    void storedNumber_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("nullIsZero");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("number");
        QTest::newRow("null as zero") << QVariant() << true << true << 0.0;
        QTest::newRow("null missing") << QVariant() << false << false << 0.0;
        QTest::newRow("typed null")
            << QVariant(QMetaType::fromType<double>()) << true << true << 0.0;
        QTest::newRow("blank text as zero")
            << QVariant(QStringLiteral("  ")) << true << true << 0.0;
        QTest::newRow("blank text missing")
            << QVariant(QStringLiteral("")) << false << false << 0.0;
        QTest::newRow("double") << QVariant(12.5) << false << true << 12.5;
        QTest::newRow("integer") << QVariant(qint64(7)) << false << true << 7.0;
        QTest::newRow("regional text")
            << QVariant(QStringLiteral("1.234,50")) << false << true << 1234.5;
        QTest::newRow("c form text") << QVariant(QStringLiteral("12.75")) << false << true << 12.75;
        QTest::newRow("letters") << QVariant(QStringLiteral("abc")) << true << false << 0.0;
        QTest::newRow("not finite") << QVariant(qInf()) << true << false << 0.0;
    }
    void storedNumber()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, nullIsZero);
        QFETCH(bool, ok);
        QFETCH(double, number);
        using kq::platform::NullNumber;
        const auto n = kq::platform::storedNumber(value, nullIsZero ? NullNumber::Zero
                                                                    : NullNumber::Missing);
        QCOMPARE(n.has_value(), ok);
        if (ok)
            QCOMPARE(*n, number);
    }

    void parseDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("full") << "31/01/2025" << QDate(2025, 1, 31);
        QTest::newRow("short") << "1/2/2025" << QDate(2025, 2, 1);
        QTest::newRow("invalid day") << "31/02/2025" << QDate();
        QTest::newRow("mask prompts") << "__/__/____" << QDate();
        QTest::newRow("leap") << "29/02/2024" << QDate(2024, 2, 29);
    }
    void parseDate()
    {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        const auto d = kq::platform::parseDate(text);
        QCOMPARE(d.has_value(), date.isValid());
        if (d)
            QCOMPARE(*d, date);
    }

    void parseYearMonth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("month");
        QTest::newRow("whole") << "2026/01" << QDate(2026, 1, 1);
        QTest::newRow("december") << "2005/12" << QDate(2005, 12, 1);
        QTest::newRow("mask prompts") << "____/__" << QDate();
        QTest::newRow("half typed") << "2026/1_" << QDate();
        QTest::newRow("month 13") << "2026/13" << QDate();
        QTest::newRow("month 00") << "2026/00" << QDate();
        QTest::newRow("year 0000") << "0000/05" << QDate();
        QTest::newRow("one-digit month") << "2026/1" << QDate();
        QTest::newRow("blank") << " 2026/01" << QDate();
        QTest::newRow("other separator") << "2026-01" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void parseYearMonth()
    {
        QFETCH(QString, text);
        QFETCH(QDate, month);
        const auto d = kq::platform::parseYearMonth(text);
        QCOMPARE(d.has_value(), month.isValid());
        if (d)
            QCOMPARE(*d, month);
    }
};

QTEST_GUILESS_MAIN(tst_format)
#include "tst_format.moc"
