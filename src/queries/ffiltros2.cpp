#include "queries/ffiltros2.h"

#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "queries/rules/queryfilters.h"

#include <QBoxLayout>
#include <QPushButton>

namespace kq::queries {

ffiltros2::ffiltros2(QWidget *parent)
    : FilterDialog(QStringLiteral("ffiltros2"), QStringLiteral("fconsulta2"), parent)
{
    setWindowTitle(QStringLiteral("Consulta do Contas a Pagar"));

    QBoxLayout *block = addBlock();
    nm_cliente = addCombo(block, QStringLiteral("Inadimplente:"), QStringLiteral("nm_cliente"),
                          QStringLiteral("select * from  clientes order by nm_cliente"),
                          QStringLiteral("nm_cliente"), QStringLiteral("cd_cliente"));
    Command2 = addButton(block, QStringLiteral("Command2"), QStringLiteral("Executar"));

    block = addBlock();
    loja1 = addCombo(block, QStringLiteral("Empresa:"), QStringLiteral("loja1"),
                     QStringLiteral("select * from  lojas order by ds_loja"),
                     QStringLiteral("ds_loja"), QStringLiteral("cd_loja"));
    inicio = addDate(block, QStringLiteral("De:"), QStringLiteral("inicio"));
    fim = addDate(block, QStringLiteral("A"), QStringLiteral("fim"));
    Command1 = addButton(block, QStringLiteral("Command1"), QStringLiteral("Executar"));

    block = addBlock();
    inicio1 = addDate(block, QStringLiteral("De:"), QStringLiteral("inicio1"));
    fim1 = addDate(block, QStringLiteral("A"), QStringLiteral("fim1"));
    Command4 = addButton(block, QStringLiteral("Command4"), QStringLiteral("Executar"));

    connectTrapped(Command2, &QPushButton::clicked, [this] {
        runFilter(instalmentsByDebtor(nm_cliente->boundText()), {nm_cliente});
    });
    connectTrapped(Command1, &QPushButton::clicked, [this] {
        runFilter(instalmentsByStoreAndPeriod(loja1->boundText(), inicio->value(), fim->value()),
                  {loja1});
    });
    connectTrapped(Command4, &QPushButton::clicked, [this] {
        runFilter(instalmentsByPeriod(databasePath(), inicio1->value(), fim1->value()));
    });
}

} // namespace kq::queries
