#include "data/database.h"
#include "data/datafolder.h"
#include "data/server.h"
#include "support/base_server.h"

#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kq::data;

namespace {

const QStringList kNames
    = {QStringLiteral("José"), QStringLiteral("JOSÉ"),  QStringLiteral("Jose"),
       QStringLiteral("jose"), QStringLiteral("Ávila"), QStringLiteral("avila")};

void insertNames(const QString &path)
{
    int key = 0;
    for (const QString &n : kNames)
        exec(path, QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente) VALUES (?, ?)"),
             {QStringLiteral("%1").arg(++key, 5, 10, QLatin1Char('0')), n});
}

QStringList namesOf(const QString &path, const QString &sql)
{
    QStringList out;
    QSqlQuery q = exec(path, sql);
    while (q.next())
        out << q.value(0).toString();
    return out;
}

} // namespace

// The Portuguese text columns compare on the server as on SQLite: equality
// ignores case but not accents, LIKE folds ASCII letters only, the order is
// Portuguese, and an older server database gets that at its next opening.
class tst_servertext : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        KQ_SKIP_WITHOUT_SERVER();
        QVERIFY(m_dir.isValid());
        const QString local = m_dir.filePath(QStringLiteral("local"));
        prepareDataFolder(local);
        m_sqlite = dataFile(local, kDevolvidos);
        m_server = std::make_unique<kq::test::ServerDatabase>();
        QVERIFY(prepareServerDatabase(m_server->settings()));
        const QString remote = m_dir.filePath(QStringLiteral("remoto"));
        QVERIFY(QDir().mkpath(remote));
        writeServerSettings(remote, m_server->settings());
        m_postgres = dataFile(remote, kDevolvidos);
        QCOMPARE(dialectOf(m_postgres), Dialect::Postgres);
        insertNames(m_sqlite);
        insertNames(m_postgres);
    }
    void cleanupTestCase()
    {
        closeAllDatabases();
        m_server.reset();
    }

    void sameAsSqlite_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QStringList>("found");
        const QStringList jose = {"José", "JOSÉ"};
        QTest::newRow("= ignores case") << "nm_cliente = ?" << QVariantList{"josé"} << jose;
        QTest::newRow("= keeps accents")
            << "nm_cliente = ?" << QVariantList{"JOSE"} << QStringList{"Jose", "jose"};
        QTest::newRow("<>") << "nm_cliente <> ? AND nm_cliente < ?" << QVariantList{"JOSÉ", "k"}
                            << QStringList{"Jose", "jose", "Ávila", "avila"};
        QTest::newRow("IN") << "nm_cliente IN (?, ?)" << QVariantList{"AVILA", "ávila"}
                            << QStringList{"Ávila", "avila"};
        QTest::newRow("LIKE folds ASCII") << "nm_cliente LIKE ?" << QVariantList{"jos%"}
                                          << QStringList{"José", "JOSÉ", "Jose", "jose"};
        QTest::newRow("LIKE keeps other case")
            << "nm_cliente LIKE ?" << QVariantList{"josé"} << QStringList{"José"};
        QTest::newRow("NOT LIKE") << "nm_cliente NOT LIKE 'J%'" << QVariantList{}
                                  << QStringList{"Ávila", "avila"};
        QTest::newRow("LIKE built") << "nm_cliente LIKE '%' || ? || '%'" << QVariantList{"VIL"}
                                    << QStringList{"Ávila", "avila"};
        QTest::newRow("LIKE of a function") << "lower(nm_cliente) LIKE ?" << QVariantList{"jos_"}
                                            << QStringList{"José", "JOSÉ", "Jose", "jose"};
        QTest::newRow("LIKE of a qualified name")
            << "clientes.nm_cliente LIKE ? ESCAPE '!'" << QVariantList{"%a"}
            << QStringList{"Ávila", "avila"};
        QTest::newRow("instr is binary") << "instr(nm_cliente, ?) > 0" << QVariantList{"os"}
                                         << QStringList{"José", "Jose", "jose"};
    }
    void sameAsSqlite()
    {
        QFETCH(QString, where);
        QFETCH(QVariantList, values);
        QFETCH(QStringList, found);
        const QString sql = QStringLiteral("SELECT nm_cliente FROM CLIENTES WHERE %1 ORDER BY "
                                           "cd_cliente")
                                .arg(where);
        auto names = [&](const QString &path) {
            QStringList out;
            QSqlQuery q = exec(path, sql, values);
            while (q.next())
                out << q.value(0).toString();
            return out;
        };
        QCOMPARE(names(m_sqlite), found);
        QCOMPARE(names(m_postgres), found);
    }

    // Groups and order as PTBR's; ties of case by the key.
    void orderAndGroups()
    {
        const QString ordered = QStringLiteral("SELECT nm_cliente FROM CLIENTES ORDER BY "
                                               "nm_cliente, cd_cliente");
        const QStringList order = {"avila", "Ávila", "Jose", "jose", "José", "JOSÉ"};
        QCOMPARE(namesOf(m_sqlite, ordered), order);
        QCOMPARE(namesOf(m_postgres, ordered), order);
        const QString groups = QStringLiteral("SELECT count(*) FROM CLIENTES GROUP BY nm_cliente "
                                              "ORDER BY min(cd_cliente)");
        QCOMPARE(namesOf(m_sqlite, groups), QStringList({"2", "2", "1", "1"}));
        QCOMPARE(namesOf(m_postgres, groups), QStringList({"2", "2", "1", "1"}));
    }

    // A database made with the old collation: its columns get the new one
    // at the next opening, and the name index serves a look-up by name.
    void olderDatabaseIsUpgraded()
    {
        kq::test::ServerDatabase old;
        QTemporaryDir dir;
        writeServerSettings(dir.path(), old.settings());
        const QString path = dataFile(dir.path(), kDevolvidos);
        QCOMPARE(dialectOf(path), Dialect::Postgres);
        QVERIFY(prepareServerDatabase(old.settings()));
        QCOMPARE(kq::test::serverValue(old.settings(),
                                       QStringLiteral("ALTER TABLE clientes ALTER COLUMN "
                                                      "nm_cliente TYPE text COLLATE "
                                                      "\"pt-BR-x-icu\", ALTER COLUMN ds_cidade "
                                                      "TYPE text COLLATE \"pt-BR-x-icu\"")),
                 QString());
        closeAllDatabases();
        insertNames(path);
        QCOMPARE(scalar(path,
                        QStringLiteral("SELECT count(*) FROM CLIENTES WHERE nm_cliente = "
                                       "? AND ds_cidade IS NULL"),
                        {QStringLiteral("JOSE")})
                     .toInt(),
                 2);
        QCOMPARE(kq::test::serverValue(old.settings(),
                                       QStringLiteral("SELECT count(*) FROM pg_attribute a JOIN "
                                                      "pg_collation c ON c.oid = a.attcollation "
                                                      "WHERE c.collname = 'pt-BR-x-icu'")),
                 QStringLiteral("0"));
        const QString plan = kq::test::serverValue(
            old.settings(), QStringLiteral("SET enable_seqscan = off; EXPLAIN SELECT * FROM "
                                           "clientes WHERE nm_cliente = 'JOSE'"));
        QVERIFY2(plan.contains(QStringLiteral("ix_clientes_nome")), qPrintable(plan));
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<kq::test::ServerDatabase> m_server;
    QString m_sqlite;
    QString m_postgres;
};

QTEST_MAIN(tst_servertext)
#include "tst_servertext.moc"
