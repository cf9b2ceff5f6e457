#include "queries/frelatoriosfinanceiros.h"

#include "platform/dbcombo.h"
#include "platform/dtpicker.h"
#include "platform/form.h"
#include "queries/filelistbox.h"
#include "queries/rules/reportformulas.h"
#include "queries/reportlauncher.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kq::queries {

using kq::platform::form::button;

frelatoriosfinanceiros::frelatoriosfinanceiros(QWidget *parent)
    : ReportLauncher(QStringLiteral("frelatoriosfinanceiros"), parent)
{
    setWindowTitle(QStringLiteral("Relatórios Financeiros"));
    resize(820, 420);
    const QString lojas = QStringLiteral("select * from  lojas order by cd_loja");
    diretorio = reportList(QStringLiteral("diretorio"), QStringLiteral("4_*.rpt"), this);
    diretorio1 = reportList(QStringLiteral("diretorio1"), QStringLiteral("5_*.rpt"), this);
    cd_loja = lookupCombo(QStringLiteral("cd_loja"), lojas, QStringLiteral("ds_loja"),
                          QStringLiteral("cd_loja"), this);
    cd_loja1 = lookupCombo(QStringLiteral("cd_loja1"), lojas, QStringLiteral("ds_loja"),
                           QStringLiteral("cd_loja"), this);
    QWidget *periodo
        = periodFrame(QStringLiteral("Intervalo de Datas"), QStringLiteral("dt_inicio"),
                      QStringLiteral("dt_fim"), &dt_inicio, &dt_fim, this);
    QWidget *periodo1
        = periodFrame(QStringLiteral("Intervalo de Datas"), QStringLiteral("dt_inicio1"),
                      QStringLiteral("dt_fim1"), &dt_inicio1, &dt_fim1, this);
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("&Executar Por Cliente"), this);
    Command3 = button(QStringLiteral("Command3"), QStringLiteral("&Executar Geral"), this);
    Command4 = button(QStringLiteral("Command4"), QStringLiteral("&Executar Por Cliente"), this);
    Command5 = button(QStringLiteral("Command5"), QStringLiteral("&Executar Geral"), this);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("&Sair"), this);

    auto *root = new QVBoxLayout(this);
    auto *panels = new QHBoxLayout;
    panels->addWidget(
        panel(QStringLiteral("Acordos"), diretorio, cd_loja, periodo, Command2, Command3));
    panels->addWidget(
        panel(QStringLiteral("Parcelamento"), diretorio1, cd_loja1, periodo1, Command4, Command5));
    root->addLayout(panels, 1);
    auto *sair = new QHBoxLayout;
    sair->addStretch();
    sair->addWidget(Command1);
    root->addLayout(sair);

    connectTrapped(Command1, &QPushButton::clicked, [this] { Command1_Click(); });
    connectTrapped(Command2, &QPushButton::clicked, [this] { Command2_Click(); });
    connectTrapped(Command3, &QPushButton::clicked, [this] { Command3_Click(); });
    connectTrapped(Command4, &QPushButton::clicked, [this] { Command4_Click(); });
    connectTrapped(Command5, &QPushButton::clicked, [this] { Command5_Click(); });
}

QWidget *frelatoriosfinanceiros::panel(const QString &title, FileListBox *list,
                                       kq::platform::DBCombo *loja, QWidget *period,
                                       QPushButton *porCliente, QPushButton *geral)
{
    auto *box = new QGroupBox(title, this);
    auto *layout = new QVBoxLayout(box);
    list->setParent(box);
    layout->addWidget(list, 1);
    auto *lojaRow = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("Cliente"), box);
    label->setBuddy(loja);
    loja->setParent(box);
    lojaRow->addWidget(label);
    lojaRow->addWidget(loja, 1);
    layout->addLayout(lojaRow);
    period->setParent(box);
    layout->addWidget(period);
    auto *buttons = new QHBoxLayout;
    porCliente->setParent(box);
    geral->setParent(box);
    buttons->addWidget(porCliente);
    buttons->addWidget(geral);
    layout->addLayout(buttons);
    return box;
}

void frelatoriosfinanceiros::Command2_Click()
{
    runChosenReport(*CrystalReport1, diretorio,
                    formulaAcordosLoja(dt_inicio->value(), dt_fim->value(), cd_loja->boundText()));
}

void frelatoriosfinanceiros::Command3_Click()
{
    runChosenReport(*CrystalReport1, diretorio,
                    formulaAcordosGeral(dt_inicio->value(), dt_fim->value()));
}

void frelatoriosfinanceiros::Command4_Click()
{
    runChosenReport(
        *CrystalReport1, diretorio1,
        formulaParcelasLoja(dt_inicio1->value(), dt_fim1->value(), cd_loja1->boundText()));
}

void frelatoriosfinanceiros::Command5_Click()
{
    runChosenReport(*CrystalReport1, diretorio1,
                    formulaParcelasGeral(dt_inicio1->value(), dt_fim1->value()));
}

} // namespace kq::queries
