// The three query screens over portfolios of 10k, 100k and 1M cheques: each
// filter of their filter dialogs applied to the screen's grid (first rows
// shown; every row read), beside SQLite reading the same statement on the
// same connection; then the agreement cancel and delete.
//   bench_queries [--sizes 10000,100000,1000000] [--rounds 5]

#include "benchcompare.h"
#include "benchsupport.h"
#include "data/database.h"
#include "data/datafolder.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "queries/rules/agreementcancel.h"
#include "queries/querypattern.h"
#include "queries/rules/queryfilters.h"
#include "queries/screens.h"

#include <QApplication>
#include <QLocale>

using namespace kq::queries;

namespace {

struct Filter
{
    const char *what;
    kq::data::RecordSource source;
};

struct ScreenFilters
{
    const char *screen;
    std::vector<Filter> filters;
};

std::vector<ScreenFilters> screens(const QString &db)
{
    // A document as a collector types it: its first six digits.
    const QString document
        = kq::data::scalar(db, QStringLiteral("SELECT substr(NR_DOCUMENTO, 1, 6) "
                                              "FROM DEVOLVIDOS WHERE rowid = 42"))
              .toString();
    const QDate from(2021, 1, 1);
    const QDate to(2021, 12, 31);
    return {
        {"fconsultas1",
         {{"cheques: by store", chequesByStore("005")},
          {"cheques: by store and deposit period", chequesByStoreAndPeriod(db, "005", from, to)},
          {"cheques: by store and deposit period (whole six years)",
           chequesByStoreAndPeriod(db, "005", QDate(2019, 1, 1), QDate(2024, 12, 31))},
          {"cheques: by deposit period (one year)", chequesByPeriod(db, from, to)},
          {"cheques: by document (six digits typed)", chequesByDocument(document)},
          {"cheques: \"Todos\"", chequeLoadQuery()}}},
        {"fconsulta2",
         {{"instalments: by store and due period", instalmentsByStoreAndPeriod("005", from, to)},
          {"instalments: by debtor", instalmentsByDebtor("00042")},
          {"instalments: by due period (one year)", instalmentsByPeriod(db, from, to)},
          {"instalments: \"Todos\"", instalmentLoadQuery()}}},
        {"fconsulta3",
         {{"agreements: by store and period", agreementsByStoreAndPeriod("005", from, to)},
          {"agreements: by debtor", agreementsByDebtor("00042")},
          {"agreements: by period (one year)", agreementsByPeriod(from, to)},
          {"agreements: \"Todos\"", agreementAllQuery()}}},
    };
}

void runSize(int size, int rounds)
{
    kq::bench::BenchOffice office;
    const QString db = office.devolvidos;
    kq::queries::registerScreens();
    office.logIn();
    const double gen = kq::bench::secondsOf([&] { kq::bench::makePortfolio(db, size); });
    // As after the monthly update of values, which gathers the statistics.
    kq::data::analyzeDatabase(db);
    std::printf("\n%d cheques, %d debtors, %d instalments (%.1f s to generate)\n", size, size / 50,
                kq::data::scalar(db, QStringLiteral("SELECT count(*) FROM parcelas")).toInt(), gen);

    auto &registry = kq::platform::ScreenRegistry::instance();
    for (const ScreenFilters &s : screens(db)) {
        auto *screen = qobject_cast<QueryScreen *>(registry.show(QString::fromLatin1(s.screen)));
        QCoreApplication::processEvents();
        kq::platform::GridEX *grid = screen->GridEX1;
        for (const Filter &f : s.filters) {
            constexpr int kShown = 2000; // the rows a grid reads before it is shown
            const kq::bench::Pair first = kq::bench::interleaved(
                rounds,
                [&] {
                    screen->applyRecordSource(f.source);
                    QCoreApplication::processEvents();
                },
                [&] { kq::bench::plainRead(db, f.source, kShown); });
            kq::bench::printRow(size, f.what, first, "<= 200 ms", first.program <= 0.2);
            int rows = 0;
            const kq::bench::Pair all = kq::bench::interleaved(
                rounds,
                [&] {
                    screen->applyRecordSource(f.source);
                    rows = grid->recordCount();
                },
                [&] { kq::bench::plainRead(db, f.source); });
            kq::bench::printRow(
                size, qPrintable(QStringLiteral("  every row read (%1 rows)").arg(rows)), all);
        }
        registry.unloadAll();
    }

    // The cancel and delete of an agreement of 500 cheques, against the same
    // writes as plain statements.
    auto give = [&] {
        kq::data::exec(db, "INSERT OR REPLACE INTO acordos (cd_acordo, CD_CLIENTE, cd_loja) "
                           "VALUES ('99999', '00001', '001')");
        kq::data::exec(db, "UPDATE DEVOLVIDOS SET cd_acordo = '99999', CD_SITUACAO = '002' "
                           "WHERE CD_DEVOLVIDO <= '0000000500'");
    };
    const kq::bench::Pair cancel = kq::bench::interleaved(
        rounds, [&] { cancelAgreement(db, "99999"); },
        [&] {
            kq::data::Transaction t(db);
            for (const char *sql : {"UPDATE acordos SET cd_status = 'C' WHERE cd_acordo = ?",
                                    "UPDATE parcelas SET cd_status = 'C' WHERE cd_acordo = ?",
                                    "UPDATE DEVOLVIDOS SET cd_situacao = '001' "
                                    "WHERE cd_acordo = ?"})
                kq::data::exec(db, QString::fromLatin1(sql), {QStringLiteral("99999")});
            t.commit();
        },
        give);
    kq::bench::printRow(size, "cancel an agreement of 500 cheques", cancel, "<= 200 ms",
                        cancel.program <= 0.2);
    const kq::bench::Pair remove = kq::bench::interleaved(
        rounds, [&] { deleteAgreement(db, "99999"); },
        [&] {
            kq::data::Transaction t(db);
            for (const char *sql : {"DELETE FROM acordos WHERE cd_acordo = ?",
                                    "DELETE FROM parcelas WHERE cd_acordo = ?",
                                    "UPDATE DEVOLVIDOS SET cd_situacao = '001' "
                                    "WHERE cd_acordo = ?"})
                kq::data::exec(db, QString::fromLatin1(sql), {QStringLiteral("99999")});
            t.commit();
        },
        give);
    kq::bench::printRow(size, "delete it", remove, "<= 200 ms", remove.program <= 0.2);
}

} // namespace

int main(int argc, char **argv)
{
    return kq::bench::runSizes(argc, argv, "Query screens: filters applied to the grid",
                               "SQLite reading the same statement on the same connection "
                               "(first 2000 rows / every row)",
                               runSize);
}
