// Times the cheque query over a large portfolio as an office uses it: the
// screen opening with its first rows, every row read, the filters of its
// filter dialog, grouping by store, and the agreement query with a cancel.
//   bench_queries [cheques]     (default 200000)

#include "benchsupport.h"
#include "data/database.h"
#include "data/datafolder.h"
#include "platform/dialogs.h"
#include "platform/grid/gridex.h"
#include "platform/paths.h"
#include "platform/screenregistry.h"
#include "queries/agreementcancel.h"
#include "queries/fconsultas1.h"
#include "queries/queryfilters.h"
#include "queries/screens.h"
#include "shell/appstate.h"
#include "shell/screens.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QSqlQuery>
#include <cstdio>
#include <functional>

using kq::data::exec;

namespace {

void generate(const QString &db, int cheques)
{
    kq::data::Transaction tx(db);
    for (int s = 1; s <= 12; ++s)
        exec(db, "INSERT INTO lojas (CD_loja, DS_loja, cd_cor) VALUES (?, ?, ?)",
             {QString::asprintf("%03d", s), QString("LOJA %1").arg(s), QString::number(s * 40)});
    const int debtors = qMax(1, cheques / 50);
    QSqlQuery d(kq::data::database(db));
    d.prepare("INSERT INTO CLIENTES (CD_cliente, nm_cliente, nr_contatos) VALUES (?, ?, 0)");
    for (int i = 1; i <= debtors; ++i) {
        d.addBindValue(QString::asprintf("%05d", i));
        d.addBindValue(QString("DEVEDOR %1").arg(i));
        d.exec();
    }
    QSqlQuery q(kq::data::database(db));
    q.prepare("INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, DT_VANTESCA, "
              "DT_DEPOSITO, VL_CHEQUE, CD_SITUACAO, CD_DESTINO, CD_BANCO, CD_AGENCIA, "
              "CD_CONTA, NR_CHEQUE, NM_EMITENTE, NR_DOCUMENTO, vl_atualizado) "
              "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    static const char *const names[] = {"Ávila", "Beto", "Élio", "Zeca", "Çarla", "ana"};
    const QDate base(2020, 1, 1);
    for (int n = 1; n <= cheques; ++n) {
        const QString day = base.addDays(n % 1800).toString(Qt::ISODate);
        q.addBindValue(QString::asprintf("%010d", n));
        q.addBindValue(QString::asprintf("%05d", (n - 1) % debtors + 1));
        q.addBindValue(QString::asprintf("%03d", n % 12 + 1));
        q.addBindValue(day);
        q.addBindValue(day);
        q.addBindValue(100.0 + n % 1000);
        q.addBindValue(n % 10 ? "001" : "002");
        q.addBindValue("001");
        q.addBindValue("237");
        q.addBindValue("0123");
        q.addBindValue(QString::number(n % 99991));
        q.addBindValue(QString::number(n));
        q.addBindValue(QString::fromUtf8(names[n % 6]) + QString(" %1").arg(n % 7919));
        q.addBindValue(QString::asprintf("%011d", (n * 7919) % 100000000));
        q.addBindValue(110.0 + n % 1000);
        q.exec();
    }
    tx.commit();
}

double seconds(const std::function<void()> &step)
{
    QElapsedTimer t;
    t.start();
    step();
    return t.nsecsElapsed() / 1e9;
}

void line(const char *what, double s, const char *target)
{
    std::printf("%-58s %7.3f s   (target %s)\n", what, s, target);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    const int cheques = argc > 1 ? QString(argv[1]).toInt() : 200000;

    kq::bench::BenchOffice office;
    const QString db = office.devolvidos;
    auto &dialogs = office.dialogs;
    kq::queries::registerScreens();
    office.logIn();
    dialogs.echo = true;

    const double gen = seconds([&] { generate(db, cheques); });
    std::printf("portfolio: %d cheques, 12 stores, %d debtors (%.1f s to generate)\n", cheques,
                cheques / 50, gen);

    auto &registry = kq::platform::ScreenRegistry::instance();
    kq::queries::fconsultas1 *s = nullptr;
    line("fconsultas1 opens, first rows shown", seconds([&] {
             s = qobject_cast<kq::queries::fconsultas1 *>(registry.show("fconsultas1"));
             QCoreApplication::processEvents();
         }),
         "0.5 s");
    kq::platform::GridEX *g = s->GridEX1;
    line("  every row read (background reading finished)", seconds([&] { g->recordCount(); }),
         "3 s");
    std::printf("  rows: %d\n", g->recordCount());

    const struct
    {
        const char *what;
        kq::data::RecordSource source;
    } filters[] = {
        {"filter by store (ordered by issuer)", kq::queries::chequesByStore("005")},
        {"filter by store and deposit period", kq::queries::chequesByStoreAndPeriod(
                                                   "005", QDate(2021, 1, 1), QDate(2021, 12, 31))},
        {"filter by deposit period (one year)",
         kq::queries::chequesByPeriod(QDate(2021, 1, 1), QDate(2021, 12, 31))},
        {"filter by document prefix", kq::queries::chequesByDocument("0001")},
        {"\"Todos\" (the load query again)", kq::queries::chequeLoadQuery()},
    };
    for (const auto &f : filters) {
        line(f.what, seconds([&] {
                 s->applyRecordSource(f.source);
                 QCoreApplication::processEvents();
             }),
             "1 s");
        line("  every row read", seconds([&] { g->recordCount(); }), "3 s");
        std::printf("  rows: %d\n", g->recordCount());
    }
    line("group by store, with the group captions' totals", seconds([&] {
             g->groupBy(2);
             for (int r = 0; r < g->rowCount() && r < 200; ++r)
                 g->groupCaption(r);
         }),
         "3 s");
    g->ungroup();

    // The agreement cancel and delete over one agreement of 500 cheques.
    exec(db, "INSERT INTO acordos (cd_acordo, CD_CLIENTE, cd_loja) VALUES ('00001', '00001', "
             "'001')");
    exec(db, "UPDATE DEVOLVIDOS SET cd_acordo = '00001', CD_SITUACAO = '002' WHERE "
             "CD_DEVOLVIDO <= '0000000500'");
    line("cancel an agreement of 500 cheques (one transaction)",
         seconds([&] { kq::queries::cancelAgreement(db, "00001"); }), "0.2 s");
    line("delete it", seconds([&] { kq::queries::deleteAgreement(db, "00001"); }), "0.2 s");
    registry.unloadAll();
    return 0;
}
