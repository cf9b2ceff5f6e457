#include "collection/rules/writeoff.h"

#include "data/database.h"
#include "core/format.h"

#include <QSqlQuery>

namespace kq::collection {

QString openInstalmentsSource(const QDate &from, const QDate &to)
{
    return QStringLiteral(
               "SELECT CLIENTES.NM_CLIENTE, parcelas.cd_acordo, parcelas.cd_parcela, "
               "parcelas.vl_parcela, parcelas.dt_vencimento, acordos.nr_parcelas, lojas.ds_loja, "
               "parcelas.cd_status FROM ((CLIENTES INNER JOIN parcelas ON CLIENTES.CD_CLIENTE = "
               "parcelas.CD_CLIENTE) INNER JOIN acordos ON (parcelas.cd_acordo = "
               "acordos.cd_acordo) AND (CLIENTES.CD_CLIENTE = acordos.cd_cliente)) INNER JOIN "
               "lojas ON acordos.cd_loja = lojas.cd_loja where dt_vencimento>=")
           + QLatin1Char('#') + from.toString(QStringLiteral("yyyy/MM/dd"))
           + QStringLiteral("# and dt_vencimento <= #") + to.toString(QStringLiteral("yyyy/MM/dd"))
           + QStringLiteral("# AND parcelas.CD_STATUS='A'");
}

std::optional<Instalment> findInstalment(const QString &dbPath, const QString &cdAcordo,
                                         const QString &cdParcela)
{
    QSqlQuery q = kq::data::exec(dbPath,
                                 QStringLiteral("SELECT cd_acordo, cd_parcela, vl_parcela, "
                                                "dt_vencimento, cd_status FROM parcelas "
                                                "WHERE cd_acordo = ? AND cd_parcela = ?"),
                                 {cdAcordo, cdParcela});
    if (!q.next())
        return std::nullopt;
    Instalment i;
    i.cdAcordo = q.value(0).toString();
    i.cdParcela = q.value(1).toString();
    i.vlParcela = q.value(2).toDouble();
    i.dtVencimento = QDate::fromString(q.value(3).toString().left(10), Qt::ISODate);
    i.cdStatus = q.value(4).toString();
    return i;
}

QString writeOffMonth(const QDate &dtBaixa)
{
    return kq::platform::formatMonthYear(dtBaixa);
}

bool writeOffInstalment(const QString &dbPath, const QString &cdAcordo, const QString &cdParcela,
                        const QDate &dtBaixa)
{
    kq::data::Transaction t(dbPath);
    QSqlQuery q = kq::data::exec(dbPath,
                                 QStringLiteral("UPDATE parcelas SET DT_BAIXA = ?, "
                                                "cd_refbaixa = ?, CD_STATUS = 'B' "
                                                "WHERE cd_acordo = ? AND cd_parcela = ? "
                                                "AND CD_STATUS = 'A'"),
                                 {dtBaixa, writeOffMonth(dtBaixa), cdAcordo, cdParcela});
    if (q.numRowsAffected() != 1)
        return false; // nothing to write, or (impossible by key) more than one row
    t.commit();
    return true;
}

} // namespace kq::collection
