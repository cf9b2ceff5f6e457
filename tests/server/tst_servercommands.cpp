#include "data/database.h"
#include "data/datafolder.h"
#include "data/server.h"
#include "data/shippedfiles.h"
#include "shell/servercommands.h"
#include "support/base_server.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <functional>

#include <unistd.h>

using namespace kq::data;

namespace {

struct Said
{
    int status = -1;
    QString out;
    QString err;
};

Said initOnServer(const QString &dir, const ServerSettings &s)
{
    Said r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    const QString connection = QStringLiteral("host='%1' port=%2 dbname=%3 user=%4")
                                   .arg(s.host)
                                   .arg(s.port)
                                   .arg(s.database, s.user);
    r.status = kq::shell::initServerDataCommand(dir, connection, out, err);
    return r;
}

Said copyCommand(const QString &dir)
{
    Said r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.status = kq::shell::copyToServerCommand(dir, out, err);
    return r;
}

// What the process writes to its standard error while `run` runs: the
// server's notices as libpq prints them, and Qt's messages.
QString stderrOf(const std::function<void()> &run)
{
    QTemporaryFile file;
    if (!file.open())
        return QStringLiteral("erro: sem arquivo temporário");
    QString said;
    const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    static QString *messages = nullptr;
    messages = &said;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) {
        *messages += text + QLatin1Char('\n');
    });
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(file.handle(), STDERR_FILENO);
    run();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    qInstallMessageHandler(previous);
    messages = nullptr;
    file.seek(0);
    return QString::fromUtf8(file.readAll()) + said;
}

QString tablesOn(const ServerSettings &s)
{
    return kq::test::serverValue(
        s, QStringLiteral("SELECT string_agg(lower(table_name), ',' ORDER BY 1) "
                          "FROM information_schema.tables WHERE table_schema = "
                          "current_schema()"));
}

} // namespace

// The command line's work on a server: preparing a data folder on it, and
// copying a folder's file to it.
class tst_servercommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { KQ_SKIP_WITHOUT_SERVER(); }
    void cleanup() { closeAllDatabases(); }

    void initPreparesServerAndFolder()
    {
        kq::test::ServerDatabase server;
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("dados"));
        Said r = initOnServer(folder, server.settings());
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(readServerSettings(folder), std::optional(server.settings()));
        QVERIFY(!QFile::exists(dataFile(folder, kDevolvidos)));
        QVERIFY(QFile::exists(dataFile(folder, QStringLiteral("MENU.mdb"))));
        const QString db = dataFile(folder, kDevolvidos);
        QCOMPARE(dialectOf(db), Dialect::Postgres);
        QVERIFY(tableNames(db).contains(QStringLiteral("DEVOLVIDOS")));
        closeAllDatabases();
        // Again on the same folder: nothing to do, no failure.
        r = initOnServer(folder, server.settings());
        QVERIFY2(r.status == 0, qPrintable(r.err));
    }

    // A new folder gets the default reports and letter templates whichever
    // engine holds its business database.
    void newFolderGetsShippedFiles_data()
    {
        QTest::addColumn<bool>("onServer");
        QTest::newRow("SQLite") << false;
        QTest::newRow("servidor") << true;
    }

    void newFolderGetsShippedFiles()
    {
        QFETCH(bool, onServer);
        kq::test::ServerDatabase server;
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("dados"));
        if (onServer) {
            const Said r = initOnServer(folder, server.settings());
            QVERIFY2(r.status == 0, qPrintable(r.err));
            QVERIFY2(r.out.contains(QStringLiteral("criado: devolvidos.mdb")), qPrintable(r.out));
        } else {
            prepareDataFolder(folder);
        }
        for (const auto &[name, contents] : shippedFiles()) {
            QFile f(dataFile(folder, name));
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(name));
            QCOMPARE(f.readAll(), contents);
        }
        const QStringList reports = QDir(folder).entryList({QStringLiteral("?_*.rpt")});
        QCOMPARE(reports.size(), 5);
        QCOMPARE(QDir(folder).entryList({QStringLiteral("*.doc")}).size(),
                 shippedFiles().size() - reports.size());
    }

    // A database that holds other tables, or a folder that holds its own
    // file, is refused with nothing written anywhere.
    void initRefuses()
    {
        kq::test::ServerDatabase server;
        QCOMPARE(
            kq::test::serverValue(server.settings(), QStringLiteral("CREATE TABLE outra (x int)")),
            QString());
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("dados"));
        Said r = initOnServer(folder, server.settings());
        QCOMPARE(r.status, 1);
        QVERIFY(!r.err.isEmpty());
        QVERIFY(!QFile::exists(dataFile(folder, kServerSettings)));
        QCOMPARE(tablesOn(server.settings()), QStringLiteral("outra"));

        kq::test::ServerDatabase empty;
        prepareDataFolder(folder); // the file "devolvidos.mdb" is there
        r = initOnServer(folder, empty.settings());
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("--copy-to-server")), qPrintable(r.err));
        QCOMPARE(tablesOn(empty.settings()), QString());
    }

    // A role that owns its database but is not a superuser: the copy
    // gathers the statistics of the program's tables without the server's
    // warnings about the system's.
    void copyAsDatabaseOwner()
    {
        const QString role = QStringLiteral("kq_dono_%1").arg(QCoreApplication::applicationPid());
        QString why;
        QVERIFY2(kq::test::serverAdmin(QStringLiteral("CREATE ROLE %1 LOGIN").arg(role), &why),
                 qPrintable(why));
        const auto dropRole = qScopeGuard(
            [&] { kq::test::serverAdmin(QStringLiteral("DROP ROLE IF EXISTS %1").arg(role)); });
        kq::test::ServerDatabase server;
        QVERIFY2(kq::test::serverAdmin(QStringLiteral("ALTER DATABASE %1 OWNER TO %2")
                                           .arg(server.settings().database, role),
                                       &why),
                 qPrintable(why));
        ServerSettings owner = server.settings();
        owner.user = role;
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("dados"));
        prepareDataFolder(folder);
        closeAllDatabases();
        writeServerSettings(folder, owner);

        Said r;
        const QString said = stderrOf([&] { r = copyCommand(folder); });
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(!said.contains(QStringLiteral("WARNING"), Qt::CaseInsensitive), qPrintable(said));
        // Every table of the program has its statistics.
        QCOMPARE(kq::test::serverValue(owner, QStringLiteral("SELECT count(*) FROM pg_class WHERE "
                                                             "relkind = 'r' AND reltuples < 0 AND "
                                                             "relnamespace = "
                                                             "current_schema()::regnamespace")),
                 QStringLiteral("0"));
        closeAllDatabases();
    }

    void copyCountsEveryTable()
    {
        kq::test::ServerDatabase server;
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("dados"));
        prepareDataFolder(folder);
        const QString file = dataFile(folder, kDevolvidos);
        exec(file, QStringLiteral("INSERT INTO destinos VALUES ('002','B'), ('003','C')"));
        const int destinos = scalar(file, QStringLiteral("SELECT count(*) FROM destinos")).toInt();
        closeAllDatabases();
        writeServerSettings(folder, server.settings());

        Said r = copyCommand(folder);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(
            r.out.contains(QStringLiteral("destinos: %1\n").arg(destinos), Qt::CaseInsensitive),
            qPrintable(r.out));
        QVERIFY(r.out.contains(QStringLiteral("cópia concluída")));
        QCOMPARE(kq::test::serverValue(server.settings(),
                                       QStringLiteral("SELECT count(*) FROM destinos")),
                 QString::number(destinos));
        QVERIFY(QFile::exists(file)); // the file stays as it was

        // A second copy finds the rows there and writes nothing.
        r = copyCommand(folder);
        QCOMPARE(r.status, 1);
        QVERIFY(!r.err.isEmpty());
        QCOMPARE(kq::test::serverValue(server.settings(),
                                       QStringLiteral("SELECT count(*) FROM destinos")),
                 QString::number(destinos));
    }
};

QTEST_GUILESS_MAIN(tst_servercommands)
#include "tst_servercommands.moc"
