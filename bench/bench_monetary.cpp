// Times "Atualizar Valores" over a large portfolio against one plain SQL
// UPDATE that computes the same values.
//   bench_monetary [cheques] [months]     (defaults 1000000 and 400)

#include "data/database.h"
#include "data/datafolder.h"
#include "shell/monetaryupdate.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

using kq::data::exec;

namespace {

void generate(const QString &db, int cheques, int months)
{
    kq::data::Transaction t(db);
    // Months from 1990/01 on, each factor 0.5 % above the last.
    exec(db,
         QStringLiteral(
             "WITH RECURSIVE m(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM m WHERE i + 1 < ?) "
             "INSERT INTO correcao (cd_ref, fator, ano) "
             "SELECT printf('%04d/%02d', 1990 + i / 12, i % 12 + 1), "
             "       round(power(1.005, i), 6), printf('%04d', 1990 + i / 12) FROM m"),
         {months});
    // Deposit dates spread over the months, values from 10.00 to 5009.99.
    exec(db,
         QStringLiteral(
             "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < ?) "
             "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, DT_DEPOSITO, "
             "  VL_CHEQUE, CD_SITUACAO, CD_DESTINO, CD_documento) "
             "SELECT printf('%010d', n), printf('%05d', n % 5000 + 1), "
             "       printf('%03d', n % 40 + 1), "
             "       date('1990-01-01', '+' || ((n * 7919) % (? * 30)) || ' days'), "
             "       10 + ((n * 104729) % 500000) / 100.0, '001', '001', '01' FROM c"),
         {cheques, months});
    t.commit();
}

double plainUpdate(const QString &db)
{
    QElapsedTimer timer;
    timer.start();
    kq::data::Transaction t(db);
    exec(db, QStringLiteral(
                 "UPDATE DEVOLVIDOS SET "
                 "  vl_atualizado = round(VL_CHEQUE + VL_CHEQUE * (n.fator / c.fator - 1), 2), "
                 "  ref_atualizacao = n.cd_ref "
                 "FROM correcao c, (SELECT cd_ref, fator FROM correcao ORDER BY cd_ref DESC "
                 "                  LIMIT 1) n "
                 "WHERE c.cd_ref = substr(DEVOLVIDOS.DT_DEPOSITO, 1, 4) || '/' "
                 "                 || substr(DEVOLVIDOS.DT_DEPOSITO, 6, 2) AND c.fator <> 0"));
    t.commit();
    return timer.nsecsElapsed() / 1e9;
}

double coreUpdate(const QString &db, kq::shell::MonetaryUpdateResult *result)
{
    QElapsedTimer timer;
    timer.start();
    *result = kq::shell::atualizarValoresBanco(db);
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int cheques = argc > 1 ? atoi(argv[1]) : 1000000;
    const int months = argc > 2 ? atoi(argv[2]) : 400;

    QTemporaryDir dir;
    kq::data::prepareDataFolder(dir.path());
    const QString db = kq::data::dataFile(dir.path(), kq::data::kDevolvidos);

    QElapsedTimer timer;
    timer.start();
    generate(db, cheques, months);
    std::printf("generated %d cheques and %d factor months in %.2f s\n", cheques, months,
                timer.nsecsElapsed() / 1e9);

    double plainBest = 1e9;
    double coreBest = 1e9;
    kq::shell::MonetaryUpdateResult result;
    for (int round = 1; round <= 2; ++round) {
        const double plain = plainUpdate(db);
        const double core = coreUpdate(db, &result);
        std::printf("round %d: plain SQL UPDATE %.3f s, AtualizarValores %.3f s\n", round, plain,
                    core);
        plainBest = std::min(plainBest, plain);
        coreBest = std::min(coreBest, core);
    }

    // The two must agree on every cheque.
    const qint64 differ
        = kq::data::scalar(
              db, QStringLiteral(
                      "SELECT count(*) FROM DEVOLVIDOS d, correcao c, "
                      "  (SELECT fator FROM correcao ORDER BY cd_ref DESC LIMIT 1) n "
                      "WHERE c.cd_ref = substr(d.DT_DEPOSITO, 1, 4) || '/' "
                      "                 || substr(d.DT_DEPOSITO, 6, 2) "
                      "  AND abs(d.vl_atualizado "
                      "          - round(d.VL_CHEQUE + d.VL_CHEQUE * (n.fator / c.fator - 1), 2))"
                      "      > 0.0001"))
              .toLongLong();

    std::printf("cheques written %lld, kept at face value %lld, values differing %lld\n",
                result.cheques, result.uncorrected, differ);
    std::printf("best: plain SQL UPDATE %.3f s, AtualizarValores %.3f s, ratio %.2f\n", plainBest,
                coreBest, coreBest / plainBest);
    const bool ok = coreBest < 5.0 && coreBest <= 2 * plainBest;
    std::printf("%s\n", ok ? "OK: under 5 s and within twice the plain UPDATE"
                           : "FAILED: over 5 s or over twice the plain UPDATE");
    return ok ? 0 : 1;
}
