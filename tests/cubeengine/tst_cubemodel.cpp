#include "support/cubefixture.h"

#include "data/database.h"
#include "cube/model/cubemodel.h"

#include <QtTest>

using namespace kq::platform;

class tst_cubemodel : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void layouts_data();
    void layouts();
    void headingContract();
    void fieldsMoveBetweenAreas();
    void dateParts();
    void dateMembersInOrder();
    void sortAndRank_data();
    void sortAndRank();
    void rankChangesLayOutOnce();
    void filters();
    void expandCollapse();
    void calculatedFieldsAndCounts();
    void missingSourceFails();
    void numberFormats_data();
    void numberFormats();

private:
    void setAxes(CubeModel &m, const QString &rows, const QString &cols, const QString &data);
    QTemporaryDir m_dir;
    QString m_db;
};

void tst_cubemodel::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    m_db = cubetest::makeFixture(m_dir.path());
}

void tst_cubemodel::cleanupTestCase()
{
    kq::data::closeAllDatabases();
}

// Puts the named fields (comma lists, by caption) on the rows and columns and
// shows only the named data fields.
void tst_cubemodel::setAxes(CubeModel &m, const QString &rows, const QString &cols,
                            const QString &data)
{
    auto byCaption = [&](const QString &caption) -> CubeField * {
        for (CubeField *f : m.fields()->all()) {
            if (f->caption() == caption)
                return f;
        }
        return nullptr;
    };
    for (const QString &c : rows.split(u',', Qt::SkipEmptyParts))
        byCaption(c)->setOrientation(OrientRow);
    for (const QString &c : cols.split(u',', Qt::SkipEmptyParts))
        byCaption(c)->setOrientation(OrientColumn);
    const QStringList shown = data.split(u',', Qt::SkipEmptyParts);
    for (CubeField *f : m.dataFields()->all())
        f->setShown(shown.contains(f->caption()));
}

void tst_cubemodel::layouts_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("cols");
    QTest::addColumn<QString>("data");
    QTest::addColumn<bool>("totals");
    QTest::addColumn<QString>("expected");

    QTest::newRow("rows only") << "Loja"
                               << ""
                               << "Valor" << true << "\nLoja Norte:425\nLoja Sul:725\nTotal:1150";
    QTest::newRow("rows and columns")
        << "Loja"
        << "Estado"
        << "Valor" << true
        << "RJ|SP|Total\nLoja Norte:125,300,425\nLoja Sul:425,300,725\nTotal:550,600,1150";
    QTest::newRow("two row levels")
        << "Loja,Estado"
        << ""
        << "Valor" << true
        << "\nLoja Norte/RJ:125\nLoja Norte/SP:300\nLoja Norte/Total:425\n"
           "Loja Sul/RJ:425\nLoja Sul/SP:300\nLoja Sul/Total:725\nTotal:1150";
    QTest::newRow("two data fields, empty cells")
        << "Ano"
        << "Loja"
        << "Valor,Atualizado" << true
        << "Loja Norte/Valor|Loja Norte/Atualizado|Loja Sul/Valor|Loja Sul/Atualizado|"
           "Total/Valor|Total/Atualizado\n"
           "2023:350,385,-,-,350,385\n2024:75,80,725,800,800,880\n"
           "Total:425,465,725,800,1150,1265";
    QTest::newRow("totals off") << "Loja"
                                << "Estado"
                                << "Valor" << false
                                << "RJ|SP\nLoja Norte:125,300\nLoja Sul:425,300";
    QTest::newRow("no data field shown")
        << "Loja"
        << "Estado"
        << "" << true << "RJ|SP|Total\nLoja Norte:-,-,-\nLoja Sul:-,-,-\nTotal:-,-,-";
    QTest::newRow("data fields only")
        << ""
        << ""
        << "Valor,Atualizado" << true << "Valor|Atualizado\n:1150,1265";
    QTest::newRow("quarters in columns")
        << "Estado"
        << "Ano,Trimestre"
        << "Valor" << false
        << "2023/1|2023/2|2023/3|2024/1|2024/4\nRJ:-,-,50,400,100\nSP:100,200,-,300,-";
}

void tst_cubemodel::layouts()
{
    QFETCH(QString, rows);
    QFETCH(QString, cols);
    QFETCH(QString, data);
    QFETCH(bool, totals);
    QFETCH(QString, expected);
    CubeModel m;
    cubetest::defineCube(m, m_db);
    setAxes(m, rows, cols, data);
    for (CubeField *f : m.fields()->all())
        f->setGroupFooter(totals);
    QVERIFY2(m.rebuild(), qPrintable(m.lastError()));
    QCOMPARE(m.sourceRowCount(), 7);
    QCOMPARE(cubetest::dump(m), expected);
}

void tst_cubemodel::headingContract()
{
    CubeModel m;
    cubetest::defineCube(m, m_db);
    setAxes(m, "Loja,Estado", "Ano", "Valor,Atualizado");
    QVERIFY(m.rebuild());
    // Column 0: 2023 / Valor. Depth counts the data-caption level.
    QCOMPARE(m.columnHeadingDepth(0), 2);
    CubeHeading h = m.columnHeading(0, 1);
    QVERIFY(h.isDataItem());
    QCOMPARE(h.item->value(), QStringLiteral("2023"));
    QCOMPARE(h.field->caption(), QStringLiteral("Ano"));
    h = m.columnHeading(0, 2);
    QVERIFY(h.dataCaption);
    QCOMPARE(QString(h), QStringLiteral("Valor"));
    QCOMPARE(m.dataFieldOfColumn(1)->caption(), QStringLiteral("Atualizado"));
    // Grand-total column: one level plus the data caption.
    const int last = m.columnCount() - 1;
    QVERIFY(m.isTotalColumn(last));
    QVERIFY(m.columnHeading(last, 1).total);
    QCOMPARE(m.columnHeading(last, 1).text, QStringLiteral("Total"));
    // Row subtotal ("Loja Norte", "Total") has depth 2; the grand total depth 1.
    QCOMPARE(m.rowHeading(2, 2).text, QStringLiteral("Total"));
    QCOMPARE(m.rowHeadingDepth(2), 2);
    QCOMPARE(m.rowHeadingDepth(m.rowCount() - 1), 1);
    QCOMPARE(m.displayedRowLevels(), 2);
    QCOMPARE(m.displayedColumnLevels(), 2);
    // One data field and no column field: no column heading at all.
    m.dataFields()->item(1)->setShown(false);
    m.fields()->item(QStringLiteral("Ano"))->setOrientation(OrientPage);
    QCOMPARE(m.columnCount(), 1);
    QCOMPARE(m.columnHeadingDepth(0), 0);
    QCOMPARE(m.displayedColumnLevels(), 0);
    // Corners always valid; next row steps by one.
    m.setCurrentCell(99, 99);
    QCOMPARE(m.rowCorners(), std::make_pair(m.rowCount() - 1, m.rowCount() - 1));
    QCOMPARE(m.nextRow(0), 1);
}

void tst_cubemodel::fieldsMoveBetweenAreas()
{
    CubeModel m;
    CubeField *a = m.addField(QStringLiteral("a"), QStringLiteral("A"), OrientRow);
    CubeField *b = m.addField(QStringLiteral("b"), QStringLiteral("B"), OrientRow);
    CubeField *c = m.addField(QStringLiteral("c"), QStringLiteral("C"), OrientRow);
    QCOMPARE(m.rowFields()->count(), 3);
    c->setPosition(0); // move: C A B
    QCOMPARE(m.rowFields()->itemByPosition(0), c);
    QCOMPARE(a->position(), 1);
    QCOMPARE(b->position(), 2);
    QCOMPARE(c->index(), 2); // collection index stays in the order of adding
    // The two-step swap of A and B by positions.
    const int pa = a->position(), pb = b->position();
    a->setPosition(pb);
    b->setPosition(pa);
    QCOMPARE(m.rowFields()->itemByPosition(1), b);
    QCOMPARE(m.rowFields()->itemByPosition(2), a);
    a->setOrientation(OrientColumn);
    QCOMPARE(m.columnFields()->item(QStringLiteral("A")), a);
    QCOMPARE(m.rowFields()->count(), 2);
    CubeField *d = m.addField(QStringLiteral("d"), QStringLiteral("D"), OrientData);
    CubeField *e = m.addField(QStringLiteral("e"), QStringLiteral("E"), OrientData);
    QCOMPARE(d->dataIndex(), 1);
    QCOMPARE(e->dataIndex(), 2);
    e->setPosition(0);
    QCOMPARE(m.dataFields()->item(0), d);           // by index
    QCOMPARE(m.dataFields()->itemByPosition(0), e); // by position
    QCOMPARE(m.dataFieldByIndex(2), e);
    m.removeAllFields();
    QCOMPARE(m.fields()->count(), 0);
}

void tst_cubemodel::dateParts()
{
    CubeModel m;
    m.setConnectType(5);
    m.setConnect(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + m_db
                 + QStringLiteral(";"));
    m.setRecordSource(QStringLiteral("datas"));
    CubeField *ww = m.addField(QStringLiteral("datepart('ww', datas.d)"), QStringLiteral("Semana"),
                               OrientRow);
    m.addField(QStringLiteral("datepart(\"q\",[d])"), QStringLiteral("Trimestre"), OrientPage);
    m.addField(QStringLiteral("datepart('m',d)"), QStringLiteral("Mes"), OrientPage);
    CubeField *n = m.addField(QStringLiteral("d"), QStringLiteral("Datas"), OrientData);
    n->setAggregate(AggCount);
    QVERIFY2(m.rebuild(), qPrintable(m.lastError()));
    QCOMPARE(cubetest::dump(m), QStringLiteral("\n1:3\n2:2\n53:1\nTotal:6"));
    QCOMPARE(ww->dataItems()->count(), 3);
    QStringList q, mo;
    for (CubeDataItem *i : m.field(QStringLiteral("datepart(\"q\",[d])"))->dataItems()->all())
        q << i->value();
    for (CubeDataItem *i : m.fields()->item(2)->dataItems()->all())
        mo << i->value();
    QCOMPARE(q, QStringList({"1", "4"}));
    QCOMPARE(mo, QStringList({"1", "12"}));
}

void tst_cubemodel::dateMembersInOrder()
{
    CubeModel m;
    cubetest::defineCube(m, m_db);
    setAxes(m, "Vencimento", "", "Valor");
    QVERIFY(m.rebuild());
    QCOMPARE(m.rowHeading(0, 1).text, QStringLiteral("15/01/2023"));
    QCOMPARE(m.rowHeading(0, 1).item->value(), QStringLiteral("2023-01-15"));
    QCOMPARE(m.rowHeading(6, 1).text, QStringLiteral("31/12/2024"));
    // Renamed captions keep the typed order.
    m.fields()->item(QStringLiteral("Ano"))->dataItems()->item(0)->setCaption("Z");
    m.fields()->item(QStringLiteral("Ano"))->setOrientation(OrientColumn);
    QCOMPARE(m.columnHeading(0, 1).text, QStringLiteral("Z"));
}

void tst_cubemodel::sortAndRank_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<int>("sortType");
    QTest::addColumn<int>("rankField");
    QTest::addColumn<int>("descending");
    QTest::addColumn<QString>("expected");
    QTest::newRow("labels") << "Loja" << 0 << 0 << 0
                            << "\nLoja Norte:425\nLoja Sul:725\nTotal:1150";
    QTest::newRow("labels descending")
        << "Loja" << 0 << 0 << 1 << "\nLoja Sul:725\nLoja Norte:425\nTotal:1150";
    QTest::newRow("rank descending")
        << "Loja" << 2 << 1 << 0 << "\nLoja Sul:725\nLoja Norte:425\nTotal:1150";
    QTest::newRow("rank ascending")
        << "Loja" << 1 << 2 << 0 << "\nLoja Norte:425\nLoja Sul:725\nTotal:1150";
    QTest::newRow("rank in groups, ties by label")
        << "Estado,Loja" << 2 << 1 << 0
        << "\nRJ/Loja Sul:425\nRJ/Loja Norte:125\nRJ/Total:550\n"
           "SP/Loja Norte:300\nSP/Loja Sul:300\nSP/Total:600\nTotal:1150";
}

void tst_cubemodel::sortAndRank()
{
    QFETCH(QString, rows);
    QFETCH(int, sortType);
    QFETCH(int, rankField);
    QFETCH(int, descending);
    QFETCH(QString, expected);
    CubeModel m;
    cubetest::defineCube(m, m_db);
    setAxes(m, rows, "", "Valor");
    CubeField *loja = m.fields()->item(QStringLiteral("ds_loja"));
    loja->setSortType(sortType);
    loja->setRankDataField(rankField);
    loja->setLabelDescending(descending);
    QVERIFY(m.rebuild());
    QCOMPARE(cubetest::dump(m), expected);
}

void tst_cubemodel::rankChangesLayOutOnce()
{
    CubeModel m;
    cubetest::defineCube(m, m_db);
    setAxes(m, "Loja", "", "Valor");
    QVERIFY(m.rebuild());
    const int before = m.layoutCount();
    CubeField *loja = m.fields()->item(QStringLiteral("ds_loja"));
    loja->setSortType(SortRankDescending);
    loja->setRankDataField(1);
    // Applied by itself before the next query, once.
    QCOMPARE(m.rowHeading(0, 1).text, QStringLiteral("Loja Sul"));
    QCOMPARE(m.rowCount(), 3);
    QCOMPARE(m.layoutCount(), before + 1);
    // Ranked by a data field that is hidden: still ranked.
    m.dataFields()->item(0)->setShown(false);
    m.dataFields()->item(1)->setShown(true);
    QCOMPARE(m.rowHeading(0, 1).text, QStringLiteral("Loja Sul"));
}

void tst_cubemodel::filters()
{
    CubeModel m;
    cubetest::defineCube(m, m_db);
    setAxes(m, "Loja", "Ano", "Valor");
    QVERIFY(m.rebuild());
    CubeField *estado = m.fields()->item(QStringLiteral("DS_ESTADO"));
    QVERIFY(!estado->filtered());
    estado->dataItems()->item(QStringLiteral("rj"))->setIncluded(false); // page field
    QVERIFY(estado->filtered());
    QCOMPARE(cubetest::dump(m), QStringLiteral("2023|2024|Total\nLoja Norte:300,-,300\n"
                                               "Loja Sul:-,300,300\nTotal:300,300,600"));
    // A filtered member of an axis leaves the axis and every total.
    m.fields()->item(QStringLiteral("Ano"))->dataItems()->item(0)->setIncluded(false);
    QCOMPARE(cubetest::dump(m), QStringLiteral("2024|Total\nLoja Sul:300,300\nTotal:300,300"));
    // The filters survive a reload of the data.
    QVERIFY(m.reloadData());
    QCOMPARE(m.rowCount(), 2);
    for (CubeField *f : m.fields()->all())
        for (CubeDataItem *i : f->dataItems()->all())
            i->setIncluded(true);
    QCOMPARE(m.rowCount(), 3);
}

void tst_cubemodel::expandCollapse()
{
    CubeModel m;
    cubetest::defineCube(m, m_db);
    setAxes(m, "Loja,Estado", "", "Valor");
    QVERIFY(m.rebuild());
    CubeField *loja = m.fields()->item(QStringLiteral("ds_loja"));
    loja->setExpanded(false);
    QCOMPARE(m.displayedRowLevels(), 1);
    QCOMPARE(cubetest::dump(m), QStringLiteral("\nLoja Norte:425\nLoja Sul:725\nTotal:1150"));
    QVERIFY(m.rowHeadingExpandable(0, 0));
    QVERIFY(!m.rowHeadingExpanded(0, 0));
    m.setRowHeadingExpanded(0, 0, true);
    QCOMPARE(cubetest::dump(m), QStringLiteral("\nLoja Norte/RJ:125\nLoja Norte/SP:300\n"
                                               "Loja Norte/Total:425\nLoja Sul:725\nTotal:1150"));
    QVERIFY(m.rowHeadingExpanded(1, 0));
    QVERIFY(!m.rowHeadingExpandable(1, 1)); // the innermost field has nothing below
    QVERIFY(!m.rowHeadingExpanded(2, 1));   // a total heading
    // The field's flag resets the overrides.
    loja->setExpanded(false);
    QCOMPARE(m.rowCount(), 3);
    loja->setExpanded(true);
    QCOMPARE(m.rowCount(), 7);
    m.setRowHeadingExpanded(3, 0, false); // collapse Loja Sul from its row
    QCOMPARE(m.rowCount(), 5);
    QCOMPARE(m.rowHeading(3, 1).text, QStringLiteral("Loja Sul"));
    QCOMPARE(m.rowHeadingDepth(3), 1);
}

void tst_cubemodel::calculatedFieldsAndCounts()
{
    CubeModel m;
    cubetest::defineCube(m, m_db);
    CubeField *cnt = m.addField(QStringLiteral("vl_cheque"), QStringLiteral("Qtde"), OrientData);
    cnt->setName(QStringLiteral("cntCheques"));
    cnt->setAggregate(AggCount);
    CubeField *avg = m.addField(QStringLiteral("vl_cheque"), QStringLiteral("Media"), OrientData);
    avg->setName(QStringLiteral("avgCheques"));
    avg->setAggregate(AggAvg);
    CubeField *calc = m.addField(QStringLiteral("sumVL_CHEQUE/cntCheques"),
                                 QStringLiteral("Por cheque"), OrientData);
    calc->setName(QStringLiteral("calcField"));
    calc->setCalculated(true);
    calc->setExpression(QStringLiteral("sumVL_CHEQUE/cntCheques"));
    for (CubeField *f : m.fields()->all()) {
        if (!f->isDataField())
            f->setTotalExpression(QStringLiteral("calcField"), TotalExpression,
                                  QStringLiteral("groupsum(sumVL_CHEQUE)/groupsum(cntCheques)"));
    }
    setAxes(m, "Loja", "", "Qtde,Media,Por cheque");
    QVERIFY(m.rebuild());
    QCOMPARE(m.cellValue(0, 0).toDouble(), 4.0);
    QCOMPARE(m.cellValue(2, 0).toDouble(), 7.0);
    QCOMPARE(m.cellValue(0, 1).toDouble(), 106.25);
    QCOMPARE(m.cellValue(0, 2).toDouble(), 106.25);
    // The total is total sum / total count, not the mean of the ratios.
    QVERIFY(qFuzzyCompare(m.cellValue(2, 2).toDouble(), 1150.0 / 7));
    QCOMPARE(m.cellText(0, 0), QStringLiteral("4"));
    // Division by zero gives an empty cell.
    calc->setExpression(QStringLiteral("sumVL_CHEQUE/(cntCheques-cntCheques)"));
    QVERIFY(!m.cellValue(0, 2).isValid());
    QVERIFY(!m.isTotalRow(0));
    QCOMPARE(m.formatCell(0, 2).value, 0.0);
}

void tst_cubemodel::missingSourceFails()
{
    CubeModel m;
    cubetest::defineCube(m, m_dir.path() + QStringLiteral("/nada.mdb"));
    int raised = 0;
    connect(&m, &CubeModel::errorOccurred, this,
            [&](int code, const QString &, const QString &, bool *) { raised = code; });
    QVERIFY(!m.rebuild());
    QCOMPARE(m.lastErrorCode(), int(CubeErrDataSource));
    QCOMPARE(raised, int(CubeErrDataSource));
    QCOMPARE(m.rowCount(), 0); // an empty cube, no crash
}

void tst_cubemodel::numberFormats_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("c");
    QTest::addColumn<QString>("br");
    QTest::newRow("0.00") << 1234.5 << "0.00"
                          << "1234.50"
                          << "1234,50";
    QTest::newRow("#,##0") << 1234567.0 << "#,##0"
                           << "1,234,567"
                           << "1.234.567";
    QTest::newRow("$#,##0.00") << -1234.565 << "$#,##0.00"
                               << "-$1,234.57"
                               << "-R$1.234,57";
    QTest::newRow("half away") << 0.125 << "0.00"
                               << "0.13"
                               << "0,13";
    QTest::newRow("plain") << 2.5 << ""
                           << "2.5"
                           << "2,5";
    QTest::newRow("#,##0 zero") << 0.0 << "#,##0"
                                << "0"
                                << "0";
}

void tst_cubemodel::numberFormats()
{
    QFETCH(double, value);
    QFETCH(QString, format);
    QFETCH(QString, c);
    QFETCH(QString, br);
    QCOMPARE(cubeFormatNumber(value, format, QLocale::c()), c);
    QCOMPARE(cubeFormatNumber(value, format, QLocale(QLocale::Portuguese, QLocale::Brazil)), br);
}

QTEST_MAIN(tst_cubemodel)
#include "tst_cubemodel.moc"
