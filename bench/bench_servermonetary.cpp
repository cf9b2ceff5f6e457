// Times "Atualizar Valores" on a PostgreSQL server against the same run on
// SQLite, over the same generated portfolio.
//   bench_servermonetary STATE [cheques] [months]   (defaults 1000000 and 400)
// STATE is the file of a server started by scripts/pg-cluster.sh start STATE
// --durable; the benchmark makes a database of its own on it and drops it.

#include "data/database.h"
#include "data/datafolder.h"
#include "data/server.h"
#include "shell/monetaryupdate.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

using kq::data::exec;

namespace {

// Months from 1990/01 on, each factor 0.5 % above the last; deposit dates
// spread over the months, values from 10.00 to 5009.99.
void generate(const QString &db, int cheques, int months)
{
    const bool server = kq::data::dialectOf(db) == kq::data::Dialect::Postgres;
    const QString month = server ? QStringLiteral("to_char(DATE '1990-01-01' + i * INTERVAL "
                                                  "'1 month', 'YYYY/MM')")
                                 : QStringLiteral("printf('%04d/%02d', 1990 + i / 12, i % 12 + 1)");
    const QString day = server ? QStringLiteral("DATE '1990-01-01' + CAST((n * 7919) % (? * 30) AS integer)")
                               : QStringLiteral("date('1990-01-01', '+' || ((n * 7919) % (? * 30)) "
                                                "|| ' days')");
    kq::data::Transaction t(db);
    exec(db, QStringLiteral(
                 "WITH RECURSIVE m(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM m WHERE i + 1 < ?) "
                 "INSERT INTO correcao (cd_ref, fator, ano) "
                 "SELECT %1, round(power(1.005, i), 6), substr(%1, 1, 4) FROM m")
                 .arg(month),
         {months});
    exec(db, QStringLiteral(
                 "WITH RECURSIVE c(n) AS (SELECT CAST(1 AS bigint) UNION ALL SELECT n + 1 FROM c "
                 "WHERE n < ?) "
                 "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, DT_DEPOSITO, "
                 "  VL_CHEQUE, CD_SITUACAO, CD_DESTINO, CD_documento) "
                 "SELECT substr(CAST(10000000000 + n AS text), 2), "
                 "       substr(CAST(100000 + n % 5000 + 1 AS text), 2), "
                 "       substr(CAST(1000 + n % 40 + 1 AS text), 2), %1, "
                 "       10 + ((n * 104729) % 500000) / 100.0, '001', '001', '01' FROM c")
                 .arg(day),
         {cheques, months});
    t.commit();
}

double timedUpdate(const QString &db)
{
    QElapsedTimer timer;
    timer.start();
    const auto result = kq::shell::atualizarValoresBanco(db);
    const double s = timer.nsecsElapsed() / 1e9;
    std::printf("  %lld cheques written, %lld at face value\n", result.cheques, result.uncorrected);
    return s;
}

bool adminOn(QSqlDatabase &db, const kq::data::ServerSettings &server, const QString &sql)
{
    db.setHostName(server.host);
    db.setPort(server.port);
    db.setDatabaseName(server.database);
    db.setUserName(server.user);
    bool ok = db.open();
    if (ok) {
        QSqlQuery q(db);
        ok = q.exec(sql);
        if (!ok)
            std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
    }
    db.close();
    return ok;
}

bool admin(const kq::data::ServerSettings &server, const QString &sql)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
        ok = adminOn(db, server, sql);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("admin"));
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "uso: %s ESTADO [cheques] [meses]\n", argv[0]);
        return 2;
    }
    QFile state(QString::fromLocal8Bit(argv[1]));
    QString error;
    std::optional<kq::data::ServerSettings> server;
    if (state.open(QIODevice::ReadOnly))
        server = kq::data::parseServerConnection(QString::fromUtf8(state.readAll()).trimmed(),
                                                 &error);
    if (!server) {
        std::fprintf(stderr, "sem servidor: %s\n", qPrintable(error));
        return 1;
    }
    const int cheques = argc > 2 ? atoi(argv[2]) : 1000000;
    const int months = argc > 3 ? atoi(argv[3]) : 400;

    QTemporaryDir dir;
    const QString sqliteFolder = dir.path() + QStringLiteral("/local");
    const QString serverFolder = dir.path() + QStringLiteral("/server");
    kq::data::ServerSettings own = *server;
    own.database = QStringLiteral("kq_bench_monetary");
    admin(*server, QStringLiteral("DROP DATABASE IF EXISTS %1").arg(own.database));
    if (!admin(*server, QStringLiteral("CREATE DATABASE %1").arg(own.database)))
        return 1;
    kq::data::prepareDataFolder(sqliteFolder);
    QDir().mkpath(serverFolder);
    kq::data::writeServerSettings(serverFolder, own);
    kq::data::prepareDataFolder(serverFolder);

    double best[2] = {1e9, 1e9};
    const QString folders[2] = {sqliteFolder, serverFolder};
    for (int e = 0; e < 2; ++e) {
        const QString db = kq::data::dataFile(folders[e], kq::data::kDevolvidos);
        QElapsedTimer timer;
        timer.start();
        generate(db, cheques, months);
        std::printf("%s: generated %d cheques in %.2f s\n", e ? "server" : "SQLite", cheques,
                    timer.nsecsElapsed() / 1e9);
        for (int round = 1; round <= 2; ++round)
            best[e] = std::min(best[e], timedUpdate(db));
    }
    kq::data::closeAllDatabases();
    admin(*server, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(own.database));
    const double ratio = best[1] / best[0];
    std::printf("best: SQLite %.3f s, server %.3f s, ratio %.2f (target: at most 2.00)\n",
                best[0], best[1], ratio);
    std::printf("%s\n", ratio <= 2.0 ? "OK" : "SLOWER THAN TARGET");
    return 0;
}
