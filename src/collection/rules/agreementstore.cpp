#include "collection/rules/agreementstore.h"

#include "data/database.h"
#include "data/jetsql.h"
#include "data/keys.h"
#include "core/format.h"
#include "data/statementparts.h"

#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>

namespace kq::collection {

namespace {

// The text a box shows for a stored term: "0" for Null.
QString termText(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QStringLiteral("0");
    if (v.metaType().id() == QMetaType::QString)
        return v.toString();
    return kq::platform::formatPlain(v.toDouble());
}

QDate storedDate(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

// The cheque recordset's text with the debtor and the store as parameters.
const QString &chequeRecordSource()
{
    static const QString text = kq::data::translateJet(QStringLiteral(
        "SELECT devolvidos.vl_atualizado,devolvidos.cd_situacao,DEVOLVIDOS.CD_CLIENTE,"
        "devolvidos.cd_acordo,devolvidos.cd_situacao,DEVOLVIDOS.CD_LOJA, "
        "CLIENTES.NM_CLIENTE, LOJAS.ds_loja, DEVOLVIDOS.CD_DEVOLVIDO, DEVOLVIDOS.DT_VANTESCA, "
        "DEVOLVIDOS.DT_DEPOSITO, DEVOLVIDOS.VL_CHEQUE, DEVOLVIDOS.CD_BANCO, "
        "DEVOLVIDOS.CD_AGENCIA, DEVOLVIDOS.CD_CONTA, DEVOLVIDOS.NR_CHEQUE, "
        "DEVOLVIDOS.NM_EMITENTE, DEVOLVIDOS.NR_DOCUMENTO, DESTINOS.DS_DESTINO, "
        "SITUACOES.DS_SITUACAO, documentos.DS_documento FROM (SITUACOES INNER JOIN "
        "(DESTINOS INNER JOIN (CLIENTES INNER JOIN (LOJAS INNER JOIN DEVOLVIDOS ON "
        "LOJAS.cd_loja = DEVOLVIDOS.CD_LOJA) ON CLIENTES.CD_CLIENTE = DEVOLVIDOS.CD_CLIENTE) "
        "ON DESTINOS.CD_DESTINO = DEVOLVIDOS.CD_DESTINO) ON SITUACOES.CD_SITUACAO = "
        "DEVOLVIDOS.CD_SITUACAO) INNER JOIN documentos ON DEVOLVIDOS.cd_documento = "
        "documentos.CD_documento where devolvidos.cd_cliente=? and devolvidos.cd_loja=?"
        "  and SITUACOES.CD_ACORDO='0' order by dt_deposito"));
    return text;
}

bool codeTaken(const QString &dbPath, const QString &code)
{
    const QString sql = QStringLiteral("SELECT EXISTS (SELECT 1 FROM acordos WHERE cd_acordo = ?)"
                                       " OR EXISTS (SELECT 1 FROM parcelas WHERE cd_acordo = ?)"
                                       " OR EXISTS (SELECT 1 FROM DEVOLVIDOS WHERE cd_acordo = ?)");
    return kq::data::scalar(dbPath, sql, {code, code, code}).toInt() != 0;
}

// The agreement's cheques as one value of a statement.
kq::data::KeyParameter chequeKeys(const QString &dbPath, const QVector<Cheque> &cheques)
{
    QStringList keys;
    for (const Cheque &c : cheques)
        keys << c.cdDevolvido;
    return kq::data::keyParameter(dbPath, keys);
}

// True when every cheque is still the one the calculation read: the
// debtor's, at the store, open to agreement and with the code it carried.
// The cheques are locked as they are read: another desk saving an agreement
// over them waits here for this one and then finds them taken.
bool chequesStillOpen(const QString &dbPath, const Agreement &agreement,
                      const kq::data::KeyParameter &keys)
{
    QSqlQuery q = kq::data::exec(
        dbPath,
        QStringLiteral("SELECT d.CD_DEVOLVIDO, d.CD_CLIENTE, d.CD_LOJA, s.CD_ACORDO, "
                       "COALESCE(d.cd_acordo, '') FROM DEVOLVIDOS d INNER JOIN "
                       "situacoes s ON s.CD_SITUACAO = d.CD_SITUACAO "
                       "WHERE d.CD_DEVOLVIDO %1%2")
            .arg(keys.in, kq::data::lockedForUpdate(dbPath, QStringLiteral("d.CD_DEVOLVIDO"),
                                                    QStringLiteral("d"))),
        {keys.keys});
    // The key, case-folded -> the code it carries.
    QHash<QString, QString> open;
    while (q.next()) {
        if (q.value(1).toString() == agreement.cdCliente
            && q.value(2).toString() == agreement.cdLoja
            && q.value(3).toString() == QLatin1String("0"))
            open.insert(q.value(0).toString().toCaseFolded(), q.value(4).toString());
    }
    for (const Cheque &c : agreement.cheques) {
        const auto it = open.constFind(c.cdDevolvido.toCaseFolded());
        if (it == open.constEnd() || *it != c.cdAcordo)
            return false;
    }
    return true;
}

} // namespace

std::optional<StoreTerms> loadStoreTerms(const QString &dbPath, const QString &cdLoja)
{
    QSqlQuery q = kq::data::exec(
        dbPath,
        QStringLiteral("SELECT CD_loja, DS_loja, vl_jurospraticado, vl_multa, vl_honorarios, "
                       "nr_parcelasacordo, vl_jurosacordo FROM lojas WHERE CD_loja = ?"),
        {cdLoja});
    if (!q.next())
        return std::nullopt;
    StoreTerms t;
    t.cdLoja = q.value(0).toString();
    t.dsLoja = q.value(1).toString();
    const struct
    {
        int column;
        const char *name;
        double *target;
    } numbers[] = {{2, "vl_jurospraticado", &t.jurosPraticado},
                   {3, "vl_multa", &t.multa},
                   {4, "vl_honorarios", &t.honorarios}};
    for (const auto &n : numbers) {
        const auto v
            = kq::platform::storedNumber(q.value(n.column), kq::platform::NullNumber::Zero);
        if (v)
            *n.target = *v;
        else
            t.invalidFields << QString::fromLatin1(n.name);
    }
    t.nrParcelasAcordo = termText(q.value(5));
    t.jurosAcordo = termText(q.value(6));
    return t;
}

QVector<Cheque> loadEligibleCheques(const QString &dbPath, const QString &cdCliente,
                                    const QString &cdLoja)
{
    QSqlQuery q = kq::data::exec(dbPath, chequeRecordSource(), {cdCliente, cdLoja});
    const QSqlRecord rec = q.record();
    const int key = rec.indexOf(QStringLiteral("CD_DEVOLVIDO"));
    const int deposit = rec.indexOf(QStringLiteral("DT_DEPOSITO"));
    const int value = rec.indexOf(QStringLiteral("VL_CHEQUE"));
    const int agreement = rec.indexOf(QStringLiteral("cd_acordo"));
    QVector<Cheque> cheques;
    while (q.next()) {
        Cheque c;
        c.cdDevolvido = q.value(key).toString();
        c.dtDeposito = storedDate(q.value(deposit));
        c.vlCheque = kq::platform::storedNumber(q.value(value), kq::platform::NullNumber::Zero)
                         .value_or(0.0);
        c.cdAcordo = q.value(agreement).toString();
        cheques << c;
    }
    return cheques;
}

void writeCorrectedValues(const QString &dbPath, const QVector<ChequeCalc> &cheques)
{
    if (cheques.isEmpty())
        return;
    kq::data::Transaction t(dbPath);
    // A value already stored is not written again.
    kq::data::Statement update(dbPath, QStringLiteral("UPDATE DEVOLVIDOS SET vl_atualizado = ? "
                                                      "WHERE CD_DEVOLVIDO = ? "
                                                      "AND vl_atualizado IS NOT ?"));
    for (const ChequeCalc &c : cheques)
        update.run({c.vlAtualizado, c.cdDevolvido, c.vlAtualizado});
    t.commit();
}

QString nextAgreementCode(const QString &dbPath)
{
    QString code
        = kq::data::nextKey(dbPath, QStringLiteral("acordos"), QStringLiteral("cd_acordo"), 5);
    while (codeTaken(dbPath, code))
        code = kq::data::nextKeyAfter(code, 5);
    return code;
}

SaveOutcome saveAgreement(const QString &dbPath, const Agreement &a)
{
    SaveOutcome out;
    if (a.cheques.isEmpty()) {
        out.status = SaveOutcome::NoCheques;
        return out;
    }
    kq::data::Transaction t(dbPath);
    const kq::data::KeyParameter cheques = chequeKeys(dbPath, a.cheques);
    if (!chequesStillOpen(dbPath, a, cheques)) {
        out.status = SaveOutcome::ChequesChanged;
        return out; // nothing written; the transaction rolls back
    }

    const QString code = nextAgreementCode(dbPath);
    kq::data::exec(dbPath,
                   QStringLiteral("INSERT INTO acordos (cd_acordo, dt_acordo, cd_loja, vl_aberto, "
                                  "tx_juros, vl_multa, vl_honorarios, vl_jurosacordo, "
                                  "nr_parcelas, "
                                  "vl_parcela, vl_correcao, CD_CLIENTE, vl_financiado, "
                                  "dt_1vencimento, vl_juros) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                   {code, a.dtAcordo, a.cdLoja, a.vlAberto, a.txJuros, a.vlMulta, a.vlHonorarios,
                    a.vlJurosAcordo, a.nrParcelas, a.vlParcela, a.vlCorrecao, a.cdCliente,
                    a.vlFinanciado, a.dt1Vencimento, a.vlJuros});

    kq::data::Statement instalment(dbPath,
                                   QStringLiteral("INSERT INTO parcelas (cd_acordo, cd_parcela, "
                                                  "cd_loja, vl_parcela, dt_vencimento, "
                                                  "vl_honorarios, CD_CLIENTE, cd_status) "
                                                  "VALUES (?, ?, ?, ?, ?, ?, ?, 'A')"));
    for (int k = 1; k <= a.nrParcelas; ++k) {
        instalment.run({code, kq::platform::formatPadded(k, 2), a.cdLoja, a.vlParcela,
                        dueDate(a.dt1Vencimento, k), a.vlHonorariosParcela, a.cdCliente});
    }

    kq::data::exec(dbPath,
                   QStringLiteral("UPDATE DEVOLVIDOS SET cd_acordo = ?, cd_situacao = '002' "
                                  "WHERE CD_DEVOLVIDO %1")
                       .arg(cheques.in),
                   {code, cheques.keys});
    t.commit();
    out.cdAcordo = code;
    return out;
}

} // namespace kq::collection
