#include "platform/chart/chart3dview.h"
#include "platform/chart/mschart.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QPieSeries>
#include <QPointer>
#include <QtTest>

using kq::platform::ChartData;
using kq::platform::MSChart;

class tst_mschart : public QObject
{
    Q_OBJECT

private:
    // Two chart rows (the categories) of three series.
    static ChartData sample()
    {
        ChartData d(2, 3);
        d.setValue(1, 0, "2023");
        d.setValue(2, 0, "2024");
        d.setValue(0, 1, "Loja A");
        d.setValue(0, 2, "Loja B");
        d.setValue(0, 3, "Loja C");
        double v = 10;
        for (int i = 1; i <= 2; ++i)
            for (int j = 1; j <= 3; ++j, v += 10)
                d.setValue(i, j, v);
        return d;
    }

private slots:
    void chartDataBounds()
    {
        ChartData d(1, 4);
        QCOMPARE(d.rowUpperBound(), 1);
        QCOMPARE(d.columnUpperBound(), 4);
        QVERIFY(!d.value(0, 0).isValid());
        d.setValue(2, 0, "out");  // ignored
        d.setValue(-1, 0, "out"); // ignored
        QVERIFY(!d.value(2, 0).isValid());
        d.setValue(1, 4, "x");
        QCOMPARE(d.number(1, 4), 0.0); // no number reads 0
        d.setValue(1, 4, 2.5);
        QCOMPARE(d.number(1, 4), 2.5);
        QVERIFY(ChartData().isEmpty());
    }

    void drawsEachType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("kind");
        QTest::newRow("3-D bar") << 0 << int(MSChart::Kind::Bar);
        QTest::newRow("2-D bar") << 1 << int(MSChart::Kind::Bar);
        QTest::newRow("3-D line") << 2 << int(MSChart::Kind::Line);
        QTest::newRow("2-D line") << 3 << int(MSChart::Kind::Line);
        QTest::newRow("3-D area") << 4 << int(MSChart::Kind::Area);
        QTest::newRow("2-D area") << 5 << int(MSChart::Kind::Area);
        QTest::newRow("3-D step") << 6 << int(MSChart::Kind::Step);
        QTest::newRow("2-D step") << 7 << int(MSChart::Kind::Step);
        QTest::newRow("2-D pie") << 14 << int(MSChart::Kind::Pie);
        QTest::newRow("other") << 9 << int(MSChart::Kind::Bar);
    }

    void drawsEachType()
    {
        QFETCH(int, type);
        QFETCH(int, kind);
        MSChart chart;
        chart.setChartData(sample());
        chart.setChartType(type);
        QCOMPARE(chart.chartType(), type);
        const auto series = chart.chart()->series();
        switch (MSChart::Kind(kind)) {
        case MSChart::Kind::Bar: {
            QCOMPARE(series.size(), 1);
            auto *bars = qobject_cast<QBarSeries *>(series.first());
            QVERIFY(bars);
            QCOMPARE(bars->count(), 3);
            QCOMPARE(bars->barSets().at(1)->label(), QStringLiteral("Loja B"));
            QCOMPARE(bars->barSets().at(1)->at(1), 50.0); // (2024, Loja B)
            auto *axis
                = qobject_cast<QBarCategoryAxis *>(chart.chart()->axes(Qt::Horizontal).first());
            QCOMPARE(axis->categories(), QStringList({"2023", "2024"}));
            break;
        }
        case MSChart::Kind::Line:
        case MSChart::Kind::Step: {
            QCOMPARE(series.size(), 3);
            auto *line = qobject_cast<QLineSeries *>(series.at(2));
            QVERIFY(line);
            QCOMPARE(line->name(), QStringLiteral("Loja C"));
            const bool step = MSChart::Kind(kind) == MSChart::Kind::Step;
            QCOMPARE(line->count(), step ? 4 : 2);
            // A step holds its value across the whole category.
            QCOMPARE(line->at(line->count() - 1).y(), 60.0);
            if (step)
                QCOMPARE(line->at(2).y(), line->at(3).y());
            break;
        }
        case MSChart::Kind::Area: {
            QCOMPARE(series.size(), 3);
            auto *area = qobject_cast<QAreaSeries *>(series.first());
            QVERIFY(area);
            QCOMPARE(area->name(), QStringLiteral("Loja A"));
            QCOMPARE(area->upperSeries()->at(1).y(), 40.0);
            break;
        }
        case MSChart::Kind::Pie: {
            // One pie per chart row, its slices the series.
            QCOMPARE(series.size(), 2);
            auto *pie = qobject_cast<QPieSeries *>(series.at(1));
            QVERIFY(pie);
            QCOMPARE(pie->name(), QStringLiteral("2024"));
            QCOMPARE(pie->count(), 3);
            QCOMPARE(pie->slices().at(0)->label(), QStringLiteral("Loja A"));
            QCOMPARE(pie->slices().at(0)->value(), 40.0);
            // Each pie carries its row label under it.
            QStringList labels;
            for (QGraphicsItem *item : chart.chart()->childItems()) {
                if (auto *text = dynamic_cast<QGraphicsSimpleTextItem *>(item))
                    labels << text->text();
            }
            QCOMPARE(labels, QStringList({"2023", "2024"}));
            break;
        }
        }
    }

    void threeDimensionalView_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("threeD");
        for (int t : {0, 2, 4, 6})
            QTest::newRow(qPrintable(QStringLiteral("type %1").arg(t))) << t << true;
        for (int t : {1, 3, 5, 7, 14})
            QTest::newRow(qPrintable(QStringLiteral("type %1").arg(t))) << t << false;
    }

    void threeDimensionalView()
    {
        QFETCH(int, type);
        QFETCH(bool, threeD);
        MSChart chart;
        chart.resize(600, 400);
        chart.setShowLegend(true);
        chart.setChartData(sample());
        chart.setChartType(type);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        QCOMPARE(chart.view3D()->isVisible(), threeD);
        if (!threeD)
            return;
        QCOMPARE(chart.view3D()->geometry(), chart.rect());
        // Every series shows in its own colour.
        const QImage image = chart.view3D()->grab().toImage();
        for (int j = 1; j <= 3; ++j) {
            const QRgb want = kq::platform::Chart3DView::seriesColor(j).rgb();
            bool found = false;
            for (int y = 0; y < image.height() && !found; ++y)
                for (int x = 0; x < image.width() && !found; ++x)
                    found = image.pixel(x, y) == want;
            QVERIFY2(found, qPrintable(QStringLiteral("series %1 not drawn").arg(j)));
        }
    }

    // The line series under each area goes with it when the chart is drawn
    // again or closed.
    void areaSeriesLeaveNothingBehind()
    {
        QList<QPointer<QLineSeries>> uppers;
        {
            MSChart chart;
            chart.setChartData(sample());
            chart.setChartType(5);
            for (QAbstractSeries *s : chart.chart()->series())
                uppers << qobject_cast<QAreaSeries *>(s)->upperSeries();
            QCOMPARE(uppers.size(), 3);
            chart.setChartType(4); // a rebuild
            for (const auto &u : std::as_const(uppers))
                QVERIFY(u.isNull());
            uppers.clear();
            for (QAbstractSeries *s : chart.chart()->series())
                uppers << qobject_cast<QAreaSeries *>(s)->upperSeries();
        }
        for (const auto &u : std::as_const(uppers))
            QVERIFY(u.isNull());
    }

    void legendAndEmptyData()
    {
        MSChart chart;
        QVERIFY(chart.chart()->series().isEmpty());
        chart.setShowLegend(true);
        chart.setChartData(sample());
        QVERIFY(chart.showLegend());
        QVERIFY(chart.chart()->legend()->isVisible());
        chart.setChartType(14); // a rebuild keeps the legend
        QVERIFY(chart.chart()->legend()->isVisible());
        chart.setShowLegend(false);
        QVERIFY(!chart.chart()->legend()->isVisible());
        chart.setChartData(ChartData(1, 1)); // a 1 x 1 block with no values set
        QCOMPARE(chart.chart()->series().size(), 1);
    }
};

QTEST_MAIN(tst_mschart)
#include "tst_mschart.moc"
