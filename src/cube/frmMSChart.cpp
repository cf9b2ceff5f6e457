#include "cube/frmMSChart.h"

#include "cube/CubeToChartData.h"
#include "platform/chart/mschart.h"
#include "platform/cube/dcube.h"

#include <QGroupBox>
#include <QRadioButton>

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
    Frame1->setGeometry(twips(0, 7080, 4815, 1455));

    struct Option
    {
        QRadioButton **member;
        const char *name;
        const char *caption;
        int left;
        int top;
        int width;
    };
    const Option options[] = {
        {&opcao1, "opcao1", "Barra 3D", 120, 240, 1695},
        {&opcao2, "opcao2", "Barra 2D", 120, 480, 1695},
        {&opcao3, "opcao3", "Pie 2D", 3000, 240, 1335},
        {&linha3d, "linha3d", "Linhas 3D", 1200, 240, 1695},
        {&linha2d, "linha2d", "Linhas 2D", 1200, 480, 1695},
        {&area3d, "area3d", "Área 3D", 120, 720, 975},
        {&area2d, "area2d", "Área 2D", 120, 960, 975},
        {&step3d, "step3d", "Step 3D", 1200, 720, 1695},
        {&step2d, "step2d", "Step 2D", 1200, 960, 1695},
    };
    // Created in the tab order of the design.
    QWidget *previous = nullptr;
    for (const Option &o : options) {
        auto *button = new QRadioButton(QString::fromUtf8(o.caption), Frame1);
        button->setObjectName(QLatin1String(o.name));
        button->setGeometry(twips(o.left, o.top, o.width, 255));
        connect(button, &QRadioButton::clicked, this, &frmMSChart::ApplyChartType);
        if (previous)
            setTabOrder(previous, button);
        previous = button;
        *o.member = button;
    }
}

void frmMSChart::ApplyChartType()
{
    const std::pair<QRadioButton *, int> types[] = {
        {opcao1, kq::platform::VtChChartType3dBar},  {opcao2, kq::platform::VtChChartType2dBar},
        {opcao3, kq::platform::VtChChartType2dPie},  {area3d, kq::platform::VtChChartType3dArea},
        {area2d, kq::platform::VtChChartType2dArea}, {linha3d, kq::platform::VtChChartType3dLine},
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
