#include "cube/dynamicubeinteraction.h"
#include "support/cube_grid_lookup.h"
#include "orders_cube.h"
#include "cube/engine/cubeview.h"
#include "cube/engine/dcube.h"
#include "support/base_dialogs.h"
#include "support/shell_nwind_fixture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

using kq::cube::DynamiCubeInteraction;
using kq::platform::CubeField;
using kq::platform::DCube;
using namespace kq::test::cubegrid;

namespace {

// The orders cube on screen with the interaction attached; counts the cells
// formatted (a refresh formats the visible cells again).
struct InteractionFixture
{
    kq::test::NwindFolders nwind;
    DCube cube;
    DynamiCubeInteraction interaction;
    int formatted = 0;

    InteractionFixture()
    {
        buildOrdersCube(cube, nwind);
        cube.fields()->item(QStringLiteral("Quarter"))->setOrientation(kq::platform::OrientPage);
        interaction.Init(&cube);
        QObject::connect(&cube, &DCube::formatCell, [this] { ++formatted; });
        cube.resize(1200, 600);
        cube.show();
        QVERIFY(QTest::qWaitForWindowExposed(&cube));
        QCoreApplication::processEvents();
    }
    CubeField *field(const char *name) { return cube.fields()->item(QString::fromLatin1(name)); }
    QWidget *viewport() { return cube.view()->viewport(); }
    void send(QEvent::Type type, const QRect &rect, Qt::MouseButton button,
              Qt::MouseButtons buttons)
    {
        const QPointF pos = rect.center();
        QMouseEvent event(type, pos, viewport()->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport(), &event);
    }
    void doubleClick(const QRect &rect)
    {
        send(QEvent::MouseButtonPress, rect, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, rect, Qt::LeftButton, Qt::NoButton);
        send(QEvent::MouseButtonDblClick, rect, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, rect, Qt::LeftButton, Qt::NoButton);
    }
    void press(const QRect &rect)
    {
        send(QEvent::MouseButtonPress, rect, Qt::LeftButton, Qt::LeftButton);
    }
    void moveTo(const QRect &rect) { send(QEvent::MouseMove, rect, Qt::NoButton, Qt::LeftButton); }
    void release(const QRect &rect)
    {
        send(QEvent::MouseButtonRelease, rect, Qt::LeftButton, Qt::NoButton);
    }
    // The data-caption heading of a column (the level below the year).
    QRect caption(int column) { return cube.view()->columnHeadingRect(column, 2); }
    int column(const QStringList &path, const char *data)
    {
        return findColumn(cube, path, QString::fromLatin1(data));
    }
};

} // namespace

class tst_dynamicubeinteraction : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void initResetsTheActionAndBindsTheHelper();
    void doubleClickWithoutActionDoesNothing();
    void doubleClickTogglesTheHeading();
    void doubleClickRenamesTheDataItem_data();
    void doubleClickRenamesTheDataItem();
    void doubleClickWithoutFieldReportsTheError();
    void dragSwapsTwoDataFields();
    void dropOnItsOwnColumnSwapsNothing();
    void pressesThatStartNoDrag();
    void movingWithinOneColumnRefreshesOnce();
    void cubeErrorsAreAnswered();
};

void tst_dynamicubeinteraction::initResetsTheActionAndBindsTheHelper()
{
    InteractionFixture f;
    f.interaction.setDoubleClickAction(2);
    f.interaction.setAllowDragDropDataField(false);
    f.interaction.Init(&f.cube);
    QCOMPARE(f.interaction.DoubleClickAction(), 0);
    QVERIFY(!f.interaction.AllowDragDropDataField());
    QCOMPARE(f.interaction.BaseClass()->cube(), &f.cube);
    QVERIFY(f.interaction.BaseClass()->ContainsField(QStringLiteral("Year")));
}

void tst_dynamicubeinteraction::doubleClickWithoutActionDoesNothing()
{
    kq::test::ScriptedDialogs dialogs;
    InteractionFixture f;
    const int c = f.column({"2023"}, "Freight");
    const int columns = f.cube.columnCount();
    f.formatted = 0;
    f.doubleClick(f.cube.view()->columnHeadingRect(c, 1));
    QCOMPARE(f.formatted, 0); // not even a refresh
    QCOMPARE(f.cube.columnCount(), columns);
    QVERIFY(f.cube.columnHeadingExpanded(c, 0));
    QVERIFY(dialogs.messages.isEmpty());
}

void tst_dynamicubeinteraction::doubleClickTogglesTheHeading()
{
    InteractionFixture f;
    f.field("Country")->setOrientation(kq::platform::OrientColumn);
    f.field("Year")->setOrientation(kq::platform::OrientRow);
    f.field("Quarter")->setOrientation(kq::platform::OrientRow);
    f.field("cntOrders")->setShown(false);
    // Rows: year, then quarter; columns: country.
    f.interaction.setDoubleClickAction(1);
    int r = findRow(f.cube, {"2023", "1"});
    QVERIFY(r >= 0);
    const int rows = f.cube.rowCount();
    f.formatted = 0;
    f.doubleClick(f.cube.view()->rowHeadingRect(r, 1));
    QVERIFY(f.formatted > 0);
    r = findRow(f.cube, {"2023"});
    QVERIFY(r >= 0);
    QVERIFY(!f.cube.rowHeadingExpanded(r, 0));
    QVERIFY(f.cube.rowCount() < rows);
    QVERIFY(findRow(f.cube, {"2023", "1"}) < 0);
    QVERIFY(findRow(f.cube, {"2024", "1"}) >= 0);
    f.doubleClick(f.cube.view()->rowHeadingRect(r, 1));
    QCOMPARE(f.cube.rowCount(), rows);
    QVERIFY(findRow(f.cube, {"2023", "1"}) >= 0);
}

void tst_dynamicubeinteraction::doubleClickRenamesTheDataItem_data()
{
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QString>("caption");
    QTest::newRow("answer kept as typed")
        << std::optional<QString>(QStringLiteral(" Chili ")) << " Chili ";
    QTest::newRow("blanks only") << std::optional<QString>(QStringLiteral("   ")) << "Chile";
    QTest::newRow("cancelled") << std::optional<QString>() << "Chile";
}

void tst_dynamicubeinteraction::doubleClickRenamesTheDataItem()
{
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, caption);
    kq::test::ScriptedDialogs dialogs;
    dialogs.inputs.enqueue(answer);
    InteractionFixture f;
    f.interaction.setDoubleClickAction(2);
    const int r = findRow(f.cube, {"Chile"});
    f.doubleClick(f.cube.view()->rowHeadingRect(r, 1));
    QVERIFY(dialogs.inputs.isEmpty());
    QCOMPARE(f.field("Country")->dataItems()->item(QStringLiteral("Chile"))->caption(), caption);
    QCOMPARE(f.cube.rowHeading(r, 1).text, caption);
}

void tst_dynamicubeinteraction::doubleClickWithoutFieldReportsTheError()
{
    kq::test::ScriptedDialogs dialogs;
    InteractionFixture f;
    f.interaction.setDoubleClickAction(1);
    // Below the last row: no field there.
    const QRect last = f.cube.view()->rowHeadingRect(f.cube.rowCount() - 1, 1);
    const QRect below = last.translated(0, last.height() * 4);
    QVERIFY(below.bottom() < f.viewport()->height());
    f.formatted = 0;
    f.doubleClick(below);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages.first().title, QStringLiteral("Error Occured"));
    QCOMPARE(dialogs.messages.first().icon, kq::platform::Icon::Warning);
    QCOMPARE(dialogs.lastText(), QStringLiteral("Object variable or With block variable not set"));
    QCOMPARE(f.formatted, 0);
}

void tst_dynamicubeinteraction::dragSwapsTwoDataFields()
{
    kq::test::ScriptedDialogs dialogs;
    InteractionFixture f;
    QSignalSpy done(&f.interaction, &DynamiCubeInteraction::DataFieldDragComplete);
    const int freight = f.column({"2023"}, "Freight");
    const int orders = f.column({"2024"}, "Orders");
    const int row = findRow(f.cube, {"Chile"});

    f.press(f.caption(freight));
    QCOMPARE(f.cube.mousePointer(), 13);
    f.moveTo(f.cube.view()->cellRect(row, orders));
    // While dragging, the target's cells are green on black, the source's not.
    auto cell = f.cube.model()->formatCell(row, orders);
    QCOMPARE(cell.backColor, 65280);
    QCOMPARE(cell.foreColor, 0);
    cell = f.cube.model()->formatCell(row, f.column({"Total"}, "Orders"));
    QCOMPARE(cell.backColor, 65280);
    cell = f.cube.model()->formatCell(row, freight);
    QVERIFY(cell.backColor != 65280);

    f.release(f.cube.view()->cellRect(row, orders));
    QCOMPARE(f.cube.mousePointer(), 0);
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first().first().toString(), QStringLiteral("sumFreight"));
    QCOMPARE(f.field("cntOrders")->position(), 0);
    QCOMPARE(f.field("sumFreight")->position(), 1);
    // The collection keeps its order; the grid shows the orders first.
    QCOMPARE(f.cube.dataFields()->item(0), f.field("sumFreight"));
    QCOMPARE(f.cube.dataFields()->itemByPosition(0), f.field("cntOrders"));
    QCOMPARE(f.cube.dataFieldOfColumn(freight), f.field("cntOrders"));
    QCOMPARE(cellAt(f.cube, {"Chile"}, {"2023"}, QStringLiteral("Orders")), 6.0);
    QCOMPARE(cellAt(f.cube, {"Chile"}, {"2023"}, QStringLiteral("Freight")), 124.5);
    // No highlight once dropped.
    QVERIFY(f.cube.model()->formatCell(row, orders).backColor != 65280);
    QVERIFY(dialogs.messages.isEmpty());
}

void tst_dynamicubeinteraction::dropOnItsOwnColumnSwapsNothing()
{
    InteractionFixture f;
    QSignalSpy done(&f.interaction, &DynamiCubeInteraction::DataFieldDragComplete);
    const int freight = f.column({"2024"}, "Freight");
    f.press(f.caption(freight));
    f.moveTo(f.cube.view()->cellRect(0, freight));
    QVERIFY(f.cube.model()->formatCell(0, freight).backColor != 65280);
    f.release(f.cube.view()->cellRect(0, freight));
    QCOMPARE(done.count(), 0);
    QCOMPARE(f.cube.mousePointer(), 0);
    QCOMPARE(f.field("sumFreight")->position(), 0);
}

void tst_dynamicubeinteraction::pressesThatStartNoDrag()
{
    InteractionFixture f;
    QSignalSpy done(&f.interaction, &DynamiCubeInteraction::DataFieldDragComplete);
    const int freight = f.column({"2023"}, "Freight");
    const int orders = f.column({"2023"}, "Orders");
    // A dimension's heading.
    f.press(f.cube.view()->columnHeadingRect(freight, 1));
    QCOMPARE(f.cube.mousePointer(), 0);
    f.moveTo(f.caption(orders));
    f.release(f.caption(orders));
    QCOMPARE(done.count(), 0);
    // Dragging not allowed.
    f.interaction.setAllowDragDropDataField(false);
    f.press(f.caption(freight));
    QCOMPARE(f.cube.mousePointer(), 0);
    f.moveTo(f.caption(orders));
    f.release(f.caption(orders));
    QCOMPARE(done.count(), 0);
    QCOMPARE(f.field("sumFreight")->position(), 0);
}

void tst_dynamicubeinteraction::movingWithinOneColumnRefreshesOnce()
{
    InteractionFixture f;
    const int freight = f.column({"2023"}, "Freight");
    const int orders = f.column({"2023"}, "Orders");
    f.press(f.caption(freight));
    f.formatted = 0;
    f.moveTo(f.cube.view()->cellRect(0, orders));
    const int once = f.formatted;
    QVERIFY(once > 0);
    f.moveTo(f.cube.view()->cellRect(1, orders));
    f.moveTo(f.caption(orders));
    QCOMPARE(f.formatted, once);
    f.release(f.caption(orders));
    QCOMPARE(f.field("cntOrders")->position(), 0);
}

void tst_dynamicubeinteraction::cubeErrorsAreAnswered()
{
    InteractionFixture f;
    bool handled = false;
    emit f.cube.errorOccurred(1033, QStringLiteral("failed"), QStringLiteral("cube"), &handled);
    QVERIFY(handled);
}

QTEST_MAIN(tst_dynamicubeinteraction)
#include "tst_dynamicubeinteraction.moc"
