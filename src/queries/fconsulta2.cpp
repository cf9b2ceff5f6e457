#include "queries/fconsulta2.h"

#include "platform/grid/gridex.h"
#include "queries/querycolumns.h"
#include "queries/rules/queryfilters.h"

namespace kq::queries {

namespace {
constexpr int kValor = 6;
constexpr int kHonorarios = 8;
constexpr int kStatus = 9;

const QueryColumn kColumns[] = {
    {"Acordo", "cd_acordo", 2, 60},
    {"Parcela", "cd_parcela", 3, 55},
    {"Empresa", "ds_loja", 4, 170},
    {"Devedor", "NM_CLIENTE", 5, 200},
    {"Tel Contato", "NR_TELEFONES", 6, 120},
    {"Valor", "vl_parcela", 7, 95, "Currency"},
    {"Vencimento", "dt_vencimento", 8, 85, "dd/mm/yyyy"},
    {"Honorários", "vl_honorarios", 9, 90},
    {"Status", "cd_status", 1, 115},
};
} // namespace

fconsulta2::fconsulta2(QWidget *parent)
    : QueryScreen(QStringLiteral("fconsulta2"), QStringLiteral("ffiltros2"), parent)
{
    setWindowTitle(QStringLiteral("CONSULTAS DE PARCELAMENTOS"));
    addQueryColumns(GridEX1, kColumns);
    GridEX1->column(kStatus).setKey(QStringLiteral("cd_statis"));

    bindLoadQuery();
    bindDropDown(GridEX2, QStringLiteral("cd_status"), QStringLiteral("ds_status"),
                 QStringLiteral("SELECT * FROM status ORDER BY ds_status"));
    GridEX1->addFormatStyle(QStringLiteral("A"), QColor(255, 0, 0));
    GridEX1->addFormatStyle(QStringLiteral("B"), QColor(0, 0, 255));
    GridEX1->column(kStatus).setDropDown(GridEX2);
}

QString fconsulta2::loadQuery() const
{
    return instalmentLoadQuery();
}

void fconsulta2::formatRow(kq::platform::GridRow &row)
{
    if (row.isRecord())
        row.setStyleName(row.value(kStatus).toString());
    else if (row.isGroupHeader())
        row.setGroupCaption(instalmentGroupCaption(row.groupCaption(), row.groupSum(kValor),
                                                   row.groupSum(kHonorarios)));
}

} // namespace kq::queries
