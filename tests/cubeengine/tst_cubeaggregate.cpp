// Every cell of the cube, totals included, against the same figure worked
// out plainly from the source rows, over a table of pivots; and the order
// of text members.

#include "support/cubefixture.h"

#include "data/collation.h"
#include "data/database.h"
#include "cube/model/cubemodel.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <optional>

using namespace kq::platform;

namespace {

// One source row: its values by column name (an invalid QVariant is Null).
using Row = QHash<QString, QVariant>;

// The member key the cube gives a value (CubeDataItem::value).
std::optional<QString> keyOf(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return std::nullopt;
    if (v.metaType().id() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

// The members a grid line stands for, outermost first: (field, member key
// or Null). A total stops the path.
using Path = QList<QPair<CubeField *, std::optional<QString>>>;

template<typename Heading>
Path pathOf(const QList<CubeField *> &fields, Heading heading)
{
    Path path;
    for (int l = 1; l <= fields.size(); ++l) {
        const CubeHeading h = heading(l);
        if (h.total || !h.item)
            break;
        path.append({fields.at(l - 1), h.item->rawValue().isValid()
                                           ? std::optional<QString>(h.item->value())
                                           : std::nullopt});
    }
    return path;
}

// A source row's member keys by column.
using Keys = QHash<QString, std::optional<QString>>;

Keys keysOf(const Row &row)
{
    Keys k;
    for (auto it = row.cbegin(); it != row.cend(); ++it)
        k.insert(it.key(), keyOf(it.value()));
    return k;
}

bool matches(const Keys &keys, const Path &path)
{
    for (const auto &[field, key] : path) {
        if (keys.value(field->source()) != key)
            return false;
    }
    return true;
}

// The expected figure of one cell: invalid when the cube shows it empty.
QVariant expected(const QList<Row> &rows, const QList<Keys> &keys, const Path &rowPath,
                  const Path &colPath, const QString &column, int aggregate)
{
    int matched = 0, count = 0;
    double sum = 0, lo = INFINITY, hi = -INFINITY;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const Row &r = rows.at(i);
        if (!matches(keys.at(i), rowPath) || !matches(keys.at(i), colPath))
            continue;
        ++matched;
        const QVariant v = r.value(column);
        if (!v.isValid() || v.isNull())
            continue;
        ++count;
        sum += v.toDouble();
        lo = std::min(lo, v.toDouble());
        hi = std::max(hi, v.toDouble());
    }
    if (matched == 0)
        return {};
    switch (aggregate) {
    case AggCount:
        return double(count);
    case AggAvg:
        return count ? QVariant(sum / count) : QVariant();
    case AggMin:
        return count ? QVariant(lo) : QVariant();
    case AggMax:
        return count ? QVariant(hi) : QVariant();
    default:
        return count ? QVariant(sum) : QVariant();
    }
}

} // namespace

class tst_cubeaggregate : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cellsMatchTheSourceRows_data();
    void cellsMatchTheSourceRows();
    void textMembersInTextOrder();

private:
    QTemporaryDir m_dir;
    QString m_db;
    QList<Row> m_rows; // table "t": store, state, year, due, v, w
    QList<Row> m_many; // table "many": k1..k10, v (a distinct value per row on every key)
};

void tst_cubeaggregate::initTestCase()
{
    m_db = m_dir.filePath(QStringLiteral("agg.db"));
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("aggfixture"));
        db.setDatabaseName(m_db);
        QVERIFY(db.open());
        QRandomGenerator rng(11);
        const QStringList stores = {"Norte", "Sul", "Leste", "Oeste", "Centro"};
        const QStringList states = {"SP", "RJ", "MG"};
        for (int i = 0; i < 700; ++i) {
            Row r;
            r[QStringLiteral("store")] = stores.at(rng.bounded(5));
            // Nulls among the dimensions and the values.
            r[QStringLiteral("state")]
                = rng.bounded(9) ? QVariant(states.at(rng.bounded(3))) : QVariant();
            r[QStringLiteral("year")]
                = rng.bounded(8) ? QVariant(qlonglong(2020 + rng.bounded(4))) : QVariant();
            r[QStringLiteral("band")] = double(rng.bounded(4)) / 2;
            // Quarters of a unit: every sum is exact.
            r[QStringLiteral("v")]
                = rng.bounded(6) ? QVariant(rng.bounded(4000) / 4.0 - 300) : QVariant();
            r[QStringLiteral("w")] = rng.bounded(2000) / 4.0;
            m_rows << r;
        }
        cubetest::makeTable(
            db, QStringLiteral("t"),
            {"store TEXT", "state TEXT", "year INTEGER", "band REAL", "v REAL", "w REAL"}, m_rows);
        // Ten keys of about 80 members each: too many to number a path of all
        // ten levels in one 62-bit number. Rows i and i + 80 share the first.
        QStringList manyColumns;
        for (int k = 1; k <= 10; ++k)
            manyColumns << QStringLiteral("k%1 INTEGER").arg(k);
        manyColumns << QStringLiteral("v REAL");
        const int odd[] = {1, 3, 7, 9, 11, 13, 17, 19, 21, 23}; // prime to 80
        for (int i = 0; i < 160; ++i) {
            Row r;
            for (int k = 1; k <= 10; ++k)
                r[QStringLiteral("k%1").arg(k)]
                    = qlonglong(k == 1 ? i % 80 : (i * odd[k - 1] + (i / 80) * k) % 80);
            r[QStringLiteral("v")] = double(i % 13);
            m_many << r;
        }
        cubetest::makeTable(db, QStringLiteral("many"), manyColumns, m_many);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("aggfixture"));
}

void tst_cubeaggregate::cleanupTestCase()
{
    kq::data::closeAllDatabases();
}

void tst_cubeaggregate::cellsMatchTheSourceRows_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("rows"); // sources of the row fields, outermost first
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QList<int>>("aggregates"); // of data fields over v, then one over w
    QTest::addColumn<QString>("filtered");      // field whose second member is filtered out
    QTest::newRow("store by year, sum and count")
        << "t" << QStringList{"store"} << QStringList{"year"} << QList<int>{AggSum, AggCount} << "";
    QTest::newRow("store and state by year, min and max")
        << "t" << QStringList{"store", "state"} << QStringList{"year"} << QList<int>{AggMin, AggMax}
        << "";
    QTest::newRow("columns only, average")
        << "t" << QStringList{} << QStringList{"state", "year"} << QList<int>{AggAvg} << "";
    QTest::newRow("three row levels, no column field, a filter")
        << "t" << QStringList{"state", "store", "band"} << QStringList{}
        << QList<int>{AggSum, AggMax} << "year";
    QTest::newRow("two levels each way, a filter on an axis")
        << "t" << QStringList{"year", "state"} << QStringList{"band", "store"}
        << QList<int>{AggSum, AggCount, AggMin} << "state";
    const QStringList ten = {"k1", "k2", "k3", "k4", "k5", "k6", "k7", "k8", "k9", "k10"};
    QTest::newRow("ten levels of many members")
        << "many" << ten << QStringList{} << QList<int>{AggSum} << "";
    QTest::newRow("four levels of many members")
        << "many" << ten.mid(0, 4) << QStringList{} << QList<int>{AggSum, AggMin} << "";
    QTest::newRow("nine levels, the tenth on the columns")
        << "many" << ten.mid(0, 9) << ten.mid(9) << QList<int>{AggCount} << "k3";
}

void tst_cubeaggregate::cellsMatchTheSourceRows()
{
    QFETCH(QString, table);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, columns);
    QFETCH(QList<int>, aggregates);
    QFETCH(QString, filtered);
    const QList<Row> &source = table == u"t" ? m_rows : m_many;

    CubeModel m;
    m.setDatabaseName(m_db);
    m.setRecordSource(table);
    for (const QString &s : std::as_const(rows))
        m.addField(s, s, OrientRow);
    for (const QString &s : std::as_const(columns))
        m.addField(s, s, OrientColumn);
    if (!filtered.isEmpty() && !m.field(filtered))
        m.addField(filtered, filtered, OrientPage);
    for (int k = 0; k < aggregates.size(); ++k) {
        CubeField *f = m.addField(QStringLiteral("v"), QStringLiteral("v%1").arg(k), OrientData);
        f->setName(QStringLiteral("v%1").arg(k));
        f->setAggregate(aggregates.at(k));
    }
    if (table == u"t")
        m.addField(QStringLiteral("w"), QStringLiteral("w"), OrientData);
    QVERIFY(m.rebuild());
    QList<Row> kept = source;
    if (!filtered.isEmpty()) {
        CubeDataItem *out = m.field(filtered)->dataItems()->item(1);
        QVERIFY(out);
        out->setIncluded(false);
        const std::optional<QString> key
            = out->rawValue().isValid() ? std::optional<QString>(out->value()) : std::nullopt;
        kept.removeIf([&](const Row &r) { return keyOf(r.value(filtered)) == key; });
        QVERIFY(kept.size() < source.size());
    }
    QVERIFY(m.rowCount() > 0);
    QVERIFY(m.columnCount() > 0);
    QList<Keys> keys;
    for (const Row &r : std::as_const(kept))
        keys << keysOf(r);
    const QList<CubeField *> rowFields = m.rowFields()->byPosition();
    const QList<CubeField *> colFields = m.columnFields()->byPosition();
    int checked = 0;
    for (int r = 0; r < m.rowCount(); ++r) {
        const Path rowPath = pathOf(rowFields, [&](int l) { return m.rowHeading(r, l); });
        for (int c = 0; c < m.columnCount(); ++c) {
            const Path colPath = pathOf(colFields, [&](int l) { return m.columnHeading(c, l); });
            CubeField *f = m.dataFieldOfColumn(c);
            QVERIFY(f);
            const QVariant want
                = expected(kept, keys, rowPath, colPath, f->source(), f->aggregate());
            const QVariant got = m.cellValue(r, c);
            if (want.isValid() != got.isValid()
                || (want.isValid() && std::fabs(want.toDouble() - got.toDouble()) > 1e-9)) {
                QFAIL(qPrintable(QStringLiteral("row %1, column %2 (%3): cube %4, rows %5")
                                     .arg(r)
                                     .arg(c)
                                     .arg(f->caption(), got.toString(), want.toString())));
            }
            ++checked;
        }
    }
    QVERIFY(checked > 0);
    // Members in label order, each group after its parent's heading, its
    // total after it: the member numbers of the lines' paths never go back.
    auto inOrder = [&](int lines, const QList<CubeField *> &fields, auto heading, auto counts) {
        QList<int> previous;
        for (int i = 0; i < lines; ++i) {
            if (!counts(i))
                continue;
            QList<int> path;
            bool total = false;
            for (int l = 1; l <= fields.size(); ++l) {
                const CubeHeading h = heading(i, l);
                total = total || h.total;
                if (!h.item)
                    break;
                path << h.item->index();
            }
            if (total)
                continue;
            if (!previous.isEmpty() && !(previous < path))
                return false;
            previous = path;
        }
        return true;
    };
    QVERIFY(inOrder(
        m.rowCount(), rowFields, [&](int i, int l) { return m.rowHeading(i, l); },
        [](int) { return true; }));
    // Columns: once per member path (the first data field's column).
    CubeField *firstData = m.shownDataFields().value(0);
    QVERIFY(inOrder(
        m.columnCount(), colFields, [&](int i, int l) { return m.columnHeading(i, l); },
        [&](int i) { return m.dataFieldOfColumn(i) == firstData; }));
}

// Text members follow the text order of the databases (letters without
// regard to case and accents first, then accents, then the exact text);
// plain ASCII texts, looked at on a shortcut, keep that same order among
// the others.
void tst_cubeaggregate::textMembersInTextOrder()
{
    const QStringList names = {"beto", "Beto", "BETO", "ávila", "Ávila", "avila", "Avila",
                               "abc",  "ABC",  "abcd", "Zeca",  "zeca",  "élio",  "Elio",
                               "b",    "B ",   "b a",  "a-b",   "a b",   "Çarla", "carla"};
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("aggnames"));
        db.setDatabaseName(m_db);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE names (n TEXT)")));
        for (const QString &n : names) {
            q.prepare(QStringLiteral("INSERT INTO names VALUES (?)"));
            q.addBindValue(n);
            QVERIFY(q.exec());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("aggnames"));
    kq::data::closeAllDatabases();
    CubeModel m;
    m.setDatabaseName(m_db);
    m.setRecordSource(QStringLiteral("names"));
    m.addField(QStringLiteral("n"), QStringLiteral("Nome"), OrientRow);
    QVERIFY(m.rebuild());
    QStringList got;
    for (CubeDataItem *i : m.field(QStringLiteral("n"))->dataItems()->all())
        got << i->name();
    QStringList want = names;
    std::stable_sort(want.begin(), want.end(), [](const QString &a, const QString &b) {
        const int c = kq::data::compareText(a, b);
        return c != 0 ? c < 0 : QString::compare(a, b) < 0;
    });
    QCOMPARE(got, want);
}

QTEST_MAIN(tst_cubeaggregate)
#include "tst_cubeaggregate.moc"
