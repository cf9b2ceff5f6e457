// The business database on a PostgreSQL server beside the same on SQLite, in
// one run over the same generated data (made in SQLite and copied to the
// server as "--copy-to-server" copies it):
//   - "Atualizar Valores" over 1,000,000 cheques, each round a new month's
//     factor (every value changes), then a run with the values already stored;
//     the values of both engines are compared to the cent;
//   - the first screen of the grid bound to the cheque query, 200,000 cheques;
//   - the save of a 32-instalment agreement of a debtor with 10,000 cheques at
//     one store.
//   bench_server STATE [--monetary N] [--grid N] [--agreement N] [--rounds R]
// STATE is the file of a server started by scripts/pg-cluster.sh start STATE
// --durable; the benchmark makes databases of its own on it and drops them.

#include "benchagreement.h"
#include "benchcompare.h"
#include "benchgrid.h"
#include "benchserver.h"
#include "benchsupport.h"
#include "collection/rules/agreementstore.h"
#include "data/database.h"
#include "data/datafolder.h"
#include "data/server.h"
#include "platform/grid/gridex.h"
#include "queries/rules/queryfilters.h"
#include "shell/monetaryupdate.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>

using kq::data::exec;

namespace {

struct Options
{
    int monetary = 1000000;
    int grid = 200000;
    int agreement = 10000;
    int rounds = 5;
};

Options options(int argc, char **argv)
{
    Options o;
    for (int i = 2; i + 1 < argc; i += 2) {
        const QByteArray arg(argv[i]);
        const int n = QByteArray(argv[i + 1]).toInt();
        if (arg == "--monetary")
            o.monetary = n;
        else if (arg == "--grid")
            o.grid = n;
        else if (arg == "--agreement")
            o.agreement = n;
        else if (arg == "--rounds")
            o.rounds = std::max(1, n);
    }
    return o;
}

// The same business database in a SQLite data folder and in one on the
// server (a database of its own, dropped at the end).
class EnginePair
{
public:
    EnginePair(const kq::data::ServerSettings &server, const QString &name,
               const std::function<void(const QString &db)> &generate)
        : m_server(server)
    {
        m_server.database = QStringLiteral("kq_bench_") + name;
        const QString local = m_dir.path() + QStringLiteral("/local");
        const QString folder = m_dir.path() + QStringLiteral("/server");
        kq::data::prepareDataFolder(local);
        sqlite = kq::data::dataFile(local, kq::data::kDevolvidos);
        const double made = kq::bench::secondsOf([&] { generate(sqlite); });
        kq::bench::serverAdmin(server,
                               QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_server.database));
        if (!kq::bench::serverAdmin(server,
                                    QStringLiteral("CREATE DATABASE %1").arg(m_server.database)))
            std::exit(1);
        QDir().mkpath(folder);
        exec(sqlite, QStringLiteral("VACUUM INTO ?"),
             {kq::data::dataFile(folder, kq::data::kDevolvidos)});
        kq::data::writeServerSettings(folder, m_server);
        const double copied = kq::bench::secondsOf([&] { kq::data::copyToServer(folder); });
        remote = kq::data::dataFile(folder, kq::data::kDevolvidos);
        // The statistics an office's server has.
        exec(remote, QStringLiteral("ANALYZE"));
        std::printf("%s: generated in %.1f s, copied to the server in %.1f s\n", qPrintable(name),
                    made, copied);
        std::fflush(stdout);
    }
    // Through the server's own database: a database is not dropped from within.
    void drop(const kq::data::ServerSettings &server)
    {
        kq::data::closeAllDatabases();
        kq::bench::serverAdmin(
            server,
            QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_server.database));
    }

    QString sqlite; // devolvidos.mdb of each
    QString remote;

private:
    QTemporaryDir m_dir;
    kq::data::ServerSettings m_server;
};

void printLine(int size, const char *step, const kq::bench::Pair &p, double limit,
               const char *target)
{
    // program = the server, baseline = SQLite.
    kq::bench::printRow(size, step, p, target, limit <= 0 || p.program <= limit);
}

// ---- monetary update ----------------------------------------------------------

// Months from 1990/01 on, each factor 0.5 % above the last; deposit dates
// spread over the months, values from 10.00 to 5009.99.
void monetaryPortfolio(const QString &db, int cheques, int months)
{
    kq::data::Transaction t(db);
    exec(db,
         "WITH RECURSIVE m(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM m WHERE i + 1 < ?) "
         "INSERT INTO correcao (cd_ref, fator, ano) "
         "SELECT printf('%04d/%02d', 1990 + i / 12, i % 12 + 1), round(power(1.005, i), 6), "
         "printf('%04d', 1990 + i / 12) FROM m",
         {months});
    exec(db,
         "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < ?) "
         "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, DT_DEPOSITO, "
         "  VL_CHEQUE, CD_SITUACAO, CD_DESTINO, CD_documento, NM_EMITENTE, NR_DOCUMENTO) "
         "SELECT printf('%010d', n), printf('%05d', n % 5000 + 1), printf('%03d', n % 40 + 1), "
         "date('1990-01-01', '+' || ((n * 7919) % (? * 30)) || ' days'), "
         "10 + ((n * 104729) % 500000) / 100.0, '001', '001', '01', 'Emitente ' || n % 7919, "
         "printf('%011d', (n * 7919 * 1009) % 100000000000) FROM c",
         {cheques, months});
    t.commit();
}

// The next month's factor on both engines: every corrected value changes.
void addMonth(const EnginePair &pair)
{
    const QString newest
        = kq::data::scalar(pair.sqlite, "SELECT max(cd_ref) FROM correcao").toString();
    const QDate next = QDate::fromString(newest + QStringLiteral("/01"), "yyyy/MM/dd").addMonths(1);
    const double factor = kq::data::scalar(pair.sqlite,
                                           "SELECT fator FROM correcao WHERE "
                                           "cd_ref = ?",
                                           {newest})
                              .toDouble()
                          * 1.005;
    for (const QString &db : {pair.sqlite, pair.remote})
        exec(db, "INSERT INTO correcao (cd_ref, fator, ano) VALUES (?, ?, ?)",
             {next.toString("yyyy/MM"), factor, next.toString("yyyy")});
    // What the server's autovacuum does in the month between two updates:
    // the former versions of the cheques go.
    exec(pair.remote, "VACUUM DEVOLVIDOS");
}

// Cheques whose corrected value or month differ between the engines.
qint64 differences(const EnginePair &pair)
{
    const QString sql = QStringLiteral("SELECT CD_DEVOLVIDO, vl_atualizado, ref_atualizacao "
                                       "FROM DEVOLVIDOS ORDER BY CD_DEVOLVIDO");
    QSqlQuery a = exec(pair.sqlite, sql);
    QSqlQuery b = exec(pair.remote, sql);
    qint64 differ = 0;
    qint64 shown = 0;
    while (a.next()) {
        if (!b.next())
            return differ + 1;
        const bool same = a.value(0).toString() == b.value(0).toString()
                          && a.value(1).isNull() == b.value(1).isNull()
                          && a.value(1).toDouble() == b.value(1).toDouble()
                          && a.value(2).toString() == b.value(2).toString();
        if (!same) {
            ++differ;
            if (shown++ < 5)
                std::printf("  differs: %s %.17g %s / %s %.17g %s\n",
                            qPrintable(a.value(0).toString()), a.value(1).toDouble(),
                            qPrintable(a.value(2).toString()), qPrintable(b.value(0).toString()),
                            b.value(1).toDouble(), qPrintable(b.value(2).toString()));
        }
    }
    return differ + (b.next() ? 1 : 0);
}

void monetary(const kq::data::ServerSettings &server, int cheques, int rounds)
{
    EnginePair pair(server, QStringLiteral("monetary"),
                    [&](const QString &db) { monetaryPortfolio(db, cheques, 400); });
    auto update = [](const QString &db) {
        return [db] {
            kq::shell::atualizarValoresBanco(db);
        };
    };
    const kq::bench::Pair month = kq::bench::interleaved(
        std::max(2, rounds / 2), update(pair.remote), update(pair.sqlite), [&] { addMonth(pair); });
    // interleaved() adds a month before each step: both engines end on the
    // same month only after a last run of the one behind.
    const QString newest
        = kq::data::scalar(pair.sqlite, "SELECT max(cd_ref) FROM correcao").toString();
    for (const QString &db : {pair.sqlite, pair.remote})
        if (kq::data::scalar(db, "SELECT max(ref_atualizacao) FROM DEVOLVIDOS").toString()
            != newest)
            kq::shell::atualizarValoresBanco(db);
    printLine(cheques, "monetary update, a new month's factor", month, 2 * month.baseline, "<= 2x");
    const kq::bench::Pair stored
        = kq::bench::interleaved(1, update(pair.remote), update(pair.sqlite));
    printLine(cheques, "monetary update, values already stored", stored, 0, "");
    const qint64 differ = differences(pair);
    std::printf("%9d  values compared with SQLite's: %lld differ\n", cheques, differ);
    std::fflush(stdout);
    pair.drop(server);
}

// ---- grid ---------------------------------------------------------------------

void grid(const kq::data::ServerSettings &server, int cheques, int rounds)
{
    EnginePair pair(server, QStringLiteral("grid"),
                    [&](const QString &db) { kq::bench::makePortfolio(db, cheques); });
    const QString source = kq::queries::chequeLoadQuery();
    auto screen = [&](kq::platform::GridEX &g, const QString &db) {
        kq::bench::designChequeColumns(g);
        g.resize(1000, 700);
        g.show();
        g.setDatabaseName(db);
        g.setRecordSource(source);
        return [&g] {
            g.rebind();
            g.refresh();
            g.grab();
        };
    };
    {
        kq::platform::GridEX onServer;
        kq::platform::GridEX onSqlite;
        const kq::bench::Pair first = kq::bench::interleaved(rounds, screen(onServer, pair.remote),
                                                             screen(onSqlite, pair.sqlite));
        printLine(cheques, "grid bound to the cheque query, first screen", first, 0.3, "<= 300 ms");
        std::printf("%9d  rows in the grid at the first screen: server %d, SQLite %d\n", cheques,
                    onServer.view()->model()->rowCount(), onSqlite.view()->model()->rowCount());
    }
    pair.drop(server);
}

// ---- agreement ----------------------------------------------------------------

void agreement(const kq::data::ServerSettings &server, int cheques, int rounds)
{
    EnginePair pair(server, QStringLiteral("agreement"),
                    [&](const QString &db) { kq::bench::makeDebtorPortfolio(db, cheques); });
    const QDate today = QDate::currentDate();
    auto save = [&](const QString &db) {
        return [&, db] {
            kq::bench::saveDebtorAgreement(db, today);
        };
    };
    auto reopen = [&] {
        for (const QString &db : {pair.sqlite, pair.remote})
            kq::bench::undoDebtorAgreements(db);
    };
    const kq::bench::Pair saved
        = kq::bench::interleaved(rounds, save(pair.remote), save(pair.sqlite), reopen);
    printLine(cheques, "save of a 32-instalment agreement", saved, 0.3, "<= 300 ms");
    pair.drop(server);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    if (argc < 2) {
        std::fprintf(stderr,
                     "uso: %s ESTADO [--monetary N] [--grid N] [--agreement N] "
                     "[--rounds R]\n",
                     argv[0]);
        return 2;
    }
    const auto server = kq::bench::serverOfState(QString::fromLocal8Bit(argv[1]));
    if (!server)
        return 1;
    const Options o = options(argc, argv);
    kq::bench::BenchOffice office;
    office.logIn();
    kq::bench::printHeader("The business database on a PostgreSQL server",
                           "the same on SQLite (program: the server)");
    if (o.agreement > 0)
        agreement(*server, o.agreement, o.rounds);
    if (o.grid > 0)
        grid(*server, o.grid, o.rounds);
    if (o.monetary > 0)
        monetary(*server, o.monetary, o.rounds);
    return 0;
}
