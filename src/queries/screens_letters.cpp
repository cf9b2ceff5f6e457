#include "queries/screens.h"

#include "platform/screenregistry.h"
#include "queries/frelatorioscartas.h"

namespace kq::queries {

// The collection letters and the report launchers.
void registerLetterScreens()
{
    auto &r = kq::platform::ScreenRegistry::instance();
    r.registerScreen(QStringLiteral("frelatorioscartas"), [] { return new frelatorioscartas; });
}

} // namespace kq::queries
