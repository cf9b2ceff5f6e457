#include "queries/fconsultas1.h"

#include "platform/grid/gridex.h"
#include "queries/querycolumns.h"
#include "queries/rules/queryfilters.h"
#include "registers/storecolors.h"
#include "shell/services/procedures.h"

namespace kq::queries {

namespace {
const QString kName = QStringLiteral("fconsultas1");
constexpr int kValor = 6;
constexpr int kLoja = 15;

const QueryColumn kColumns[] = {
    {"Cliente", "NM_CLIENTE", 1, 200},
    {"Loja", "DS_LOJA", 2, 160},
    {"Chave", "CD_DEVOLVIDO", 3, 90, "", false, true},
    {"Cadastro", "DT_VANTESCA", 4, 80, "dd/mm/yyyy"},
    {"Depósito", "DT_DEPOSITO", 5, 80, "dd/mm/yyyy"},
    {"Valor", "VL_CHEQUE", 6, 95, "Currency", true},
    {"BNC", "CD_BANCO", 8, 40},
    {"AG", "CD_AGENCIA", 9, 50},
    {"Conta", "CD_CONTA", 10, 80},
    {"Cheque", "NR_CHEQUE", 11, 70},
    {"Emitente", "NM_EMITENTE", 12, 170},
    {"Documento", "NR_DOCUMENTO", 13, 110},
    {"Destino", "cd_destino", 14, 110},
    {"Situação", "cd_situacao", 15, 110},
    {"CD_LOJA", "CD_LOJA", 16, 50, "", false, true},
    {"Pagamento", "dt_pagamento", 17, 80, "dd/mm/yyyy"},
    {"Atualizado", "vl_atualizado", 7, 95, "Currency", true},
};
} // namespace

fconsultas1::fconsultas1(QWidget *parent)
    : QueryScreen(kName, QStringLiteral("ffiltros1"), parent)
{
    setWindowTitle(QStringLiteral("CONSULTA DE DOCUMENTOS"));
    addQueryColumns(GridEX1, kColumns);
    GridEX1->column(13).setKey(QStringLiteral("DS_DESTINO"));
    GridEX1->column(14).setKey(QStringLiteral("DS_SITUACAO"));
    GridEX1->setKeyColumn(3);

    bindLoadQuery();
    bindDropDown(GridEX2, QStringLiteral("cd_situacao"), QStringLiteral("ds_situacao"),
                 QStringLiteral("SELECT * FROM situacoes ORDER BY ds_situacao"));
    bindDropDown(GridEX3, QStringLiteral("cd_destino"), QStringLiteral("ds_destino"),
                 QStringLiteral("SELECT * FROM destinos ORDER BY ds_destino"));
    kq::shell::trap(kName, [&] {
        kq::registers::addStoreStyles(GridEX1, databasePath(),
                                      QStringLiteral("select * from  lojas order by ds_loja"));
    });
    GridEX1->column(14).setDropDown(GridEX2);
    GridEX1->column(13).setDropDown(GridEX3);
}

QString fconsultas1::loadQuery() const
{
    return chequeLoadQuery();
}

void fconsultas1::formatRow(kq::platform::GridRow &row)
{
    if (row.isRecord())
        row.setStyleName(row.value(kLoja).toString());
    else if (row.isGroupHeader())
        row.setGroupCaption(chequeGroupCaption(row.groupCaption(), row.groupSum(kValor)));
}

} // namespace kq::queries
