// Record access over a large portfolio: refresh, find, edit loop and addNew
// of a recordset over DEVOLVIDOS. Usage: bench_data [rows] (default 200000).

#include "data/database.h"
#include "data/datafolder.h"
#include "data/recordset.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace kq::data;

namespace {

void fill(const QString &db, int count)
{
    Transaction tx(db);
    exec(db, QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente) "
                            "VALUES ('00001', 'Ávila')"));
    exec(db, QStringLiteral("INSERT INTO lojas (CD_loja, DS_loja) VALUES ('001', 'Loja')"));
    QSqlQuery q(database(db));
    q.prepare(QStringLiteral(
        "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, DT_VANTESCA, DT_DEPOSITO, "
        "VL_CHEQUE, CD_SITUACAO, CD_DESTINO, CD_BANCO, CD_AGENCIA, CD_CONTA, NR_CHEQUE, "
        "NM_EMITENTE, NR_DOCUMENTO, cd_ref, CD_ALINEA, CD_documento, CD_chave) "
        "VALUES (?,'00001','001',?,?,?,'001','001','237','01234',?,?,?,?,?,'11','01',?)"));
    const char *const names[] = {"Ávila", "Beto", "Élio", "Zeca", "Çarla", "ana"};
    for (int i = 1; i <= count; ++i) {
        const QString day = QDate(2015, 1, 1).addDays(i % 3650).toString(Qt::ISODate);
        q.addBindValue(QStringLiteral("%1").arg(i, 10, 10, QLatin1Char('0')));
        q.addBindValue(day);
        q.addBindValue(day);
        q.addBindValue(100.0 + (i % 1000) / 4.0);
        q.addBindValue(QStringLiteral("%1").arg(i % 99991, 12, 10, QLatin1Char('0')));
        q.addBindValue(QString::number(i));
        q.addBindValue(QString::fromUtf8(names[i % 6]) + QStringLiteral(" da Silva ")
                       + QString::number(i % 5000));
        q.addBindValue(QStringLiteral("%1").arg(i % 7919, 11, 10, QLatin1Char('0')));
        q.addBindValue(day.mid(5, 2) + QLatin1Char('/') + day.left(4));
        q.addBindValue(QStringLiteral("23701234%1").arg(i % 99991));
        q.exec();
    }
    tx.commit();
}

double seconds(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 200000;
    QTemporaryDir dir;
    prepareDataFolder(dir.path());
    const QString db = dataFile(dir.path(), kDevolvidos);
    std::printf("fill %d cheques: %.2f s\n", rows, seconds([&] { fill(db, rows); }));

    Recordset byDate(db, QStringLiteral("SELECT * from devolvidos order by dt_deposito"));
    std::printf("refresh, order by dt_deposito: %.3f s (%d rows)\n",
                seconds([&] { byDate.refresh(); }), byDate.recordCount());
    Recordset byName(db, QStringLiteral("select * from DEVOLVIDOS order by NM_EMITENTE"));
    std::printf("refresh, order by NM_EMITENTE (PTBR, no index): %.3f s\n",
                seconds([&] { byName.refresh(); }));
    Recordset byKey(db, QStringLiteral("select * from  DEVOLVIDOS order by CD_DEVOLVIDO"));
    std::printf("refresh, order by key: %.3f s\n", seconds([&] { byKey.refresh(); }));
    const QString lastKey = QStringLiteral("%1").arg(rows, 10, 10, QLatin1Char('0'));
    std::printf("findFirst last key: %.4f s\n",
                seconds([&] { byKey.findFirst(QStringLiteral("CD_DEVOLVIDO"), lastKey); }));
    std::printf("findFirst name (PTBR), no match: %.4f s\n", seconds([&] {
                    byKey.findFirst(QStringLiteral("NM_EMITENTE"), QStringLiteral("nobody"));
                }));
    std::printf("addNew + update (source runs again): %.3f s\n", seconds([&] {
                    byKey.addNew();
                    byKey.setField(QStringLiteral("CD_DEVOLVIDO"), QStringLiteral("9999999999"));
                    byKey.update();
                }));
    Recordset cube(db, QStringLiteral(
        "SELECT DEVOLVIDOS.vl_atualizado, CLIENTES.NM_CLIENTE, DEVOLVIDOS.DT_DEPOSITO, "
        "DEVOLVIDOS.VL_CHEQUE, lojas.ds_loja, DESTINOS.DS_DESTINO, SITUACOES.DS_SITUACAO, "
        "documentos.DS_documento FROM (SITUACOES INNER JOIN ((DESTINOS INNER JOIN (CLIENTES "
        "INNER JOIN DEVOLVIDOS ON CLIENTES.CD_CLIENTE = DEVOLVIDOS.CD_CLIENTE) ON "
        "DESTINOS.CD_DESTINO = DEVOLVIDOS.CD_DESTINO) INNER JOIN lojas ON DEVOLVIDOS.CD_LOJA = "
        "lojas.cd_loja) ON SITUACOES.CD_SITUACAO = DEVOLVIDOS.CD_SITUACAO) INNER JOIN "
        "documentos ON DEVOLVIDOS.cd_documento = documentos.CD_documento"));
    std::printf("refresh, five-table join: %.3f s (%d rows)\n", seconds([&] { cube.refresh(); }),
                cube.recordCount());
    std::printf("edit + update of every row, one transaction: %.2f s\n", seconds([&] {
                    Transaction tx(db);
                    for (byDate.moveFirst(); !byDate.eof(); byDate.moveNext()) {
                        byDate.edit();
                        byDate.setField(QStringLiteral("vl_atualizado"),
                                        byDate.field(QStringLiteral("VL_CHEQUE")).toDouble()
                                            * 1.25);
                        byDate.setField(QStringLiteral("ref_atualizacao"),
                                        QStringLiteral("2026/03"));
                        byDate.update();
                    }
                    tx.commit();
                }));
    closeAllDatabases();
    return 0;
}
