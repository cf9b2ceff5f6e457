#include "cube/screens.h"

#include "cube/datamarkerseditorform.h"
#include "cube/frmmschart.h"
#include "platform/screenregistry.h"

namespace kq::cube {

// The chart window and the data-marker editor. A chart window is made anew
// on every opening (showCubeChart); the registry knows its name only.
void registerCubeToolScreens()
{
    auto &r = kq::platform::ScreenRegistry::instance();
    r.registerScreen(QStringLiteral("frmMSChart"), [] { return new frmMSChart; });
    r.registerScreen(QStringLiteral("DataMarkersEditorForm"),
                     [] { return new DataMarkersEditorForm; });
}

} // namespace kq::cube
