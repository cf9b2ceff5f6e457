#include "data/database.h"
#include "data/dataerror.h"
#include "data/keys.h"
#include "data/recordset.h"
#include "support/base_data.h"
#include "support/base_server.h"

#include <QTest>

using namespace kq::data;

class tst_keys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { KQ_SKIP_WITHOUT_SERVER(); }
    void nextKeyAfter_data();
    void nextKeyAfter();
    void notANumber_data();
    void notANumber();
    void afterDeletions();
    void pastTheWidth();
    void emptyTables();
};

void tst_keys::nextKeyAfter_data()
{
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("next");
    QTest::newRow("empty table") << QString() << 3 << "001";
    QTest::newRow("empty at 2") << QString() << 2 << "01";
    QTest::newRow("empty at 5") << QString() << 5 << "00001";
    QTest::newRow("009") << "009" << 3 << "010";
    QTest::newRow("998") << "998" << 3 << "999";
    QTest::newRow("999 gains a digit") << "999" << 3 << "1000";
    QTest::newRow("99 at 2") << "99" << 2 << "100";
    QTest::newRow("99999 at 5") << "99999" << 5 << "100000";
    QTest::newRow("ten digits") << "0000000041" << 10 << "0000000042";
    QTest::newRow("past 32 bits") << "9999999999" << 10 << "10000000000";
    QTest::newRow("blanks around") << " 12 " << 3 << "013";
}

void tst_keys::nextKeyAfter()
{
    QFETCH(QString, last);
    QFETCH(int, width);
    QFETCH(QString, next);
    QCOMPARE(kq::data::nextKeyAfter(last, width), next);
}

void tst_keys::notANumber_data()
{
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("number");
    QTest::newRow("letters") << "A01" << ErrorNumber::TypeMismatch;
    QTest::newRow("sign") << "-5" << ErrorNumber::TypeMismatch;
    QTest::newRow("month key") << "2026/03" << ErrorNumber::TypeMismatch;
    QTest::newRow("too big") << "9223372036854775807" << ErrorNumber::Overflow;
    QTest::newRow("far too big") << "99999999999999999999" << ErrorNumber::Overflow;
}

void tst_keys::notANumber()
{
    QFETCH(QString, last);
    QFETCH(int, number);
    try {
        kq::data::nextKeyAfter(last, 3);
        QFAIL("no error");
    } catch (const DataError &e) {
        QCOMPARE(e.number(), number);
    }
}

void tst_keys::afterDeletions()
{
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    for (int i = 2; i <= 9; ++i)
        exec(db, QStringLiteral("INSERT INTO destinos VALUES (?, 'X')"),
             {QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'))});
    QCOMPARE(nextKey(db, QStringLiteral("destinos"), QStringLiteral("CD_destino"), 3),
             QStringLiteral("010"));
    exec(db, QStringLiteral("DELETE FROM destinos WHERE CD_destino='005'"));
    QCOMPARE(nextKey(db, QStringLiteral("destinos"), QStringLiteral("CD_destino"), 3),
             QStringLiteral("010"));
    exec(db, QStringLiteral("DELETE FROM destinos WHERE CD_destino='009'"));
    QCOMPARE(nextKey(db, QStringLiteral("destinos"), QStringLiteral("cd_destino"), 3),
             QStringLiteral("009"));
}

void tst_keys::pastTheWidth()
{
    // After 999 the next key is 1000, which sorts before 999: from then on the
    // next key stays 1000.
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    exec(db, QStringLiteral("INSERT INTO destinos VALUES ('998','X'), ('999','Y')"));
    QString next = nextKey(db, QStringLiteral("destinos"), QStringLiteral("CD_destino"), 3);
    QCOMPARE(next, QStringLiteral("1000"));
    exec(db, QStringLiteral("INSERT INTO destinos VALUES (?, 'Z')"), {next});
    QCOMPARE(nextKey(db, QStringLiteral("destinos"), QStringLiteral("CD_destino"), 3),
             QStringLiteral("1000"));
    Recordset rs(db, QStringLiteral("select * from  destinos order by cd_destino"));
    rs.moveLast();
    QCOMPARE(rs.text(QStringLiteral("cd_destino")), QStringLiteral("999"));
}

void tst_keys::emptyTables()
{
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    QCOMPARE(nextKey(db, QStringLiteral("CLIENTES"), QStringLiteral("CD_cliente"), 5),
             QStringLiteral("00001"));
    QCOMPARE(nextKey(db, QStringLiteral("usuarios"), QStringLiteral("CD_usuario"), 3),
             QStringLiteral("001"));
    QCOMPARE(nextKey(db, QStringLiteral("documentos"), QStringLiteral("CD_documento"), 2),
             QStringLiteral("02"));
    exec(db, QStringLiteral("INSERT INTO correcao VALUES ('2026/03', 1.1, '2026')"));
    try {
        nextKey(db, QStringLiteral("correcao"), QStringLiteral("cd_ref"), 7);
        QFAIL("no error");
    } catch (const DataError &e) {
        QCOMPARE(e.number(), ErrorNumber::TypeMismatch);
    }
}

QTEST_GUILESS_MAIN(tst_keys)
#include "tst_keys.moc"
