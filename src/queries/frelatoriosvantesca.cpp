#include "queries/frelatoriosvantesca.h"

#include "platform/dtpicker.h"
#include "queries/filelistbox.h"
#include "queries/rules/reportformulas.h"
#include "queries/reportlauncher.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>

namespace kq::queries {

frelatoriosvantesca::frelatoriosvantesca(QWidget *parent)
    : ReportLauncher(QStringLiteral("frelatoriosvantesca"), parent)
{
    setWindowTitle(QStringLiteral("Relatórios do Sistema"));
    resize(560, 320);
    auto *root = new QGridLayout(this);
    diretorio = reportList(QStringLiteral("diretorio"), QStringLiteral("2_*.rpt"), this);
    root->addWidget(diretorio, 0, 0, 2, 1);
    root->addWidget(periodFrame(QStringLiteral("Período"), QStringLiteral("dt_inicio"),
                                QStringLiteral("dt_fim"), &dt_inicio, &dt_fim, this),
                    0, 1, Qt::AlignTop);
    root->addLayout(runButtons(this, &Command2, &Command1), 1, 1, Qt::AlignBottom);
    connectTrapped(Command2, &QPushButton::clicked, [this] { Command2_Click(); });
    connectTrapped(Command1, &QPushButton::clicked, [this] { Command1_Click(); });
}

QString frelatoriosvantesca::formula() const
{
    return formulaVantesca(dt_inicio->value(), dt_fim->value());
}

void frelatoriosvantesca::Command2_Click()
{
    runChosenReport(*CrystalReport1, diretorio, formula());
}

} // namespace kq::queries
