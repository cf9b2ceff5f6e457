// Grid control benchmark: 200,000 returned cheques joined with their stores
// and debtors, as the cheque query lists them. Prints the time to the first
// screen, to all rows read, to group by store with sums, the memory held,
// and the same first screen for a plain QTableView over a QSqlQueryModel.
//
//   QT_QPA_PLATFORM=offscreen bench_grid [rows]

#include "data/database.h"
#include "platform/grid/gridex.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdio>

using namespace kq::platform;

namespace {

long rssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

void makeDatabase(const QString &path, int rows)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                    QStringLiteral("bench-setup"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("CREATE TABLE lojas (cd_loja TEXT PRIMARY KEY, ds_loja TEXT, "
                              "cd_cor INTEGER)"));
        q.exec(QStringLiteral("CREATE TABLE clientes (cd_cliente TEXT PRIMARY KEY, "
                              "nm_cliente TEXT, nr_documento TEXT)"));
        q.exec(QStringLiteral("CREATE TABLE situacoes (cd_situacao TEXT PRIMARY KEY, "
                              "ds_situacao TEXT, cd_acordo TEXT)"));
        q.exec(QStringLiteral(
            "CREATE TABLE devolvidos (cd_devolvido TEXT PRIMARY KEY, cd_cliente TEXT, "
            "cd_loja TEXT, dt_vantesca TEXT, dt_deposito TEXT, vl_cheque REAL, "
            "cd_banco TEXT, cd_agencia TEXT, cd_conta TEXT, nr_cheque TEXT, "
            "nm_emitente TEXT, nr_documento TEXT, cd_situacao TEXT, cd_destino TEXT)"));
        db.transaction();
        for (int s = 1; s <= 12; ++s) {
            q.prepare(QStringLiteral("INSERT INTO lojas VALUES (?, ?, ?)"));
            q.addBindValue(QStringLiteral("%1").arg(s, 3, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("Loja %1").arg(s));
            q.addBindValue(s * 40000);
            q.exec();
        }
        for (int c = 1; c <= 20000; ++c) {
            q.prepare(QStringLiteral("INSERT INTO clientes VALUES (?, ?, ?)"));
            q.addBindValue(QStringLiteral("%1").arg(c, 10, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("Cliente número %1").arg(c));
            q.addBindValue(QStringLiteral("%1").arg(c * 7919LL, 11, 10, QLatin1Char('0')));
            q.exec();
        }
        q.exec(QStringLiteral("INSERT INTO situacoes VALUES ('001','EM COBRANÇA','0'), "
                              "('002','EM ACORDO','1'), ('007','SEM CARTA','0')"));
        q.prepare(QStringLiteral("INSERT INTO devolvidos VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        const char *situations[] = {"001", "002", "007"};
        for (int i = 1; i <= rows; ++i) {
            q.addBindValue(QStringLiteral("%1").arg(i, 10, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("%1").arg(i % 20000 + 1, 10, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("%1").arg(i % 12 + 1, 3, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("2024-%1-%2")
                               .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                               .arg(i % 28 + 1, 2, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("2023-%1-%2")
                               .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                               .arg(i % 27 + 1, 2, 10, QLatin1Char('0')));
            q.addBindValue(double(i % 5000) + 0.25);
            q.addBindValue(QStringLiteral("%1").arg(i % 300, 3, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("%1").arg(i % 4000, 4, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("%1-%2").arg(i % 90000).arg(i % 9));
            q.addBindValue(QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("Emitente %1").arg(i % 50000));
            q.addBindValue(QStringLiteral("%1").arg(i * 31LL, 11, 10, QLatin1Char('0')));
            q.addBindValue(QString::fromLatin1(situations[i % 3]));
            q.addBindValue(QStringLiteral("001"));
            q.exec();
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-setup"));
}

const char *kQuery
    = "SELECT devolvidos.*, lojas.ds_loja, clientes.nm_cliente, situacoes.ds_situacao "
      "FROM ((devolvidos INNER JOIN lojas ON devolvidos.cd_loja = lojas.cd_loja) "
      "INNER JOIN clientes ON devolvidos.cd_cliente = clientes.cd_cliente) "
      "INNER JOIN situacoes ON devolvidos.cd_situacao = situacoes.cd_situacao";

void designColumns(GridEX &g)
{
    g.addColumn(QStringLiteral("nm_cliente"), QStringLiteral("Inadimplente"), 160);
    g.addColumn(QStringLiteral("ds_loja"), QStringLiteral("Empresa"), 100);
    g.addColumn(QStringLiteral("cd_devolvido"), QStringLiteral("Chave")).setVisible(false);
    g.addColumn(QStringLiteral("dt_vantesca"), QStringLiteral("Cadastro"), 80)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    g.addColumn(QStringLiteral("dt_deposito"), QStringLiteral("Depósito"), 80)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    GridColumn &valor = g.addColumn(QStringLiteral("vl_cheque"), QStringLiteral("Valor"), 90);
    valor.setFormat(QStringLiteral("Currency"));
    valor.setAggregate(Aggregate::Sum);
    g.addColumn(QStringLiteral("cd_banco"), QStringLiteral("BNC"), 40);
    g.addColumn(QStringLiteral("cd_agencia"), QStringLiteral("AG"), 50);
    g.addColumn(QStringLiteral("cd_conta"), QStringLiteral("Conta"), 70);
    g.addColumn(QStringLiteral("nr_cheque"), QStringLiteral("Cheque"), 60);
    g.addColumn(QStringLiteral("nm_emitente"), QStringLiteral("Emitente"), 120);
    g.addColumn(QStringLiteral("nr_documento"), QStringLiteral("Documento"), 90);
    g.addColumn(QStringLiteral("ds_situacao"), QStringLiteral("Situação"), 90);
    g.addColumn(QStringLiteral("cd_loja"), QStringLiteral("CD_LOJA")).setVisible(false);
}

double ms(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 200000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("devolvidos.mdb"));
    std::printf("generating %d cheques...\n", rows);
    makeDatabase(path, rows);
    kq::data::database(path); // open the connection outside the timings
    const long rss0 = rssKb();

    // ---- GridEX --------------------------------------------------------------
    const long rss1 = rss0;
    GridEX grid;
    grid.setObjectName(QStringLiteral("GridEX1"));
    designColumns(grid);
    grid.setAlternatingRowColors(QColor(113, 247, 206), Qt::white);
    grid.resize(1000, 700);
    grid.show();
    QElapsedTimer t;
    t.start();
    grid.setDatabaseName(path);
    grid.setRecordSource(QString::fromLatin1(kQuery));
    grid.rebind();
    grid.refresh();
    grid.grab();
    const double gridFirst = ms(t);
    const int shownAtFirst = grid.view()->model()->rowCount();
    // The rest is read with the event loop, as the user scrolls.
    while (grid.view()->model()->rowCount() < rows)
        QCoreApplication::processEvents();
    grid.grab();
    const double gridAll = ms(t);
    const long rssLoaded = rssKb() - rss1;

    t.restart();
    grid.groupBy(2);
    grid.grab();
    const double groupMs = ms(t);
    const QString firstGroup = grid.textAt(0, 6);

    t.restart();
    grid.sortBy(6, SortOrder::Descending);
    grid.grab();
    const double sortMs = ms(t);

    t.restart();
    grid.ungroup();
    grid.grab();
    const double ungroupMs = ms(t);

    t.restart();
    grid.refresh();
    grid.grab();
    const double refreshSortedMs = ms(t);
    t.restart();
    grid.sortBy(1);
    grid.grab();
    const double sortNamesMs = ms(t);
    const long rssEnd = rssKb() - rss1;
    const int widgets = int(grid.findChildren<QWidget *>().size());
    grid.hide();

    // ---- plain QTableView over a QSqlQueryModel ----------------------------
    double tableFirst = 0;
    double tableAll = 0;
    long tableRss = 0;
    {
        const long rssBefore = rssKb();
        QElapsedTimer t;
        t.start();
        QSqlQueryModel model;
        model.setQuery(QString::fromLatin1(kQuery), kq::data::database(path));
        QTableView view;
        view.setModel(&model);
        view.resize(1000, 700);
        view.show();
        view.grab();
        tableFirst = ms(t);
        while (model.canFetchMore())
            model.fetchMore();
        view.grab();
        tableAll = ms(t);
        tableRss = rssKb() - rssBefore;
    }

    std::printf("\nrows                         %d\n", rows);
    std::printf("QTableView first screen      %8.1f ms\n", tableFirst);
    std::printf("QTableView all rows fetched  %8.1f ms   (+%ld MB)\n", tableAll,
                tableRss / 1024);
    std::printf("GridEX first screen          %8.1f ms   (%d rows read at once)\n", gridFirst,
                shownAtFirst);
    std::printf("GridEX all rows read         %8.1f ms\n", gridAll);
    std::printf("GridEX group by store + sums %8.1f ms   (first group sum %s)\n", groupMs,
                qPrintable(firstGroup));
    std::printf("GridEX sort by value, grouped %7.1f ms\n", sortMs);
    std::printf("GridEX ungroup               %8.1f ms\n", ungroupMs);
    std::printf("GridEX refresh, sorted       %8.1f ms\n", refreshSortedMs);
    std::printf("GridEX sort by debtor name   %8.1f ms\n", sortNamesMs);
    std::printf("GridEX memory loaded / end   %ld MB / %ld MB\n", rssLoaded / 1024,
                rssEnd / 1024);
    std::printf("GridEX widgets (any rows)    %d\n", widgets);
    std::printf("first screen ratio GridEX / QTableView: %.2f\n",
                tableFirst > 0 ? gridFirst / tableFirst : 0.0);
    return 0;
}
