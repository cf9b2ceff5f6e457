#include "collection/fbaixar.h"

#include "collection/rules/writeoff.h"
#include "data/datafolder.h"
#include "platform/dtpicker.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kq::collection {

namespace {
const QString kName = QStringLiteral("fbaixar");
}

fbaixar::fbaixar(QWidget *parent)
    : Screen(kName, parent)
{
    setWindowTitle(QStringLiteral("Seleção de Baixa"));
    resize(860, 520);

    dt_inicio = new kq::platform::DTPicker(this);
    dt_inicio->setObjectName(QStringLiteral("dt_inicio"));
    dt_fim = new kq::platform::DTPicker(this);
    dt_fim->setObjectName(QStringLiteral("dt_fim"));
    auto *from = new QLabel(QStringLiteral("Periodo:"), this);
    from->setBuddy(dt_inicio);
    dt_inicio->setAccessibleName(from->text());
    auto *to = new QLabel(QStringLiteral("A"), this);
    to->setBuddy(dt_fim);
    dt_fim->setAccessibleName(to->text());
    Command1 = new QPushButton(QStringLiteral("Filtrar"), this);
    Command1->setObjectName(QStringLiteral("Command1"));

    GridEX1 = new kq::platform::GridEX(this);
    GridEX1->setObjectName(QStringLiteral("GridEX1"));
    const struct
    {
        const char *caption;
        const char *field;
        int width;
    } columns[] = {{"Inadimplente", "NM_CLIENTE", 200}, {"Acordo", "cd_acordo", 60},
                   {"Parcela", "cd_parcela", 55},       {"Valor", "vl_parcela", 80},
                   {"Vencimento", "dt_vencimento", 85}, {"Parcelas", "nr_parcelas", 60},
                   {"Cliente", "ds_loja", 180}};
    for (const auto &c : columns)
        GridEX1->addColumn(QString::fromLatin1(c.field), QString::fromUtf8(c.caption), c.width);
    GridEX1->column(4).setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    GridEX1->column(5).setFormat(QStringLiteral("dd/mm/yyyy"));
    GridEX1->column(6).setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    GridEX1->setHeaderSort(true);
    GridEX1->setAlternatingRowColors(QColor(113, 247, 206), Qt::white);
    GridEX1->setGroupByBoxCaption(QStringLiteral("Traga a coluna a ser Agrupada"));
    GridEX1->setGroupByBoxVisible(true);
    GridEX1->setMultiSelect(false);
    GridEX1->setDatabaseName(kq::shell::dataPath(kq::data::kDevolvidos));

    navigator = new QLabel(this);
    navigator->setObjectName(QStringLiteral("navigator"));
    Command3 = new QPushButton(QStringLiteral("Baixar"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command2 = new QPushButton(QStringLiteral("&Sair"), this);
    Command2->setObjectName(QStringLiteral("Command2"));

    auto *period = new QHBoxLayout;
    period->addWidget(from);
    period->addWidget(dt_inicio);
    period->addWidget(to);
    period->addWidget(dt_fim);
    period->addWidget(Command1);
    period->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(navigator);
    buttons->addStretch();
    buttons->addWidget(Command3);
    buttons->addWidget(Command2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(period);
    layout->addWidget(GridEX1, 1);
    layout->addLayout(buttons);
    updateNavigator();

    connectTrapped(Command1, &QPushButton::clicked, [this] { Command1_Click(); });
    connectTrapped(Command3, &QPushButton::clicked,
                   [] { kq::platform::ScreenRegistry::instance().show(QStringLiteral("fbaixa")); });
    connectTrapped(Command2, &QPushButton::clicked, &QWidget::close);
    connectTrapped(GridEX1, &kq::platform::GridEX::rowChanged, [this] { updateNavigator(); });
    connectTrapped(GridEX1, &kq::platform::GridEX::refreshed, [this] { updateNavigator(); });
}

void fbaixar::Command1_Click()
{
    kq::shell::trap(kName, [&] {
        GridEX1->setRecordSource(openInstalmentsSource(dt_inicio->value(), dt_fim->value()));
        GridEX1->rebind();
        GridEX1->refresh();
    });
}

void fbaixar::refreshList()
{
    if (GridEX1->recordSource().isEmpty())
        return;
    kq::shell::trap(kName, [&] { GridEX1->refresh(); });
}

std::optional<fbaixar::InstalmentRow> fbaixar::currentInstalment() const
{
    if (!GridEX1->hasCurrentRecord())
        return std::nullopt;
    return InstalmentRow{GridEX1->value(2).toString(), GridEX1->value(3).toString()};
}

void fbaixar::updateNavigator()
{
    int position = 0;
    if (GridEX1->hasCurrentRecord()) {
        // Records before the current row, group rows left out.
        for (int row = 0; row <= GridEX1->currentRow(); ++row)
            if (GridEX1->rowType(row) == kq::platform::RowType::Record)
                ++position;
    }
    navigator->setText(
        QStringLiteral("Registro: %1 de %2").arg(position).arg(GridEX1->recordCount()));
}

} // namespace kq::collection
