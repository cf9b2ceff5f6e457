// How printed columns share a page: every column at least as wide as its
// widest word or value, the page filled, and bands of columns that each fit
// a page with the key columns first.

#include "platform/grid/gridfit.h"

#include <QtTest>

using kq::platform::ColumnNeed;

Q_DECLARE_METATYPE(QVector<ColumnNeed>)

namespace {

ColumnNeed need(double designed, double minimum, double natural, bool key = false)
{
    ColumnNeed n;
    n.designed = designed;
    n.minimum = minimum;
    n.natural = natural;
    n.key = key;
    return n;
}

} // namespace

class tst_gridfit : public QObject
{
    Q_OBJECT

private slots:
    void widths_data()
    {
        QTest::addColumn<QVector<ColumnNeed>>("columns");
        QTest::addColumn<double>("page");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<bool>("oneLine"); // every column at least its natural width
        QTest::newRow("room to spare")
            << QVector<ColumnNeed>{need(100, 30, 60), need(50, 40, 40)} << 300.0 << true << true;
        QTest::newRow("designed too narrow for its money")
            << QVector<ColumnNeed>{need(10, 30, 60), need(1, 80, 80)} << 150.0 << true << true;
        QTest::newRow("text wraps, money whole")
            << QVector<ColumnNeed>{need(100, 30, 200), need(100, 80, 80)} << 150.0 << true << false;
        QTest::newRow("exactly the minimums")
            << QVector<ColumnNeed>{need(1, 50, 90), need(1, 50, 50)} << 100.0 << true << false;
        QTest::newRow("minimums too wide")
            << QVector<ColumnNeed>{need(1, 60, 60), need(1, 50, 50)} << 100.0 << false << false;
        QTest::newRow("no columns") << QVector<ColumnNeed>{} << 100.0 << false << false;
    }

    void widths()
    {
        QFETCH(QVector<ColumnNeed>, columns);
        QFETCH(double, page);
        QFETCH(bool, fits);
        QFETCH(bool, oneLine);
        const QVector<double> w = kq::platform::fitColumnWidths(columns, page);
        QCOMPARE(!w.isEmpty(), fits);
        if (!fits)
            return;
        double total = 0;
        bool natural = true;
        for (int i = 0; i < w.size(); ++i) {
            QVERIFY2(w[i] >= columns[i].minimum - 1e-6, qPrintable(QString::number(i)));
            natural = natural && w[i] >= columns[i].natural - 1e-6;
            total += w[i];
        }
        QVERIFY(qAbs(total - page) < 1e-6);
        QCOMPARE(natural, oneLine);
    }

    void bands()
    {
        // Key columns 0 and 3 open every band; the rest keep their order; the
        // column wider than a page gets a band of its own.
        const QVector<ColumnNeed> columns{need(1, 20, 20, true), need(1, 30, 30), need(1, 30, 30),
                                          need(1, 10, 10, true), need(1, 40, 40), need(1, 500, 500),
                                          need(1, 20, 20)};
        const auto bands = kq::platform::columnBands(columns, 100);
        QCOMPARE(bands, (QVector<QVector<int>>{{0, 3, 1, 2}, {0, 3, 4}, {0, 3, 5}, {0, 3, 6}}));
    }
};

QTEST_MAIN(tst_gridfit)
#include "tst_gridfit.moc"
