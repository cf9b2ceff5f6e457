#include "queries/frelatorios.h"

#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "queries/filelistbox.h"
#include "queries/rules/reportformulas.h"
#include "queries/reportlauncher.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace kq::queries {

frelatorios::frelatorios(QWidget *parent)
    : ReportLauncher(QStringLiteral("frelatorios"), parent)
{
    setWindowTitle(QStringLiteral("Relatórios do Sistema"));
    resize(560, 380);
    auto *root = new QGridLayout(this);
    diretorio = reportList(QStringLiteral("diretorio"), QStringLiteral("1_*.rpt"), this);
    root->addWidget(diretorio, 0, 0, 3, 1);
    root->addWidget(periodFrame(QStringLiteral("Período"), QStringLiteral("dt_inicio"),
                                QStringLiteral("dt_fim"), &dt_inicio, &dt_fim, this),
                    0, 1);
    auto *escolha = new QGroupBox(this);
    auto *el = new QGridLayout(escolha);
    empresa = new QRadioButton(QStringLiteral("Empresa"), escolha);
    empresa->setObjectName(QStringLiteral("empresa"));
    todos = new QRadioButton(QStringLiteral("Todos"), escolha);
    todos->setObjectName(QStringLiteral("todos"));
    cd_loja = lookupCombo(QStringLiteral("cd_loja"),
                          QStringLiteral("select * from  lojas order by ds_loja"),
                          QStringLiteral("ds_loja"), QStringLiteral("cd_loja"), escolha);
    el->addWidget(empresa, 0, 0);
    el->addWidget(todos, 0, 1);
    el->addWidget(cd_loja, 1, 0, 1, 2);
    root->addWidget(escolha, 1, 1);
    root->addLayout(runButtons(this, &Command2, &Command1), 2, 1, Qt::AlignBottom);
    connectTrapped(Command2, &QPushButton::clicked, [this] { Command2_Click(); });
    connectTrapped(Command1, &QPushButton::clicked, [this] { Command1_Click(); });
}

QString frelatorios::formula() const
{
    if (empresa->isChecked())
        return formulaChequesLoja(cd_loja->boundText(), dt_inicio->value(), dt_fim->value());
    if (todos->isChecked())
        return formulaChequesTodos(dt_inicio->value(), dt_fim->value());
    return QString();
}

void frelatorios::Command2_Click()
{
    runChosenReport(*CrystalReport1, diretorio, formula());
}

} // namespace kq::queries
