#include "queries/confissao.h"

#include "data/database.h"
#include "data/datafolder.h"
#include "data/dataerror.h"
#include "data/recordset.h"
#include "platform/dialogs.h"
#include "queries/letters.h"
#include "shell/services/appstate.h"

#include <QSqlQuery>

namespace kq::queries {

namespace {

QVariant fieldOf(const QSqlQuery &q, const char *name)
{
    const QVariant v = q.value(QString::fromLatin1(name));
    return v.isNull() ? QVariant() : v;
}

QVariant dateOf(const QSqlQuery &q, const char *name)
{
    const QVariant v = fieldOf(q, name);
    if (!v.isValid())
        return v;
    const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
    return d.isValid() ? QVariant(d) : QVariant();
}

} // namespace

bool confissaoDivida(const QString &cdAcordo)
{
    using kq::platform::Dialogs;
    if (cdAcordo.isEmpty()) {
        Dialogs::message(QStringLiteral("Escolha o acordo da confissão de dívida."));
        return false;
    }
    const QString folder = kq::shell::dataFolder();
    const QString db = kq::data::dataFile(folder, kq::data::kDevolvidos);
    ConfissaoDados d;
    try {
        QSqlQuery q = kq::data::exec(
            db,
            QStringLiteral("SELECT a.vl_aberto, a.vl_desconto, a.vl_financiado, a.vl_parcela, "
                           "a.dt_1vencimento, a.nr_parcelas, c.nm_cliente, c.nr_documento, "
                           "c.DS_ENDERECO, c.DS_BAIRRO, c.NR_TELEFONES "
                           "FROM acordos a INNER JOIN CLIENTES c ON c.CD_CLIENTE = a.CD_CLIENTE "
                           "WHERE a.cd_acordo = ?"),
            {cdAcordo});
        if (!q.next()) {
            Dialogs::message(QStringLiteral("Acordo %1 não encontrado.").arg(cdAcordo));
            return false;
        }
        d.vlAberto = fieldOf(q, "vl_aberto");
        d.vlDesconto = fieldOf(q, "vl_desconto");
        d.vlFinanciado = fieldOf(q, "vl_financiado");
        d.vlParcela = fieldOf(q, "vl_parcela");
        d.dt1Vencimento = dateOf(q, "dt_1vencimento");
        d.nrParcelas = fieldOf(q, "nr_parcelas");
        d.nmCliente = fieldOf(q, "nm_cliente");
        d.nrDocumento = fieldOf(q, "nr_documento");
        d.dsEndereco = fieldOf(q, "DS_ENDERECO");
        d.dsBairro = fieldOf(q, "DS_BAIRRO");
        d.nrTelefones = fieldOf(q, "NR_TELEFONES");
        kq::data::Recordset parametros;
        parametros.setDatabaseName(db);
        parametros.setRecordSource(QStringLiteral("select * from  parametros "));
        parametros.refresh();
        d.escritorio = escritorio(parametros);
    } catch (const kq::data::DataError &e) {
        Dialogs::message(e.description(), QString(), kq::platform::Buttons::Ok,
                         kq::platform::Icon::Warning);
        return false;
    }
    d.hoje = QDate::currentDate();
    return fillLetter(kq::data::dataFile(folder, QStringLiteral("confissaodivida.doc")),
                      confissaoEntries(d), d.escritorio);
}

} // namespace kq::queries
