#include "platform/gradient.h"

#include <QTest>
#include <stdexcept>

using namespace kq::platform;

class tst_gradient : public QObject
{
    Q_OBJECT
private slots:
    void bandsBottomUp()
    {
        int r = 0, g = 255, b = 255;
        const auto bands = gradientBands(6300, 9000, r, g, b, false, 5);
        QCOMPARE(bands.size(), 63);
        QCOMPARE(bands.first().top, 6300 - 100);
        QCOMPARE(bands.first().height, 100);
        QCOMPARE(bands.first().color, QColor(0, 255, 255));
        QCOMPARE(bands.at(1).color, QColor(0, 250, 250));
        QCOMPARE(bands.at(1).top, 6100);
        QCOMPARE(bands.at(50).color, QColor(0, 5, 5));
        // Bands 52 to 63, at the top, are black.
        for (int i = 51; i < 63; ++i)
            QCOMPARE(bands.at(i).color, QColor(0, 0, 0));
        QCOMPARE(bands.last().top, 0);
        QCOMPARE(g, 0);
        QCOMPARE(b, 0);
    }

    void bandsTopDown()
    {
        int r = 0, g = 255, b = 255;
        const auto bands = gradientBands(630, 100, r, g, b, true, 5);
        QCOMPARE(bands.first().top, 0);
        QCOMPARE(bands.at(2).top, 20);
    }

    void bandHeightRoundsHalfToEven()
    {
        int r = 0, g = 255, b = 255;
        // 157.5 / 63 = 2.5 -> 2; 220.5 would not be an int, so use 3.5 * 63
        QCOMPARE(gradientBands(157, 10, r, g, b, false, 5).first().height, 2);
        r = 0, g = 255, b = 255;
        QCOMPARE(gradientBands(220, 10, r, g, b, false, 5).first().height, 3);
        QCOMPARE(roundHalfEven(2.5), 2);
        QCOMPARE(roundHalfEven(3.5), 4);
    }

    void lowWindowGivesEmptyBands()
    {
        int r = 0, g = 255, b = 255;
        const auto bands = gradientBands(30, 100, r, g, b, false, 5);
        QCOMPARE(bands.size(), 63);
        QCOMPARE(bands.first().height, 0);
    }

    void overflowPastSixteenBits()
    {
        int r = 0, g = 255, b = 255;
        QVector<Band> done;
        QVERIFY_THROWS_EXCEPTION(std::overflow_error,
                                 gradientBands(5000, 40000, r, g, b, false, 5, &done));
        QVERIFY(done.isEmpty());
    }
};

QTEST_MAIN(tst_gradient)
#include "tst_gradient.moc"
