#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/schema.h"
#include "support/base_data.h"

#include <QSqlQuery>
#include <QDate>
#include <QSqlRecord>
#include <QTest>

#include <sqlite3.h>

using namespace kq::data;

namespace {

QStringList indexNames(const QString &db)
{
    QStringList names;
    QSqlQuery q = exec(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' "
                                          "AND name NOT LIKE 'sqlite_%' ORDER BY name"));
    while (q.next())
        names << q.value(0).toString();
    return names;
}

// How many times the connection's prepared statement of that text has run
// (0 when there is none).
int runsOf(const QString &db, const QString &sql)
{
    return scalar(db, QStringLiteral("SELECT sum(run) FROM sqlite_stmt WHERE sql = ?"), {sql})
        .toInt();
}

} // namespace

class tst_connection : public QObject
{
    Q_OBJECT

private slots:
    void tunedForLargeData();
    void olderFileGetsIndexes();
    void analyzeGathersFilteredTables();
    void statementsArePreparedOnce();
    void sameTextRunTwiceAtOnce();
    void queryOpenWhenConnectionCloses();
    void queryResults();
    void statementRunsManyTimes();
};

void tst_connection::tunedForLargeData()
{
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    QCOMPARE(scalar(db, QStringLiteral("PRAGMA cache_size")).toInt(), -256 * 1024);
    QCOMPARE(scalar(db, QStringLiteral("PRAGMA temp_store")).toInt(), 2); // MEMORY
    // A temporary folder is on a local disk: the file is read through a mapping.
    QVERIFY(scalar(db, QStringLiteral("PRAGMA mmap_size")).toLongLong() > 0);
}

void tst_connection::olderFileGetsIndexes()
{
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    const QStringList all = indexNames(db);
    QVERIFY(all.contains(QStringLiteral("ix_devolvidos_loja_deposito")));
    QVERIFY(all.contains(QStringLiteral("ix_parcelas_loja_venc")));
    QVERIFY(all.contains(QStringLiteral("ix_acordos_data")));

    // A file made before those indexes, with a portfolio in it.
    kq::test::addCheques(db, 300);
    for (const QString &sql : indexStatements(kDevolvidos)) {
        const QString name = sql.section(QLatin1Char(' '), 5, 5);
        exec(db, QStringLiteral("DROP INDEX ") + name);
    }
    QVERIFY(!indexNames(db).contains(QStringLiteral("ix_acordos_data")));
    closeAllDatabases();

    QCOMPARE(indexNames(db), all); // added when the file is opened
    QVERIFY(scalar(db, QStringLiteral("SELECT count(*) FROM sqlite_stat1 WHERE tbl = "
                                      "'DEVOLVIDOS'"))
                .toInt()
            > 0);
    // Opening it again changes nothing.
    closeAllDatabases();
    QCOMPARE(indexNames(db), all);
}

void tst_connection::analyzeGathersFilteredTables()
{
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    kq::test::addCheques(db, 200);
    exec(db, QStringLiteral("INSERT INTO lojas (CD_loja, DS_loja) VALUES ('001', 'A'), "
                            "('002', 'B')"));
    analyzeDatabase(db);
    QSqlQuery q = exec(db, QStringLiteral("SELECT DISTINCT tbl FROM sqlite_stat1 ORDER BY 1"));
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    // The cheques have rows; look-up tables (stores) get no statistics.
    QCOMPARE(tables, QStringList{QStringLiteral("DEVOLVIDOS")});
}

void tst_connection::statementsArePreparedOnce()
{
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    const QString insert = QStringLiteral("INSERT INTO destinos (CD_destino, DS_destino) "
                                          "VALUES (?, ?)");
    const QString read = QStringLiteral("SELECT DS_destino FROM destinos WHERE CD_destino = ?");
    for (int i = 2; i <= 6; ++i) {
        QCOMPARE(exec(db, insert, {QStringLiteral("00%1").arg(i), QStringLiteral("D%1").arg(i)})
                     .numRowsAffected(),
                 1);
        QCOMPARE(scalar(db, read, {QStringLiteral("00%1").arg(i)}).toString(),
                 QStringLiteral("D%1").arg(i));
    }
    QCOMPARE(runsOf(db, insert), 5);
    QCOMPARE(runsOf(db, read), 5);

    // A failure does not spoil the statement for the next use.
    QVERIFY_THROWS_EXCEPTION(DataError, exec(db, insert, {QStringLiteral("002"), QString()}));
    QCOMPARE(exec(db, insert, {QStringLiteral("007"), QStringLiteral("D7")}).numRowsAffected(), 1);
    QCOMPARE(runsOf(db, insert), 7);
}

void tst_connection::sameTextRunTwiceAtOnce()
{
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    exec(db, QStringLiteral("INSERT INTO status (cd_status, ds_status) VALUES ('D', 'OUTRA')"));
    const QString sql = QStringLiteral("SELECT cd_status FROM status WHERE cd_status >= ? "
                                       "ORDER BY cd_status");
    QStringList pairs;
    QSqlQuery outer = exec(db, sql, {QStringLiteral("C")});
    while (outer.next()) {
        QSqlQuery inner = exec(db, sql, {outer.value(0).toString()});
        while (inner.next())
            pairs << outer.value(0).toString() + inner.value(0).toString();
    }
    QCOMPARE(pairs, (QStringList{"CC", "CD", "DD"}));
}

void tst_connection::queryOpenWhenConnectionCloses()
{
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    QSqlQuery q = exec(db, QStringLiteral("SELECT cd_status FROM status ORDER BY 1"));
    QVERIFY(q.next());
    closeDatabase(db);
    // Its statement went with the connection: the query just ends.
    QVERIFY(!q.next());
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM status")).toInt(), 3);
}

void tst_connection::queryResults()
{
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    QSqlQuery q = exec(db, QStringLiteral("SELECT NULL AS n, 7 AS i, 1.5 AS r, 'á' AS t, "
                                          "x'00ff' AS b"));
    QVERIFY(q.isSelect());
    QVERIFY(q.next());
    QVERIFY(q.value(0).isNull());
    QCOMPARE(q.value(1), QVariant(qlonglong(7)));
    QCOMPARE(q.value(2), QVariant(1.5));
    QCOMPARE(q.value(3), QVariant(QStringLiteral("á")));
    QCOMPARE(q.value(4), QVariant(QByteArray("\x00\xff", 2)));
    QCOMPARE(q.value(QStringLiteral("t")).toString(), QStringLiteral("á"));
    QCOMPARE(q.record().indexOf(QStringLiteral("r")), 2);
    QVERIFY(!q.next());

    const QSqlQuery write = exec(db, QStringLiteral("UPDATE status SET ds_status = ds_status"));
    QVERIFY(!write.isSelect());
    QCOMPARE(write.numRowsAffected(), 3);

    const struct
    {
        const char *sql;
        QVariantList values;
        int number;
    } refused[] = {
        {"SELECT 1; SELECT 2", {}, ErrorNumber::SqlFailed},
        {"SELECT ?", {1, 2}, ErrorNumber::SqlFailed},
        {"  ", {}, ErrorNumber::SqlFailed},
        {"SELEC 1", {}, ErrorNumber::SqlFailed},
        {"INSERT INTO status (cd_status) VALUES ('A')", {}, ErrorNumber::WriteFailed},
    };
    for (const auto &r : refused) {
        int number = 0;
        try {
            exec(db, QString::fromLatin1(r.sql), r.values);
        } catch (const DataError &e) {
            number = e.number();
        }
        QVERIFY2(number == r.number, r.sql);
    }
}

void tst_connection::statementRunsManyTimes()
{
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    Transaction t(db);
    Statement insert(db, QStringLiteral("INSERT INTO destinos (CD_destino, DS_destino) "
                                        "VALUES (?, ?)"));
    for (int i = 2; i <= 4; ++i) {
        QVERIFY(!insert.run({QStringLiteral("00%1").arg(i), QDate(2024, 1, i)}));
        QCOMPARE(insert.changes(), 1);
    }
    QVERIFY_THROWS_EXCEPTION(DataError, insert.run({QStringLiteral("002"), QString()}));
    QVERIFY_THROWS_EXCEPTION(DataError, insert.run({QStringLiteral("009")}));
    t.commit();

    const QString sql = QStringLiteral("SELECT CD_destino, DS_destino FROM destinos "
                                       "WHERE CD_destino >= ? ORDER BY 1");
    Statement read(db, sql);
    QStringList rows;
    for (bool more = read.run({QStringLiteral("003")}); more; more = read.next())
        rows << read.value(0).toString() + QLatin1Char('=') + read.value(1).toString();
    QCOMPARE(rows, (QStringList{"003=2024-01-03", "004=2024-01-04"}));
    QVERIFY(!read.value(0).isValid()); // past the last row
    QVERIFY(read.run({QStringLiteral("001")}));
    QCOMPARE(read.value(1).toString(), QString::fromUtf8("ESCRITÓRIO"));
    QCOMPARE(runsOf(db, sql), 2); // one statement, run twice
}

QTEST_GUILESS_MAIN(tst_connection)
#include "tst_connection.moc"
