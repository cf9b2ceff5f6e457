// The cube's calculation with no widgets about: expressions of calculated
// fields, and the model reading, evaluating and summing a small cheque table.
#include "support/cubefixture.h"

#include "data/database.h"
#include "cube/model/cubeexpr.h"
#include "cube/model/cubemodel.h"

#include <QtTest>
#include <cmath>

using namespace kq::platform;

class tst_cubecalc : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void expressions_data();
    void expressions();
    void refusedExpressions_data();
    void refusedExpressions();
    void sumsByStoreAndYear();
    void calculatedField();

private:
    static void place(CubeModel &m, const QString &caption, int orientation);
    QTemporaryDir m_dir;
    QString m_db;
};

void tst_cubecalc::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    m_db = cubetest::makeFixture(m_dir.path());
}

void tst_cubecalc::cleanupTestCase()
{
    kq::data::closeAllDatabases();
}

void tst_cubecalc::place(CubeModel &m, const QString &caption, int orientation)
{
    for (CubeField *f : m.fields()->all()) {
        if (f->caption() == caption)
            f->setOrientation(orientation);
    }
}

// Fields a = 6, b = 3 and c empty.
void tst_cubecalc::expressions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value"); // NaN: an empty cell
    QTest::addColumn<QStringList>("names");
    const double empty = std::nan("");
    QTest::newRow("product first") << "a+b*2" << 12.0 << QStringList{"a", "b"};
    QTest::newRow("parentheses") << "(a+b)*2" << 18.0 << QStringList{"a", "b"};
    QTest::newRow("left to right") << "a/b/2" << 1.0 << QStringList{"a", "b"};
    QTest::newRow("minus left to right") << "a-b-1" << 2.0 << QStringList{"a", "b"};
    QTest::newRow("unary minus") << "-a+b" << -3.0 << QStringList{"a", "b"};
    QTest::newRow("blanks") << "  a *  b " << 18.0 << QStringList{"a", "b"};
    QTest::newRow("decimal") << "1.5*b" << 4.5 << QStringList{"b"};
    QTest::newRow("bracketed name") << "[a]/b" << 2.0 << QStringList{"a", "b"};
    QTest::newRow("name read once") << "a*a+A" << 42.0 << QStringList{"a"};
    QTest::newRow("groupsum") << "groupsum(a)/GroupSum(b)" << 2.0 << QStringList{"a", "b"};
    QTest::newRow("division by zero") << "a/(b-b)" << empty << QStringList{"a", "b"};
    QTest::newRow("empty operand") << "c+1" << empty << QStringList{"c"};
    QTest::newRow("empty times zero") << "c*0" << empty << QStringList{"c"};
}

void tst_cubecalc::expressions()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(QStringList, names);
    CubeExpr e;
    QString error;
    QVERIFY2(e.parse(text, &error), qPrintable(error));
    QVERIFY(e.isValid());
    QCOMPARE(e.names(), names);
    const double got = e.evaluate([](const QString &name) {
        if (name.compare(QLatin1String("a"), Qt::CaseInsensitive) == 0)
            return 6.0;
        if (name.compare(QLatin1String("b"), Qt::CaseInsensitive) == 0)
            return 3.0;
        return std::nan("");
    });
    if (std::isnan(value))
        QVERIFY(std::isnan(got));
    else
        QCOMPARE(got, value);
}

void tst_cubecalc::refusedExpressions_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("operator at the end") << "a+";
    QTest::newRow("unclosed parenthesis") << "(a+b";
    QTest::newRow("unclosed bracket") << "[a+b";
    QTest::newRow("other function") << "sum(a)";
    QTest::newRow("two numbers") << "1 2";
    QTest::newRow("two periods") << "1.2.3";
    QTest::newRow("unknown sign") << "a % b";
}

void tst_cubecalc::refusedExpressions()
{
    QFETCH(QString, text);
    CubeExpr e;
    QString error;
    QVERIFY(!e.parse(text, &error));
    QVERIFY(!e.isValid());
    QCOMPARE(error, QStringLiteral("Expressão inválida: ") + text);
    QVERIFY(std::isnan(e.evaluate([](const QString &) { return 1.0; })));
}

// Rows of a store missing from the stores table drop out with the join; a
// store with no cheque in a year leaves that cell empty.
void tst_cubecalc::sumsByStoreAndYear()
{
    CubeModel m;
    cubetest::defineCube(m, m_db);
    place(m, QStringLiteral("Loja"), OrientRow);
    place(m, QStringLiteral("Ano"), OrientColumn);
    m.field(QStringLiteral("Atualizado"))->setShown(false);
    QVERIFY2(m.rebuild(), qPrintable(m.lastError()));
    QCOMPARE(m.sourceRowCount(), 7);
    QCOMPARE(m.rowCount(), 3);
    QCOMPARE(m.columnCount(), 3);
    QCOMPARE(m.cellValue(0, 0).toDouble(), 350.0); // Loja Norte, 2023
    QCOMPARE(m.cellValue(0, 1).toDouble(), 75.0);
    QCOMPARE(m.cellValue(0, 2).toDouble(), 425.0);
    QVERIFY(!m.cellValue(1, 0).isValid()); // Loja Sul, 2023
    QCOMPARE(m.cellValue(1, 1).toDouble(), 725.0);
    QCOMPARE(m.cellValue(2, 0).toDouble(), 350.0);
    QCOMPARE(m.cellValue(2, 2).toDouble(), 1150.0);
    QCOMPARE(m.cellText(1, 1), QStringLiteral("725,00"));
}

// A calculated field reads the other data fields of its cell; its total
// takes the group's sums, not the sum of its cells.
void tst_cubecalc::calculatedField()
{
    CubeModel m;
    cubetest::defineCube(m, m_db);
    CubeField *calc = m.addField(QStringLiteral("Atualizado-sumVL_CHEQUE"),
                                 QStringLiteral("Correção"), OrientData);
    calc->setName(QStringLiteral("calcField"));
    calc->setCalculated(true);
    calc->setExpression(QStringLiteral("(Atualizado-sumVL_CHEQUE)/sumVL_CHEQUE*100"));
    for (CubeField *f : m.fields()->all()) {
        if (!f->isDataField())
            f->setTotalExpression(QStringLiteral("calcField"), TotalExpression,
                                  QStringLiteral("groupsum(Atualizado)/groupsum(sumVL_CHEQUE)"));
    }
    place(m, QStringLiteral("Loja"), OrientRow);
    m.field(QStringLiteral("sumVL_CHEQUE"))->setShown(false);
    m.field(QStringLiteral("Atualizado"))->setShown(false);
    QVERIFY2(m.rebuild(), qPrintable(m.lastError()));
    QCOMPARE(m.rowCount(), 3);
    QCOMPARE(m.columnCount(), 1);
    QVERIFY(qFuzzyCompare(m.cellValue(0, 0).toDouble(), (465.0 - 425.0) / 425.0 * 100));
    QVERIFY(qFuzzyCompare(m.cellValue(1, 0).toDouble(), (800.0 - 725.0) / 725.0 * 100));
    QVERIFY(qFuzzyCompare(m.cellValue(2, 0).toDouble(), 1265.0 / 1150.0));
}

QTEST_GUILESS_MAIN(tst_cubecalc)
#include "tst_cubecalc.moc"
