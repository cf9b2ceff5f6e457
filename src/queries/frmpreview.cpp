#include "queries/frmpreview.h"

#include "platform/grid/gexpreview.h"

#include <QResizeEvent>

namespace kq::queries {

frmPreview::frmPreview(QWidget *parent)
    : Screen(QStringLiteral("frmPreview"), parent)
{
    setWindowTitle(QStringLiteral("Print Preview"));
    resize(800, 600);
    grPrev = new kq::platform::GEXPreview(this);
    grPrev->setObjectName(QStringLiteral("grPrev"));
    connectTrapped(grPrev, &kq::platform::GEXPreview::closed, &QWidget::close);
}

void frmPreview::resizeEvent(QResizeEvent *event)
{
    Screen::resizeEvent(event);
    grPrev->setGeometry(0, 0, width(), height());
}

} // namespace kq::queries
