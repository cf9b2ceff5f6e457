#include "cube/cubetochartdata.h"
#include "cubetools_fixture.h"
#include "cube/frmmschart.h"
#include "platform/chart/mschart.h"
#include "cube/engine/dcube.h"
#include "core/errorinfo.h"
#include "support/base_screens.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QtTest>
#include <stdexcept>

using kq::cube::ChartSource;
using kq::platform::ChartData;

namespace {

// A cube grid of rows x columns cells: row r is headed "R<r>" (one level),
// column c "C<c>" (one level, or year and month with twoLevels); a cell
// holds 100 * r + c. With several data fields shown, columns alternate
// "Valor" / "Atualizado" at the data-caption level.
class FakeCube : public ChartSource
{
public:
    int rows = 1;
    int columns = 1;
    std::pair<int, int> rowCorner{0, 0};
    std::pair<int, int> columnCorner{0, 0};
    bool twoLevels = false;
    QList<bool> shown{true};
    QHash<QPair<int, int>, QVariant> overrides;

    // Walks beyond this many steps mean a loop that never ends.
    mutable int walked = 0;

    std::pair<int, int> columnCorners() const override { return columnCorner; }
    std::pair<int, int> rowCorners() const override { return rowCorner; }
    // As the cube answers: after the last index, the count.
    int nextColumn(int c) const override { return step(std::min(c + 1, columns)); }
    int nextRow(int r) const override { return step(std::min(r + 1, rows)); }
    int step(int next) const
    {
        if (++walked > 10000)
            throw std::runtime_error("the walk over the cube never ends");
        return next;
    }
    int columnFieldCount() const override { return twoLevels ? 2 : 1; }
    int dataFieldCount() const override { return int(shown.size()); }
    bool dataFieldShown(int p) const override { return shown.value(p); }
    int shownCount() const { return int(shown.count(true)); }
    int columnHeadingDepth(int) const override
    {
        return columnFieldCount() + (shownCount() >= 2 ? 1 : 0);
    }
    int rowHeadingDepth(int) const override { return 1; }
    QString columnHeadingText(int c, int level) const override
    {
        if (level == columnFieldCount() + 1)
            return c % 2 ? QStringLiteral("Atualizado") : QStringLiteral("Valor");
        if (twoLevels)
            return level == 1 ? QStringLiteral("2024") : QStringLiteral("M%1").arg(c);
        return QStringLiteral("C%1").arg(c);
    }
    QString rowHeadingText(int r, int) const override { return QStringLiteral("R%1").arg(r); }
    QVariant cellValue(int r, int c) const override
    {
        if (overrides.contains({r, c}))
            return overrides.value({r, c});
        return double(100 * r + c);
    }
};

FakeCube block(int firstRow, int lastRow, int firstColumn, int lastColumn)
{
    FakeCube cube;
    cube.rows = std::max(firstRow, lastRow) + 1;
    cube.columns = std::max(firstColumn, lastColumn) + 1;
    cube.rowCorner = {firstRow, lastRow};
    cube.columnCorner = {firstColumn, lastColumn};
    return cube;
}

} // namespace

class tst_cubechart : public QObject
{
    Q_OBJECT

private slots:
    void leadingAxis_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("rowsLead");
        QTest::newRow("1 x 1: columns lead") << 1 << 1 << false;
        QTest::newRow("3 x 5: rows lead") << 3 << 5 << true;
        QTest::newRow("5 x 3: columns lead") << 5 << 3 << false;
        QTest::newRow("4 x 4: columns lead") << 4 << 4 << false;
    }

    void leadingAxis()
    {
        QFETCH(int, rows);
        QFETCH(int, columns);
        QFETCH(bool, rowsLead);
        const FakeCube cube = block(0, rows - 1, 0, columns - 1);
        const ChartData d = kq::cube::chartArray(cube);
        const int lead = rowsLead ? rows : columns;
        const int trail = rowsLead ? columns : rows;
        QCOMPARE(d.rowUpperBound(), lead);
        QCOMPARE(d.columnUpperBound(), trail);
        QVERIFY(!d.value(0, 0).isValid());
        // Headings of the leading axis down column 0, of the other along row 0.
        const QString leadHead = rowsLead ? QStringLiteral("R%1") : QStringLiteral("C%1");
        const QString trailHead = rowsLead ? QStringLiteral("C%1") : QStringLiteral("R%1");
        for (int p = 1; p <= lead; ++p)
            QCOMPARE(d.rowLabel(p), leadHead.arg(p - 1));
        for (int q = 1; q <= trail; ++q)
            QCOMPARE(d.columnLabel(q), trailHead.arg(q - 1));
        // The cell of cube row r, column c.
        for (int p = 1; p <= lead; ++p) {
            for (int q = 1; q <= trail; ++q) {
                const int r = rowsLead ? p - 1 : q - 1;
                const int c = rowsLead ? q - 1 : p - 1;
                QCOMPARE(d.value(p, q).toDouble(), 100.0 * r + c);
            }
        }
    }

    void cornerSideDoesNotMatter()
    {
        // The opposite corner above and to the left of the current cell.
        const ChartData reversed = kq::cube::chartArray(block(4, 2, 6, 2));
        const ChartData forward = kq::cube::chartArray(block(2, 4, 2, 6));
        QVERIFY(reversed == forward);
        QCOMPARE(forward.rowUpperBound(), 3); // 3 rows lead against 5 columns
        QCOMPARE(forward.rowLabel(1), QStringLiteral("R2"));
        QCOMPARE(forward.columnLabel(5), QStringLiteral("C6"));
    }

    void headingTexts_data()
    {
        QTest::addColumn<bool>("twoLevels");
        QTest::addColumn<QList<bool>>("shown");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("year and month, one data field") << true << QList<bool>{true} << "2024 - M0"
                                                        << "2024 - M1";
        QTest::newRow("both data fields shown") << false << QList<bool>{true, true} << "C0 - Valor"
                                                << "C1 - Atualizado";
        QTest::newRow("one of two data fields hidden") << false << QList<bool>{true, false} << "C0"
                                                       << "C1";
        QTest::newRow("two levels and both data fields")
            << true << QList<bool>{true, true} << "2024 - M0 - Valor"
            << "2024 - M1 - Atualizado";
    }

    void headingTexts()
    {
        QFETCH(bool, twoLevels);
        QFETCH(QList<bool>, shown);
        QFETCH(QString, first);
        QFETCH(QString, second);
        FakeCube cube = block(0, 4, 0, 1); // 5 rows, 2 columns: columns lead
        cube.twoLevels = twoLevels;
        cube.shown = shown;
        QCOMPARE(kq::cube::HasMultipleDataFields(cube), shown.count(true) >= 2);
        const ChartData d = kq::cube::chartArray(cube);
        QCOMPARE(d.rowLabel(1), first);
        QCOMPARE(d.rowLabel(2), second);
    }

    void multipleDataFieldsWithDepthOne()
    {
        // A column whose heading has one level gets " - " and the caption.
        class Shallow : public FakeCube
        {
        public:
            int columnHeadingDepth(int) const override { return 1; }
            int columnFieldCount() const override { return 0; }
        } cube;
        cube.shown = {true, true};
        const ChartData d = kq::cube::chartArray(cube);
        QCOMPARE(d.rowLabel(1), QStringLiteral(" - Valor"));
    }

    void cellValues()
    {
        FakeCube cube = block(0, 0, 0, 1);
        cube.overrides[{0, 0}] = QVariant(); // an empty cell
        const ChartData d = kq::cube::chartArray(cube);
        QCOMPARE(d.value(1, 1).typeId(), QMetaType::Double);
        QCOMPARE(d.number(1, 1), 0.0);
        cube.overrides[{0, 1}] = QStringLiteral("abc");
        QVERIFY_THROWS_EXCEPTION(kq::platform::RuntimeError, kq::cube::chartArray(cube));
    }

    // An axis with no members (a cube with no cheques, or a filter that
    // empties an axis): the corners still read 0, the walk ends at once and
    // the array has no member on that axis.
    void emptyAxis_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::newRow("no rows") << 0 << 3;
        QTest::newRow("no columns") << 2 << 0;
        QTest::newRow("neither") << 0 << 0;
    }

    void emptyAxis()
    {
        QFETCH(int, rows);
        QFETCH(int, columns);
        FakeCube cube;
        cube.rows = rows;
        cube.columns = columns;
        cube.rowCorner = {0, std::max(0, rows - 1)};
        cube.columnCorner = {0, std::max(0, columns - 1)};
        const ChartData d = kq::cube::chartArray(cube);
        const bool rowsLead = d.rowUpperBound() == rows && d.columnUpperBound() == columns;
        const bool columnsLead = d.rowUpperBound() == columns && d.columnUpperBound() == rows;
        QVERIFY(rowsLead || columnsLead);
        const int nonEmpty = std::max(rows, columns);
        for (int k = 1; k <= nonEmpty; ++k) {
            const QString label = rowsLead == (rows > 0) ? d.rowLabel(k) : d.columnLabel(k);
            QCOMPARE(label, (rows > 0 ? QStringLiteral("R%1") : QStringLiteral("C%1")).arg(k - 1));
        }
        // The chart draws an empty array in every type.
        kq::platform::MSChart chart;
        chart.resize(400, 300);
        chart.setChartData(d);
        for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 14}) {
            chart.setChartType(type);
            QVERIFY(!chart.grab().isNull());
        }
    }

    // "Graficos" on the cube itself when a filter empties one axis.
    void emptyAxisOfTheCube_data()
    {
        QTest::addColumn<QString>("kept"); // the axis field that stays
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::newRow("no rows") << "Cliente" << 0 << 2;
        QTest::newRow("no columns") << "Ano" << 1 << 0;
    }

    void emptyAxisOfTheCube()
    {
        QFETCH(QString, kept);
        QFETCH(int, rows);
        QFETCH(int, columns);
        kq::test::cubetools::ChequeCube fixture;
        QVERIFY(fixture.ok);
        auto &cube = fixture.cube;
        for (auto *f : {cube.fields()->item(QStringLiteral("ds_loja")),
                        cube.fields()->item(QStringLiteral("ano"))}) {
            if (f->caption() != kept)
                f->setOrientation(kq::platform::OrientPage);
        }
        for (auto *item : cube.rowFields()->count()
                              ? cube.rowFields()->item(0)->dataItems()->all()
                              : cube.columnFields()->item(0)->dataItems()->all())
            item->setIncluded(false);
        cube.rebuild();
        QCOMPARE(cube.rowCount(), rows);
        QCOMPARE(cube.columnCount(), columns);
        std::unique_ptr<kq::cube::frmMSChart> form(kq::cube::showCubeChart(&cube));
        QVERIFY(form);
        // The block is the current cell alone: one member on the other axis.
        const ChartData d = form->MSChart->chartData();
        QCOMPARE(d.rowUpperBound() * d.columnUpperBound(), 0);
        QCOMPARE(d.rowUpperBound() + d.columnUpperBound(), 1);
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
        QVERIFY(kq::test::shot(form.get(), QStringLiteral("chart-%1").arg(tag)));
    }

    void chartWindow()
    {
        kq::cube::frmMSChart form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Olap - Gráficos"));
        QCOMPARE(form.Frame1->title(), QStringLiteral("Opções"));
        const auto options = form.Frame1->findChildren<QRadioButton *>();
        QCOMPARE(options.size(), 9);
        for (const QRadioButton *o : options)
            QVERIFY(!o->isChecked());
        QCOMPARE(form.MSChart->geometry(), QRect(0, 8, 785, 456));
        const int before = form.MSChart->chartType();
        form.show();
        // Until an option is clicked the chart keeps the type it was designed with.
        QCOMPARE(before, int(kq::platform::VtChChartType2dBar));
        QCOMPARE(form.MSChart->chartType(), before);
        QTest::mouseClick(form.opcao3, Qt::LeftButton);
        QCOMPARE(form.MSChart->chartType(), 14);
        QTest::mouseClick(form.opcao1, Qt::LeftButton);
        QCOMPARE(form.MSChart->chartType(), 0);
        QVERIFY(!form.opcao3->isChecked());
    }

    void chartTypes_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("type");
        QTest::newRow("opcao1") << "opcao1"
                                << "Barra 3D" << 0;
        QTest::newRow("opcao2") << "opcao2"
                                << "Barra 2D" << 1;
        QTest::newRow("area3d") << "area3d"
                                << "Área 3D" << 4;
        QTest::newRow("area2d") << "area2d"
                                << "Área 2D" << 5;
        QTest::newRow("linha3d") << "linha3d"
                                 << "Linhas 3D" << 2;
        QTest::newRow("linha2d") << "linha2d"
                                 << "Linhas 2D" << 3;
        QTest::newRow("step3d") << "step3d"
                                << "Step 3D" << 6;
        QTest::newRow("step2d") << "step2d"
                                << "Step 2D" << 7;
        QTest::newRow("opcao3") << "opcao3"
                                << "Pie 2D" << 14;
    }

    void chartTypes()
    {
        QFETCH(QString, option);
        QFETCH(QString, caption);
        QFETCH(int, type);
        kq::cube::frmMSChart form;
        form.show();
        auto *button = form.findChild<QRadioButton *>(option);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(form.MSChart->chartType(), type);
    }

    void chartOfTheCube()
    {
        kq::test::cubetools::ChequeCube fixture;
        QVERIFY(fixture.ok);
        auto &cube = fixture.cube;
        // Valor only: rows A, B, Total; columns 2023, 2024, Total.
        cube.dataFields()->item(1)->setShown(false);
        cube.rebuild();
        QCOMPARE(cube.rowCount(), 3);
        QCOMPARE(cube.columnCount(), 3);
        cube.setCurrentCell(1, 2);
        cube.setSelectionCorner(0, 0); // 2 rows against 3 columns: the rows lead
        std::unique_ptr<kq::cube::frmMSChart> first(kq::cube::showCubeChart(&cube));
        QVERIFY(first);
        QVERIFY(first->isVisible());
        QVERIFY(first->MSChart->showLegend());
        const ChartData d = first->MSChart->chartData();
        QCOMPARE(d.rowUpperBound(), 2);
        QCOMPARE(d.columnUpperBound(), 3);
        QCOMPARE(d.rowLabel(1), QStringLiteral("A"));
        QCOMPARE(d.rowLabel(2), QStringLiteral("B"));
        QCOMPARE(d.columnLabel(1), QStringLiteral("2023"));
        QCOMPARE(d.columnLabel(3), QStringLiteral("Total"));
        QCOMPARE(d.number(1, 1), 1500.0);
        QCOMPARE(d.number(1, 2), 4000.0);
        QCOMPARE(d.number(2, 2), 0.0); // an empty cell
        QCOMPARE(d.number(2, 3), 2000.0);

        // Both data fields: the caption ends every column heading. A second
        // window is a snapshot of its own moment.
        cube.dataFields()->item(1)->setShown(true);
        cube.rebuild();
        cube.setCurrentCell(0, 0);
        cube.setSelectionCorner(0, 1);
        std::unique_ptr<kq::cube::frmMSChart> second(kq::cube::showCubeChart(&cube));
        QVERIFY(second);
        const ChartData e = second->MSChart->chartData();
        QCOMPARE(e.rowLabel(1), QStringLiteral("A")); // one row against two columns
        QCOMPARE(e.columnLabel(1), QStringLiteral("2023 - Valor"));
        QCOMPARE(e.columnLabel(2), QStringLiteral("2023 - Atualizado"));
        QCOMPARE(e.number(1, 2), 1650.0);
        QVERIFY(first->MSChart->chartData() == d);
        QVERIFY(!kq::cube::showCubeChart(nullptr));
    }

    void tabOrder()
    {
        kq::cube::frmMSChart form;
        QStringList order;
        QWidget *w = form.opcao1;
        for (int i = 0; i < 9; ++i, w = w->nextInFocusChain()) {
            while (!qobject_cast<QRadioButton *>(w))
                w = w->nextInFocusChain();
            order << w->objectName();
        }
        QCOMPARE(order, QStringList({"opcao1", "opcao2", "opcao3", "linha3d", "linha2d", "area3d",
                                     "area2d", "step3d", "step2d"}));
    }
};

QTEST_MAIN(tst_cubechart)
#include "tst_cubechart.moc"
