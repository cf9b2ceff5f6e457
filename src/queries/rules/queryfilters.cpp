#include "queries/rules/queryfilters.h"

#include "data/database.h"
#include "data/statementparts.h"

namespace kq::queries {

namespace {

QString between(const QDate &from, const QDate &to)
{
    return jetDate(from) + QStringLiteral(" AND ") + jetDate(to);
}

const char *const kInstalmentFrom
    = " FROM (parcelas INNER JOIN CLIENTES ON parcelas.CD_CLIENTE = CLIENTES.CD_CLIENTE) "
      "INNER JOIN lojas ON parcelas.cd_loja = lojas.cd_loja";

// The same tables with the debtors as the outer loop, for a walk in name
// order; not parenthesised, so that parcelas.rowid can be named.
const char *const kInstalmentByDebtorFrom
    = " FROM CLIENTES CROSS JOIN parcelas INNER JOIN lojas ON parcelas.cd_loja = lojas.cd_loja";

const char *const kInstalmentFields
    = "parcelas.cd_status,parcelas.cd_acordo, parcelas.cd_parcela, lojas.ds_loja, "
      "CLIENTES.NM_CLIENTE, CLIENTES.NR_TELEFONES, parcelas.vl_parcela, "
      "parcelas.dt_vencimento, parcelas.vl_honorarios";

const char *const kAgreementFields
    = "acordos.cd_acordo, acordos.dt_acordo, acordos.vl_aberto, acordos.tx_juros, "
      "acordos.vl_multa, acordos.vl_honorarios, acordos.vl_jurosacordo, acordos.nr_parcelas, "
      "acordos.vl_parcela, acordos.vl_financiado, acordos.dt_1vencimento, CLIENTES.NM_CLIENTE, "
      "lojas.ds_loja";

const char *const kAgreementFrom
    = " FROM (acordos INNER JOIN CLIENTES ON acordos.cd_cliente = CLIENTES.CD_CLIENTE) "
      "INNER JOIN lojas ON acordos.cd_loja = lojas.cd_loja";

// Up to this many rows of a period are read through the period's dates and
// sorted by name (a month of a million cheques, 17,000 of them, in about
// 30 ms); a period of more is walked in name order, whose first screen does
// not wait for the period's last row.
constexpr int kSortedAtMost = 20000;

// True when more rows of `table` than kSortedAtMost match `where` (counted
// through the index of its columns, up to one more than that). False where
// the database does not walk the indexes the walks name.
bool manyRows(const QString &db, const char *table, const QString &where,
              const QVariantList &values)
{
    if (!kq::data::walksNamedIndexes(db))
        return false;
    const QString sql = QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 WHERE %2 LIMIT %3)")
                            .arg(QLatin1String(table), where)
                            .arg(kSortedAtMost + 1);
    return kq::data::scalar(db, sql, values).toInt() > kSortedAtMost;
}

// ... when `column` of `table` falls within the period.
bool manyRowsIn(const QString &db, const char *table, const char *column, const QDate &from,
                const QDate &to)
{
    return manyRows(db, table, QLatin1String(column) + QStringLiteral(" BETWEEN ? AND ?"),
                    {from, to});
}

} // namespace

QString jetDate(const QDate &date)
{
    return QLatin1Char('#') + date.toString(QStringLiteral("yyyy/MM/dd")) + QLatin1Char('#');
}

// ---- Returned cheques ------------------------------------------------------

QString chequeLoadQuery()
{
    return QStringLiteral(
        "SELECT devolvidos.vl_atualizado, devolvidos.dt_pagamento, devolvidos.cd_destino, "
        "devolvidos.cd_situacao,DEVOLVIDOS.CD_LOJA ,CLIENTES.NM_CLIENTE, LOJAS.DS_LOJA, "
        "DEVOLVIDOS.CD_DEVOLVIDO, DEVOLVIDOS.DT_VANTESCA, DEVOLVIDOS.DT_DEPOSITO, "
        "DEVOLVIDOS.VL_CHEQUE, DEVOLVIDOS.CD_BANCO, DEVOLVIDOS.CD_AGENCIA, "
        "DEVOLVIDOS.CD_CONTA, DEVOLVIDOS.NR_CHEQUE, DEVOLVIDOS.NM_EMITENTE, "
        "DEVOLVIDOS.NR_DOCUMENTO,  SITUACOES.DS_SITUACAO FROM SITUACOES INNER JOIN "
        "(DESTINOS INNER JOIN (CLIENTES INNER JOIN (LOJAS INNER JOIN DEVOLVIDOS ON "
        "LOJAS.CD_LOJA = DEVOLVIDOS.CD_LOJA) ON CLIENTES.CD_CLIENTE = DEVOLVIDOS.CD_CLIENTE) "
        "ON DESTINOS.CD_DESTINO = DEVOLVIDOS.CD_DESTINO) ON SITUACOES.CD_SITUACAO = "
        "DEVOLVIDOS.CD_SITUACAO");
}

RecordSource chequesByStore(const QString &loja)
{
    return {chequeLoadQuery() + QStringLiteral(" where devolvidos.cd_loja=? order by nm_emitente"),
            {loja}};
}

RecordSource chequesByStoreAndPeriod(const QString &loja, const QDate &from, const QDate &to)
{
    return {chequeLoadQuery()
                + QStringLiteral(" where  devolvidos.cd_loja=? and dt_deposito between ")
                + between(from, to) + QStringLiteral("order by nm_emitente"),
            {loja}};
}

RecordSource chequesByStoreAndPeriodInIssuerOrder(const QString &loja, const QDate &from,
                                                  const QDate &to)
{
    // "+" keeps the dates off ix_devolvidos_loja_deposito: the store's
    // cheques are read from ix_devolvidos_loja_emitente in issuer order, and
    // only the cheques of one issuer are sorted by date (those of one day
    // stay as entered, as the index holds them).
    return {chequeLoadQuery()
                + QStringLiteral(" where  devolvidos.cd_loja=? and +dt_deposito between ")
                + between(from, to) + QStringLiteral(" order by nm_emitente, dt_deposito"),
            {loja}};
}

RecordSource chequesByStoreAndPeriod(const QString &db, const QString &loja, const QDate &from,
                                     const QDate &to)
{
    return manyRows(db, "DEVOLVIDOS", QStringLiteral("CD_LOJA = ? AND DT_DEPOSITO BETWEEN ? AND ?"),
                    {loja, from, to})
               ? chequesByStoreAndPeriodInIssuerOrder(loja, from, to)
               : chequesByStoreAndPeriod(loja, from, to);
}

QString chequesByPeriod(const QDate &from, const QDate &to)
{
    return chequeLoadQuery() + QStringLiteral(" where  dt_deposito between ") + between(from, to)
           + QStringLiteral("order by nm_emitente");
}

QString chequesByPeriodInIssuerOrder(const QDate &from, const QDate &to)
{
    // "+" keeps the dates off ix_devolvidos_deposito: they are read from
    // ix_devolvidos_emitente_deposito as it is walked, which gives the order
    // whole (cheques of one issuer and day as the index holds them, as entered).
    return chequeLoadQuery() + QStringLiteral(" where  +dt_deposito between ") + between(from, to)
           + QStringLiteral(" order by nm_emitente, dt_deposito");
}

QString chequesByPeriod(const QString &db, const QDate &from, const QDate &to)
{
    return manyRowsIn(db, "DEVOLVIDOS", "DT_DEPOSITO", from, to)
               ? chequesByPeriodInIssuerOrder(from, to)
               : chequesByPeriod(from, to);
}

RecordSource chequesByDocument(const QString &typed)
{
    return {chequeLoadQuery()
                + QStringLiteral(" where devolvidos.nr_documento like ? escape '\\' "
                                 "order by nm_emitente"),
            {kq::data::likePrefix(typed)}};
}

// ---- Instalments -----------------------------------------------------------

QString instalmentLoadQuery()
{
    return QStringLiteral("SELECT ") + QLatin1String(kInstalmentFields)
           + QLatin1String(kInstalmentFrom);
}

RecordSource instalmentsByStoreAndPeriod(const QString &loja, const QDate &from, const QDate &to)
{
    return {QStringLiteral(" SELECT parcelas.cd_loja, parcelas.cd_cliente,")
                + QLatin1String(kInstalmentFields) + QLatin1String(kInstalmentFrom)
                + QStringLiteral(" where   parcelas.cd_loja=? and dt_vencimento between ")
                + between(from, to) + QStringLiteral("order by nm_cliente"),
            {loja}};
}

RecordSource instalmentsByDebtor(const QString &cliente)
{
    return {QStringLiteral("SELECT parcelas.cd_cliente,") + QLatin1String(kInstalmentFields)
                + QLatin1String(kInstalmentFrom)
                + QStringLiteral(" where parcelas.cd_cliente=? order by nm_cliente"),
            {cliente}};
}

QString instalmentsByPeriod(const QDate &from, const QDate &to)
{
    return QStringLiteral(" SELECT parcelas.cd_loja, parcelas.cd_cliente,")
           + QLatin1String(kInstalmentFields) + QLatin1String(kInstalmentFrom)
           + QStringLiteral("  where  dt_vencimento between ") + between(from, to)
           + QStringLiteral("order by nm_cliente");
}

QString instalmentsByPeriodInDebtorOrder(const QDate &from, const QDate &to)
{
    // Debtors of the same name are sorted among themselves as the whole
    // period is above: by due date and status, then as entered.
    return QStringLiteral(" SELECT parcelas.cd_loja, parcelas.cd_cliente,")
           + QLatin1String(kInstalmentFields) + QLatin1String(kInstalmentByDebtorFrom)
           + QStringLiteral("  where parcelas.CD_CLIENTE = CLIENTES.CD_CLIENTE and "
                            "dt_vencimento between ")
           + between(from, to)
           + QStringLiteral(" order by nm_cliente, dt_vencimento, parcelas.cd_status, "
                            "parcelas.rowid");
}

QString instalmentsByPeriod(const QString &db, const QDate &from, const QDate &to)
{
    return manyRowsIn(db, "parcelas", "dt_vencimento", from, to)
               ? instalmentsByPeriodInDebtorOrder(from, to)
               : instalmentsByPeriod(from, to);
}

// ---- Agreements ------------------------------------------------------------

QString agreementLoadQuery()
{
    return QStringLiteral("SELECT  ") + QLatin1String(kAgreementFields)
           + QLatin1String(kAgreementFrom);
}

QString agreementAllQuery()
{
    return QStringLiteral("SELECT ") + QLatin1String(kAgreementFields)
           + QLatin1String(kAgreementFrom);
}

RecordSource agreementRecordQuery(const QString &acordo)
{
    return {QStringLiteral(
                "SELECT acordos.cd_status, acordos.vl_desconto, acordos.vl_aberto,"
                "CLIENTES.nr_documento, clientes.nm_cliente, acordos.dt_acordo, "
                "acordos.vl_aberto, acordos.nr_parcelas, acordos.vl_financiado, "
                "acordos.dt_1vencimento, acordos.vl_parcela, CLIENTES.DS_ENDERECO, "
                "CLIENTES.DS_BAIRRO, CLIENTES.NR_TELEFONES FROM acordos INNER JOIN CLIENTES ON "
                "acordos.cd_cliente = CLIENTES.CD_CLIENTE  Where cd_acordo = ?"),
            {acordo}};
}

RecordSource agreementChequesQuery(const QString &acordo)
{
    return {QStringLiteral("SELECT  * from devolvidos where cd_ACORDO=?"), {acordo}};
}

RecordSource agreementInstalmentsQuery(const QString &acordo)
{
    return {QStringLiteral("SELECT  * from parcelas where cd_acordo=?"), {acordo}};
}

RecordSource agreementsByStoreAndPeriod(const QString &loja, const QDate &from, const QDate &to)
{
    return {QStringLiteral(" SELECT acordos.cd_loja,") + QLatin1String(kAgreementFields)
                + QLatin1String(kAgreementFrom)
                + QStringLiteral(" where   acordos.cd_loja=? and dt_acordo between ")
                + between(from, to) + QStringLiteral("order by nm_cliente"),
            {loja}};
}

RecordSource agreementsByDebtor(const QString &cliente)
{
    return {QStringLiteral("SELECT acordos.cd_cliente,") + QLatin1String(kAgreementFields)
                + QLatin1String(kAgreementFrom)
                + QStringLiteral(" where acordos.cd_cliente=? order by nm_cliente"),
            {cliente}};
}

QString agreementsByPeriod(const QDate &from, const QDate &to)
{
    return QStringLiteral(" SELECT ") + QLatin1String(kAgreementFields)
           + QLatin1String(kAgreementFrom) + QStringLiteral(" where  dt_acordo between ")
           + between(from, to) + QStringLiteral("order by nm_cliente");
}

} // namespace kq::queries
