// Binding, current row, row formats, grouping, preview row, drop-down and
// columns of the grid control.

#include "support/gridtestdb.h"
#include "report/failingsource.h"

#include "data/database.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/grid/gridmodel.h"
#include "platform/grid/gridview.h"
#include "support/base_dialogs.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QMimeData>
#include <QScrollBar>
#include <QSqlDriver>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <sqlite3.h>

using namespace kq::platform;

namespace {

// slow(x): x, after 50 microseconds (a source that takes its time).
void slowFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    QElapsedTimer t;
    t.start();
    while (t.nsecsElapsed() < 50000) {
    }
    sqlite3_result_value(ctx, argv[0]);
}

const QString kAll = QStringLiteral("SELECT * FROM cheques ORDER BY nm_emitente");

// Columns as a screen designs them: hidden ones keep their index.
void design(GridEX &g)
{
    g.addColumn(QStringLiteral("nm_emitente"), QStringLiteral("Emitente"), 120);
    g.addColumn(QStringLiteral("cd_devolvido"), QStringLiteral("Chave")).setVisible(false);
    g.addColumn(QStringLiteral("DS_LOJA"), QStringLiteral("Loja"), 110);
    GridColumn &valor = g.addColumn(QStringLiteral("VL_CHEQUE"), QStringLiteral("Valor"), 90);
    valor.setFormat(QStringLiteral("Currency"));
    valor.setAggregate(Aggregate::Sum);
    g.addColumn(QStringLiteral("dt_deposito"), QStringLiteral("Depósito"), 90)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    g.addColumn(QStringLiteral("cd_situacao"), QStringLiteral("Situação"), 90);
    g.addColumn(QStringLiteral("cd_loja"), QStringLiteral("CD_LOJA")).setVisible(false);
    g.addColumn(QStringLiteral("ds_historico"), QStringLiteral("Histórico")).setVisible(false);
    g.setKeyColumn(2);
}

// The display rows' texts of one column, group rows included.
QStringList columnTexts(const GridEX &g, int column)
{
    QStringList out;
    for (int r = 0; r < g.rowCount(); ++r)
        out << g.textAt(r, column);
    return out;
}

} // namespace

class tst_gridex : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void binding();
    void gridWithoutColumnsTakesTheFields();
    void boundValuesAreLookedForAsTheyAre_data();
    void boundValuesAreLookedForAsTheyAre();
    void badRecordSourceKeepsRows_data();
    void badRecordSourceKeepsRows();
    void currentRowAndRowChange();
    void refreshKeepsCurrentByKey();
    void headerClickSorts();
    void stylesAndRowFormatHook();
    void groupingOneLevel();
    void groupingTwoLevels();
    void groupRowIsNeverCurrentRecord();
    void groupWithoutArguments();
    void previewRow();
    void dropDownShowsDescription();
    void columnsByPosition();
    void dragHeadersToGroupAndMove();
    void fieldChangedAfterBind();
    void editableCheckColumnWrites();
    void largeSourceReadsInTheBackground();
    void backgroundRowsShownInGrowingSteps();
    void failedReadingEmptiesTheList_data();
    void failedReadingEmptiesTheList();

private:
    QTemporaryDir *m_dir = nullptr;
    QString m_db;
};

void tst_gridex::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
}

void tst_gridex::init()
{
    m_dir = new QTemporaryDir;
    m_db = m_dir->filePath(QStringLiteral("devolvidos.mdb"));
    gridtest::createCheques(m_db);
}

void tst_gridex::cleanup()
{
    kq::data::closeAllDatabases();
    delete m_dir;
    m_dir = nullptr;
}

void tst_gridex::binding()
{
    GridEX g;
    design(g);
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.rebind();
    g.refresh();
    QCOMPARE(g.recordCount(), 8);
    QCOMPARE(g.columnCount(), 8);
    // Column 3 is bound as DS_LOJA to ds_loja; hidden column 2 keeps its index.
    QCOMPARE(g.valueAt(0, 1).toString(), QStringLiteral("Ana"));
    QCOMPARE(g.valueAt(0, 2).toString(), QStringLiteral("0000000001"));
    QCOMPARE(g.valueAt(0, 3).toString(), QStringLiteral("Loja Centro"));
    QCOMPARE(g.textAt(0, 4), QStringLiteral("R$ 100,00"));
    QCOMPARE(g.textAt(0, 5), QStringLiteral("05/01/2024"));
    QVERIFY(g.view()->header()->isSectionHidden(1));

    // Rebinding to another query keeps the designed columns as they are.
    g.column(3).setCaption(QStringLiteral("Empresa"));
    g.setRecordSource(QStringLiteral("SELECT * FROM cheques WHERE cd_loja = '002' "
                                     "ORDER BY nm_emitente"));
    g.rebind();
    g.refresh();
    QCOMPARE(g.recordCount(), 3);
    QCOMPARE(g.columnCount(), 8);
    QCOMPARE(g.column(3).caption(), QStringLiteral("Empresa"));
    QCOMPARE(g.valueAt(0, 1).toString(), QStringLiteral("Bruno"));
    // A Null value shows nothing and reads as invalid.
    QCOMPARE(g.textAt(2, 4), QString());
    QVERIFY(g.valueAt(2, 4).isNull());

    // Jet text is translated: a date literal and a * wildcard.
    g.setRecordSource(QStringLiteral("SELECT * FROM cheques WHERE dt_deposito >= #2024/05/01# "
                                     "AND nm_emitente LIKE 'G*'"));
    g.rebind();
    g.refresh();
    QCOMPARE(g.recordCount(), 1);
    QCOMPARE(g.valueAt(0, 1).toString(), QStringLiteral("Gil"));
}

void tst_gridex::gridWithoutColumnsTakesTheFields()
{
    GridEX g;
    g.setDatabaseName(m_db);
    g.setRecordSource(QStringLiteral("SELECT cd_situacao, ds_situacao FROM situacoes"));
    g.rebind();
    g.refresh();
    QCOMPARE(g.columnCount(), 2);
    QCOMPARE(g.column(2).field(), QStringLiteral("ds_situacao"));
    QCOMPARE(g.recordCount(), 2);
}

void tst_gridex::boundValuesAreLookedForAsTheyAre_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("quote") << QStringLiteral("D'Ávila");
    QTest::newRow("sql text") << QStringLiteral("x' OR '1'='1");
    QTest::newRow("control characters") << QStringLiteral("Ana\tMaria\n");
    QTest::newRow("nul") << QStringLiteral("Ana") + QChar(0) + QStringLiteral("Maria");
}

void tst_gridex::boundValuesAreLookedForAsTheyAre()
{
    QFETCH(QString, name);
    kq::data::exec(m_db,
                   QStringLiteral("INSERT INTO cheques (cd_devolvido, nm_emitente) "
                                  "VALUES ('0000000009', ?)"),
                   {name});
    GridEX g;
    g.setDatabaseName(m_db);
    const kq::data::RecordSource source(
        QStringLiteral("SELECT cd_devolvido, nm_emitente FROM cheques WHERE nm_emitente = ? "
                       "OR nm_emitente = ?"),
        {name, QStringLiteral("Gil")});
    g.setRecordSource(source);
    g.rebind();
    g.refresh();
    QCOMPARE(g.recordSource(), source);
    QCOMPARE(g.recordCount(), 2);
    QCOMPARE(g.valueAt(0, 2).toString() + g.valueAt(1, 2).toString(), QStringLiteral("Gil") + name);
}

void tst_gridex::badRecordSourceKeepsRows_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("number");
    QTest::newRow("bad sql") << QString() << "SELECT * FROM nao_existe" << 3061;
    QTest::newRow("missing field")
        << QString() << "SELECT nm_emitente, cd_devolvido FROM cheques" << 3265;
    QTest::newRow("missing file") << "nada.mdb" << kAll << 3024;
}

void tst_gridex::badRecordSourceKeepsRows()
{
    QFETCH(QString, database);
    QFETCH(QString, source);
    QFETCH(int, number);
    GridEX g;
    design(g);
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    g.setCurrentRow(2);
    QSignalSpy changed(&g, &GridEX::rowChanged);

    g.setDatabaseName(database.isEmpty() ? m_db : m_dir->filePath(database));
    g.setRecordSource(source);
    g.rebind();
    try {
        g.refresh();
        QFAIL("refresh should fail");
    } catch (const GridError &e) {
        QCOMPARE(e.number(), number);
        QVERIFY(!e.description().isEmpty());
    }
    // What was shown stays, current record included, and the grid still works.
    QCOMPARE(g.recordCount(), 8);
    QCOMPARE(g.value(1).toString(), QStringLiteral("Carla"));
    QCOMPARE(changed.count(), 0);
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    QCOMPARE(g.recordCount(), 8);
}

void tst_gridex::currentRowAndRowChange()
{
    GridEX g;
    design(g);
    g.resize(700, 300);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    QSignalSpy changed(&g, &GridEX::rowChanged);
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.rebind();
    g.refresh();
    // No current record and no notification on the first bind.
    QCOMPARE(changed.count(), 0);
    QVERIFY(!g.hasCurrentRecord());
    QVERIFY(!g.value(1).isValid());
    QCOMPARE(g.currentRow(), -1);

    g.setCurrentRow(3);
    QCOMPARE(changed.count(), 1);
    QVERIFY(g.hasCurrentRecord());
    QCOMPARE(g.value(1).toString(), QStringLiteral("Davi"));
    QCOMPARE(g.value(2).toString(), QStringLiteral("0000000004")); // hidden column
    QCOMPARE(g.value(7).toString(), QStringLiteral("003"));        // hidden column
    QCOMPARE(g.text(4), QStringLiteral("R$ 10,00"));

    // The same record again: no notification. A click on another: one.
    g.setCurrentRow(3);
    QCOMPARE(changed.count(), 1);
    const QRect r = g.view()->visualRect(g.view()->model()->index(5, 0));
    QTest::mouseClick(g.view()->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(changed.count(), 2);
    QCOMPARE(g.value(1).toString(), QStringLiteral("Fábio"));
    QCOMPARE(g.findRow(1, QStringLiteral("gil")), 6);
    QVERIFY(!g.value(99).isValid());
}

void tst_gridex::refreshKeepsCurrentByKey()
{
    GridEX g;
    design(g);
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    g.setCurrentRow(2); // Carla
    QSignalSpy changed(&g, &GridEX::rowChanged);

    // A new row that sorts first moves Carla down; the refresh follows her.
    kq::data::exec(m_db, QStringLiteral("INSERT INTO cheques (cd_devolvido, nm_emitente) "
                                        "VALUES ('0000000009', 'Aaron')"));
    g.rebind();
    g.refresh();
    QCOMPARE(g.recordCount(), 9);
    QCOMPARE(g.currentRow(), 3);
    QCOMPARE(g.value(1).toString(), QStringLiteral("Carla"));
    QCOMPARE(changed.count(), 0);

    // Her record deleted: no current record, and no notification.
    kq::data::exec(m_db, QStringLiteral("DELETE FROM cheques WHERE cd_devolvido = '0000000003'"));
    g.refresh();
    QVERIFY(!g.hasCurrentRecord());
    QCOMPARE(changed.count(), 0);
}

void tst_gridex::headerClickSorts()
{
    GridEX g;
    design(g);
    g.resize(700, 300);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    g.setDatabaseName(m_db);
    g.setRecordSource(QStringLiteral("SELECT * FROM cheques"));
    g.refresh();
    g.setCurrentRow(0); // Ana
    QHeaderView *h = g.view()->header();
    const QPoint valor(h->sectionViewportPosition(3) + h->sectionSize(3) / 2, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, valor);
    // Ascending by value, Null first; the current record stays.
    QCOMPARE(columnTexts(g, 1).mid(0, 3), (QStringList{"Hugo", "Fábio", "Davi"}));
    QCOMPARE(g.value(1).toString(), QStringLiteral("Ana"));
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, valor);
    QCOMPARE(g.textAt(0, 1), QStringLiteral("Gil"));

    // Text sorts in the databases' order: case and accents aside.
    kq::data::exec(m_db, QStringLiteral("INSERT INTO cheques (cd_devolvido, nm_emitente) "
                                        "VALUES ('0000000010', 'ábaco'), ('0000000011', 'beto')"));
    g.refresh();
    g.sortBy(1);
    QCOMPARE(columnTexts(g, 1).mid(0, 5), (QStringList{"ábaco", "Ana", "beto", "Bruno", "Carla"}));
}

void tst_gridex::stylesAndRowFormatHook()
{
    GridEX g;
    design(g);
    g.addFormatStyle(QStringLiteral("001"), QColor(255, 0, 0));
    g.addFormatStyle(QStringLiteral("003"), QColor(0, 0, 255), QColor(255, 255, 0));
    g.setAlternatingRowColors(QColor(113, 247, 206), Qt::white);
    int records = 0;
    connect(&g, &GridEX::formatRow, this, [&](GridRow &row) {
        if (row.type() == RowType::Record) {
            ++records;
            row.setStyleName(row.value(7).toString()); // the store code, a hidden column
        }
    });
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    QCOMPARE(g.rowStyleName(0), QStringLiteral("001"));
    QCOMPARE(g.rowStyleName(1), QStringLiteral("002"));
    QAbstractItemModel *m = g.view()->model();
    // Ana (store 001): red text on the odd-row colour.
    QCOMPARE(m->index(0, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    QCOMPARE(m->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(113, 247, 206));
    // Bruno (002): no such style, the ordinary look on the even-row colour.
    QVERIFY(!m->index(1, 0).data(Qt::ForegroundRole).isValid());
    QCOMPARE(m->index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    // Davi (003): the style's own background wins over the alternation.
    QCOMPARE(m->index(3, 2).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 0));
    // A style added later applies at once; names ignore case.
    g.addFormatStyle(QStringLiteral("002"), QColor(0, 128, 0));
    QCOMPARE(m->index(1, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
    QVERIFY(g.hasFormatStyle(QStringLiteral("002")));
    // Each record is formatted once.
    for (int r = 0; r < 8; ++r)
        g.rowStyleName(r);
    QCOMPARE(records, 8);
    for (int r = 0; r < 8; ++r)
        g.rowStyleName(r);
    QCOMPARE(records, 8);
}

void tst_gridex::groupingOneLevel()
{
    GridEX g;
    design(g);
    connect(&g, &GridEX::formatRow, this, [](GridRow &row) {
        if (row.isGroupHeader())
            row.setGroupCaption(row.groupCaption() + QStringLiteral("  (Total= ")
                                + formatValue(row.groupSum(4), QStringLiteral("currency"))
                                + QStringLiteral(")"));
    });
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    g.groupBy(3);
    QVERIFY(g.isGrouped());
    QCOMPARE(g.groupColumns(), QList<int>{3});
    // 3 group rows + 8 records + the total row.
    QCOMPARE(g.rowCount(), 12);
    QCOMPARE(g.rowType(0), RowType::GroupHeader);
    QCOMPARE(g.groupCaption(0), QStringLiteral("Loja: Loja Centro  (Total= R$ 145,25)"));
    QCOMPARE(g.textAt(0, 4), QStringLiteral("R$ 145,25"));
    QCOMPARE(columnTexts(g, 1).mid(1, 3), (QStringList{"Ana", "Carla", "Fábio"}));
    QCOMPARE(g.rowType(4), RowType::GroupHeader);
    // Store Norte: Hugo's Null value is left out of the sum.
    QCOMPARE(g.groupCaption(4), QStringLiteral("Loja: Loja Norte  (Total= R$ 350,49)"));
    QCOMPARE(g.rowType(11), RowType::TotalRow);
    QCOMPARE(g.textAt(11, 4), QStringLiteral("R$ 805,74"));
    QCOMPARE(g.totalSum(4), 805.74);

    // The grouping survives a rebind; ungroup gives the plain list back.
    g.refresh();
    QCOMPARE(g.rowCount(), 12);
    g.ungroup();
    QVERIFY(!g.isGrouped());
    QCOMPARE(g.rowCount(), 9);
    QCOMPARE(g.rowType(0), RowType::Record);
}

void tst_gridex::groupingTwoLevels()
{
    GridEX g;
    design(g);
    connect(&g, &GridEX::formatRow, this, [&](GridRow &row) {
        if (row.isGroupHeader())
            row.setGroupCaption(QStringLiteral("%1|%2|%3|%4")
                                    .arg(row.groupLevel())
                                    .arg(row.groupCaption())
                                    .arg(row.recordCount())
                                    .arg(row.groupSum(4)));
    });
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    g.groupBy(3);
    g.groupBy(6, SortOrder::Descending);
    QStringList captions;
    for (int r = 0; r < g.rowCount(); ++r) {
        if (g.rowType(r) == RowType::GroupHeader)
            captions << g.groupCaption(r);
    }
    QCOMPARE(captions, (QStringList{"1|Loja: Loja Centro|3|145.25", "2|Situação: 002|1|40.25",
                                    "2|Situação: 001|2|105", "1|Loja: Loja Norte|3|350.49",
                                    "2|Situação: 002|2|250.5", "2|Situação: 001|1|99.99",
                                    "1|Loja: Loja Sul|2|310", "2|Situação: 002|1|300",
                                    "2|Situação: 001|1|10"}));
    // 3 + 6 group rows, 8 records, the total row.
    QCOMPARE(g.rowCount(), 18);
    QCOMPARE(g.textAt(1, 4), QStringLiteral("R$ 40,25"));
    QCOMPARE(g.textAt(2, 1), QStringLiteral("Carla"));
    // A subgroup row knows both grouped values.
    QCOMPARE(g.valueAt(1, 3).toString(), QStringLiteral("Loja Centro"));
    QCOMPARE(g.valueAt(1, 6).toString(), QStringLiteral("002"));
    QVERIFY(!g.valueAt(1, 1).isValid());
    // No third level.
    g.groupBy(1);
    QCOMPARE(g.groupColumns(), (QList<int>{3, 6}));
}

void tst_gridex::groupRowIsNeverCurrentRecord()
{
    GridEX g;
    design(g);
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    g.setCurrentRow(5); // Fábio
    g.groupBy(3);
    // The current record follows the regrouping without a notification.
    QCOMPARE(g.value(1).toString(), QStringLiteral("Fábio"));
    QCOMPARE(g.currentRow(), 3);
    QSignalSpy changed(&g, &GridEX::rowChanged);
    g.setCurrentRow(0);
    QCOMPARE(changed.count(), 1);
    QVERIFY(g.isGroupRow());
    QVERIFY(!g.hasCurrentRecord());
    QVERIFY(!g.value(1).isValid());
    QVERIFY(!g.value(3).isValid());
    g.setCurrentRow(g.rowCount() - 1); // the total row
    QVERIFY(g.isGroupRow());
    QVERIFY(!g.value(4).isValid());
    g.setCurrentRow(1);
    QCOMPARE(changed.count(), 3);
    QVERIFY(!g.isGroupRow());
    QCOMPARE(g.value(1).toString(), QStringLiteral("Ana"));
}

void tst_gridex::groupWithoutArguments()
{
    GridEX g;
    design(g);
    g.setDesignGroups({3});
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    QCOMPARE(g.groupColumns(), QList<int>{3});
    g.ungroup();
    g.group(); // back to the designed groups
    QCOMPARE(g.groupColumns(), QList<int>{3});
    // Grouped already: the current cell's column becomes the next level.
    g.setCurrentRow(1);
    g.view()->setCurrentIndex(g.view()->currentIndex().sibling(g.view()->currentIndex().row(), 5));
    g.group();
    QCOMPARE(g.groupColumns(), (QList<int>{3, 6}));
    g.ungroup();
    QCOMPARE(g.groupColumns(), QList<int>{});
}

void tst_gridex::previewRow()
{
    GridEX g;
    design(g);
    g.resize(600, 400);
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    QTreeView *v = g.view();
    const int plain = v->visualRect(v->model()->index(0, 0)).height();
    g.setPreviewField(QStringLiteral("DS_HISTORICO"), 2, Qt::blue);
    QCOMPARE(g.previewColumn(), 8);
    QCoreApplication::processEvents();
    const QModelIndex ana = v->model()->index(0, 0);
    const QModelIndex bruno = v->model()->index(1, 0);
    const QModelIndex carla = v->model()->index(2, 0);
    QCOMPARE(ana.data(GridModel::PreviewTextRole).toString(), QStringLiteral("ligou"));
    const int line = v->fontMetrics().lineSpacing();
    QVERIFY(v->visualRect(ana).height() >= plain + line);
    // An empty text adds nothing; three lines are cut to the two asked for.
    QCOMPARE(v->visualRect(bruno).height(), plain);
    QVERIFY(v->visualRect(carla).height() >= plain + 2 * line);
    QVERIFY(v->visualRect(carla).height() < plain + 3 * line);
    g.setPreviewColumn(0);
    QCoreApplication::processEvents();
    QCOMPARE(v->visualRect(v->model()->index(2, 0)).height(), plain);
}

void tst_gridex::dropDownShowsDescription()
{
    GridEX situacoes;
    situacoes.addColumn(QStringLiteral("CD_SITUACAO"), QStringLiteral("CODIGO"));
    situacoes.addColumn(QStringLiteral("ds_situacao"), QStringLiteral("Descrição"));
    situacoes.setDatabaseName(m_db);
    situacoes.setRecordSource(QStringLiteral("SELECT * FROM situacoes"));
    situacoes.refresh();

    GridEX g;
    design(g);
    g.column(6).setDropDown(&situacoes);
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    QCOMPARE(g.textAt(0, 6), QStringLiteral("EM COBRANÇA"));
    QCOMPARE(g.valueAt(0, 6).toString(), QStringLiteral("001"));
    QCOMPARE(g.textAt(1, 6), QStringLiteral("EM ACORDO"));
    // The drop-down is read again when its grid is refreshed.
    kq::data::exec(m_db, QStringLiteral("UPDATE situacoes SET ds_situacao = 'ACORDO FEITO' "
                                        "WHERE cd_situacao = '002'"));
    situacoes.refresh();
    QCOMPARE(g.textAt(1, 6), QStringLiteral("ACORDO FEITO"));
    // A code missing from the list shows no description, the row keeps its
    // code; a fixed list works the same.
    kq::data::exec(m_db, QStringLiteral("DELETE FROM situacoes WHERE cd_situacao = '002'"));
    situacoes.refresh();
    QCOMPARE(g.textAt(1, 6), QString());
    QCOMPARE(g.valueAt(1, 6).toString(), QStringLiteral("002"));
    g.column(7).setDropDownItems({{QStringLiteral("001"), QStringLiteral("Centro")}});
    QCOMPARE(g.textAt(0, 7), QStringLiteral("Centro"));
    QCOMPARE(g.textAt(1, 7), QString());
}

void tst_gridex::columnsByPosition()
{
    GridEX g;
    design(g);
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    QCOMPARE(g.columnAtPosition(3).caption(), QStringLiteral("Loja"));
    // Index 5 shown at position 2: the columns between shift by one.
    g.column(5).setPosition(2);
    QCOMPARE(g.column(5).position(), 2);
    QCOMPARE(g.column(2).position(), 3);
    QCOMPARE(g.columnAtPosition(4).caption(), QStringLiteral("Loja"));
    QHeaderView *h = g.view()->header();
    QCOMPARE(h->visualIndex(4), 1);
    // Indexes do not move: column 5 is still the date.
    QCOMPARE(g.valueAt(0, 5).toString(), QStringLiteral("2024-01-05"));
    g.column(1).setVisible(false);
    QVERIFY(h->isSectionHidden(0));
    g.column(1).setVisible(true);
    g.column(1).setCaption(QStringLiteral("Nome"));
    QCOMPARE(g.view()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nome"));
    try {
        g.column(9);
        QFAIL("column 9 does not exist");
    } catch (const GridError &e) {
        QCOMPARE(e.number(), GridErrorNumber::BadIndex);
    }
}

void tst_gridex::dragHeadersToGroupAndMove()
{
    GridEX g;
    design(g);
    g.resize(700, 400);
    g.setGroupByBoxVisible(true);
    g.setGroupByBoxCaption(QStringLiteral("Traga a Coluna a ser agrupada para essa área"));
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    auto *box = g.findChild<GroupByBox *>();
    QVERIFY(box && box->isVisible());
    QCOMPARE(box->caption(), QStringLiteral("Traga a Coluna a ser agrupada para essa área"));
    auto drop = [](QWidget *target, QMimeData *mime, const QPoint &pos) {
        QDragEnterEvent enter(pos, Qt::MoveAction, mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent ev(pos, Qt::MoveAction, mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &ev);
        const bool accepted = ev.isAccepted();
        delete mime;
        return accepted;
    };
    // A header dropped on the box groups by its column.
    QVERIFY(drop(box, ColumnDrag::make(&g, 3, false), QPoint(20, 10)));
    QCOMPARE(g.groupColumns(), QList<int>{3});
    QCOMPARE(box->chipRects().size(), 1);
    // Another grid's header is refused.
    GridEX other;
    design(other);
    QVERIFY(!drop(box, ColumnDrag::make(&other, 6, false), QPoint(20, 10)));
    QCOMPARE(g.groupColumns(), QList<int>{3});
    // A click on the chip reverses the order; a double-click removes it.
    const QPoint chip = box->chipRects().at(0).center();
    QTest::mouseClick(box, Qt::LeftButton, {}, chip);
    QCOMPARE(g.groupCaption(0), QStringLiteral("Loja: Loja Sul"));
    QTest::mouseDClick(box, Qt::LeftButton, {}, chip);
    QVERIFY(!g.isGrouped());
    // A header dropped on another header moves the column there.
    QHeaderView *h = g.view()->header();
    const QPoint onFirst(h->sectionViewportPosition(0) + 5, 5);
    QVERIFY(drop(h->viewport(), ColumnDrag::make(&g, 6, false), onFirst));
    QCOMPARE(g.column(6).position(), 1);
    QCOMPARE(h->visualIndex(5), 0);
}

void tst_gridex::fieldChangedAfterBind()
{
    GridEX g;
    design(g);
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    g.setCurrentRow(1);
    QSignalSpy changed(&g, &GridEX::rowChanged);
    // The rows are read again for the new field; the current record stays.
    g.column(6).setField(QStringLiteral("nm_emitente"));
    QCOMPARE(g.valueAt(0, 6).toString(), QStringLiteral("Ana"));
    QCOMPARE(g.value(1).toString(), QStringLiteral("Bruno"));
    QCOMPARE(changed.count(), 0);
}

void tst_gridex::editableCheckColumnWrites()
{
    GridEX g;
    g.addColumn(QStringLiteral("nm_emitente"), QStringLiteral("Nome"));
    GridColumn &done = g.addColumn(QStringLiteral("status"), QStringLiteral("Executado"));
    done.setCheckBox(true);
    done.setEditable(true);
    g.addColumn(QStringLiteral("cd_devolvido"), QStringLiteral("agenda")).setVisible(false);
    g.setUpdateTable(QStringLiteral("cheques"), QStringLiteral("cd_devolvido"));
    g.setDatabaseName(m_db);
    g.setRecordSource(kAll);
    g.refresh();
    QAbstractItemModel *m = g.view()->model();
    QCOMPARE(m->index(3, 1).data(Qt::CheckStateRole).toInt(), int(Qt::Checked)); // Davi, -1
    QCOMPARE(m->index(0, 1).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QSignalSpy edited(&g, &GridEX::cellEdited);
    QVERIFY(m->setData(m->index(0, 1), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(edited.count(), 1);
    QCOMPARE(kq::data::scalar(m_db, QStringLiteral("SELECT status FROM cheques WHERE "
                                                   "cd_devolvido = '0000000001'"))
                 .toInt(),
             1);
    // Other columns stay read-only.
    QVERIFY(!(m->flags(m->index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(!m->setData(m->index(0, 0), QStringLiteral("x"), Qt::EditRole));
}

void tst_gridex::largeSourceReadsInTheBackground()
{
    kq::data::Transaction t(m_db);
    for (int i = 0; i < 6000; ++i) {
        kq::data::exec(m_db,
                       QStringLiteral("INSERT INTO cheques (cd_devolvido, cd_loja, "
                                      "nm_emitente, vl_cheque) VALUES (?, ?, ?, 1.5)"),
                       {QStringLiteral("X%1").arg(i, 6, 10, QLatin1Char('0')),
                        QStringLiteral("00%1").arg(i % 3 + 1), QStringLiteral("N%1").arg(i)});
    }
    t.commit();
    GridEX g;
    design(g);
    g.setDatabaseName(m_db);
    g.setRecordSource(QStringLiteral("SELECT * FROM cheques"));
    g.refresh();
    // The first rows are there at once; the rest come with the event loop.
    QVERIFY(g.view()->model()->rowCount() < 6008);
    QTRY_COMPARE(g.view()->model()->rowCount(), 6009); // with the total row
    QCOMPARE(g.recordCount(), 6008);
    // Grouping reads all, and the sums count every row.
    g.refresh();
    g.groupBy(7);
    QCOMPARE(g.totalSum(4), 805.74 + 6000 * 1.5);
}

void tst_gridex::failedReadingEmptiesTheList_data()
{
    QTest::addColumn<bool>("inBackground");
    QTest::newRow("read in the background") << true;
    QTest::newRow("read at once for a count") << false;
}

// A reading that gives out after the first rows is told with the data
// layer's text, and the rows read so far are not shown as the list.
void tst_gridex::failedReadingEmptiesTheList()
{
    QFETCH(bool, inBackground);
    kq::data::Transaction t(m_db);
    for (int i = 0; i < 6000; ++i)
        kq::data::exec(
            m_db,
            QStringLiteral("INSERT INTO cheques (cd_devolvido, nm_emitente, vl_cheque) "
                           "VALUES (?, ?, 1.5)"),
            {QStringLiteral("X%1").arg(i, 6, 10, QLatin1Char('0')), QStringLiteral("N%1").arg(i)});
    t.commit();
    kq::test::ScriptedDialogs dialogs;
    kq::test::FailingSource source(m_db, QStringLiteral("cheques"), 3000);
    GridEX g;
    design(g);
    g.setDatabaseName(m_db);
    g.setRecordSource(QStringLiteral("SELECT * FROM falhos"));
    g.refresh();
    QVERIFY(g.view()->model()->rowCount() > 0);
    const QString told = QStringLiteral("Erro de leitura ou gravação no arquivo");
    if (inBackground) {
        QTRY_COMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.lastText().contains(told), qPrintable(dialogs.lastText()));
    } else {
        try {
            g.recordCount();
            QFAIL("the count took the rows read for the list");
        } catch (const GridError &e) {
            QVERIFY2(e.description().contains(told), qPrintable(e.description()));
        }
        QVERIFY(dialogs.messages.isEmpty());
    }
    QCOMPARE(g.recordCount(), 0);
}

void tst_gridex::backgroundRowsShownInGrowingSteps()
{
    kq::data::exec(
        m_db, QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c "
                             "WHERE n < 10000) INSERT INTO cheques (cd_devolvido, nm_emitente, "
                             "vl_cheque) SELECT printf('X%06d', n), 'N' || n, 1 FROM c"));
    const QVariant h = kq::data::database(m_db).driver()->handle();
    sqlite3_create_function(*static_cast<sqlite3 *const *>(h.constData()), "slow", 1, SQLITE_UTF8,
                            nullptr, slowFunction, nullptr, nullptr);
    GridEX g;
    design(g);
    g.resize(600, 300);
    g.show();
    QSignalSpy inserted(g.view()->model(), &QAbstractItemModel::rowsInserted);
    g.setDatabaseName(m_db);
    g.setRecordSource(QStringLiteral("SELECT cd_devolvido, cd_loja, ds_loja, slow(nm_emitente) "
                                     "AS nm_emitente, vl_cheque, dt_deposito, cd_situacao, "
                                     "ds_historico FROM cheques ORDER BY cd_devolvido"));
    g.refresh();
    const int first = g.view()->model()->rowCount();
    QVERIFY(first < 10008);

    // A chunk read in the background waits until the rows read make a step
    // worth a new layout of the view...
    QCoreApplication::processEvents();
    QCOMPARE(g.view()->model()->rowCount(), first);
    // ... unless the user reaches the last row shown.
    QScrollBar *bar = g.view()->verticalScrollBar();
    bar->setValue(bar->maximum());
    QVERIFY(g.view()->model()->rowCount() > first);

    // Every row arrives, in a few steps rather than one per chunk (a reading
    // of half a second makes some fifteen chunks).
    QTRY_COMPARE_WITH_TIMEOUT(g.view()->model()->rowCount(), 10009, 20000);
    QVERIFY2(inserted.size() <= 6, qPrintable(QString::number(inserted.size())));
    QCOMPARE(g.recordCount(), 10008);
}

QTEST_MAIN(tst_gridex)
#include "tst_gridex.moc"
