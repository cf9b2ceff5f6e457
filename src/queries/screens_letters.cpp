#include "queries/screens.h"

#include "platform/screenregistry.h"
#include "queries/frelatorios.h"
#include "queries/frelatorioscartas.h"
#include "queries/frelatorioscliente.h"
#include "queries/frelatoriosfinanceiros.h"
#include "queries/frelatoriosvantesca.h"

namespace kq::queries {

// The collection letters and the report launchers.
void registerLetterScreens()
{
    auto &r = kq::platform::ScreenRegistry::instance();
    r.registerScreen(QStringLiteral("frelatorioscartas"), [] { return new frelatorioscartas; });
    r.registerScreen(QStringLiteral("frelatorios"), [] { return new frelatorios; });
    r.registerScreen(QStringLiteral("frelatoriosvantesca"), [] { return new frelatoriosvantesca; });
    r.registerScreen(QStringLiteral("frelatorioscliente"), [] { return new frelatorioscliente; });
    r.registerScreen(QStringLiteral("frelatoriosfinanceiros"),
                     [] { return new frelatoriosfinanceiros; });
}

} // namespace kq::queries
