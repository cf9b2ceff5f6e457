#include "support/shell_agreement_fixture.h"

#include "data/database.h"

namespace kq::test {

using kq::data::exec;

void addDebtor(const QString &db, const QString &code, const QString &name)
{
    exec(db, QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente) VALUES (?, ?)"),
         {code, name});
}

void addStore(const QString &db, const QString &code, const QString &name, double juros,
              double multa, double honorarios, int nrParcelas, double jurosAcordo)
{
    exec(db,
         QStringLiteral("INSERT INTO lojas (CD_loja, DS_loja, cd_cor, vl_jurospraticado, "
                        "vl_multa, vl_honorarios, nr_parcelasacordo, vl_jurosacordo) "
                        "VALUES (?, ?, '255', ?, ?, ?, ?, ?)"),
         {code, name, juros, multa, honorarios, nrParcelas, jurosAcordo});
}

void addFactor(const QString &db, const QString &month, double factor)
{
    exec(db, QStringLiteral("INSERT INTO correcao (cd_ref, fator, ano) VALUES (?, ?, ?)"),
         {month, factor, month.left(4)});
}

void addCheque(const QString &db, const QString &key, const QString &debtor, const QString &store,
               const QDate &deposit, double value, const QString &situacao)
{
    exec(db,
         QStringLiteral("INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, DT_VANTESCA, "
                        "DT_DEPOSITO, VL_CHEQUE, CD_SITUACAO, CD_DESTINO, CD_documento, "
                        "CD_BANCO, NR_CHEQUE, NM_EMITENTE) "
                        "VALUES (?, ?, ?, ?, ?, ?, ?, '001', '01', '001', ?, 'EMITENTE')"),
         {key, debtor, store, deposit, deposit, value, situacao, key.right(6)});
}

void addAgreement(const QString &db, const QString &code, const QString &debtor,
                  const QString &store, int count, double value, const QDate &firstDue)
{
    exec(db,
         QStringLiteral("INSERT INTO acordos (cd_acordo, dt_acordo, cd_loja, CD_CLIENTE, "
                        "nr_parcelas, vl_parcela, dt_1vencimento) VALUES (?, ?, ?, ?, ?, ?, ?)"),
         {code, firstDue, store, debtor, count, value, firstDue});
    for (int k = 1; k <= count; ++k) {
        exec(db,
             QStringLiteral("INSERT INTO parcelas (cd_acordo, cd_parcela, cd_loja, vl_parcela, "
                            "dt_vencimento, vl_honorarios, CD_CLIENTE, cd_status) "
                            "VALUES (?, ?, ?, ?, ?, 0, ?, 'A')"),
             {code, QString::number(k).rightJustified(2, QLatin1Char('0')), store, value,
              firstDue.addMonths(k), debtor});
    }
}

} // namespace kq::test
