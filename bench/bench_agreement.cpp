// Times the agreement calculation of a debtor with many cheques at one store,
// the save of a 32-instalment agreement over them, and the write-off list of
// one month's open instalments among many.
//   bench_agreement [cheques] [instalments]     (defaults 500 and 1000000)

#include "benchsupport.h"
#include "collection/agreementstore.h"
#include "collection/facordo.h"
#include "collection/fbaixar.h"
#include "collection/screens.h"
#include "data/database.h"
#include "data/datafolder.h"
#include "platform/dbcombo.h"
#include "platform/dialogs.h"
#include "platform/dtpicker.h"
#include "platform/format.h"
#include "platform/grid/gridex.h"
#include "platform/maskedbox.h"
#include "platform/paths.h"
#include "platform/screenregistry.h"
#include "shell/appstate.h"
#include "shell/correction.h"
#include "shell/screens.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using kq::data::exec;
using namespace kq::collection;

namespace {

void generate(const QString &db, int cheques, int instalments)
{
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
    // The debtor 00001 at store 001, plus other debtors' cheques around them.
    exec(db, "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < ?) "
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
             "SELECT printf('%010d', 1000000 + n), printf('%05d', n % 4999 + 2), "
             "printf('%03d', n % 20 + 1), "
             "date('2015-01-01', '+' || ((n * 13) % 3600) || ' days'), "
             "50, '001', '001', '01' FROM c");
    // Agreements of 32 instalments, first due dates over ten years; about
    // 60 % of the instalments open, 35 % written off, 5 % cancelled.
    const int agreements = instalments / 32;
    exec(db, "WITH RECURSIVE a(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM a WHERE n < ?) "
             "INSERT INTO acordos (cd_acordo, dt_acordo, cd_loja, CD_CLIENTE, nr_parcelas, "
             "vl_parcela, dt_1vencimento) "
             "SELECT printf('%05d', n), "
             "date('2016-01-01', '+' || ((n * 37) % 3650) || ' days'), "
             "printf('%03d', n % 20 + 1), printf('%05d', n % 4999 + 2), 32, 100, "
             "date('2016-01-01', '+' || ((n * 37) % 3650) || ' days') FROM a",
         {agreements});
    exec(db, "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 32) "
             "INSERT INTO parcelas (cd_acordo, cd_parcela, cd_loja, vl_parcela, dt_vencimento, "
             "vl_honorarios, CD_CLIENTE, cd_status) "
             "SELECT a.cd_acordo, printf('%02d', k.i), a.cd_loja, 100, "
             "date(a.dt_1vencimento, '+' || k.i || ' months'), 5, a.CD_CLIENTE, "
             "CASE WHEN (a.rowid * 31 + k.i) % 20 = 0 THEN 'C' "
             "     WHEN (a.rowid * 31 + k.i) % 20 < 8 THEN 'B' ELSE 'A' END "
             "FROM acordos a, k");
    t.commit();
}

struct Figure
{
    double best = 1e9;
    double median = 0;
};

Figure timeIt(int runs, const std::function<void()> &prepare, const std::function<void()> &step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        step();
        times.push_back(timer.nsecsElapsed() / 1e9);
    }
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

void report(const char *what, const Figure &f, const char *limit)
{
    std::printf("%-58s best %7.3f s  median %7.3f s  (limit %s)\n", what, f.best, f.median, limit);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    const int cheques = argc > 1 ? QString(argv[1]).toInt() : 500;
    const int instalments = argc > 2 ? QString(argv[2]).toInt() : 1000000;

    kq::bench::BenchOffice office;
    const QString db = office.devolvidos;
    auto &dialogs = office.dialogs;
    kq::collection::registerScreens();
    office.logIn();

    QElapsedTimer gen;
    gen.start();
    generate(db, cheques, instalments);
    std::printf("portfolio: %d cheques of one debtor at one store, %d instalments (%.1f s to "
                "generate)\n",
                cheques, instalments, gen.nsecsElapsed() / 1e9);

    // 1. The calculation, rules only and as the screen runs it (grid included).
    const QDate today = QDate::currentDate();
    report("calculation (terms, factors, cheques, arithmetic, writes)",
           timeIt(7, nullptr, [&] {
               const auto terms = loadStoreTerms(db, "001");
               const auto table = kq::shell::CorrectionTable::load(db);
               const auto list = loadEligibleCheques(db, "00001", "001");
               const Calculation calc = calculate(list, *terms, table, table.newestFactor(),
                                                  today);
               writeCorrectedValues(db, calc.cheques);
           }),
           "0.2 s");

    auto &registry = kq::platform::ScreenRegistry::instance();
    QWidget *followUp = registry.show("fvantesca");
    auto *debtors = followUp->findChild<kq::platform::GridEX *>("GridEX2");
    debtors->setCurrentRow(debtors->findRow(2, "00001"));
    auto *f = qobject_cast<facordo *>(registry.show("facordo"));
    f->cd_ref->setText(kq::shell::CorrectionTable::load(db).newestMonth());
    report("calculation on the screen (store chosen, grid refreshed)",
           timeIt(7, [&] { f->ds_loja->setCurrentRow(-1); },
                  [&] { f->ds_loja->setBoundText("001"); }),
           "0.2 s");
    std::printf("  %d cheques listed, total %s, messages %d\n", f->GridEX1->recordCount(),
                qPrintable(f->vl_total->text()), dialogs.messages);

    // 2. The save of a 32-instalment agreement over those cheques.
    auto reopen = [&] {
        exec(db, "DELETE FROM parcelas WHERE cd_acordo IN (SELECT cd_acordo FROM acordos "
                 "WHERE CD_CLIENTE = '00001')");
        exec(db, "DELETE FROM acordos WHERE CD_CLIENTE = '00001'");
        exec(db, "UPDATE DEVOLVIDOS SET cd_situacao = '001', cd_acordo = NULL "
                 "WHERE CD_CLIENTE = '00001'");
    };
    report("save of a 32-instalment agreement (rules)",
           timeIt(7, reopen, [&] {
               Agreement a;
               a.cdCliente = "00001";
               a.cdLoja = "001";
               a.dtAcordo = today;
               a.nrParcelas = 32;
               a.vlParcela = 100;
               a.dt1Vencimento = today;
               a.cheques = loadEligibleCheques(db, "00001", "001");
               saveAgreement(db, a);
           }),
           "0.2 s");
    report("save on the screen (\"Fazer Acordo\", 32 instalments)",
           timeIt(7,
                  [&] {
                      reopen();
                      f->ds_loja->setCurrentRow(-1);
                      f->ds_loja->setBoundText("001");
                      f->nr_parcelas->setText("32");
                      f->dt_primeira->setText(kq::platform::formatDate(today));
                      dialogs.messages = 0;
                  },
                  [&] { f->Command2->click(); }),
           "0.2 s");
    std::printf("  last message: %s\n", qPrintable(dialogs.last));

    // 3. The write-off list of one month's open instalments.
    auto *s = qobject_cast<fbaixar *>(registry.show("fbaixar"));
    s->dt_inicio->setValue(QDate(2021, 6, 1));
    s->dt_fim->setValue(QDate(2021, 6, 30));
    std::printf("  open in June 2021: %d; parcelas %d; sample %s\n",
                kq::data::scalar(db, "SELECT count(*) FROM parcelas WHERE dt_vencimento "
                                     "BETWEEN '2021-06-01' AND '2021-06-30' AND cd_status = 'A'")
                    .toInt(),
                kq::data::scalar(db, "SELECT count(*) FROM parcelas").toInt(),
                qPrintable(kq::data::scalar(db, "SELECT dt_vencimento FROM parcelas LIMIT 1")
                               .toString()));
    dialogs.messages = 0;
    dialogs.last.clear();
    report("write-off list of one month (\"Filtrar\")",
           timeIt(5, nullptr, [&] { s->Command1->click(); }), "0.5 s");
    std::printf("  %d open instalments listed out of %d (messages: %d %s)\n",
                s->GridEX1->recordCount(), instalments, dialogs.messages,
                qPrintable(dialogs.last.left(200)));

    registry.unloadAll();
    return 0;
}
