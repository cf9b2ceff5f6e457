#include "cube/frmmschart.h"

#include "cube/cubetochartdata.h"
#include "platform/chart/mschart.h"
#include "cube/engine/dcube.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <algorithm>

namespace kq::cube {

namespace {

// The window's design is in twips (15 to a pixel).
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

} // namespace

frmMSChart::frmMSChart(QWidget *parent)
    : Screen(QStringLiteral("frmMSChart"), parent)
{
    setWindowTitle(QStringLiteral("Olap - Gráficos"));
    setTwipsSize(11880, 8595);

    MSChart = new kq::platform::MSChart(this);
    MSChart->setObjectName(QStringLiteral("MSChart"));
    MSChart->setGeometry(twips(0, 120, 11775, 6840));

    Frame1 = new QGroupBox(QStringLiteral("Opções"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));

    struct Option
    {
        QRadioButton **member;
        const char *name;
        const char *caption;
        int row;
        int column;
    };
    // The design's three columns of options, in its tab order.
    const Option options[] = {
        {&opcao1, "opcao1", "Barra 3D", 0, 0},    {&opcao2, "opcao2", "Barra 2D", 1, 0},
        {&opcao3, "opcao3", "Pie 2D", 0, 2},      {&linha3d, "linha3d", "Linhas 3D", 0, 1},
        {&linha2d, "linha2d", "Linhas 2D", 1, 1}, {&area3d, "area3d", "Área 3D", 2, 0},
        {&area2d, "area2d", "Área 2D", 3, 0},     {&step3d, "step3d", "Step 3D", 2, 1},
        {&step2d, "step2d", "Step 2D", 3, 1},
    };
    auto *grid = new QGridLayout(Frame1);
    grid->setContentsMargins(8, 2, 8, 4);
    grid->setVerticalSpacing(0);
    QWidget *previous = nullptr;
    for (const Option &o : options) {
        auto *button = new QRadioButton(QString::fromUtf8(o.caption), Frame1);
        button->setObjectName(QLatin1String(o.name));
        grid->addWidget(button, o.row, o.column);
        connectTrapped(button, &QRadioButton::clicked, &frmMSChart::ApplyChartType);
        if (previous)
            setTabOrder(previous, button);
        previous = button;
        *o.member = button;
    }
    // The frame keeps its designed place and grows only when its texts need it.
    const QSize need = Frame1->sizeHint();
    const QRect designed = twips(0, 7080, 4815, 1455);
    Frame1->setGeometry(designed.left(), designed.top(), std::max(designed.width(), need.width()),
                        std::max(designed.height(), need.height()));
    if (Frame1->geometry().bottom() >= height())
        resize(width(), Frame1->geometry().bottom() + 4);
}

void frmMSChart::ApplyChartType()
{
    const std::pair<QRadioButton *, int> types[] = {
        {opcao1, kq::platform::VtChChartType3dBar},   {opcao2, kq::platform::VtChChartType2dBar},
        {opcao3, kq::platform::VtChChartType2dPie},   {area3d, kq::platform::VtChChartType3dArea},
        {area2d, kq::platform::VtChChartType2dArea},  {linha3d, kq::platform::VtChChartType3dLine},
        {linha2d, kq::platform::VtChChartType2dLine}, {step3d, kq::platform::VtChChartType3dStep},
        {step2d, kq::platform::VtChChartType2dStep},
    };
    for (const auto &[button, type] : types) {
        if (button->isChecked())
            MSChart->setChartType(type);
    }
}

frmMSChart *showCubeChart(kq::platform::DCube *cube)
{
    frmMSChart *form = nullptr;
    try {
        if (!cube)
            return nullptr;
        form = new frmMSChart;
        CubeToChartData(*cube, *form->MSChart);
        form->show();
        return form;
    } catch (...) {
        delete form;
        return nullptr;
    }
}

} // namespace kq::cube
