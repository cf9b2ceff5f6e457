#pragma once

// The columns of the cheque query screen (fconsultas1), as the grid
// benchmarks design them over the cheque query.

#include "platform/grid/gridex.h"

#include <QString>

namespace kq::bench {

inline void designChequeColumns(kq::platform::GridEX &g)
{
    using kq::platform::Aggregate;
    g.addColumn(QStringLiteral("nm_cliente"), QStringLiteral("Inadimplente"), 160);
    g.addColumn(QStringLiteral("ds_loja"), QStringLiteral("Empresa"), 100);
    g.addColumn(QStringLiteral("cd_devolvido"), QStringLiteral("Chave")).setVisible(false);
    g.addColumn(QStringLiteral("dt_vantesca"), QStringLiteral("Cadastro"), 80)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    g.addColumn(QStringLiteral("dt_deposito"), QStringLiteral("Depósito"), 80)
        .setFormat(QStringLiteral("dd/mm/yyyy"));
    auto &valor = g.addColumn(QStringLiteral("vl_cheque"), QStringLiteral("Valor"), 90);
    valor.setFormat(QStringLiteral("Currency"));
    valor.setAggregate(Aggregate::Sum);
    g.addColumn(QStringLiteral("cd_banco"), QStringLiteral("BNC"), 40);
    g.addColumn(QStringLiteral("cd_agencia"), QStringLiteral("AG"), 50);
    g.addColumn(QStringLiteral("cd_conta"), QStringLiteral("Conta"), 70);
    g.addColumn(QStringLiteral("nr_cheque"), QStringLiteral("Cheque"), 60);
    g.addColumn(QStringLiteral("nm_emitente"), QStringLiteral("Emitente"), 120);
    g.addColumn(QStringLiteral("nr_documento"), QStringLiteral("Documento"), 90);
    g.addColumn(QStringLiteral("ds_situacao"), QStringLiteral("Situação"), 90);
    g.addColumn(QStringLiteral("vl_atualizado"), QStringLiteral("Atualizado"), 90);
}

} // namespace kq::bench
