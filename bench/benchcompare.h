#pragma once

// What the benchmark programs share to set a figure beside its baseline: the
// portfolio sizes of a run, program and baseline timed in turns after a
// warm-up (medians of the rounds), one results line per figure, and a
// portfolio of any size written by SQL.

#include "data/database.h"
#include "data/datafolder.h"
#include "data/jetsql.h"
#include "data/recordsource.h"

#include <QSqlDriver>
#include <sqlite3.h>

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace kq::bench {

// The sizes of a run: 10k, 100k and 1M cheques unless "--sizes 10000,100000"
// names others. `rounds` from "--rounds N" (default 5).
struct RunOptions
{
    std::vector<int> sizes{10000, 100000, 1000000};
    int rounds = 5;
};

inline RunOptions runOptions(int argc, char **argv)
{
    RunOptions o;
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--sizes") {
            o.sizes.clear();
            for (const QByteArray &s : QByteArray(argv[i + 1]).split(','))
                if (s.toInt() > 0)
                    o.sizes.push_back(s.toInt());
        } else if (arg == "--rounds") {
            o.rounds = std::max(1, QByteArray(argv[i + 1]).toInt());
        }
    }
    return o;
}

inline double secondsOf(const std::function<void()> &step)
{
    QElapsedTimer t;
    t.start();
    step();
    return double(t.nsecsElapsed()) / 1e9;
}

inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Pair
{
    double program = 0;
    double baseline = 0;
};

// One warm-up of each, then `rounds` turns of program and baseline (the one
// that goes first changes every round); `before` runs untimed before each
// timed step (to put the data back).
inline Pair interleaved(int rounds, const std::function<void()> &program,
                        const std::function<void()> &baseline,
                        const std::function<void()> &before = {})
{
    auto timed = [&](const std::function<void()> &step) {
        if (before)
            before();
        return secondsOf(step);
    };
    timed(program);
    timed(baseline);
    std::vector<double> p;
    std::vector<double> b;
    for (int r = 0; r < rounds; ++r) {
        if (r % 2) {
            b.push_back(timed(baseline));
            p.push_back(timed(program));
        } else {
            p.push_back(timed(program));
            b.push_back(timed(baseline));
        }
    }
    return {median(p), median(b)};
}

inline void printHeader(const char *title, const char *baseline)
{
    std::printf("\n%s\nbaseline: %s\n", title, baseline);
    std::printf("%9s  %-44s %10s %10s %7s  %s\n", "size", "step", "program", "baseline", "ratio",
                "target");
    std::fflush(stdout);
}

// Times in seconds, shown in milliseconds; the target is text ("<= 1.3x",
// "<= 200 ms") and is marked when the figure misses it.
inline void printRow(int size, const char *step, const Pair &p, const char *target = "",
                     bool met = true)
{
    std::printf("%9d  %-44s %8.1fms %8.1fms %7.2f  %s%s\n", size, step, p.program * 1e3,
                p.baseline * 1e3, p.baseline > 0 ? p.program / p.baseline : 0.0, target,
                met ? "" : "  MISSED");
    std::fflush(stdout);
}

// SQLite alone: the statement (Jet SQL, translated as the program does, with
// its values bound) run on
// the connection the program uses, every column of up to `maxRows` rows read
// as its type gives it. Returns the rows read.
inline int plainRead(const QString &db, const kq::data::RecordSource &source, int maxRows = -1)
{
    const QVariant v = kq::data::database(db).driver()->handle();
    sqlite3 *h = *static_cast<sqlite3 *const *>(v.constData());
    const QByteArray sql = kq::data::translateJet(source.sql).toUtf8();
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK
        || !kq::data::bindValues(st, source.values)) {
        std::printf("plain SQLite: %s\n", sqlite3_errmsg(h));
        sqlite3_finalize(st);
        return 0;
    }
    const int columns = sqlite3_column_count(st);
    int rows = 0;
    qint64 sink = 0;
    while ((maxRows < 0 || rows < maxRows) && sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
                sink += sqlite3_column_int64(st, c);
                break;
            case SQLITE_FLOAT:
                sink += qint64(sqlite3_column_double(st, c));
                break;
            case SQLITE_NULL:
                break;
            default:
                sink += *reinterpret_cast<const char *>(sqlite3_column_text(st, c))
                        + sqlite3_column_bytes(st, c);
            }
        }
        ++rows;
    }
    sqlite3_finalize(st);
    [[maybe_unused]] static volatile qint64 kept;
    kept = sink;
    return rows;
}

// 32 monthly instalments for every agreement from its first due date, about
// 60 % open, 35 % written off and 5 % cancelled.
inline void addInstalments(const QString &db)
{
    kq::data::exec(db, "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE "
                       "i < 32) INSERT INTO parcelas (cd_acordo, cd_parcela, cd_loja, vl_parcela, "
                       "dt_vencimento, vl_honorarios, CD_CLIENTE, cd_status) "
                       "SELECT a.cd_acordo, printf('%02d', k.i), a.cd_loja, 100, "
                       "date(a.dt_1vencimento, '+' || k.i || ' months'), 5, a.CD_CLIENTE, "
                       "CASE WHEN (a.rowid * 31 + k.i) % 20 = 0 THEN 'C' "
                       "     WHEN (a.rowid * 31 + k.i) % 20 < 8 THEN 'B' ELSE 'A' END "
                       "FROM acordos a, k");
}

// A portfolio over the data folder's own schema, as an office enters it over
// five years from 2020: `cheques` returned cheques in deposit order at 12
// stores, one debtor for every 50 cheques (each debtor's cheques spread over
// the years), eleven-digit documents, a tenth of the cheques in agreement; one
// agreement for every 50 cheques with 32 monthly instalments (about 60 %
// open). All in one transaction.
inline void makePortfolio(const QString &db, int cheques)
{
    using kq::data::exec;
    const int debtors = std::max(1, cheques / 50);
    const int agreements = std::max(1, cheques / 50);
    kq::data::Transaction t(db);
    exec(db, "WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < 12) "
             "INSERT INTO lojas (CD_loja, DS_loja, cd_cor, vl_jurospraticado, vl_multa, "
             "vl_honorarios, nr_parcelasacordo, vl_jurosacordo) "
             "SELECT printf('%03d', n), 'LOJA ' || n, n * 40, 3, 2, 10, 12, 1.5 FROM s");
    exec(db,
         "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < ?) "
         "INSERT INTO CLIENTES (CD_cliente, nm_cliente, nr_contatos, nr_telefones) "
         "SELECT printf('%05d', n), 'DEVEDOR ' || n, 0, '(11) 5555-' || (n % 10000) FROM c",
         {debtors});
    exec(db,
         "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < ?) "
         "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, DT_VANTESCA, "
         "DT_DEPOSITO, VL_CHEQUE, CD_SITUACAO, CD_DESTINO, CD_BANCO, CD_AGENCIA, CD_CONTA, "
         "NR_CHEQUE, NM_EMITENTE, NR_DOCUMENTO, cd_documento, vl_atualizado) "
         "SELECT printf('%010d', n), printf('%05d', (n * 7919) % ? + 1), "
         "printf('%03d', n % 12 + 1), "
         "date('2020-01-01', '+' || ((n - 1) * 1800 / ? + n % 20) || ' days'), "
         "date('2020-01-01', '+' || ((n - 1) * 1800 / ?) || ' days'), 100.0 + n % 1000, "
         "CASE WHEN n % 10 THEN '001' ELSE '002' END, '001', '237', '0123', n % 99991, n, "
         "CASE n % 6 WHEN 0 THEN 'Ávila' WHEN 1 THEN 'Beto' WHEN 2 THEN 'Élio' "
         "WHEN 3 THEN 'Zeca' WHEN 4 THEN 'Çarla' ELSE 'ana' END || ' ' || (n * 31 % 7919), "
         "printf('%011d', (n * 7919 * 1009) % 100000000000), '01', 110.0 + n % 1000 FROM c",
         {cheques, debtors, cheques, cheques});
    exec(db,
         "WITH RECURSIVE a(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM a WHERE n < ?) "
         "INSERT INTO acordos (cd_acordo, dt_acordo, cd_loja, CD_CLIENTE, nr_parcelas, "
         "vl_parcela, vl_aberto, vl_financiado, dt_1vencimento, cd_status) "
         "SELECT printf('%05d', n), date('2020-01-01', '+' || ((n - 1) * 1800 / ?) || ' days'), "
         "printf('%03d', n % 12 + 1), printf('%05d', (n * 7919) % ? + 1), 32, 100, 3000, 3200, "
         "date('2020-01-01', '+' || ((n - 1) * 1800 / ? + 30) || ' days'), 'A' FROM a",
         {agreements, agreements, debtors, agreements});
    addInstalments(db);
    t.commit();
}

// One debtor ("00001") with `cheques` cheques at one store ("001") among
// 20,000 cheques of other debtors at 20 stores, factors for twenty years from
// 2010, and one agreement of 32 instalments of other debtors for every 32
// of the debtor's cheques.
inline void makeDebtorPortfolio(const QString &db, int cheques)
{
    using kq::data::exec;
    kq::data::Transaction t(db);
    exec(db, "WITH RECURSIVE m(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM m WHERE i < 239) "
             "INSERT INTO correcao (cd_ref, fator, ano) "
             "SELECT printf('%04d/%02d', 2010 + i / 12, i % 12 + 1), round(power(1.004, i), 6), "
             "printf('%04d', 2010 + i / 12) FROM m");
    exec(db, "WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < 20) "
             "INSERT INTO lojas (CD_loja, DS_loja, cd_cor, vl_jurospraticado, vl_multa, "
             "vl_honorarios, nr_parcelasacordo, vl_jurosacordo) "
             "SELECT printf('%03d', n), 'LOJA ' || n, '255', 3, 2, 10, 32, 1.5 FROM s");
    exec(db, "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 5000) "
             "INSERT INTO CLIENTES (CD_cliente, nm_cliente) "
             "SELECT printf('%05d', n), 'DEVEDOR ' || n FROM c");
    // The debtor 00001 at store 001, then other debtors' cheques.
    exec(db,
         "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < ?) "
         "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, DT_VANTESCA, "
         "DT_DEPOSITO, VL_CHEQUE, CD_SITUACAO, CD_DESTINO, CD_documento, NR_CHEQUE) "
         "SELECT printf('%010d', n), '00001', '001', "
         "date('2015-01-01', '+' || ((n * 7) % 3600) || ' days'), "
         "date('2015-01-01', '+' || ((n * 7) % 3600) || ' days'), "
         "10 + (n * 7919) % 90000 / 100.0, '001', '001', '01', n FROM c",
         {cheques});
    exec(db, "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 20000) "
             "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, DT_DEPOSITO, VL_CHEQUE, "
             "CD_SITUACAO, CD_DESTINO, CD_documento) "
             "SELECT printf('%010d', 9000000 + n), printf('%05d', n % 4999 + 2), "
             "printf('%03d', n % 20 + 1), "
             "date('2015-01-01', '+' || ((n * 13) % 3600) || ' days'), "
             "50, '001', '001', '01' FROM c");
    // Agreements of 32 instalments (as many instalments as the debtor's
    // cheques), first due dates over ten years.
    exec(db,
         "WITH RECURSIVE a(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM a WHERE n < ?) "
         "INSERT INTO acordos (cd_acordo, dt_acordo, cd_loja, CD_CLIENTE, nr_parcelas, "
         "vl_parcela, dt_1vencimento) "
         "SELECT printf('%05d', n), "
         "date('2016-01-01', '+' || ((n * 37) % 3650) || ' days'), "
         "printf('%03d', n % 20 + 1), printf('%05d', n % 4999 + 2), 32, 100, "
         "date('2016-01-01', '+' || ((n * 37) % 3650) || ' days') FROM a",
         {std::max(1, cheques / 32)});
    addInstalments(db);
    t.commit();
    kq::data::analyzeDatabase(db);
}

// main() of a benchmark: offscreen platform (unless another is set),
// Brazilian formats, the title and baseline, then each size of the run.
inline int runSizes(int argc, char **argv, const char *title, const char *baseline,
                    const std::function<void(int size, int rounds)> &runSize)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    const RunOptions options = runOptions(argc, argv);
    printHeader(title, baseline);
    for (const int size : options.sizes)
        runSize(size, options.rounds);
    return 0;
}

} // namespace kq::bench
