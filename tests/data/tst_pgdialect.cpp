// The statements the program writes, as the server is given them.
#include "data/jetsql.h"

#include <QTest>

using kq::data::Dialect;

class tst_pgdialect : public QObject
{
    Q_OBJECT

private slots:
    void translation_data();
    void translation();
};

void tst_pgdialect::translation_data()
{
    QTest::addColumn<QString>("sqlite");
    QTest::addColumn<QString>("server");
    QTest::newRow("is not a value") << "UPDATE t SET a = ? WHERE b IS NOT ?"
                                    << "UPDATE t SET a = ? WHERE b IS DISTINCT FROM ?";
    QTest::newRow("is a value") << "SELECT * FROM t WHERE b IS 'x'"
                                << "SELECT * FROM t WHERE b IS NOT DISTINCT FROM 'x'";
    QTest::newRow("is not null stays") << "SELECT * FROM t WHERE b IS NOT NULL"
                                       << "SELECT * FROM t WHERE b IS NOT NULL";
    QTest::newRow("is null stays") << "SELECT * FROM t WHERE b IS NULL"
                                   << "SELECT * FROM t WHERE b IS NULL";
    QTest::newRow("quote inside a text") << "SELECT * FROM t WHERE b = '0''' AND c IS NOT ?"
                                         << "SELECT * FROM t WHERE b = '0''' AND c IS DISTINCT "
                                            "FROM ?";
    QTest::newRow("is inside a text") << "SELECT 'a IS NOT b' FROM t"
                                      << "SELECT 'a IS NOT b' FROM t";
}

void tst_pgdialect::translation()
{
    QFETCH(QString, sqlite);
    QFETCH(QString, server);
    QCOMPARE(kq::data::toDialect(sqlite, Dialect::Postgres), server);
    QCOMPARE(kq::data::toDialect(sqlite, Dialect::Sqlite), sqlite);
}

QTEST_GUILESS_MAIN(tst_pgdialect)
#include "tst_pgdialect.moc"
