// The agreement of a debtor with 10k, 100k and 1M cheques at one store (among
// 20,000 cheques of other debtors): the calculation (rules alone, and as the
// screen runs it when the store is chosen) and the save of a 32-instalment
// agreement (rules alone, and "Fazer Acordo"); then the write-off list of one
// month among as many instalments. Each beside SQLite doing the same reads
// and writes with statements prepared once, on the same connection.
//   bench_agreement [--sizes 10000,100000,1000000] [--rounds 5]

#include "benchagreement.h"
#include "benchcompare.h"
#include "benchsupport.h"
#include "collection/rules/agreementstore.h"
#include "collection/facordo.h"
#include "collection/fbaixar.h"
#include "collection/screens.h"
#include "collection/rules/writeoff.h"
#include "data/database.h"
#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "core/format.h"
#include "platform/grid/gridex.h"
#include "platform/maskedbox.h"
#include "platform/screenregistry.h"
#include "shell/rules/correction.h"

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
        sqlite3_exec(h,
                     "INSERT INTO acordos (cd_acordo, CD_CLIENTE, cd_loja) "
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
    const double gen = kq::bench::secondsOf([&] { kq::bench::makeDebtorPortfolio(db, cheques); });
    std::printf("\n%d cheques of one debtor at one store, %d instalments (%.1f s to generate)\n",
                cheques, kq::data::scalar(db, "SELECT count(*) FROM parcelas").toInt(), gen);
    sqlite3 *h = handleOf(db);
    const QDate today = QDate::currentDate();
    // Every cheque written anew by each calculation.
    auto forget = [&] {
        exec(db, "UPDATE DEVOLVIDOS SET vl_atualizado = NULL");
    };

    auto calculation = [&] {
        const auto terms = loadStoreTerms(db, "001");
        const auto table = kq::shell::CorrectionTable::load(db);
        const auto list = loadEligibleCheques(db, "00001", "001");
        const Calculation calc = calculate(list, *terms, table, table.newestFactor(), today);
        writeCorrectedValues(db, calc.cheques);
    };
    // As an office runs it: the values the monthly update stored are those
    // the calculation finds (the warm-up stores them).
    const kq::bench::Pair rules
        = kq::bench::interleaved(rounds, calculation, [&] { plainCalculation(h); });
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
    auto *cd_ref = f->findChild<kq::platform::MaskEdBox *>("cd_ref");
    auto *ds_loja = f->findChild<kq::platform::DBList *>("ds_loja");
    auto *GridEX1 = f->findChild<kq::platform::GridEX *>("GridEX1");
    auto *vl_total = f->findChild<QLabel *>("vl_total");
    auto *Command2 = f->findChild<QPushButton *>("Command2");
    auto *nr_parcelas = f->findChild<QLineEdit *>("nr_parcelas");
    auto *dt_primeira = f->findChild<kq::platform::MaskEdBox *>("dt_primeira");
    cd_ref->setText(kq::shell::CorrectionTable::load(db).newestMonth());
    const kq::data::RecordSource gridSource = chequeGridSource("00001", "001");
    const kq::bench::Pair screen = kq::bench::interleaved(
        rounds, [&] { ds_loja->setBoundText("001"); },
        [&] {
            plainCalculation(h);
            kq::bench::plainRead(db, gridSource);
        },
        [&] { ds_loja->setCurrentRow(-1); });
    kq::bench::printRow(cheques, "calculation on the screen, values stored", screen);
    std::printf("%9d  %d cheques listed, total %s, messages %d\n", cheques, GridEX1->recordCount(),
                qPrintable(vl_total->text()), dialogs.messages);

    auto reopen = [&] {
        kq::bench::undoDebtorAgreements(db);
    };
    const kq::bench::Pair save = kq::bench::interleaved(
        rounds, [&] { kq::bench::saveDebtorAgreement(db, today); }, [&] { plainSave(h); }, reopen);
    kq::bench::printRow(cheques, "save of a 32-instalment agreement (rules)", save,
                        cheques <= 10000 ? "<= 200 ms" : "",
                        cheques > 10000 || save.program <= 0.2);
    const kq::bench::Pair saveScreen = kq::bench::interleaved(
        rounds, [&] { Command2->click(); }, [&] { plainSave(h); },
        [&] {
            reopen();
            ds_loja->setCurrentRow(-1);
            ds_loja->setBoundText("001");
            nr_parcelas->setText("32");
            dt_primeira->setText(kq::platform::formatDate(today));
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
            kq::bench::plainRead(db, openInstalmentsSource(QDate(2021, 6, 1), QDate(2021, 6, 30)));
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
