#include "cube/dynamicubeexports.h"
#include "cube/dynamicubenorthwind.h"
#include "support/cube_grid_lookup.h"
#include "orders_cube.h"
#include "platform/chart/mschart.h"
#include "cube/engine/dcube.h"
#include "core/errorinfo.h"
#include "support/base_dialogs.h"
#include "support/shell_nwind_fixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

using kq::cube::DynamiCubeExports;
using kq::platform::CubeField;
using kq::platform::DCube;
using kq::platform::MSChart;
using namespace kq::test::cubegrid;

namespace {

void keepOnly(CubeField *field, const QStringList &names)
{
    for (auto *item : field->dataItems()->all())
        item->setIncluded(names.contains(item->name()));
}

// Layouts of the orders cube (see orders_cube.h):
// "A": freight only; 2023, quarters 1 and 2 on the columns below the year.
// "B": freight only; country and year on the rows (Brasil, Portugal), no
//      column field.
// "C": freight only; the year alone on the columns, 2024 only, no total.
// "D": freight and orders; the year on the columns.
// "E": freight and orders; no column field.
void arrange(DCube &cube, const QString &layout)
{
    auto *year = cube.fields()->item(QStringLiteral("Year"));
    auto *quarter = cube.fields()->item(QStringLiteral("Quarter"));
    auto *orders = cube.fields()->item(QStringLiteral("cntOrders"));
    if (layout == QLatin1String("A")) {
        orders->setShown(false);
        keepOnly(year, {"2023"});
        keepOnly(quarter, {"1", "2"});
    } else if (layout == QLatin1String("B")) {
        orders->setShown(false);
        quarter->setOrientation(kq::platform::OrientPage);
        year->setOrientation(kq::platform::OrientRow);
        keepOnly(cube.fields()->item(QStringLiteral("Country")), {"Brasil", "Portugal"});
    } else if (layout == QLatin1String("C")) {
        orders->setShown(false);
        quarter->setOrientation(kq::platform::OrientPage);
        year->setGroupFooter(false);
        keepOnly(year, {"2024"});
    } else if (layout == QLatin1String("D")) {
        quarter->setOrientation(kq::platform::OrientPage);
    } else if (layout == QLatin1String("E")) {
        quarter->setOrientation(kq::platform::OrientPage);
        year->setOrientation(kq::platform::OrientPage);
    }
}

QString lines(const QStringList &list)
{
    return list.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

} // namespace

class tst_dynamicubeexports : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    void clipboardText_data();
    void clipboardText();
    void clipboardWritesNoThousandsSeparator();
    void clipboardBeforeInitRaises();
    void chartArray_data();
    void chartArray();
    void chartFailureIsReported();
    void emptyAxis_data();
    void emptyAxis();
    void initAgainBindsTheNewCube();
};

void tst_dynamicubeexports::clipboardText_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("text");

    QTest::newRow("two column levels, one row level")
        << "A"
        << "C"
        << ";"
        << lines({";2023;2023;2023;Total;", ";1;2;Total;;", "Brasil;12.5;0;12.5;12.5;",
                  "Chile;75;9.5;84.5;84.5;", "Portugal;18.75;14;32.75;32.75;",
                  "Total;106.25;23.5;129.75;129.75;"});
    QTest::newRow("total row padded to two heading cells")
        << "B"
        << "C"
        << ";"
        << lines({";;", "Brasil;2023;42.5;", "Brasil;2024;52.25;", "Brasil;Total;94.75;",
                  "Portugal;2023;67.25;", "Portugal;2024;60.75;", "Portugal;Total;128;",
                  "Total;;222.75;"});
    // The last column is the deepest one: its heading line is kept.
    QTest::newRow("single column without totals")
        << "C"
        << "C"
        << ";"
        << lines({";2024;", "Brasil;52.25;", "Chile;137.75;", "Portugal;60.75;", "Total;250.75;"});
    QTest::newRow("two data fields, pt_BR")
        << "D"
        << "pt_BR"
        << ";"
        << lines({";2023;2023;2024;2024;Total;Total;",
                  ";Freight;Orders;Freight;Orders;Freight;Orders;",
                  "Brasil;42,5;2;52,25;2;94,75;4;", "Chile;124,5;6;137,75;6;262,25;12;",
                  "Portugal;67,25;4;60,75;4;128;8;", "Total;234,25;12;250,75;12;485;24;"});
    QTest::newRow("two data fields, no column field")
        << "E"
        << "C"
        << "\t"
        << lines({"\t", "\tFreight\tOrders\t", "Brasil\t94.75\t4\t", "Chile\t262.25\t12\t",
                  "Portugal\t128\t8\t", "Total\t485\t24\t"});
    QTest::newRow("empty delimiter") << "E"
                                     << "C"
                                     << ""
                                     << lines({"", "FreightOrders", "Brasil94.754", "Chile262.2512",
                                               "Portugal1288", "Total48524"});
}

void tst_dynamicubeexports::clipboardText()
{
    QFETCH(QString, layout);
    QFETCH(QString, locale);
    QFETCH(QString, delimiter);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(locale));
    kq::test::NwindFolders nwind;
    DCube cube;
    buildOrdersCube(cube, nwind);
    arrange(cube, layout);
    DynamiCubeExports exports;
    exports.Init(&cube);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    exports.ExportToClipboard(delimiter);
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void tst_dynamicubeexports::clipboardWritesNoThousandsSeparator()
{
    QLocale::setDefault(QLocale(QStringLiteral("pt_BR")));
    kq::test::NwindFolders nwind;
    DCube cube;
    kq::cube::DynamiCubeNorthwind().GetNorthwindProductSalesCube(&cube);
    for (const char *name : {"ProdName", "OrderYear", "OrderQuarter", "OrderMonth"})
        cube.fields()->item(QString::fromLatin1(name))->setOrientation(kq::platform::OrientPage);
    cube.fields()->item(QStringLiteral("cntProductID"))->setShown(false);
    cube.fields()->item(QStringLiteral("calcField"))->setShown(false);
    DynamiCubeExports exports;
    exports.Init(&cube);
    exports.ExportToClipboard(QStringLiteral(";"));
    QCOMPARE(QGuiApplication::clipboard()->text(),
             lines({";", "Cheeses;747,5;", "Crackers;623;", "Teas;390;", "Total;1760,5;"}));
}

void tst_dynamicubeexports::clipboardBeforeInitRaises()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    DynamiCubeExports exports;
    QVERIFY_THROWS_EXCEPTION(kq::platform::RuntimeError, exports.ExportToClipboard());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void tst_dynamicubeexports::chartArray_data()
{
    // Block of layout D from (row, column) to the opposite corner.
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("cornerRow");
    QTest::addColumn<int>("cornerColumn");
    QTest::addColumn<bool>("rowsLead");
    QTest::newRow("2 rows x 3 columns") << 0 << 0 << 1 << 2 << true;
    QTest::newRow("reversed corners") << 1 << 2 << 0 << 0 << true;
    QTest::newRow("4 rows x 2 columns") << 0 << 3 << 3 << 4 << false;
    QTest::newRow("equal spans") << 1 << 1 << 2 << 2 << false;
    QTest::newRow("one cell") << 2 << 5 << 2 << 5 << false;
}

void tst_dynamicubeexports::chartArray()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, cornerRow);
    QFETCH(int, cornerColumn);
    QFETCH(bool, rowsLead);
    kq::test::NwindFolders nwind;
    DCube cube;
    buildOrdersCube(cube, nwind);
    arrange(cube, QStringLiteral("D"));
    cube.setCurrentCell(row, column);
    cube.setSelectionCorner(cornerRow, cornerColumn);
    DynamiCubeExports exports;
    exports.Init(&cube);
    MSChart chart;
    exports.ExportToMSChart(&chart);
    QVERIFY(chart.showLegend());
    const auto &data = chart.chartData();

    const int firstRow = std::min(row, cornerRow);
    const int lastRow = std::max(row, cornerRow);
    const int firstColumn = std::min(column, cornerColumn);
    const int lastColumn = std::max(column, cornerColumn);
    const int rows = lastRow - firstRow + 1;
    const int columns = lastColumn - firstColumn + 1;
    QCOMPARE(data.rowUpperBound(), rowsLead ? rows : columns);
    QCOMPARE(data.columnUpperBound(), rowsLead ? columns : rows);
    auto at = [&](int p, int q) {
        return rowsLead ? data.value(p, q) : data.value(q, p);
    };
    QVERIFY(!data.value(0, 0).isValid() || data.value(0, 0).toString().isEmpty());
    for (int p = 1; p <= rows; ++p) {
        const int r = firstRow + p - 1;
        QCOMPARE(at(p, 0).toString(), QStringLiteral(" - ") + rowPath(cube, r).join(" - "));
        for (int q = 1; q <= columns; ++q) {
            const int c = firstColumn + q - 1;
            QCOMPARE(at(p, q).toDouble(), cube.cellValue(r, c).toDouble());
        }
    }
    for (int q = 1; q <= columns; ++q) {
        const int c = firstColumn + q - 1;
        // Every level, the data caption included, after " - ".
        QCOMPARE(at(0, q).toString(), QStringLiteral(" - ") + cube.columnHeading(c, 1).text
                                          + QStringLiteral(" - ")
                                          + cube.dataFieldOfColumn(c)->caption());
    }
    if (row == 0 && column == 0) {
        QCOMPARE(at(1, 0).toString(), QStringLiteral(" - Brasil"));
        QCOMPARE(at(0, 2).toString(), QStringLiteral(" - 2023 - Orders"));
        QCOMPARE(at(2, 1).toDouble(), 124.5);
    }
}

void tst_dynamicubeexports::chartFailureIsReported()
{
    kq::test::ScriptedDialogs dialogs;
    DynamiCubeExports unbound;
    MSChart chart;
    unbound.ExportToMSChart(&chart);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.lastText(), QStringLiteral("Could not export chart !"));
    QCOMPARE(dialogs.messages.first().icon, kq::platform::Icon::Critical);
    QVERIFY(!chart.showLegend());

    kq::test::NwindFolders nwind;
    DCube cube;
    buildOrdersCube(cube, nwind);
    DynamiCubeExports exports;
    exports.Init(&cube);
    exports.ExportToMSChart(nullptr);
    QCOMPARE(dialogs.messages.size(), 2);
}

void tst_dynamicubeexports::emptyAxis_data()
{
    QTest::addColumn<QString>("emptied"); // the axis field whose members are all filtered out
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("text");
    // No row heading level: no corner cells; the data-field line, then no row.
    QTest::newRow("no rows") << "Country" << 0 << 2 << lines({"", "Freight\tOrders\t"});
    // The data-field line and the one line of the grand total, both empty.
    QTest::newRow("no columns") << "Year" << 1 << 0 << lines({"", "", ""});
}

// A filter that empties an axis: both exports end, the chart gets no member
// on that axis and no error is shown.
void tst_dynamicubeexports::emptyAxis()
{
    QFETCH(QString, emptied);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(QString, text);
    kq::test::ScriptedDialogs dialogs;
    kq::test::NwindFolders nwind;
    DCube cube;
    buildOrdersCube(cube, nwind);
    arrange(cube, QStringLiteral("E"));
    CubeField *field = cube.fields()->item(emptied);
    if (field->orientation() == kq::platform::OrientPage) {
        field->setOrientation(kq::platform::OrientColumn);
        cube.fields()->item(QStringLiteral("Country"))->setOrientation(kq::platform::OrientPage);
    }
    keepOnly(field, {});
    QCOMPARE(cube.rowCount(), rows);
    QCOMPARE(cube.columnCount(), columns);
    DynamiCubeExports exports;
    exports.Init(&cube);
    MSChart chart;
    exports.ExportToMSChart(&chart);
    QVERIFY(dialogs.messages.isEmpty());
    QVERIFY(chart.showLegend());
    const auto &data = chart.chartData();
    QCOMPARE(data.rowUpperBound() * data.columnUpperBound(), 0);
    QCOMPARE(data.rowUpperBound() + data.columnUpperBound(), 1); // the current cell's line
    exports.ExportToClipboard(QStringLiteral("\t"));
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
}

void tst_dynamicubeexports::initAgainBindsTheNewCube()
{
    kq::test::NwindFolders nwind;
    DCube first;
    buildOrdersCube(first, nwind);
    arrange(first, QStringLiteral("E"));
    DCube second;
    buildOrdersCube(second, nwind);
    arrange(second, QStringLiteral("C"));
    DynamiCubeExports exports;
    exports.Init(&first);
    exports.Init(&second);
    exports.ExportToClipboard(QStringLiteral(";"));
    QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral(";2024;\r\n")));
}

QTEST_MAIN(tst_dynamicubeexports)
#include "tst_dynamicubeexports.moc"
