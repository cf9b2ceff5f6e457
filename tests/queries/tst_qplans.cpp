// How SQLite reads the record sources of the three query screens over a
// portfolio: each filter through its index, a whole listing in one pass over
// its table (never driven from a small look-up table), with and without the
// statistics the monetary update gathers; a period of many rows (of every
// store or of one) walked in name order, with the rows and order of the
// sorted period.

#include "data/database.h"
#include "data/datafolder.h"
#include "data/jetsql.h"
#include "queries/rules/queryfilters.h"
#include "support/base_data.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using namespace kq::queries;

namespace {

// 12 stores, 240 debtors, 12,000 cheques in deposit order over five years,
// 240 agreements of 32 instalments.
void makePortfolio(const QString &db)
{
    using kq::data::exec;
    kq::data::Transaction t(db);
    exec(db, "WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < 12) "
             "INSERT INTO lojas (CD_loja, DS_loja) SELECT printf('%03d', n), 'LOJA ' || n FROM s");
    exec(db, "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 240) "
             "INSERT INTO CLIENTES (CD_cliente, nm_cliente) "
             "SELECT printf('%05d', n), 'DEVEDOR ' || n FROM c");
    exec(db, "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 12000) "
             "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, DT_DEPOSITO, VL_CHEQUE, "
             "CD_SITUACAO, CD_DESTINO, NM_EMITENTE, NR_DOCUMENTO) "
             "SELECT printf('%010d', n), printf('%05d', n * 7 % 240 + 1), "
             "printf('%03d', n % 12 + 1), date('2020-01-01', '+' || (n * 1800 / 12000) || "
             "' days'), 100, '001', '001', 'EMITENTE ' || (n % 997), "
             "printf('%011d', n * 7919 * 1009 % 100000000000) FROM c");
    exec(db, "WITH RECURSIVE a(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM a WHERE n < 240) "
             "INSERT INTO acordos (cd_acordo, dt_acordo, cd_loja, CD_CLIENTE) "
             "SELECT printf('%05d', n), date('2020-01-01', '+' || (n * 1800 / 240) || ' days'), "
             "printf('%03d', n % 12 + 1), printf('%05d', n) FROM a");
    exec(db, "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 32) "
             "INSERT INTO parcelas (cd_acordo, cd_parcela, cd_loja, dt_vencimento, CD_CLIENTE, "
             "cd_status) SELECT a.cd_acordo, printf('%02d', k.i), a.cd_loja, "
             "date(a.dt_acordo, '+' || k.i || ' months'), a.CD_CLIENTE, 'A' FROM acordos a, k");
    t.commit();
}

// Issuers and debtors equal in the PTBR order (case) or only by their accents,
// on few days, entered in an order of their own (keys scrambled): ties of
// every kind for the name orders. Some rows fall outside the joins (no debtor,
// no store) or have no date.
void makeTies(const QString &db)
{
    using kq::data::exec;
    kq::data::Transaction t(db);
    exec(db, "INSERT INTO lojas (CD_loja, DS_loja) VALUES ('001', 'LOJA 1'), ('002', 'LOJA 2')");
    exec(db, "INSERT INTO CLIENTES (CD_cliente, nm_cliente) VALUES ('00001', 'JOSÉ'), "
             "('00002', 'josé'), ('00003', 'Jose'), ('00004', NULL), ('00005', 'ANA'), "
             "('00006', 'JOSÉ')");
    exec(db, "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 400) "
             "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, DT_DEPOSITO, VL_CHEQUE, "
             "CD_SITUACAO, CD_DESTINO, NM_EMITENTE) "
             "SELECT printf('%010d', n * 37 % 401), printf('%05d', n % 7 + 1), "
             "printf('%03d', n % 5 % 3), CASE WHEN n % 23 = 0 THEN NULL "
             "ELSE date('2021-03-01', '+' || (n * 13 % 5) || ' days') END, n, "
             "CASE n % 2 WHEN 0 THEN '001' ELSE '002' END, '001', "
             "CASE n % 9 WHEN 0 THEN 'ávila' WHEN 1 THEN 'ÁVILA' WHEN 2 THEN 'Avila' "
             "WHEN 3 THEN 'AVILA' WHEN 4 THEN NULL WHEN 5 THEN 'Zé' WHEN 6 THEN 'ze' "
             "WHEN 7 THEN 'ZÉ' ELSE 'Ávila ' END FROM c ORDER BY n * 7919 % 401");
    exec(db, "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 400) "
             "INSERT INTO parcelas (cd_acordo, cd_parcela, cd_loja, dt_vencimento, CD_CLIENTE, "
             "cd_status, vl_parcela) "
             "SELECT printf('%05d', n / 40), printf('%02d', n % 40), printf('%03d', n % 5 % 3), "
             "CASE WHEN n % 29 = 0 THEN NULL "
             "ELSE date('2021-03-01', '+' || (n * 11 % 4) || ' days') END, "
             "printf('%05d', n % 7 + 1), CASE n % 5 WHEN 0 THEN 'A' WHEN 1 THEN 'a' "
             "WHEN 2 THEN 'B' WHEN 3 THEN NULL ELSE 'A' END, n "
             "FROM c ORDER BY n * 7919 % 401");
    t.commit();
}

// Every row of a record source, its values joined, in the order read.
QStringList rowsOf(const QString &db, const kq::data::RecordSource &source)
{
    QStringList rows;
    QSqlQuery q = kq::data::exec(db, kq::data::translateJet(source.sql), source.values);
    const int columns = q.record().count();
    while (q.next()) {
        QStringList values;
        for (int c = 0; c < columns; ++c)
            values << (q.isNull(c) ? QStringLiteral("<null>") : q.value(c).toString());
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

// The plan's lines, one per table read ("SEARCH DEVOLVIDOS USING INDEX ...").
QStringList planOf(const QString &db, const kq::data::RecordSource &source)
{
    QStringList lines;
    QSqlQuery q = kq::data::exec(
        db, QStringLiteral("EXPLAIN QUERY PLAN ") + kq::data::translateJet(source.sql),
        source.values);
    while (q.next())
        lines << q.value(3).toString();
    return lines;
}

} // namespace

class tst_qplans : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void filtersReadThroughTheirIndex_data();
    void filtersReadThroughTheirIndex();
    void longPeriodsWalkTheNames_data();
    void longPeriodsWalkTheNames();
    void walksKeepTheSortedRows();
    void walkOnlyForManyRows();

private:
    kq::test::TempDataFolder *m_folder = nullptr;
    QString m_db;
};

void tst_qplans::initTestCase()
{
    m_folder = new kq::test::TempDataFolder;
    m_db = m_folder->devolvidos();
    makePortfolio(m_db);
}

void tst_qplans::cleanupTestCase()
{
    delete m_folder;
}

void tst_qplans::filtersReadThroughTheirIndex_data()
{
    QTest::addColumn<kq::data::RecordSource>("source");
    QTest::addColumn<QString>("expected"); // the line of the filtered table
    QTest::addColumn<bool>("inOrder");     // read in the order asked: no sort step

    const QDate from(2021, 1, 1);
    const QDate to(2021, 12, 31);
    const struct
    {
        const char *name;
        kq::data::RecordSource source;
        const char *expected;
        bool inOrder;
    } rows[] = {
        {"cheques by store", chequesByStore("005"),
         "SEARCH DEVOLVIDOS USING INDEX ix_devolvidos_loja_emitente (CD_LOJA=?)", true},
        {"cheques by store and period", chequesByStoreAndPeriod("005", from, to),
         "SEARCH DEVOLVIDOS USING INDEX ix_devolvidos_loja_deposito (CD_LOJA=? AND "
         "DT_DEPOSITO>? AND DT_DEPOSITO<?)",
         false},
        {"cheques by period", chequesByPeriod(from, to),
         "SEARCH DEVOLVIDOS USING INDEX ix_devolvidos_deposito (DT_DEPOSITO>? AND "
         "DT_DEPOSITO<?)",
         false},
        {"cheques by document", chequesByDocument("000123"),
         "SEARCH DEVOLVIDOS USING INDEX ix_devolvidos_doc (NR_DOCUMENTO>? AND NR_DOCUMENTO<?)",
         false},
        {"every cheque", chequeLoadQuery(), "SCAN DEVOLVIDOS", true},
        {"instalments by store and period", instalmentsByStoreAndPeriod("005", from, to),
         "SEARCH parcelas USING INDEX ix_parcelas_loja_venc (cd_loja=? AND dt_vencimento>? AND "
         "dt_vencimento<?)",
         false},
        {"instalments by debtor", instalmentsByDebtor("00042"),
         "SEARCH parcelas USING INDEX ix_parcelas_cliente (CD_CLIENTE=?)", false},
        {"instalments by period", instalmentsByPeriod(from, to),
         "SEARCH parcelas USING INDEX ix_parcelas_venc (dt_vencimento>? AND dt_vencimento<?)",
         false},
        {"every instalment", instalmentLoadQuery(), "SCAN parcelas", true},
        {"agreements by store and period", agreementsByStoreAndPeriod("005", from, to),
         "SEARCH acordos USING INDEX ix_acordos_loja (cd_loja=? AND dt_acordo>? AND "
         "dt_acordo<?)",
         false},
        {"agreements by debtor", agreementsByDebtor("00042"),
         "SEARCH acordos USING INDEX ix_acordos_cliente (CD_CLIENTE=?)", false},
        {"agreements by period", agreementsByPeriod(from, to),
         "SEARCH acordos USING INDEX ix_acordos_data (dt_acordo>? AND dt_acordo<?)", false},
        {"every agreement", agreementAllQuery(), "SCAN acordos", true},
    };
    for (const bool statistics : {false, true}) {
        for (const auto &r : rows) {
            QTest::addRow("%s%s", r.name, statistics ? ", statistics" : "")
                << r.source << QString::fromLatin1(r.expected) << r.inOrder;
        }
    }
}

void tst_qplans::filtersReadThroughTheirIndex()
{
    QFETCH(kq::data::RecordSource, source);
    QFETCH(QString, expected);
    QFETCH(bool, inOrder);
    if (QByteArray(QTest::currentDataTag()).endsWith("statistics"))
        kq::data::analyzeDatabase(m_db);
    else
        kq::data::exec(m_db, QStringLiteral("DROP TABLE IF EXISTS sqlite_stat1"));
    kq::data::closeAllDatabases(); // statistics are read when the file is opened

    const QStringList plan = planOf(m_db, source);
    const QString shown = plan.join(QLatin1Char('\n'));
    // The filtered table is read through its index, or a whole listing in one
    // pass from the start; every other table is a look-up by key.
    QVERIFY2(plan.contains(expected), qPrintable(shown));
    if (expected.startsWith(QLatin1String("SCAN")))
        QVERIFY2(plan.first() == expected, qPrintable(shown));
    for (const QString &line : plan) {
        QVERIFY2(line == expected || line.startsWith(QLatin1String("SEARCH"))
                     || line.startsWith(QLatin1String("USE TEMP B-TREE")),
                 qPrintable(shown));
    }
    if (inOrder)
        QVERIFY2(!shown.contains(QLatin1String("TEMP B-TREE")), qPrintable(shown));
}

void tst_qplans::longPeriodsWalkTheNames_data()
{
    QTest::addColumn<kq::data::RecordSource>("source");
    QTest::addColumn<QString>("walked");   // the names in order, first but for
    QTest::addColumn<QString>("before");   // ... the look-up of the one store asked
    QTest::addColumn<QString>("searched"); // the period's rows of each name
    QTest::addColumn<QString>("sorted");   // the one sort allowed, if any

    const QDate from(2021, 1, 1);
    const QDate to(2021, 12, 31);
    for (const bool statistics : {false, true}) {
        const char *tag = statistics ? ", statistics" : "";
        QTest::addRow("cheques%s", tag)
            << kq::data::RecordSource(chequesByPeriodInIssuerOrder(from, to))
            << "SCAN DEVOLVIDOS USING INDEX ix_devolvidos_emitente_deposito" << QString()
            << QString() << QString();
        // Only the store's cheques of one issuer are sorted.
        QTest::addRow("cheques of a store%s", tag)
            << chequesByStoreAndPeriodInIssuerOrder("005", from, to)
            << "SEARCH DEVOLVIDOS USING INDEX ix_devolvidos_loja_emitente (CD_LOJA=?)"
            << "SEARCH LOJAS USING INDEX sqlite_autoindex_lojas_1 (CD_loja=?)" << QString()
            << "USE TEMP B-TREE FOR RIGHT PART OF ORDER BY";
        // Only the instalments of debtors of one name are sorted.
        QTest::addRow("instalments%s", tag)
            << kq::data::RecordSource(instalmentsByPeriodInDebtorOrder(from, to))
            << "SCAN CLIENTES USING INDEX ix_clientes_nome" << QString()
            << "SEARCH parcelas USING INDEX ix_parcelas_cliente_venc (CD_CLIENTE=? AND "
               "dt_vencimento>? AND dt_vencimento<?)"
            << "USE TEMP B-TREE FOR RIGHT PART OF ORDER BY";
    }
}

void tst_qplans::longPeriodsWalkTheNames()
{
    QFETCH(kq::data::RecordSource, source);
    QFETCH(QString, walked);
    QFETCH(QString, before);
    QFETCH(QString, searched);
    QFETCH(QString, sorted);
    if (QByteArray(QTest::currentDataTag()).endsWith("statistics"))
        kq::data::analyzeDatabase(m_db);
    else
        kq::data::exec(m_db, QStringLiteral("DROP TABLE IF EXISTS sqlite_stat1"));
    kq::data::closeAllDatabases();

    const QStringList plan = planOf(m_db, source);
    const QString shown = plan.join(QLatin1Char('\n'));
    const qsizetype at = plan.indexOf(walked);
    QVERIFY2(at == 0 || (at == 1 && !before.isEmpty() && plan.first() == before),
             qPrintable(shown));
    if (!searched.isEmpty())
        QVERIFY2(plan.contains(searched), qPrintable(shown));
    for (const QString &line : plan.mid(at + 1)) {
        QVERIFY2(line.startsWith(QLatin1String("SEARCH")) || line == sorted
                     || line.startsWith(QLatin1String("BLOOM FILTER")),
                 qPrintable(shown));
    }
}

void tst_qplans::walksKeepTheSortedRows()
{
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    makeTies(db);
    const struct
    {
        QDate from;
        QDate to;
    } periods[] = {
        {QDate(2021, 3, 1), QDate(2021, 3, 5)},
        {QDate(2021, 3, 2), QDate(2021, 3, 3)},
        {QDate(2021, 3, 3), QDate(2021, 3, 3)},
        {QDate(2021, 4, 1), QDate(2021, 3, 1)}, // start after end
    };
    for (const auto &p : periods) {
        const QStringList cheques = rowsOf(db, chequesByPeriod(p.from, p.to));
        QCOMPARE(rowsOf(db, chequesByPeriodInIssuerOrder(p.from, p.to)), cheques);
        for (const QString store : {"001", "002"}) {
            const QStringList ofStore = rowsOf(db, chequesByStoreAndPeriod(store, p.from, p.to));
            QCOMPARE(rowsOf(db, chequesByStoreAndPeriodInIssuerOrder(store, p.from, p.to)),
                     ofStore);
            if (p.from == QDate(2021, 3, 1))
                QVERIFY(ofStore.size() > 50);
        }
        const QStringList instalments = rowsOf(db, instalmentsByPeriod(p.from, p.to));
        QCOMPARE(rowsOf(db, instalmentsByPeriodInDebtorOrder(p.from, p.to)), instalments);
        if (p.from == QDate(2021, 3, 1)) {
            // The whole fixture: rows through every join, and ties among them.
            QVERIFY(cheques.size() > 150);
            QVERIFY(instalments.size() > 150);
        }
    }
}

void tst_qplans::walkOnlyForManyRows()
{
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    {
        // 20,000 cheques and instalments on one day, one more on the next.
        using kq::data::exec;
        kq::data::Transaction t(db);
        exec(db, "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE "
                 "n < 20001) INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, DT_DEPOSITO, CD_LOJA) "
                 "SELECT printf('%010d', n), CASE WHEN n <= 20000 THEN '2021-03-01' "
                 "ELSE '2021-03-02' END, '001' FROM c");
        exec(db, "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE "
                 "n < 20001) INSERT INTO parcelas (cd_acordo, cd_parcela, dt_vencimento) "
                 "SELECT printf('%05d', n / 100), printf('%02d', n % 100), "
                 "CASE WHEN n <= 20000 THEN '2021-03-01' ELSE '2021-03-02' END FROM c");
        t.commit();
    }
    const QDate day1(2021, 3, 1);
    const QDate day2(2021, 3, 2);
    QCOMPARE(chequesByPeriod(db, day1, day1), chequesByPeriod(day1, day1));
    QCOMPARE(chequesByPeriod(db, day2, day2), chequesByPeriod(day2, day2));
    QCOMPARE(chequesByPeriod(db, day1, day2), chequesByPeriodInIssuerOrder(day1, day2));
    QCOMPARE(instalmentsByPeriod(db, day1, day1), instalmentsByPeriod(day1, day1));
    QCOMPARE(instalmentsByPeriod(db, day1, day2), instalmentsByPeriodInDebtorOrder(day1, day2));
    QCOMPARE(chequesByPeriod(db, day2, day1), chequesByPeriod(day2, day1));
    // A store's period, counted for that store alone.
    QCOMPARE(chequesByStoreAndPeriod(db, "001", day1, day1),
             chequesByStoreAndPeriod("001", day1, day1));
    QCOMPARE(chequesByStoreAndPeriod(db, "001", day1, day2),
             chequesByStoreAndPeriodInIssuerOrder("001", day1, day2));
    QCOMPARE(chequesByStoreAndPeriod(db, "002", day1, day2),
             chequesByStoreAndPeriod("002", day1, day2));
    QCOMPARE(chequesByStoreAndPeriod(db, "001", day2, day1),
             chequesByStoreAndPeriod("001", day2, day1));
}

QTEST_GUILESS_MAIN(tst_qplans)
#include "tst_qplans.moc"
