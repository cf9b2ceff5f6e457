#include "queries/rules/reportformulas.h"

#include "core/selectionformula.h"

namespace kq::queries {

using kq::platform::formulaText;

namespace {

// "{f} >=  #d1# AND {f} <= #d2#"
QString period(const QString &field, const QDate &d1, const QDate &d2)
{
    return field + QStringLiteral(" >=  #") + formulaDate(d1) + QStringLiteral("# AND ") + field
           + QStringLiteral(" <= #") + formulaDate(d2) + QLatin1Char('#');
}

} // namespace

QString formulaDate(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

QString formulaChequesLoja(const QString &loja, const QDate &d1, const QDate &d2)
{
    return QStringLiteral("{devolvidos.cd_loja}= ") + formulaText(loja) + QStringLiteral(" AND ")
           + formulaChequesTodos(d1, d2);
}

QString formulaChequesTodos(const QDate &d1, const QDate &d2)
{
    return period(QStringLiteral("{devolvidos.dt_deposito}"), d1, d2);
}

QString formulaVantesca(const QDate &d1, const QDate &d2)
{
    return period(QStringLiteral("{VANTESCA.dt_VANTESCA}"), d1, d2);
}

QString formulaVantescaCliente(const QString &cliente, const QDate &d1, const QDate &d2)
{
    return QStringLiteral("{VANTESCA.cd_CLIENTE}= ") + formulaText(cliente)
           + QStringLiteral(" AND ") + formulaVantesca(d1, d2);
}

QString formulaAcordosLoja(const QDate &d1, const QDate &d2, const QString &loja)
{
    return formulaAcordosGeral(d1, d2) + QStringLiteral(" and {acordos.cd_loja}=")
           + formulaText(loja);
}

QString formulaAcordosGeral(const QDate &d1, const QDate &d2)
{
    return period(QStringLiteral("{acordos.dt_acordo}"), d1, d2);
}

QString formulaParcelasLoja(const QDate &d1, const QDate &d2, const QString &loja)
{
    return formulaParcelasGeral(d1, d2) + QStringLiteral(" and {parcelas.cd_loja}=")
           + formulaText(loja);
}

QString formulaParcelasGeral(const QDate &d1, const QDate &d2)
{
    return period(QStringLiteral("{parcelas.dt_vencimento}"), d1, d2);
}

} // namespace kq::queries
