// The data-marker ranges: reading the new marker's answer in the user's
// regional settings, the leading-number reading, the range text and the
// change of one limit.
#include "cube/rules/datamarker.h"
#include "cube/rules/markerranges.h"

#include <QLocale>
#include <QtTest>

using kq::cube::MarkerRange;

namespace {

const QLocale kBrazil(QLocale::Portuguese, QLocale::Brazil);

void useLocale(const QString &name)
{
    QLocale::setDefault(name == QLatin1String("C") ? QLocale::c() : kBrazil);
}

} // namespace

class tst_markerranges : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("digits then letters") << "12abc" << 12.0;
        QTest::newRow("sign and letters") << "-abc" << 0.0;
        QTest::newRow("blanks anywhere") << " 1 2\t3\n" << 123.0;
        QTest::newRow("period") << "4.9" << 4.9;
        QTest::newRow("comma stops") << "1500,5" << 1500.0;
        QTest::newRow("exponent") << "2e3x" << 2000.0;
        QTest::newRow("bare exponent") << "2e" << 2.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("negative") << "-2" << -2.0;
    }

    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        useLocale(QStringLiteral("pt_BR")); // the reading ignores the locale
        QCOMPARE(kq::cube::leadingNumber(text), value);
    }

    void newMarkerAnswers_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<QString>("bad");
        for (const QString &loc : {QStringLiteral("C"), QStringLiteral("pt_BR")}) {
            auto row = [&](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(loc + QLatin1String(": ") + QLatin1String(name)))
                       << loc;
            };
            row("range") << "1000 - 5000" << int(MarkerRange::Ok) << 1000.0 << 5000.0 << "";
            row("reversed") << "5000 - 1000" << int(MarkerRange::Ok) << 1000.0 << 5000.0 << "";
            row("negative low") << "(5) - 3" << int(MarkerRange::Ok) << -5.0 << 3.0 << "";
            row("negative high") << "3 - (5)" << int(MarkerRange::Ok) << -5.0 << 3.0 << "";
            row("paren no number") << "(abc) - 2" << int(MarkerRange::Ok) << 0.0 << 2.0 << "";
            row("minus sign") << "-5 - 3" << int(MarkerRange::InvalidRange) << 0.0 << 0.0 << "";
            row("one piece") << "5" << int(MarkerRange::InvalidRange) << 0.0 << 0.0 << "";
            row("three pieces") << "1 - 2 - 3" << int(MarkerRange::InvalidRange) << 0.0 << 0.0
                                << "";
            row("not a number") << "abc - 4" << int(MarkerRange::InvalidNumber) << 0.0 << 0.0
                                << "abc";
            row("blank before x") << "1 - x" << int(MarkerRange::InvalidNumber) << 0.0 << 0.0
                                  << "x";
            row("equal") << "7 - 7" << int(MarkerRange::Ok) << 7.0 << 7.0 << "";
            row("empty") << "" << int(MarkerRange::Empty) << 0.0 << 0.0 << "";
        }
        // Decimals in the user's own form are ordered by the values kept.
        QTest::newRow("pt_BR: decimals reversed")
            << "pt_BR"
            << "9,7 - 9,5" << int(MarkerRange::Ok) << 9.5 << 9.7 << "";
        QTest::newRow("pt_BR: decimal in parentheses")
            << "pt_BR"
            << "(1,5) - 2" << int(MarkerRange::Ok) << -1.5 << 2.0 << "";
        QTest::newRow("pt_BR: period refused")
            << "pt_BR"
            << "(2) - 4.9" << int(MarkerRange::InvalidNumber) << 0.0 << 0.0 << "4.9";
        QTest::newRow("C: prompt example")
            << "C"
            << "(2) - 4.9" << int(MarkerRange::Ok) << -2.0 << 4.9 << "";
    }

    void newMarkerAnswers()
    {
        QFETCH(QString, locale);
        QFETCH(QString, answer);
        QFETCH(int, status);
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(QString, bad);
        useLocale(locale);
        const MarkerRange r = kq::cube::parseMarkerRange(answer);
        QCOMPARE(int(r.status), status);
        if (status == MarkerRange::Ok) {
            QCOMPARE(r.low, low);
            QCOMPARE(r.high, high);
        }
        QCOMPARE(r.badPiece, bad);
    }

    void limits_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("lower above high") << 0 << 9000.0 << 5000.0 << 9000.0;
        QTest::newRow("lower inside") << 0 << 2000.0 << 2000.0 << 5000.0;
        QTest::newRow("lower equal high") << 0 << 5000.0 << 5000.0 << 5000.0;
        QTest::newRow("upper below low") << 1 << 500.0 << 500.0 << 1000.0;
        QTest::newRow("upper inside") << 1 << 3000.0 << 1000.0 << 3000.0;
        QTest::newRow("upper equal low") << 1 << 1000.0 << 1000.0 << 1000.0;
    }

    void limits()
    {
        QFETCH(int, index);
        QFETCH(double, value);
        QFETCH(double, low);
        QFETCH(double, high);
        kq::cube::dataMarker m;
        m.LowValue = 1000;
        m.HighValue = 5000;
        kq::cube::applyLimit(m, index, value);
        QCOMPARE(m.LowValue, low);
        QCOMPARE(m.HighValue, high);
    }

    void localeNumbers_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("pt_BR: decimal comma") << "pt_BR"
                                              << "4,9" << true << 4.9;
        QTest::newRow("pt_BR: blanks around") << "pt_BR"
                                              << " 12 " << true << 12.0;
        QTest::newRow("pt_BR: thousands") << "pt_BR"
                                          << "1.500,5" << true << 1500.5;
        QTest::newRow("pt_BR: period as decimal") << "pt_BR"
                                                  << "4.9" << false << 0.0;
        QTest::newRow("pt_BR: negative") << "pt_BR"
                                         << "-2" << true << -2.0;
        QTest::newRow("C: decimal period") << "C"
                                           << "4.9" << true << 4.9;
        QTest::newRow("empty") << "pt_BR"
                               << "" << false << 0.0;
        QTest::newRow("blanks only") << "pt_BR"
                                     << "   " << false << 0.0;
        QTest::newRow("letters after") << "pt_BR"
                                       << "12abc" << false << 0.0;
    }
    void localeNumbers()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        useLocale(locale);
        const auto v = kq::cube::localeNumber(text);
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QCOMPARE(*v, value);
    }

    // The texts shown back: the limits in the user's form, the range with
    // the field's number format.
    void texts()
    {
        useLocale(QStringLiteral("pt_BR"));
        QCOMPARE(kq::cube::localeText(4.9), QStringLiteral("4,9"));
        QCOMPARE(kq::cube::localeText(-2), QStringLiteral("-2"));
        QCOMPARE(kq::cube::localeNumber(kq::cube::localeText(1500.25)), 1500.25);
        QCOMPARE(kq::cube::rangeText(-2, 4.9, QStringLiteral("0.00")),
                 QStringLiteral("-2,00 - 4,90"));
        QCOMPARE(kq::cube::rangeText(1000, 5000.5, QString()), QStringLiteral("1000 - 5000,5"));
        useLocale(QStringLiteral("C"));
        QCOMPARE(kq::cube::localeText(4.9), QStringLiteral("4.9"));
        QCOMPARE(kq::cube::rangeText(1000, 5000, QStringLiteral("0.00")),
                 QStringLiteral("1000.00 - 5000.00"));
    }
};

QTEST_GUILESS_MAIN(tst_markerranges)
#include "tst_markerranges.moc"
