#include "cube/dynamicubenorthwind.h"
#include "support/cube_grid_lookup.h"
#include "cube/engine/dcube.h"
#include "core/paths.h"
#include "support/shell_nwind_fixture.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using kq::cube::DynamiCubeNorthwind;
using kq::platform::DCube;
using namespace kq::test::cubegrid;

class tst_dynamicubenorthwind : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    void ordinal_data();
    void ordinal();
    void pathLooksBesideProgramFolderFirst();
    void pathFallsBackWhenNoFileExists();
    void formatCubeAppliesTheFixedLook();
    void productSalesDefinition();
    void productSalesPerCategoryAndYear();
    void productCountCountsOrderLines();
    void itemPriceAtTotalsIsRatioOfSums();
    void quarterAndMonthCaptions_data();
    void quarterAndMonthCaptions();
    void collapsedByDefaultShowsOneLevel();
    void freightWithPageFilterOnShipCountry();
    void buildingAgainReplacesEveryField();
};

void tst_dynamicubenorthwind::ordinal_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1 << "1st";
    QTest::newRow("2") << 2 << "2nd";
    QTest::newRow("3") << 3 << "3rd";
    QTest::newRow("4") << 4 << "4th";
    QTest::newRow("11") << 11 << "11th";
    QTest::newRow("12") << 12 << "12th";
    QTest::newRow("13") << 13 << "13th";
    QTest::newRow("21") << 21 << "21st";
    QTest::newRow("22") << 22 << "22nd";
    QTest::newRow("101") << 101 << "101st";
    QTest::newRow("111") << 111 << "111st";
}

void tst_dynamicubenorthwind::ordinal()
{
    QFETCH(int, number);
    QFETCH(QString, text);
    QCOMPARE(DynamiCubeNorthwind::GetOrdinal(number), text);
}

void tst_dynamicubenorthwind::pathLooksBesideProgramFolderFirst()
{
    kq::test::NwindFolders nwind;
    QCOMPARE(DynamiCubeNorthwind().GetNorthwindPath(), nwind.databasePath());
}

void tst_dynamicubenorthwind::pathFallsBackWhenNoFileExists()
{
    if (QFile::exists(QStringLiteral("/nwind.mdb")))
        QSKIP("a nwind.mdb lies in the root folder of this machine");
    QTemporaryDir dir;
    const QString previous = kq::platform::programFolder();
    kq::platform::setProgramFolder(dir.path() + QStringLiteral("/bin"));
    // No file anywhere: the last candidate is given without a check.
    QCOMPARE(DynamiCubeNorthwind().GetNorthwindPath(), QStringLiteral("/nwind.mdb"));
    kq::platform::setProgramFolder(previous);
}

void tst_dynamicubenorthwind::formatCubeAppliesTheFixedLook()
{
    DCube cube;
    DynamiCubeNorthwind().FormatCube(&cube);
    const auto &style = cube.cubeStyle();
    QCOMPARE(cube.footerCaption(), QStringLiteral("- Page &P of  &PP -"));
    QCOMPARE(style.borderStyle, 1);
    QCOMPARE(style.rowStyle, 1);
    QCOMPARE(style.colStyle, 1);
    QCOMPARE(style.gridStyle, 1);
    QCOMPARE(style.fieldsBackColor, 0x808080);
    QCOMPARE(style.fieldsForeColor, 0xFFFFFF);
    QCOMPARE(style.filteredFieldsBackColor, 0x808080);
    QCOMPARE(style.filteredFieldsForeColor, 0xFFFFFF);
    QCOMPARE(style.gridColor, 0x808080);
    QCOMPARE(style.cubeBackColor, int(0x8000000F));
    QCOMPARE(style.headingsBackColor, int(0x8000000F));
    QCOMPARE(style.headingsForeColor, int(0x80000008));
    QCOMPARE(style.totalsBackColor, int(0x80000018));
    QCOMPARE(style.totalsForeColor, int(0x80000008));
    QCOMPARE(style.fieldFont.family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(style.fieldFont.pointSize(), 8);
    QVERIFY(!style.fieldFont.italic());
    QVERIFY(style.filteredFieldFont.italic());
    QCOMPARE(style.headingsFont.family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(style.totalsFont.pointSize(), 8);
}

void tst_dynamicubenorthwind::productSalesDefinition()
{
    kq::test::NwindFolders nwind;
    DCube cube;
    DynamiCubeNorthwind().GetNorthwindProductSalesCube(&cube);
    QCOMPARE(cube.connectType(), 5);
    QCOMPARE(cube.connect(), nwind.connectText());
    QVERIFY(cube.autoDataRefresh());
    QVERIFY2(cube.model()->lastErrorCode() == 0, qPrintable(cube.model()->lastError()));
    QCOMPARE(cube.model()->sourceRowCount(), 32);

    QStringList names;
    QList<int> orientations;
    for (const auto *f : cube.fields()->all()) {
        names << f->name();
        orientations << f->orientation();
    }
    QCOMPARE(names, QStringList({"CatName", "ProdName", "OrderYear", "OrderQuarter", "OrderMonth",
                                 "sumProductSales", "cntProductID", "calcField"}));
    QCOMPARE(orientations, QList<int>({2, 2, 1, 1, 1, 3, 3, 3}));
    QCOMPARE(cube.fields()->item(QStringLiteral("OrderMonth"))->opaqueSetting(), 2);
    const auto *count = cube.fields()->item(QStringLiteral("cntProductID"));
    QCOMPARE(count->aggregate(), 1);
    QCOMPARE(count->numberFormat(), QStringLiteral("#,##0"));
    const auto *calc = cube.fields()->item(QStringLiteral("calcField"));
    QVERIFY(calc->calculated());
    QCOMPARE(calc->caption(), QStringLiteral("$ Item"));
    QCOMPARE(calc->numberFormat(), QStringLiteral("$#,##0.00"));
    for (const auto *f : cube.fields()->all()) {
        if (f->orientation() == 3)
            continue;
        QCOMPARE(f->totalKind(QStringLiteral("calcField")), 4);
        QCOMPARE(f->totalExpression(QStringLiteral("calcField")),
                 QStringLiteral("groupsum(sumProductSales)/groupsum(cntProductID)"));
    }
    // Expanded as the cube builds them.
    QCOMPARE(cube.displayedRowLevels(), 2);
}

void tst_dynamicubenorthwind::productSalesPerCategoryAndYear()
{
    kq::test::NwindFolders nwind;
    DCube cube;
    DynamiCubeNorthwind().GetNorthwindProductSalesCube(&cube);
    cube.fields()->item(QStringLiteral("CatName"))->setExpanded(false);
    cube.fields()->item(QStringLiteral("OrderYear"))->setExpanded(false);

    struct Expected
    {
        const char *category;
        const char *year;
        double sales;
    };
    const Expected table[] = {
        {"Teas", "2023", 208.0},     {"Teas", "2024", 182.0},     {"Crackers", "2023", 292.0},
        {"Crackers", "2024", 331.0}, {"Cheeses", "2023", 390.0},  {"Cheeses", "2024", 357.5},
        {"Teas", "Total", 390.0},    {"Cheeses", "Total", 747.5}, {"Total", "2023", 890.0},
        {"Total", "2024", 870.5},    {"Total", "Total", 1760.5},
    };
    for (const Expected &e : table) {
        QCOMPARE(cellAt(cube, {e.category}, {e.year}, QStringLiteral("Sales")), e.sales);
    }
    // Categories in text order, the grand total last.
    QStringList rows;
    for (int r = 0; r < cube.rowCount(); ++r)
        rows << rowPath(cube, r).join(QLatin1Char('/'));
    QCOMPARE(rows, QStringList({"Cheeses", "Crackers", "Teas", "Total"}));
}

void tst_dynamicubenorthwind::productCountCountsOrderLines()
{
    kq::test::NwindFolders nwind;
    DCube cube;
    DynamiCubeNorthwind().GetNorthwindProductSalesCube(&cube);
    cube.fields()->item(QStringLiteral("OrderYear"))->setExpanded(false);
    const QString count = QStringLiteral("Product Count");
    QCOMPARE(cellAt(cube, {"Cheeses", "Aged Goat Wheel"}, {"Total"}, count), 4.0);
    QCOMPARE(cellAt(cube, {"Crackers", "Oat Crisps"}, {"Total"}, count), 8.0);
    QCOMPARE(cellAt(cube, {"Cheeses", "Soft Cow Round"}, {"2023"}, count), 4.0);
    QCOMPARE(cellAt(cube, {"Crackers", "Total"}, {"2024"}, count), 6.0);
    QCOMPARE(cellAt(cube, {"Total"}, {"Total"}, count), 32.0);
}

void tst_dynamicubenorthwind::itemPriceAtTotalsIsRatioOfSums()
{
    kq::test::NwindFolders nwind;
    DCube cube;
    DynamiCubeNorthwind().GetNorthwindProductSalesCube(&cube);
    cube.fields()->item(QStringLiteral("CatName"))->setExpanded(false);
    cube.fields()->item(QStringLiteral("OrderYear"))->setExpanded(false);
    const QString item = QStringLiteral("$ Item");
    QCOMPARE(cellAt(cube, {"Teas"}, {"2023"}, item), 52.0); // 208 / 4
    QCOMPARE(cellAt(cube, {"Cheeses"}, {"2024"}, item), 357.5 / 6);
    // 890 / 16, not the mean of the categories' ratios (65, 48.67, 52).
    QCOMPARE(cellAt(cube, {"Total"}, {"2023"}, item), 55.625);
    QCOMPARE(cellAt(cube, {"Total"}, {"Total"}, item), 1760.5 / 32);
    QCOMPARE(cube.model()->cellText(findRow(cube, {"Total"}), findColumn(cube, {"Total"}, item),
                                    QLocale(QLocale::English, QLocale::UnitedStates)),
             QStringLiteral("$55.02"));
}

void tst_dynamicubenorthwind::quarterAndMonthCaptions_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("months");
    QTest::newRow("C") << "C"
                       << QStringList({"January", "February", "March", "April", "May", "June",
                                       "July", "August", "September", "November", "December"});
    QTest::newRow("pt_BR") << "pt_BR"
                           << QStringList({"janeiro", "fevereiro", "março", "abril", "maio",
                                           "junho", "julho", "agosto", "setembro", "novembro",
                                           "dezembro"});
}

void tst_dynamicubenorthwind::quarterAndMonthCaptions()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, months);
    QLocale::setDefault(QLocale(locale));
    kq::test::NwindFolders nwind;
    DCube cube;
    DynamiCubeNorthwind().GetNorthwindFreightAnalysisCube(&cube);

    QStringList quarters;
    for (const auto *item : cube.fields()->item(QStringLiteral("OrderQuarter"))->dataItems()->all())
        quarters << item->caption();
    QCOMPARE(quarters, QStringList({"1st Quarter", "2nd Quarter", "3rd Quarter", "4th Quarter"}));
    // The month rows show the names, in month order; no October was sold.
    QStringList rows;
    for (int r = 0; r < cube.rowCount(); ++r)
        rows << cube.rowHeading(r, 1).text;
    QCOMPARE(rows, months + QStringList{"Total"});
}

void tst_dynamicubenorthwind::collapsedByDefaultShowsOneLevel()
{
    kq::test::NwindFolders nwind;
    DCube cube;
    DynamiCubeNorthwind().GetNorthwindProductSalesCube(&cube, true);
    for (const auto *f : cube.fields()->all())
        QVERIFY(!f->expanded());
    QCOMPARE(cube.displayedRowLevels(), 1);
    // One year level plus the data-caption level of the three data fields.
    QCOMPARE(cube.displayedColumnLevels(), 2);
    QCOMPARE(cube.rowCount(), 4);    // three categories and the grand total
    QCOMPARE(cube.columnCount(), 9); // (2023, 2024, Total) x three data fields
}

void tst_dynamicubenorthwind::freightWithPageFilterOnShipCountry()
{
    kq::test::NwindFolders nwind;
    DCube cube;
    DynamiCubeNorthwind().GetNorthwindFreightAnalysisCube(&cube);
    QCOMPARE(cube.pageFields()->count(), 3);
    QCOMPARE(cellAt(cube, {"Total"}, {}, QStringLiteral("Freight")), 485.0);
    QCOMPARE(cellAt(cube, {"Total"}, {}, QStringLiteral("Orders")), 24.0);

    for (auto *item : cube.fields()->item(QStringLiteral("ShipCountry"))->dataItems()->all())
        item->setIncluded(item->name() == QLatin1String("Chile"));
    QVERIFY(cube.fields()->item(QStringLiteral("ShipCountry"))->filtered());
    QCOMPARE(cellAt(cube, {"Total"}, {}, QStringLiteral("Freight")), 262.25);
    QCOMPARE(cellAt(cube, {"Total"}, {}, QStringLiteral("Orders")), 12.0);
    QCOMPARE(cellAt(cube, {"Total"}, {}, QStringLiteral("Avg. Freight")), 262.25 / 12);
    // January: one order to Chile in each year.
    QCOMPARE(cellAt(cube, {"January"}, {}, QStringLiteral("Orders")), 2.0);
    QCOMPARE(cellAt(cube, {"January"}, {}, QStringLiteral("Freight")), 75.0);
}

void tst_dynamicubenorthwind::buildingAgainReplacesEveryField()
{
    kq::test::NwindFolders nwind;
    DCube cube;
    cube.addField(QStringLiteral("Freight"), QStringLiteral("Old"), 3);
    DynamiCubeNorthwind samples;
    samples.GetNorthwindProductSalesCube(&cube);
    QCOMPARE(cube.fields()->count(), 8);
    QVERIFY(!cube.fields()->item(QStringLiteral("Freight")));
    samples.GetNorthwindFreightAnalysisCube(&cube);
    QCOMPARE(cube.fields()->count(), 7);
    QVERIFY(!cube.fields()->item(QStringLiteral("CatName")));
    QCOMPARE(cube.recordSource(), QStringLiteral("orders"));
    QCOMPARE(cellAt(cube, {"Total"}, {}, QStringLiteral("Freight")), 485.0);
}

QTEST_MAIN(tst_dynamicubenorthwind)
#include "tst_dynamicubenorthwind.moc"
