#include "cube/dynamicubehelpermethods.h"
#include "support/cube_grid_lookup.h"
#include "orders_cube.h"
#include "cube/engine/cubeview.h"
#include "cube/engine/dcube.h"
#include "support/base_dialogs.h"
#include "support/shell_nwind_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>
#include <memory>

using kq::cube::DynamiCubeHelperMethods;
using kq::platform::CubeField;
using kq::platform::CubeHitRecord;
using kq::platform::DCube;
using namespace kq::test::cubegrid;

namespace {

// The orders cube with its helper; the dialog layer counts the beeps.
struct OrdersFixture
{
    kq::test::ScriptedDialogs dialogs;
    kq::test::NwindFolders nwind;
    DCube cube;
    DynamiCubeHelperMethods helper;

    OrdersFixture()
    {
        buildOrdersCube(cube, nwind);
        helper.Init(&cube);
    }
    CubeField *field(const char *name) { return cube.fields()->item(QString::fromLatin1(name)); }
    QStringList included(const char *name)
    {
        QStringList names;
        for (const auto *item : field(name)->dataItems()->all()) {
            if (item->included())
                names << item->name();
        }
        return names;
    }
};

} // namespace

class tst_dynamicubehelpermethods : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void delimiters_data();
    void delimiters();
    void headingInformation_data();
    void headingInformation();
    void headingInformationRefusesAnotherAxis();
    void headingFromPoint();
    void dataItemDisplayedAtCurrentCell();
    void fieldFromHitRecord_data();
    void fieldFromHitRecord();
    void dataItemFromWidgetHit();
    void lookUps();
    void changeDataItemCaptionRenamesEveryMatch();
    void filtersClearAndToggle();
    void findWithoutMatchChangesNothing();
    void findClearsThenKeepsMatches();
    void findShowsResultsOnRows();
    void rowAreaWidthRoundsHalfToEven();
    void drill_data();
    void drill();
    void expandAndCollapse();
    void fillListAndComboWithFields();
    void fillRefusesOtherControls();
};

void tst_dynamicubehelpermethods::delimiters_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("text");
    QTest::newRow("three") << 3 << ";"
                           << ";;;";
    QTest::newRow("one, longer") << 1 << "ab"
                                 << "ab";
    QTest::newRow("zero") << 0 << ";"
                          << "";
    QTest::newRow("below zero") << -2 << ";"
                                << "";
}

void tst_dynamicubehelpermethods::delimiters()
{
    QFETCH(int, count);
    QFETCH(QString, delimiter);
    QFETCH(QString, text);
    QCOMPARE(DynamiCubeHelperMethods::GetDelimiters(count, delimiter), text);
}

void tst_dynamicubehelpermethods::headingInformation_data()
{
    // layout: "rows2" puts Year on the rows below Country; "single" hides
    // the order count; "nocolumns" moves both column fields to the page.
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("axis");
    QTest::addColumn<QStringList>("rowPath");
    QTest::addColumn<QStringList>("columnPath");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("text");

    QTest::newRow("row, depth = row fields")
        << "rows2" << 3 << QStringList{"Chile", "2024"} << QStringList{} << 2 << "Chile|2024";
    QTest::newRow("row, depth below")
        << "rows2" << 3 << QStringList{"Chile", "2024"} << QStringList{} << 1 << "Chile";
    QTest::newRow("row, depth above")
        << "rows2" << 3 << QStringList{"Chile", "2024"} << QStringList{} << 3 << "";
    QTest::newRow("row, subtotal")
        << "rows2" << 3 << QStringList{"Chile", "Total"} << QStringList{} << 2 << "Chile|Total";
    QTest::newRow("row, grand total")
        << "rows2" << 3 << QStringList{"Total"} << QStringList{} << 2 << "Total";
    QTest::newRow("column, multi, within")
        << "" << 2 << QStringList{"Total"} << QStringList{"2023", "1"} << 2 << "2023|1";
    QTest::newRow("column, multi, first level")
        << "" << 2 << QStringList{"Total"} << QStringList{"2023", "1"} << 1 << "2023";
    QTest::newRow("column, multi, caption last")
        << "" << 2 << QStringList{"Total"} << QStringList{"2023", "1"} << 3 << "2023|1|Freight";
    QTest::newRow("column, multi, grand total")
        << "" << 2 << QStringList{"Total"} << QStringList{"Total"} << 3 << "Total|Freight";
    QTest::newRow("column, multi, subtotal")
        << "" << 2 << QStringList{"Total"} << QStringList{"2024", "Total"} << 3
        << "2024|Total|Freight";
    QTest::newRow("column, single, deeper")
        << "single" << 2 << QStringList{"Total"} << QStringList{"2023", "1"} << 3 << "2023|1|";
    QTest::newRow("column, single, caption of data field")
        << "single+nocolumns" << 2 << QStringList{"Total"} << QStringList{} << 1 << "Freight";
}

void tst_dynamicubehelpermethods::headingInformation()
{
    QFETCH(QString, layout);
    QFETCH(int, axis);
    QFETCH(QStringList, rowPath);
    QFETCH(QStringList, columnPath);
    QFETCH(int, depth);
    QFETCH(QString, text);
    OrdersFixture f;
    if (layout.contains(QLatin1String("rows2"))) {
        f.field("Year")->setOrientation(kq::platform::OrientRow);
        f.field("Quarter")->setOrientation(kq::platform::OrientPage);
    }
    if (layout.contains(QLatin1String("single")))
        f.field("cntOrders")->setShown(false);
    if (layout.contains(QLatin1String("nocolumns"))) {
        f.field("Year")->setOrientation(kq::platform::OrientPage);
        f.field("Quarter")->setOrientation(kq::platform::OrientPage);
    }
    const int r = findRow(f.cube, rowPath);
    const int c = findColumn(f.cube, columnPath, QStringLiteral("Freight"));
    QVERIFY2(r >= 0 && c >= 0, "row or column not laid out");
    QCOMPARE(f.helper.GetHeadingInformation(axis, axis == 3 ? r : c, depth, QStringLiteral("|")),
             text);
}

void tst_dynamicubehelpermethods::headingInformationRefusesAnotherAxis()
{
    OrdersFixture f;
    auto &dialogs = f.dialogs;
    QCOMPARE(f.helper.GetHeadingInformation(1, 0, 1), QString());
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.lastText(),
             QStringLiteral("Invalid AxisEnum. Valid Values are 2 (ColumnAxis) or 3 (RowAxis)"));
    QCOMPARE(dialogs.messages.first().icon, kq::platform::Icon::Critical);
    // The default title, as a message given none shows.
    kq::platform::Dialogs::message(QStringLiteral("reference"));
    QCOMPARE(dialogs.messages.first().title, dialogs.messages.last().title);
}

void tst_dynamicubehelpermethods::headingFromPoint()
{
    OrdersFixture f;
    const int r = findRow(f.cube, {"Portugal"});
    const int c = findColumn(f.cube, {"2024", "3"}, QStringLiteral("Orders"));
    QCOMPARE(f.helper.GetHeadingFromPoint(QStringLiteral("Country"), r, c), "Portugal");
    QCOMPARE(f.helper.GetHeadingFromPoint(QStringLiteral("Year"), r, c), "2024");
    QCOMPARE(f.helper.GetHeadingFromPoint(QStringLiteral("Quarter"), r, c), "3");
    QCOMPARE(f.helper.GetHeadingFromPoint(QStringLiteral("sumFreight"), r, c), QString());
    QCOMPARE(f.helper.GetHeadingFromPoint(QStringLiteral("NoSuchField"), r, c), QString());
}

void tst_dynamicubehelpermethods::dataItemDisplayedAtCurrentCell()
{
    OrdersFixture f;
    f.cube.setCurrentCell(findRow(f.cube, {"Chile"}),
                          findColumn(f.cube, {"2023", "Total"}, QStringLiteral("Freight")));
    QString name;
    QVERIFY(f.helper.IsDataItemDisplayed(f.field("Year"), &name));
    QCOMPARE(name, QStringLiteral("2023"));
    // The quarter level of a year's total column holds no data item.
    name.clear();
    QVERIFY(!f.helper.IsDataItemDisplayed(f.field("Quarter"), &name));
    QVERIFY(name.isEmpty());
    QVERIFY(f.helper.IsDataItemDisplayed(f.field("Country"), &name));
    QCOMPARE(name, QStringLiteral("Chile"));
    QVERIFY(!f.helper.IsDataItemDisplayed(f.field("sumFreight")));

    f.cube.setCurrentCell(findRow(f.cube, {"Total"}),
                          findColumn(f.cube, {"2023", "2"}, QStringLiteral("Freight")));
    QVERIFY(f.helper.IsDataItemDisplayed(f.field("Quarter"), &name));
    QCOMPARE(name, QStringLiteral("2"));
    QVERIFY(!f.helper.IsDataItemDisplayed(f.field("Country")));
}

void tst_dynamicubehelpermethods::fieldFromHitRecord_data()
{
    QTest::addColumn<int>("area");
    QTest::addColumn<QStringList>("columnPath");
    QTest::addColumn<QString>("headingField");
    QTest::addColumn<int>("fieldPosition"); // row / column of the field areas
    QTest::addColumn<QString>("expected");
    QTest::newRow("data cell") << 1 << QStringList{"2023", "1"} << "" << -1 << "sumFreight";
    QTest::newRow("data caption") << 2 << QStringList{"2023", "1"} << "" << -1 << "sumFreight";
    QTest::newRow("outer heading") << 2 << QStringList{"2023", "1"} << "Year" << -1 << "Year";
    QTest::newRow("inner heading") << 2 << QStringList{"2023", "1"} << "Quarter" << -1 << "Quarter";
    QTest::newRow("grand total column") << 2 << QStringList{"Total"} << "Year" << -1 << "Year";
    QTest::newRow("row heading") << 3 << QStringList{"2023", "1"} << "Country" << -1 << "Country";
    QTest::newRow("row heading without field") << 3 << QStringList{"2023", "1"} << "" << -1 << "";
    QTest::newRow("column-field area") << 4 << QStringList{"2023", "1"} << "" << 1 << "Quarter";
    QTest::newRow("row-field area") << 5 << QStringList{"2023", "1"} << "" << 0 << "Country";
    QTest::newRow("page-field area") << 6 << QStringList{"2023", "1"} << "" << 0 << "";
    QTest::newRow("outside") << 0 << QStringList{"2023", "1"} << "Year" << -1 << "";
}

void tst_dynamicubehelpermethods::fieldFromHitRecord()
{
    QFETCH(int, area);
    QFETCH(QStringList, columnPath);
    QFETCH(QString, headingField);
    QFETCH(int, fieldPosition);
    QFETCH(QString, expected);
    OrdersFixture f;
    CubeHitRecord hit;
    hit.area = area;
    hit.row = findRow(f.cube, {"Brasil"});
    hit.column = findColumn(f.cube, columnPath, QStringLiteral("Freight"));
    if (fieldPosition >= 0) {
        hit.row = fieldPosition;
        hit.column = fieldPosition;
    }
    hit.headingField = headingField.isEmpty() ? nullptr : f.cube.fields()->item(headingField);
    const CubeField *result = f.helper.GetFieldFromHitRecord(hit);
    QCOMPARE(result ? result->name() : QString(), expected);
}

void tst_dynamicubehelpermethods::dataItemFromWidgetHit()
{
    OrdersFixture f;
    f.cube.resize(1200, 500);
    f.cube.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.cube));
    auto *viewport = f.cube.view()->viewport();
    auto hitAt = [&](const QRect &rect) {
        return f.cube.hitTest(viewport->mapTo(&f.cube, rect.center()));
    };
    const int column = findColumn(f.cube, {"2023", "2"}, QStringLiteral("Orders"));
    const CubeHitRecord quarter = hitAt(f.cube.view()->columnHeadingRect(column, 2));
    QCOMPARE(quarter.area, int(kq::platform::HitColumnHeadings));
    QCOMPARE(quarter.column, column);
    const auto *item = f.helper.GetDataItemFromHitRecord(quarter);
    QVERIFY(item);
    QCOMPARE(item->field()->name(), QStringLiteral("Quarter"));
    QCOMPARE(item->name(), QStringLiteral("2"));

    const int row = findRow(f.cube, {"Portugal"});
    item = f.helper.GetDataItemFromHitRecord(hitAt(f.cube.view()->rowHeadingRect(row, 1)));
    QVERIFY(item);
    QCOMPARE(item->name(), QStringLiteral("Portugal"));

    // A data cell and a data-field caption head no data item.
    QVERIFY(!f.helper.GetDataItemFromHitRecord(hitAt(f.cube.view()->cellRect(row, column))));
    QVERIFY(!f.helper.GetDataItemFromHitRecord(hitAt(f.cube.view()->columnHeadingRect(column, 3))));
}

void tst_dynamicubehelpermethods::lookUps()
{
    OrdersFixture f;
    QVERIFY(f.helper.ContainsField(QStringLiteral("Quarter")));
    QVERIFY(!f.helper.ContainsField(QStringLiteral("Freight"))); // a caption, not a name
    QCOMPARE(f.helper.GetFieldbyCaption(QStringLiteral("Freight")), f.field("sumFreight"));
    QVERIFY(!f.helper.GetFieldbyCaption(QStringLiteral("freight")));
    QVERIFY(!f.helper.GetFieldbyCaption(QStringLiteral("Nothing")));
    const auto *chile = f.helper.GetDataItem(QStringLiteral("Country"), QStringLiteral("Chile"));
    QVERIFY(chile);
    QCOMPARE(chile->name(), QStringLiteral("Chile"));
    QVERIFY(!f.helper.GetDataItem(QStringLiteral("Country"), QStringLiteral("Peru")));
    QVERIFY(!f.helper.GetDataItem(QStringLiteral("Nothing"), QStringLiteral("Chile")));
    QCOMPARE(f.helper.GetVisibleDataFieldCount(), 2);
    f.field("sumFreight")->setShown(false);
    QCOMPARE(f.helper.GetVisibleDataFieldCount(), 1);

    DynamiCubeHelperMethods unbound;
    QVERIFY(!unbound.GetFieldbyCaption(QStringLiteral("Freight")));
    QVERIFY(!unbound.GetDataItem(QStringLiteral("Country"), QStringLiteral("Chile")));
    QCOMPARE(unbound.GetHeadingFromPoint(QStringLiteral("Country"), 0, 0), QString());
}

void tst_dynamicubehelpermethods::changeDataItemCaptionRenamesEveryMatch()
{
    OrdersFixture f;
    auto *quarter = f.field("Quarter");
    quarter->dataItems()->item(0)->setCaption(QStringLiteral("Half 1"));
    quarter->dataItems()->item(1)->setCaption(QStringLiteral("Half 1"));
    QCOMPARE(
        f.helper.ChangeDataItemCaption(QStringLiteral("Half 1"), QStringLiteral("H1"), quarter), 0);
    QStringList captions;
    for (const auto *item : quarter->dataItems()->all())
        captions << item->caption();
    QCOMPARE(captions, QStringList({"H1", "H1", "3", "4"}));
    // The headings show the new caption.
    QVERIFY(findColumn(f.cube, {"2024", "H1"}) >= 0);
    QCOMPARE(f.helper.GetDataItemFromCaption(quarter, QStringLiteral("H1")),
             quarter->dataItems()->item(0));
    QVERIFY(!f.helper.GetDataItemFromCaption(quarter, QStringLiteral("1")));
    QCOMPARE(f.helper.ChangeDataItemCaption(QStringLiteral("3"), QStringLiteral("x"), nullptr), 91);
}

void tst_dynamicubehelpermethods::filtersClearAndToggle()
{
    OrdersFixture f;
    f.field("Country")->dataItems()->item(QStringLiteral("Brasil"))->setIncluded(false);
    f.field("Year")->dataItems()->item(QStringLiteral("2023"))->setIncluded(false);
    f.helper.ToggleFilter(QStringLiteral("Country"));
    QCOMPARE(f.included("Country"), QStringList({"Brasil"}));
    QCOMPARE(cellAt(f.cube, {"Total"}, {"Total"}, QStringLiteral("Freight")), 52.25);
    f.helper.ClearFilters(QStringLiteral("Country"));
    QCOMPARE(f.included("Country"), QStringList({"Brasil", "Chile", "Portugal"}));
    QCOMPARE(f.included("Year"), QStringList({"2024"}));
    f.helper.ClearFilters();
    QCOMPARE(f.included("Year"), QStringList({"2023", "2024"}));
    QCOMPARE(cellAt(f.cube, {"Total"}, {"Total"}, QStringLiteral("Freight")), 485.0);
}

void tst_dynamicubehelpermethods::findWithoutMatchChangesNothing()
{
    OrdersFixture f;
    f.field("Country")->dataItems()->item(QStringLiteral("Chile"))->setIncluded(false);
    QCOMPARE(f.helper.Find(f.field("Country"), QStringLiteral("zz"), true), 0);
    QCOMPARE(f.included("Country"), QStringList({"Brasil", "Portugal"}));
    QCOMPARE(f.field("Year")->orientation(), int(kq::platform::OrientColumn));
    QCOMPARE(f.field("Country")->orientation(), int(kq::platform::OrientRow));
}

void tst_dynamicubehelpermethods::findClearsThenKeepsMatches()
{
    OrdersFixture f;
    f.field("Country")->dataItems()->item(QStringLiteral("Brasil"))->setIncluded(false);
    // Any case; Brasil, hidden before, comes back.
    QCOMPARE(f.helper.Find(f.field("Country"), QStringLiteral("I")), 2);
    QCOMPARE(f.included("Country"), QStringList({"Brasil", "Chile"}));
    QCOMPARE(cellAt(f.cube, {"Total"}, {"Total"}, QStringLiteral("Freight")), 357.0);
    QCOMPARE(f.field("Year")->orientation(), int(kq::platform::OrientColumn));
    // Captions are searched, not names.
    f.field("Quarter")->dataItems()->item(3)->setCaption(QStringLiteral("Last"));
    QCOMPARE(f.helper.Find(f.field("Quarter"), QStringLiteral("las")), 1);
    QCOMPARE(f.included("Quarter"), QStringList({"4"}));
}

void tst_dynamicubehelpermethods::findShowsResultsOnRows()
{
    OrdersFixture f;
    auto *extra = f.cube.addField(QStringLiteral("OrderDate"), QStringLiteral("Date"),
                                  kq::platform::OrientPage);
    extra->setName(QStringLiteral("Date"));
    QCOMPARE(f.helper.Find(f.field("Year"), QStringLiteral("2024"), true), 1);
    QCOMPARE(f.field("Year")->orientation(), int(kq::platform::OrientRow));
    QCOMPARE(f.field("Quarter")->orientation(), int(kq::platform::OrientPage));
    QCOMPARE(f.field("Country")->orientation(), int(kq::platform::OrientPage));
    QCOMPARE(extra->orientation(), int(kq::platform::OrientPage));
    QCOMPARE(f.field("sumFreight")->orientation(), int(kq::platform::OrientData));
    QCOMPARE(f.field("cntOrders")->orientation(), int(kq::platform::OrientData));
    QCOMPARE(cellAt(f.cube, {"2024"}, {}, QStringLiteral("Freight")), 250.75);
}

void tst_dynamicubehelpermethods::rowAreaWidthRoundsHalfToEven()
{
    OrdersFixture f;
    f.field("Year")->setOrientation(kq::platform::OrientRow);
    f.field("Country")->setWidth(100.5f);
    f.field("Year")->setWidth(50.5f);
    // 100.5 -> 100, then 150.5 -> 150 (half to even after each addition).
    QCOMPARE(f.helper.GetRowAreaWidth(), 150);
    f.field("Country")->setExpanded(false);
    QCOMPARE(f.helper.GetRowAreaWidth(), 100);
    f.field("Country")->setOrientation(kq::platform::OrientPage);
    f.field("Year")->setOrientation(kq::platform::OrientPage);
    QCOMPARE(f.helper.GetRowAreaWidth(), 0);
}

void tst_dynamicubehelpermethods::drill_data()
{
    // setup: "rows2" Year below Country on the rows, Quarter to the page;
    // "collapsed" the outer field of the drilled axis collapsed; "single"
    // the order count hidden; "onecolumn" Quarter to the page.
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("ahead");
    QTest::addColumn<int>("axis");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<QString>("expanded"); // outer field of the axis afterwards
    QTest::newRow("ahead rows, one field") << "" << true << 3 << 1 << "Country+";
    QTest::newRow("ahead rows, collapsed") << "rows2 collapsed" << true << 3 << 0 << "Country+";
    QTest::newRow("ahead rows, all shown") << "rows2" << true << 3 << 1 << "Country+";
    QTest::newRow("ahead, other code means rows")
        << "rows2 collapsed" << true << 7 << 0 << "Country+";
    QTest::newRow("ahead columns, multi") << "collapsed" << true << 2 << 0 << "Year+";
    QTest::newRow("ahead columns, single") << "collapsed single" << true << 2 << 0 << "Year+";
    QTest::newRow("ahead columns, all shown") << "" << true << 2 << 1 << "Year+";
    QTest::newRow("ahead columns, one field") << "onecolumn collapsed" << true << 2 << 1 << "Year-";
    QTest::newRow("back rows") << "rows2" << false << 3 << 0 << "Country-";
    QTest::newRow("back rows, collapsed") << "rows2 collapsed" << false << 3 << 1 << "Country-";
    QTest::newRow("back rows, one field") << "" << false << 3 << 1 << "Country+";
    QTest::newRow("back columns, multi") << "" << false << 2 << 0 << "Year-";
    QTest::newRow("back columns, multi, collapsed") << "collapsed" << false << 2 << 1 << "Year-";
    QTest::newRow("back columns, single") << "single" << false << 2 << 0 << "Year-";
    QTest::newRow("back columns, single, collapsed")
        << "single collapsed" << false << 2 << 0 << "Year-";
}

void tst_dynamicubehelpermethods::drill()
{
    QFETCH(QString, setup);
    QFETCH(bool, ahead);
    QFETCH(int, axis);
    QFETCH(int, beeps);
    QFETCH(QString, expanded);
    OrdersFixture f;
    const bool rows2 = setup.contains(QLatin1String("rows2"));
    if (rows2) {
        f.field("Year")->setOrientation(kq::platform::OrientRow);
        f.field("Quarter")->setOrientation(kq::platform::OrientPage);
    }
    if (setup.contains(QLatin1String("onecolumn")))
        f.field("Quarter")->setOrientation(kq::platform::OrientPage);
    if (setup.contains(QLatin1String("single")))
        f.field("cntOrders")->setShown(false);
    const bool rowAxis = axis != 2;
    CubeField *outer = (rowAxis ? f.cube.rowFields() : f.cube.columnFields())->itemByPosition(0);
    if (setup.contains(QLatin1String("collapsed")))
        outer->setExpanded(false);

    if (ahead)
        f.helper.DrillAhead(axis);
    else
        f.helper.DrillBack(axis);
    QCOMPARE(f.dialogs.beeps, beeps);
    QCOMPARE(outer->name() + (outer->expanded() ? "+" : "-"), expanded);
    // The grid follows the flags.
    const int inner
        = (rowAxis ? f.cube.rowFields() : f.cube.columnFields())->count() > 1 && outer->expanded()
              ? 1
              : 0;
    const int extra = !rowAxis && f.helper.GetVisibleDataFieldCount() > 1 ? 1 : 0;
    QCOMPARE(rowAxis ? f.cube.displayedRowLevels() : f.cube.displayedColumnLevels(),
             1 + inner + extra);
}

void tst_dynamicubehelpermethods::expandAndCollapse()
{
    OrdersFixture f;
    f.helper.CollapseCube();
    for (const auto *field : f.cube.fields()->all())
        QVERIFY(!field->expanded());
    QCOMPARE(f.cube.displayedColumnLevels(), 2); // the year and the data captions
    f.helper.ExpandField(QStringLiteral("Year"));
    QVERIFY(f.field("Year")->expanded());
    QVERIFY(!f.field("Quarter")->expanded());
    QCOMPARE(f.cube.displayedColumnLevels(), 3);
    f.helper.ExpandCube();
    for (const auto *field : f.cube.fields()->all())
        QVERIFY(field->expanded());
    f.helper.CollapseField(QStringLiteral("Year"));
    QVERIFY(!f.field("Year")->expanded());
    QVERIFY(f.field("Country")->expanded());
}

void tst_dynamicubehelpermethods::fillListAndComboWithFields()
{
    OrdersFixture f;
    auto &dialogs = f.dialogs;
    QListWidget list;
    list.addItem(QStringLiteral("old entry"));
    f.helper.FillListOrComboWithAxisFields(&list);
    QStringList captions;
    QList<int> data;
    for (int i = 0; i < list.count(); ++i) {
        captions << list.item(i)->text();
        data << list.item(i)->data(Qt::UserRole).toInt();
    }
    QCOMPARE(captions, QStringList({"Country", "Year", "Quarter"}));
    // The index in the whole collection: the data field's index 2 is skipped.
    QCOMPARE(data, QList<int>({0, 1, 3}));
    QVERIFY(!f.helper.GetAxisFieldFromListOrCombo(&list)); // nothing selected
    list.setCurrentRow(2);
    QCOMPARE(f.helper.GetAxisFieldFromListOrCombo(&list), f.field("Quarter"));

    QComboBox combo;
    f.helper.FillListOrComboWithDataFields(&combo);
    QCOMPARE(combo.count(), 2);
    QCOMPARE(combo.itemText(1), QStringLiteral("Orders"));
    QCOMPARE(combo.itemData(1).toInt(), 1);
    combo.setCurrentIndex(1);
    QCOMPARE(f.helper.GetDataFieldFromListOrCombo(&combo), f.field("cntOrders"));
    f.helper.FillListOrComboWithAxisFields(&combo);
    combo.setCurrentIndex(1);
    QCOMPARE(f.helper.GetAxisFieldFromListOrCombo(&combo), f.field("Year"));
    QVERIFY(dialogs.messages.isEmpty());
}

void tst_dynamicubehelpermethods::fillRefusesOtherControls()
{
    OrdersFixture f;
    auto &dialogs = f.dialogs;
    QLineEdit edit;
    f.helper.FillListOrComboWithAxisFields(&edit);
    f.helper.FillListOrComboWithDataFields(&edit);
    QCOMPARE(dialogs.messages.size(), 2);
    for (const auto &m : dialogs.messages) {
        QCOMPARE(m.text, QStringLiteral("Control must be of type combobox or listbox."));
        QCOMPARE(m.title, QStringLiteral("Invalid Control Type"));
        QCOMPARE(m.icon, kq::platform::Icon::Critical);
    }
    QVERIFY(!f.helper.GetAxisFieldFromListOrCombo(&edit));
    QVERIFY(!f.helper.GetDataFieldFromListOrCombo(&edit));
    QCOMPARE(dialogs.messages.size(), 2);
}

QTEST_MAIN(tst_dynamicubehelpermethods)
#include "tst_dynamicubehelpermethods.moc"
