#include "queries/frelatorioscliente.h"

#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "queries/filelistbox.h"
#include "queries/rules/reportformulas.h"
#include "queries/reportlauncher.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace kq::queries {

frelatorioscliente::frelatorioscliente(QWidget *parent)
    : ReportLauncher(QStringLiteral("frelatorioscliente"), parent)
{
    setWindowTitle(QStringLiteral("Relatórios de Clientes"));
    resize(560, 340);
    auto *root = new QGridLayout(this);
    diretorio = reportList(QStringLiteral("diretorio"), QStringLiteral("3_*.rpt"), this);
    root->addWidget(diretorio, 0, 0, 3, 1);
    root->addWidget(periodFrame(QStringLiteral("Período"), QStringLiteral("dt_inicio"),
                                QStringLiteral("dt_fim"), &dt_inicio, &dt_fim, this),
                    0, 1);
    auto *cliente = new QHBoxLayout;
    cd_cliente = lookupCombo(QStringLiteral("cd_cliente"),
                             QStringLiteral("select * from  clientes order by nm_cliente"),
                             QStringLiteral("nm_cliente"), QStringLiteral("cd_cliente"), this);
    auto *label = new QLabel(QStringLiteral("Cliente"), this);
    label->setBuddy(cd_cliente);
    cliente->addWidget(label);
    cliente->addWidget(cd_cliente, 1);
    root->addLayout(cliente, 1, 1);
    root->addLayout(runButtons(this, &Command2, &Command1), 2, 1, Qt::AlignBottom);
    connectTrapped(Command2, &QPushButton::clicked, [this] { Command2_Click(); });
    connectTrapped(Command1, &QPushButton::clicked, [this] { Command1_Click(); });
}

QString frelatorioscliente::formula() const
{
    return formulaVantescaCliente(cd_cliente->boundText(), dt_inicio->value(), dt_fim->value());
}

void frelatorioscliente::Command2_Click()
{
    runChosenReport(*CrystalReport1, diretorio, formula());
}

} // namespace kq::queries
