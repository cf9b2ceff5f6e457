#pragma once

#include <QDate>
#include <QString>

// Selection formulas of the report launchers, in the report engine's
// formula language: fields {table.field}, dates #YYYY/MM/DD#, codes as the
// language's texts (kq::platform::formulaText), which the engine binds as
// values. Both ends of a period count.
namespace kq::queries {

QString formulaDate(const QDate &date); // "2026/03/01"

// frelatorios: "Empresa" (one store) and "Todos".
QString formulaChequesLoja(const QString &loja, const QDate &d1, const QDate &d2);
QString formulaChequesTodos(const QDate &d1, const QDate &d2);
// frelatoriosvantesca and frelatorioscliente.
QString formulaVantesca(const QDate &d1, const QDate &d2);
QString formulaVantescaCliente(const QString &cliente, const QDate &d1, const QDate &d2);
// frelatoriosfinanceiros: "Acordos" and "Parcelamento", by store or all.
QString formulaAcordosLoja(const QDate &d1, const QDate &d2, const QString &loja);
QString formulaAcordosGeral(const QDate &d1, const QDate &d2);
QString formulaParcelasLoja(const QDate &d1, const QDate &d2, const QString &loja);
QString formulaParcelasGeral(const QDate &d1, const QDate &d2);

} // namespace kq::queries
