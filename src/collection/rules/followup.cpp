#include "collection/rules/followup.h"

#include "data/database.h"
#include "core/format.h"

#include <QSqlQuery>
#include <cmath>

namespace kq::collection {

namespace {

QDate toDate(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate();
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().date();
    const QString s = v.toString().trimmed();
    QDate d = QDate::fromString(s.left(10), Qt::ISODate);
    if (!d.isValid())
        d = kq::platform::parseDate(s).value_or(QDate());
    return d;
}

} // namespace

std::optional<qint64> DebtTotals::mediaAtraso() const
{
    if (datados <= 0)
        return std::nullopt;
    qint64 q = somaDias / datados;
    if ((somaDias % datados != 0) && ((somaDias < 0) != (datados < 0)))
        --q; // floor, as Int() does
    return q;
}

DebtTotals computeDebtTotals(const QVector<DebtCheque> &cheques, const QDate &today)
{
    DebtTotals t;
    for (const DebtCheque &c : cheques) {
        ++t.cheques;
        const QDate d = toDate(c.deposito);
        if (d.isValid()) {
            ++t.datados;
            t.somaDias += d.daysTo(today);
        }
        if (const auto v = kq::platform::storedNumber(c.valor, kq::platform::NullNumber::Missing))
            t.total += *v;
    }
    return t;
}

QVector<DebtCheque> readDebtCheques(const QString &dbPath, const QString &cliente)
{
    QSqlQuery q = kq::data::exec(
        dbPath,
        QStringLiteral("SELECT DEVOLVIDOS.DT_DEPOSITO, DEVOLVIDOS.VL_CHEQUE From DEVOLVIDOS "
                       "inner join situacoes on devolvidos.cd_situacao=situacoes.cd_situacao "
                       "where devolvidos.cd_cliente=? order by dt_deposito"),
        {cliente});
    QVector<DebtCheque> out;
    while (q.next())
        out.push_back({q.value(0), q.value(1)});
    return out;
}

QString nextContactNumber(const QVariant &contatosMostrados)
{
    qint64 count = 0;
    if (const auto n
        = kq::platform::storedNumber(contatosMostrados, kq::platform::NullNumber::Missing))
        count = qint64(std::floor(*n));
    if (count < 0)
        count = 0;
    return kq::platform::formatPadded(count + 1, 3);
}

bool hasHistoryText(const QString &historico)
{
    return !historico.trimmed().isEmpty();
}

bool saveContact(const QString &dbPath, const Contact &c, const QDate &today)
{
    kq::data::Transaction t(dbPath);
    kq::data::exec(dbPath,
                   QStringLiteral("INSERT INTO VANTESCA (CD_CLIENTE, DT_VANTESCA, DS_HISTORICO, "
                                  "DS_ENVOLVIDO, DS_COBRADOR, CD_VANTESCA) "
                                  "VALUES (?, ?, ?, ?, ?, ?)"),
                   {c.cliente, c.data.isValid() ? QVariant(c.data) : QVariant(), c.historico,
                    c.envolvido, c.cobrador, c.numero});
    QSqlQuery q = kq::data::exec(
        dbPath,
        QStringLiteral("UPDATE CLIENTES SET NR_CONTATOS = COALESCE(NR_CONTATOS, 0) + 1, "
                       "dt_ultimocontato = ? WHERE CD_cliente = ?"),
        {today, c.cliente});
    const bool counted = q.numRowsAffected() > 0;
    t.commit();
    return counted;
}

namespace {
const QString kContactSource = QStringLiteral(
    "SELECT rowid AS kq_rowid, * From VANTESCA where cd_cliente=? and CD_VANTESCA=? "
    "order by dt_vantesca, rowid");
}

bool deleteContact(const QString &dbPath, const QString &cliente, const QString &numero)
{
    QSqlQuery q = kq::data::exec(dbPath, kContactSource, {cliente, numero});
    if (!q.next())
        return false;
    const QVariant rowid = q.value(0);
    q.finish();
    kq::data::exec(dbPath, QStringLiteral("DELETE FROM VANTESCA WHERE rowid = ?"), {rowid});
    return true;
}

std::optional<QString> firstContact(const QString &dbPath, const QString &cliente)
{
    const QVariant v = kq::data::scalar(dbPath,
                                        QStringLiteral("SELECT CD_VANTESCA From VANTESCA where "
                                                       "cd_cliente=? order by dt_vantesca, rowid "
                                                       "LIMIT 1"),
                                        {cliente});
    if (!v.isValid())
        return std::nullopt;
    return v.toString();
}

std::optional<QString> contactHistory(const QString &dbPath, const QString &cliente,
                                      const QString &numero)
{
    QSqlQuery q = kq::data::exec(dbPath, kContactSource, {cliente, numero});
    if (!q.next())
        return std::nullopt;
    return q.value(QStringLiteral("DS_HISTORICO")).toString();
}

kq::data::RecordSource debtorChequesSource(const QString &cliente)
{
    return {QStringLiteral("SELECT DEVOLVIDOS.CD_CLIENTE, DEVOLVIDOS.cd_alinea, "
                           "DEVOLVIDOS.DT_DEPOSITO, situacoes.DS_SITUACAO, DEVOLVIDOS.VL_CHEQUE, "
                           "lojas.ds_loja FROM (DEVOLVIDOS INNER JOIN situacoes ON "
                           "DEVOLVIDOS.CD_SITUACAO = situacoes.CD_SITUACAO) INNER JOIN lojas ON "
                           "DEVOLVIDOS.CD_LOJA = lojas.cd_loja  where cd_cliente=? order by "
                           "dt_deposito"),
            {cliente}};
}

kq::data::RecordSource debtorContactsSource(const QString &cliente)
{
    return {QStringLiteral("SELECT * From VANTESCA where cd_cliente=? order by dt_vantesca"),
            {cliente}};
}

} // namespace kq::collection
