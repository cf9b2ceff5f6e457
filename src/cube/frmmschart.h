#pragma once

#include "platform/screen.h"

class QGroupBox;
class QRadioButton;

namespace kq::platform {
class DCube;
class MSChart;
} // namespace kq::platform

namespace kq::cube {

// A chart of a block of the cube, taken when the window is made; the user
// chooses one of nine chart types. Every opening makes a new window.
class frmMSChart : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit frmMSChart(QWidget *parent = nullptr);

    kq::platform::MSChart *MSChart = nullptr;
    QGroupBox *Frame1 = nullptr;
    QRadioButton *opcao1 = nullptr;
    QRadioButton *opcao2 = nullptr;
    QRadioButton *opcao3 = nullptr;
    QRadioButton *area3d = nullptr;
    QRadioButton *area2d = nullptr;
    QRadioButton *linha3d = nullptr;
    QRadioButton *linha2d = nullptr;
    QRadioButton *step3d = nullptr;
    QRadioButton *step2d = nullptr;

    // The chart type of the option selected.
    void ApplyChartType();
};

// The cube screen's "Graficos": a new chart window with the cube's current
// block, shown modeless without owner. Any failure ends silently with no
// window (nullptr).
frmMSChart *showCubeChart(kq::platform::DCube *cube);

} // namespace kq::cube
