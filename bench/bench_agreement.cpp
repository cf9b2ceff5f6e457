// The agreement of a debtor with 10k, 100k and 1M cheques at one store (among
// 20,000 cheques of other debtors): the calculation (rules alone, and as the
// screen runs it when the store is chosen) and the save of a 32-instalment
// agreement (rules alone, and "Fazer Acordo"); then the write-off list of one
// month among as many instalments. Each beside SQLite doing the same reads
// and writes with statements prepared once, on the same connection.
//   bench_agreement [--sizes 10000,100000,1000000] [--rounds 5]

#include "benchcompare.h"
#include "benchsupport.h"
#include "collection/agreementstore.h"
#include "collection/facordo.h"
#include "collection/fbaixar.h"
#include "collection/screens.h"
#include "collection/writeoff.h"
#include "data/database.h"
#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "platform/format.h"
#include "platform/grid/gridex.h"
#include "platform/maskedbox.h"
#include "platform/screenregistry.h"
#include "shell/correction.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSqlDriver>

#include <sqlite3.h>

using kq::data::exec;
using namespace kq::collection;

namespace {

void generate(const QString &db, int cheques)
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
    // The debtor 00001 at store 001, then other debtors' cheques.
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
             "SELECT printf('%010d', 9000000 + n), printf('%05d', n % 4999 + 2), "
             "printf('%03d', n % 20 + 1), "
             "date('2015-01-01', '+' || ((n * 13) % 3600) || ' days'), "
             "50, '001', '001', '01' FROM c");
    // Agreements of 32 instalments (as many instalments as the debtor's
    // cheques), first due dates over ten years.
    exec(db, "WITH RECURSIVE a(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM a WHERE n < ?) "
             "INSERT INTO acordos (cd_acordo, dt_acordo, cd_loja, CD_CLIENTE, nr_parcelas, "
             "vl_parcela, dt_1vencimento) "
             "SELECT printf('%05d', n), "
             "date('2016-01-01', '+' || ((n * 37) % 3650) || ' days'), "
             "printf('%03d', n % 20 + 1), printf('%05d', n % 4999 + 2), 32, 100, "
             "date('2016-01-01', '+' || ((n * 37) % 3650) || ' days') FROM a",
         {std::max(1, cheques / 32)});
    kq::bench::addInstalments(db);
    t.commit();
    kq::data::analyzeDatabase(db);
}

sqlite3 *handleOf(const QString &db)
{
    const QVariant v = kq::data::database(db).driver()->handle();
    return *static_cast<sqlite3 *const *>(v.constData());
}

// One statement of plain SQLite, prepared once.
struct Plain
{
    sqlite3_stmt *st = nullptr;
    Plain(sqlite3 *h, const char *sql) { sqlite3_prepare_v2(h, sql, -1, &st, nullptr); }
    ~Plain() { sqlite3_finalize(st); }
    void text(int i, const QByteArray &v)
    {
        sqlite3_bind_text(st, i, v.constData(), int(v.size()), SQLITE_TRANSIENT);
    }
    int run()
    {
        const int rc = sqlite3_step(st);
        return rc;
    }
    void reset() { sqlite3_reset(st); }
};

const char *const kEligible
    = "SELECT d.CD_DEVOLVIDO, d.DT_DEPOSITO, d.VL_CHEQUE, d.cd_acordo, "
      "COALESCE(d.vl_atualizado, d.VL_CHEQUE) FROM DEVOLVIDOS d "
      "JOIN situacoes s ON s.CD_SITUACAO = d.CD_SITUACAO "
      "JOIN destinos t ON t.CD_DESTINO = d.CD_DESTINO "
      "JOIN documentos o ON o.CD_documento = d.cd_documento "
      "JOIN CLIENTES c ON c.CD_CLIENTE = d.CD_CLIENTE JOIN lojas l ON l.cd_loja = d.CD_LOJA "
      "WHERE d.CD_CLIENTE = '00001' AND d.CD_LOJA = '001' AND s.CD_ACORDO = '0' "
      "ORDER BY d.DT_DEPOSITO";

// The debtor's eligible cheques as SQLite alone reads them, with a value for
// each: the one stored, or the face value where none is.
QList<QPair<QByteArray, double>> plainCheques(sqlite3 *h)
{
    QList<QPair<QByteArray, double>> cheques;
    Plain q(h, kEligible);
    while (q.run() == SQLITE_ROW) {
        sqlite3_column_text(q.st, 1);
        sqlite3_column_text(q.st, 3);
        cheques.append({QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(q.st, 0))),
                        sqlite3_column_double(q.st, 4)});
    }
    return cheques;
}

// The calculation's reads and writes: the cheques, then each one's value
// where it is not stored already (as the program writes them).
void plainCalculation(sqlite3 *h)
{
    const auto cheques = plainCheques(h);
    sqlite3_exec(h, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    {
        Plain u(h, "UPDATE DEVOLVIDOS SET vl_atualizado = ? WHERE CD_DEVOLVIDO = ? "
                   "AND vl_atualizado IS NOT ?");
        for (const auto &c : cheques) {
            sqlite3_bind_double(u.st, 1, c.second);
            u.text(2, c.first);
            sqlite3_bind_double(u.st, 3, c.second);
            u.run();
            u.reset();
        }
    }
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
}

// The save's reads and writes: each cheque checked, the agreement and its
// instalments, each cheque's code and situation.
void plainSave(sqlite3 *h)
{
    const auto cheques = plainCheques(h);
    sqlite3_exec(h, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    {
        Plain check(h, "SELECT d.CD_CLIENTE, d.CD_LOJA, s.CD_ACORDO, COALESCE(d.cd_acordo, '') "
                       "FROM DEVOLVIDOS d INNER JOIN situacoes s ON s.CD_SITUACAO = "
                       "d.CD_SITUACAO WHERE d.CD_DEVOLVIDO = ?");
        for (const auto &c : cheques) {
            check.text(1, c.first);
            check.run();
            check.reset();
        }
        sqlite3_exec(h, "INSERT INTO acordos (cd_acordo, CD_CLIENTE, cd_loja) "
                        "VALUES ('99999', '00001', '001')",
                     nullptr, nullptr, nullptr);
        Plain p(h, "INSERT INTO parcelas (cd_acordo, cd_parcela, cd_loja, cd_status) "
                   "VALUES ('99999', ?, '001', 'A')");
        for (int i = 1; i <= 32; ++i) {
            p.text(1, QByteArray::number(i).rightJustified(2, '0'));
            p.run();
            p.reset();
        }
        Plain u(h, "UPDATE DEVOLVIDOS SET cd_acordo = '99999', cd_situacao = '002' "
                   "WHERE CD_DEVOLVIDO = ?");
        for (const auto &c : cheques) {
            u.text(1, c.first);
            u.run();
            u.reset();
        }
    }
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
}

void runSize(int cheques, int rounds)
{
    kq::bench::BenchOffice office;
    const QString db = office.devolvidos;
    auto &dialogs = office.dialogs;
    kq::collection::registerScreens();
    office.logIn();
    const double gen = kq::bench::secondsOf([&] { generate(db, cheques); });
    std::printf("\n%d cheques of one debtor at one store, %d instalments (%.1f s to generate)\n",
                cheques, kq::data::scalar(db, "SELECT count(*) FROM parcelas").toInt(), gen);
    sqlite3 *h = handleOf(db);
    const QDate today = QDate::currentDate();
    // Every cheque written anew by each calculation.
    auto forget = [&] { exec(db, "UPDATE DEVOLVIDOS SET vl_atualizado = NULL"); };

    auto calculation = [&] {
        const auto terms = loadStoreTerms(db, "001");
        const auto table = kq::shell::CorrectionTable::load(db);
        const auto list = loadEligibleCheques(db, "00001", "001");
        const Calculation calc = calculate(list, *terms, table, table.newestFactor(), today);
        writeCorrectedValues(db, calc.cheques);
    };
    // As an office runs it: the values the monthly update stored are those
    // the calculation finds (the warm-up stores them).
    const kq::bench::Pair rules = kq::bench::interleaved(rounds, calculation,
                                                         [&] { plainCalculation(h); });
    kq::bench::printRow(cheques, "calculation (rules), values stored", rules,
                        cheques <= 10000 ? "<= 50 ms" : "",
                        cheques > 10000 || rules.program <= 0.05);
    const kq::bench::Pair written = kq::bench::interleaved(
        rounds, calculation, [&] { plainCalculation(h); }, forget);
    kq::bench::printRow(cheques, "calculation (rules), every value written", written);

    auto &registry = kq::platform::ScreenRegistry::instance();
    QWidget *followUp = registry.show("fvantesca");
    auto *debtors = followUp->findChild<kq::platform::GridEX *>("GridEX2");
    debtors->setCurrentRow(debtors->findRow(2, "00001"));
    auto *f = qobject_cast<facordo *>(registry.show("facordo"));
    f->cd_ref->setText(kq::shell::CorrectionTable::load(db).newestMonth());
    const kq::data::RecordSource gridSource = chequeGridSource("00001", "001");
    const kq::bench::Pair screen = kq::bench::interleaved(
        rounds, [&] { f->ds_loja->setBoundText("001"); },
        [&] {
            plainCalculation(h);
            kq::bench::plainRead(db, gridSource);
        },
        [&] { f->ds_loja->setCurrentRow(-1); });
    kq::bench::printRow(cheques, "calculation on the screen, values stored", screen);
    std::printf("%9d  %d cheques listed, total %s, messages %d\n", cheques,
                f->GridEX1->recordCount(), qPrintable(f->vl_total->text()), dialogs.messages);

    auto reopen = [&] {
        exec(db, "DELETE FROM parcelas WHERE cd_acordo IN (SELECT cd_acordo FROM acordos "
                 "WHERE CD_CLIENTE = '00001')");
        exec(db, "DELETE FROM acordos WHERE CD_CLIENTE = '00001'");
        exec(db, "UPDATE DEVOLVIDOS SET cd_situacao = '001', cd_acordo = NULL "
                 "WHERE CD_CLIENTE = '00001'");
    };
    const kq::bench::Pair save = kq::bench::interleaved(
        rounds,
        [&] {
            Agreement a;
            a.cdCliente = "00001";
            a.cdLoja = "001";
            a.dtAcordo = today;
            a.nrParcelas = 32;
            a.vlParcela = 100;
            a.dt1Vencimento = today;
            a.cheques = loadEligibleCheques(db, "00001", "001");
            if (saveAgreement(db, a).status != SaveOutcome::Saved)
                std::printf("  not saved!\n");
        },
        [&] { plainSave(h); }, reopen);
    kq::bench::printRow(cheques, "save of a 32-instalment agreement (rules)", save,
                        cheques <= 10000 ? "<= 200 ms" : "",
                        cheques > 10000 || save.program <= 0.2);
    const kq::bench::Pair saveScreen = kq::bench::interleaved(
        rounds, [&] { f->Command2->click(); }, [&] { plainSave(h); },
        [&] {
            reopen();
            f->ds_loja->setCurrentRow(-1);
            f->ds_loja->setBoundText("001");
            f->nr_parcelas->setText("32");
            f->dt_primeira->setText(kq::platform::formatDate(today));
            dialogs.messages = 0;
        });
    kq::bench::printRow(cheques, "save on the screen (\"Fazer Acordo\")", saveScreen);
    std::printf("%9d  last message: %s\n", cheques, qPrintable(dialogs.last));

    auto *s = qobject_cast<fbaixar *>(registry.show("fbaixar"));
    s->dt_inicio->setValue(QDate(2021, 6, 1));
    s->dt_fim->setValue(QDate(2021, 6, 30));
    const kq::bench::Pair writeOff = kq::bench::interleaved(
        rounds, [&] { s->Command1->click(); },
        [&] {
            kq::bench::plainRead(db, openInstalmentsSource(QDate(2021, 6, 1),
                                                           QDate(2021, 6, 30)));
        });
    kq::bench::printRow(cheques, "write-off list of one month (\"Filtrar\")", writeOff);
    std::printf("%9d  %d open instalments listed\n", cheques, s->GridEX1->recordCount());
    registry.unloadAll();
}

} // namespace

int main(int argc, char **argv)
{
    return kq::bench::runSizes(argc, argv, "Agreements: a debtor's cheques at one store",
                               "SQLite alone, statements prepared once: the same reads and "
                               "writes in one transaction",
                               runSize);
}
