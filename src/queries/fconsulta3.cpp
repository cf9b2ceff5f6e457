#include "queries/fconsulta3.h"

#include "platform/dialogs.h"
#include "platform/grid/gridex.h"
#include "queries/rules/agreementcancel.h"
#include "queries/confissao.h"
#include "queries/querycolumns.h"
#include "queries/rules/queryfilters.h"
#include "shell/services/procedures.h"

#include <QPushButton>

namespace kq::queries {

namespace {
const QString kName = QStringLiteral("fconsulta3");
constexpr int kAcordo = 1;

const QueryColumn kColumns[] = {
    {"Acordo", "cd_acordo", 1, 60},
    {"Data Acordo", "dt_acordo", 4, 85, "dd/mm/yyyy"},
    {"Divida", "vl_aberto", 5, 95, "", true},
    {"% Juros", "tx_juros", 6, 60},
    {"Multa", "vl_multa", 7, 85, "", true},
    {"Honorários", "vl_honorarios", 8, 85, "", true},
    {"Juros", "vl_jurosacordo", 9, 60},
    {"Parcelas", "nr_parcelas", 10, 60},
    {"Valor", "vl_parcela", 11, 85, "", true},
    {"Total Financiado", "vl_financiado", 12, 100},
    {"1º Vencimento", "dt_1vencimento", 13, 90, "dd/mm/yyyy"},
    {"Inadimplente", "NM_CLIENTE", 2, 200},
    {"Empresa", "ds_loja", 3, 160},
};
} // namespace

fconsulta3::fconsulta3(QWidget *parent)
    : QueryScreen(kName, QStringLiteral("ffiltros3"), parent)
{
    setWindowTitle(QStringLiteral("CONSULTAS DE ACORDOS"));
    Command10 = addPanelButton(QStringLiteral("Command10"), QStringLiteral("Cancelar  Acordo"));
    EXCLUIR = addPanelButton(QStringLiteral("EXCLUIR"), QStringLiteral("&Excluir Acordo"));
    EXCLUIR->setToolTip(QStringLiteral("APÓS ESCOLHER O REGISTRO A SER EXCLUIDO CLICK AQUI"));
    Command9 = addPanelButton(QStringLiteral("Command9"), QStringLiteral("Confissão de Dívida"));

    addQueryColumns(GridEX1, kColumns);
    // Cells as stored; group and total figures in currency.
    for (int column : {3, 5, 6, 9})
        GridEX1->column(column).setAggregateFormat(QStringLiteral("Currency"));
    GridEX1->setKeyColumn(kAcordo);

    bindLoadQuery();
    kq::shell::trap(kName, [&] {
        Data4.setDatabaseName(databasePath());
        Data4.setRecordSource(QStringLiteral("select * from  parametros "));
        Data4.refresh();
    });

    connectTrapped(GridEX1, &kq::platform::GridEX::rowChanged, [this] { GridEX1_RowChange(); });
    connectTrapped(Command10, &QPushButton::clicked, [this] { Command10_Click(); });
    connectTrapped(EXCLUIR, &QPushButton::clicked, [this] { EXCLUIR_Click(); });
    connectTrapped(Command9, &QPushButton::clicked, [this] { Command9_Click(); });
}

QString fconsulta3::loadQuery() const
{
    return agreementLoadQuery();
}

QString fconsulta3::allQuery() const
{
    return agreementAllQuery();
}

void fconsulta3::GridEX1_RowChange()
{
    locate(GridEX1->value(kAcordo).toString());
}

void fconsulta3::locate(const QString &cdAcordo)
{
    m_located.clear();
    if (cdAcordo.isEmpty())
        return;
    kq::shell::trap(kName, [&] {
        Data1.setDatabaseName(databasePath());
        Data1.setRecordSource(agreementRecordQuery(cdAcordo));
        Data1.refresh();
        if (!Data1.eof())
            m_located = cdAcordo;
    });
}

QString fconsulta3::actionCode()
{
    const QString code = GridEX1->value(kAcordo).toString();
    if (code.isEmpty() || m_located.isEmpty()) {
        kq::platform::Dialogs::message(QStringLiteral("Escolha na lista o acordo desejado."));
        return QString();
    }
    // The current row and the located record always name one agreement.
    if (code != m_located)
        locate(code);
    return m_located;
}

void fconsulta3::Command10_Click()
{
    const QString code = actionCode();
    if (code.isEmpty())
        return;
    if (kq::platform::Dialogs::message(QStringLiteral("Deseja Cancelar esse acordo ? :") + code,
                                       QStringLiteral("CANCELAMENTO"), kq::platform::Buttons::YesNo,
                                       kq::platform::Icon::Question)
        != kq::platform::Answer::Yes)
        return;
    if (!kq::shell::trap(kName, [&] { cancelAgreement(databasePath(), code); }))
        return;
    locate(code);
    applyRecordSource(GridEX1->recordSource());
    kq::platform::Dialogs::message(QStringLiteral(" Acordo Cancelado com sucesso !!"));
}

void fconsulta3::EXCLUIR_Click()
{
    const QString code = actionCode();
    if (code.isEmpty())
        return;
    WrittenOff writtenOff;
    if (!kq::shell::trap(kName, [&] { writtenOff = writtenOffInstalments(databasePath(), code); }))
        return;
    if (kq::platform::Dialogs::message(deleteQuestion(code, writtenOff), QStringLiteral("EXCLUSÃO"),
                                       kq::platform::Buttons::YesNo, kq::platform::Icon::Question)
        != kq::platform::Answer::Yes)
        return;
    if (!kq::shell::trap(kName, [&] { deleteAgreement(databasePath(), code); }))
        return;
    // Re-opened on the deleted agreement: no record until the next row change.
    locate(code);
    applyRecordSource(GridEX1->recordSource());
    kq::platform::Dialogs::message(QStringLiteral(" Acordo excluido com sucesso !!"));
}

void fconsulta3::Command9_Click()
{
    const QString code = actionCode();
    if (!code.isEmpty())
        confissaoDivida(code);
}

} // namespace kq::queries
