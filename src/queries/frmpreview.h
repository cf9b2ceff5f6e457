#pragma once

#include "platform/screen.h"

namespace kq::platform {
class GEXPreview;
}

namespace kq::queries {

// "Print Preview": the preview control into which a query screen renders its
// grid. Its "&Close" button unloads the window.
class frmPreview : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit frmPreview(QWidget *parent = nullptr);

    kq::platform::GEXPreview *grPrev = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
};

} // namespace kq::queries
