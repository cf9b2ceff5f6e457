#include "queries/screens.h"

#include "platform/screenregistry.h"
#include "queries/fconsulta2.h"
#include "queries/fconsulta3.h"
#include "queries/fconsultas1.h"
#include "queries/ffiltros1.h"
#include "queries/ffiltros2.h"
#include "queries/ffiltros3.h"
#include "queries/frmpreview.h"
#include "queries/frmshowfields.h"

namespace kq::queries {

// The query screens, their filters, the field chooser and the print preview.
void registerQueryScreens()
{
    auto &r = kq::platform::ScreenRegistry::instance();
    r.registerScreen(QStringLiteral("fconsultas1"), [] { return new fconsultas1; });
    r.registerScreen(QStringLiteral("ffiltros1"), [] { return new ffiltros1; });
    r.registerScreen(QStringLiteral("fconsulta2"), [] { return new fconsulta2; });
    r.registerScreen(QStringLiteral("ffiltros2"), [] { return new ffiltros2; });
    r.registerScreen(QStringLiteral("fconsulta3"), [] { return new fconsulta3; });
    r.registerScreen(QStringLiteral("ffiltros3"), [] { return new ffiltros3; });
    r.registerScreen(QStringLiteral("frmShowfields"), [] { return new frmShowfields; });
    r.registerScreen(QStringLiteral("frmPreview"), [] { return new frmPreview; });
}

} // namespace kq::queries
