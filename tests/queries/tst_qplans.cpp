// How SQLite reads the record sources of the three query screens over a
// portfolio: each filter through its index, a whole listing in one pass over
// its table (never driven from a small look-up table), with and without the
// statistics the monetary update gathers.

#include "data/database.h"
#include "data/datafolder.h"
#include "data/jetsql.h"
#include "queries/queryfilters.h"
#include "support/base_data.h"

#include <QSqlQuery>
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

// The plan's lines, one per table read ("SEARCH DEVOLVIDOS USING INDEX ...").
QStringList planOf(const QString &db, const kq::data::RecordSource &source)
{
    QStringList lines;
    QSqlQuery q = kq::data::exec(db, QStringLiteral("EXPLAIN QUERY PLAN ")
                                         + kq::data::translateJet(source.sql),
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

QTEST_GUILESS_MAIN(tst_qplans)
#include "tst_qplans.moc"
