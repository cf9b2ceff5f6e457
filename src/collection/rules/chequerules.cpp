#include "collection/rules/chequerules.h"

#include "collection/rules/chequereader.h"
#include "data/database.h"
#include "data/keys.h"
#include "core/format.h"

#include <QSqlQuery>

namespace kq::collection {

namespace {

bool exists(const QString &dbPath, const QString &table, const QString &field, const QString &value)
{
    if (value.isEmpty())
        return false;
    return kq::data::scalar(
               dbPath, QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? LIMIT 1").arg(table, field),
               {value})
        .isValid();
}

QVariantList fieldValues(const ChequeRecord &c, const QDate &today)
{
    const ChequeForm &f = c.form;
    return {f.cliente,     f.loja,    today,     c.deposito,  c.valor,  f.situacao,
            f.destino,     f.banco,   f.agencia, f.conta,     f.cheque, f.emitente,
            f.nrDocumento, c.cdRef(), f.alinea,  f.documento, c.chave()};
}

const QString kFieldList = QStringLiteral(
    "CD_CLIENTE, CD_LOJA, DT_VANTESCA, DT_DEPOSITO, VL_CHEQUE, CD_SITUACAO, CD_DESTINO, "
    "CD_BANCO, CD_AGENCIA, CD_CONTA, NR_CHEQUE, NM_EMITENTE, NR_DOCUMENTO, cd_ref, "
    "CD_ALINEA, CD_documento, CD_chave");

} // namespace

QString ChequeRecord::cdRef() const
{
    return kq::platform::formatMonthYear(deposito);
}

QString ChequeRecord::chave() const
{
    return accountKey(form.banco, form.agencia, form.conta);
}

ChequeCheck checkCheque(const QString &dbPath, const ChequeForm &form)
{
    ChequeCheck c;
    c.record.form = form;
    if (!exists(dbPath, QStringLiteral("DESTINOS"), QStringLiteral("CD_DEstino"), form.destino)) {
        c.refusal = ChequeText::semDestino;
        return c;
    }
    if (!exists(dbPath, QStringLiteral("SITUACOES"), QStringLiteral("CD_situacao"),
                form.situacao)) {
        c.refusal = ChequeText::semSituacao;
        return c;
    }
    if (form.valor.trimmed().isEmpty()) {
        c.refusal = ChequeText::valorZerado;
        return c;
    }
    const auto valor = kq::platform::parseNumber(form.valor);
    if (!valor) {
        c.refusal = ChequeText::valorInvalido;
        return c;
    }
    // Stored as shown: cents, so a value that shows as 0,00 is zero.
    if (kq::platform::roundHalfAway(*valor, 2) <= 0) {
        c.refusal = ChequeText::valorZerado;
        return c;
    }
    if (!exists(dbPath, QStringLiteral("CLIENTES"), QStringLiteral("CD_cliente"), form.cliente)) {
        c.refusal = ChequeText::semInadimplente;
        return c;
    }
    if (!exists(dbPath, QStringLiteral("lojas"), QStringLiteral("CD_loja"), form.loja)) {
        c.refusal = ChequeText::semLoja;
        return c;
    }
    const auto deposito = kq::platform::parseDate(form.deposito);
    if (!deposito) {
        c.refusal = ChequeText::dataInvalida;
        return c;
    }
    c.record.valor = *valor;
    c.record.deposito = *deposito;
    return c;
}

QString includeCheque(const QString &dbPath, const ChequeRecord &cheque, const QDate &today)
{
    kq::data::Transaction t(dbPath);
    const QString key = kq::data::nextKey(dbPath, QStringLiteral("DEVOLVIDOS"),
                                          QStringLiteral("CD_DEVOLVIDO"), 10);
    QVariantList values{key};
    values += fieldValues(cheque, today);
    kq::data::exec(dbPath,
                   QStringLiteral("INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, %1) VALUES "
                                  "(?%2)")
                       .arg(kFieldList, QStringLiteral(", ?").repeated(values.size() - 1)),
                   values);
    t.commit();
    return key;
}

bool chequeExists(const QString &dbPath, const QString &key)
{
    return exists(dbPath, QStringLiteral("DEVOLVIDOS"), QStringLiteral("CD_DEVOLVIDO"), key);
}

bool alterCheque(const QString &dbPath, const QString &key, const ChequeRecord &cheque,
                 const QDate &today)
{
    if (key.isEmpty())
        return false;
    QStringList sets;
    for (const QString &f : kFieldList.split(QStringLiteral(", ")))
        sets << f + QStringLiteral(" = ?");
    QVariantList values = fieldValues(cheque, today);
    values << key;
    QSqlQuery q = kq::data::exec(dbPath,
                                 QStringLiteral("UPDATE DEVOLVIDOS SET %1 WHERE CD_DEVOLVIDO = ?")
                                     .arg(sets.join(QStringLiteral(", "))),
                                 values);
    return q.numRowsAffected() > 0;
}

bool deleteCheque(const QString &dbPath, const QString &key)
{
    if (key.isEmpty())
        return false;
    QSqlQuery q = kq::data::exec(
        dbPath, QStringLiteral("DELETE FROM DEVOLVIDOS WHERE CD_devolvido = ?"), {key});
    return q.numRowsAffected() > 0;
}

std::optional<Issuer> issuerOfAccount(const QString &dbPath, const QString &chave)
{
    QSqlQuery q = kq::data::exec(dbPath,
                                 QStringLiteral("SELECT nm_emitente, nr_documento FROM DEVOLVIDOS "
                                                "WHERE CD_CHAVE = ? "
                                                "ORDER BY CD_DEVOLVIDO LIMIT 1"),
                                 {chave});
    if (!q.next())
        return std::nullopt;
    return Issuer{q.value(0).toString(), q.value(1).toString()};
}

std::optional<QString> debtorDocument(const QString &dbPath, const QString &cliente)
{
    QSqlQuery q = kq::data::exec(dbPath,
                                 QStringLiteral("SELECT nr_documento FROM CLIENTES "
                                                "WHERE CD_cliente = ? LIMIT 1"),
                                 {cliente});
    if (!q.next())
        return std::nullopt;
    return q.value(0).toString();
}

std::optional<QString> firstChequeOfDocument(const QString &dbPath, const QString &documento)
{
    const QVariant key = kq::data::scalar(dbPath,
                                          QStringLiteral("SELECT CD_DEVOLVIDO FROM DEVOLVIDOS "
                                                         "WHERE nr_DOCUMENTO = ? "
                                                         "ORDER BY CD_DEVOLVIDO LIMIT 1"),
                                          {documento});
    if (!key.isValid())
        return std::nullopt;
    return key.toString();
}

kq::data::RecordSource debtorHistorySource(const QString &cliente)
{
    return {QStringLiteral("SELECT devolvidos.cd_cliente,devolvidos.cd_alinea, "
                           "DEVOLVIDOS.DT_DEPOSITO, situacoes.ds_situacao, DEVOLVIDOS.VL_CHEQUE "
                           "From DEVOLVIDOS inner join situacoes on "
                           "devolvidos.cd_situacao=situacoes.cd_situacao where cd_cliente=? "
                           "order by dt_deposito"),
            {cliente}};
}

kq::data::RecordSource documentHistorySource(const QString &documento)
{
    return {QStringLiteral("SELECT devolvidos.cd_cliente, DEVOLVIDOS.DT_DEPOSITO, "
                           "situacoes.ds_situacao, DEVOLVIDOS.VL_CHEQUE From DEVOLVIDOS inner "
                           "join situacoes on devolvidos.cd_situacao=situacoes.cd_situacao "
                           "where nr_documento=? order by dt_deposito"),
            {documento}};
}

} // namespace kq::collection
