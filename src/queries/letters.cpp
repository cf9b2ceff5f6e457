#include "queries/letters.h"

#include "data/recordset.h"
#include "platform/dialogs.h"
#include "core/format.h"
#include "platform/letters/wordprocessor.h"

#include <QLocale>

namespace kq::queries {

using kq::platform::Dialogs;
using kq::platform::formatDate;
using kq::platform::formatFixed2;

namespace {

const QString kNulo = QStringLiteral("--");

QString orDashes(const QVariant &v, const QString &dashes = kNulo)
{
    return v.isValid() && !v.isNull() ? v.toString() : dashes;
}

bool isNull(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

QString money(const QVariant &v)
{
    return formatFixed2(isNull(v) ? 0.0 : v.toDouble());
}

QString date(const QVariant &v)
{
    return isNull(v) ? kNulo : formatDate(v.toDate());
}

} // namespace

void SubstituiCampo(const QString &campo, const QString &valor, kq::platform::LetterDocument &word)
{
    // A placeholder that is not there is left as it is.
    word.replaceNext(campo, valor);
}

bool fillLetter(const QString &templatePath, const LetterEntries &entries,
                const Escritorio &escritorio)
{
    if (!confirmOfficeParameters(entries, escritorio))
        return false;
    kq::platform::LetterDocument word;
    const auto fail = [&word] {
        if (!word.canceled())
            Dialogs::message(word.errorString(), QString(), kq::platform::Buttons::Ok,
                             kq::platform::Icon::Warning);
        return false;
    };
    if (!word.open(templatePath))
        return fail();
    for (const auto &[campo, valor] : entries)
        SubstituiCampo(campo, valor, word);
    if (!word.show())
        return fail();
    return true;
}

QVariant fieldOrNull(const kq::data::Recordset &rs, const char *field)
{
    if (rs.eof())
        return QVariant();
    const QVariant v = rs.field(QString::fromLatin1(field));
    return v.isNull() ? QVariant() : v;
}

Escritorio escritorio(const kq::data::Recordset &p)
{
    return {fieldOrNull(p, "ds_empresa"), fieldOrNull(p, "ds_endereco"),
            fieldOrNull(p, "ds_cidade"), fieldOrNull(p, "nr_telefone"), fieldOrNull(p, "ds_prazo")};
}

QStringList emptyOfficeParameters(const QStringList &placeholders, const Escritorio &e)
{
    // In the order of the parameters screen.
    const struct
    {
        const char *placeholder;
        const char *caption;
        const QVariant &value;
    } parameters[] = {
        {"@usuario", "Razão Social", e.empresa}, {"@EndComp2", "Endereço", e.endereco},
        {"@cidade", "Cidade", e.cidade},         {"@fone", "Telefones", e.telefone},
        {"@ndias", "Prazo Contato", e.prazo},
    };
    QStringList empty;
    for (const auto &p : parameters) {
        if (placeholders.contains(QLatin1String(p.placeholder))
            && (isNull(p.value) || p.value.toString().trimmed().isEmpty()))
            empty << QString::fromUtf8(p.caption);
    }
    return empty;
}

bool confirmOfficeParameters(const LetterEntries &entries, const Escritorio &e)
{
    QStringList placeholders;
    for (const auto &entry : entries)
        placeholders << entry.first;
    const QStringList empty = emptyOfficeParameters(placeholders, e);
    if (empty.isEmpty())
        return true;
    return Dialogs::message(QStringLiteral("Estes parâmetros do escritório estão em branco: %1."
                                           "\nDeseja emitir assim mesmo?")
                                .arg(empty.join(QStringLiteral(", "))),
                            QString(), kq::platform::Buttons::YesNo, kq::platform::Icon::Question,
                            kq::platform::Answer::Yes)
           == kq::platform::Answer::Yes;
}

QString diaTexto(const QDate &d)
{
    return QString::number(d.day());
}

QString mesTexto(const QDate &d)
{
    return QLocale().monthName(d.month(), QLocale::LongFormat);
}

QString anoTexto(const QDate &d)
{
    return QString::number(d.year());
}

QString linhaDocumento(const QVariant &dsDocumento, const QVariant &dtDeposito,
                       const QVariant &vlCheque, const QVariant &nmCliente,
                       const QVariant &nrDocumento)
{
    // A description longer than 20 characters is kept whole.
    const QString tipo
        = isNull(dsDocumento) ? QString(20, u' ') : dsDocumento.toString().leftJustified(20, u' ');
    const QString deposito = isNull(dtDeposito) ? QString() : formatDate(dtDeposito.toDate());
    const QString valor = isNull(vlCheque) ? QString() : formatFixed2(vlCheque.toDouble());
    return tipo + QStringLiteral(" | ") + deposito + QStringLiteral(" | ") + valor
           + QStringLiteral(" |") + orDashes(nmCliente) + QStringLiteral(" |")
           + (isNull(nrDocumento) ? QString() : nrDocumento.toString()) + QStringLiteral("\r\n");
}

QStringList cartaPlaceholders(const QString &fileName)
{
    const QStringList head = {"@NomeDev", "@Enderecodev", "@Bairrodev", "@cidadedev", "@cepdev",
                              "@cidade",  "@dia",         "@mes",       "@ano"};
    if (fileName == QLatin1String("Carta Branda.doc"))
        return head + QStringList{"@NomeDev", "@CPF/CNPJDev", "@nomecliente", "@documentos",
                                  "@ndias",   "@fone",        "@usuario"};
    if (fileName == QLatin1String("Carta Incisiva.doc")
        || fileName == QLatin1String("Carta Notificacao.doc"))
        return head
               + QStringList{"@NomeDev", "@CPF/CNPJDev", "@nomecliente", "@documentos", "@usuario"};
    if (fileName == QLatin1String("Carta IncisivaTerm.doc"))
        return head
               + QStringList{"@nomecliente", "@NomeDev", "@CPF/CNPJDev", "@documentos", "@usuario"};
    if (fileName == QLatin1String("Carta Intermediaria.doc"))
        return head + QStringList{"@NomeDev", "@CPF/CNPJDev", "@nomecliente", "@documentos",
                                  "@ndias",   "@EndComp2",    "@usuario"};
    return {};
}

QHash<QString, QString> cartaValores(const CartaDados &d)
{
    QHash<QString, QString> v;
    v["@NomeDev"] = orDashes(d.nmCliente);
    v["@Enderecodev"] = orDashes(d.dsEndereco);
    v["@Bairrodev"] = orDashes(d.dsBairro);
    v["@cidadedev"] = orDashes(d.dsCidade);
    v["@cepdev"] = orDashes(d.cdCep);
    if (isNull(d.nrDocumento))
        v["@CPF/CNPJDev"] = QStringLiteral("---------");
    else if (d.nrDocumento.toString().isEmpty())
        v["@CPF/CNPJDev"] = QStringLiteral("-----");
    else
        v["@CPF/CNPJDev"] = d.nrDocumento.toString();
    v["@cidade"] = orDashes(d.escritorio.cidade);
    v["@fone"] = orDashes(d.escritorio.telefone);
    v["@EndComp2"] = orDashes(d.escritorio.endereco);
    v["@usuario"] = orDashes(d.escritorio.empresa);
    v["@ndias"] = orDashes(d.escritorio.prazo);
    v["@nomecliente"] = d.nomeLoja;
    v["@dia"] = diaTexto(d.hoje);
    v["@mes"] = mesTexto(d.hoje);
    v["@ano"] = anoTexto(d.hoje);
    v["@documentos"] = d.documentos;
    return v;
}

LetterEntries cartaEntries(const QString &fileName, const CartaDados &d)
{
    const QHash<QString, QString> values = cartaValores(d);
    LetterEntries entries;
    for (const QString &campo : cartaPlaceholders(fileName))
        entries.append({campo, values.value(campo)});
    return entries;
}

LetterEntries confissaoEntries(const ConfissaoDados &d)
{
    const QString documento = orDashes(d.nrDocumento);
    const QString nome = orDashes(d.nmCliente);
    const QString endereco = orDashes(d.dsEndereco);
    const QString parcela = money(d.vlParcela);
    const QString vencimento = date(d.dt1Vencimento);
    const QString parcelas
        = isNull(d.nrParcelas) ? kNulo : kq::platform::formatPlain(d.nrParcelas.toDouble());
    return {
        {"@CPF/CNPJDev", documento},
        {"@NomeDev", nome},
        {"@Endereco", endereco},
        {"@Bairro", orDashes(d.dsBairro)},
        {"@Telefone", orDashes(d.nrTelefones)},
        {"@cidade", orDashes(d.escritorio.cidade)},
        {"@dia", diaTexto(d.hoje)},
        {"@mes", mesTexto(d.hoje)},
        {"@ano", anoTexto(d.hoje)},
        {"@valordevido", money(d.vlAberto)},
        {"@desconto", money(d.vlDesconto)},
        {"@ValorAC", money(d.vlFinanciado)},
        {"@Entrada", parcela},
        {"@DataEntrada", vencimento},
        {"@QtdParcelas", parcelas},
        {"@ValorParc", parcela},
        {"@VencimentoParc", vencimento},
        {"@NomeDev1", nome},
        {"@Endereco1", endereco},
        {"@CPF/CNPJDev", documento},
        {"@NomeDev2", nome},
    };
}

} // namespace kq::queries
