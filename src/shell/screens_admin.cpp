#include "platform/screenregistry.h"
#include "shell/ffaleconosco.h"
#include "shell/fhelp.h"
#include "shell/finstalacao.h"
#include "shell/fmostralog.h"
#include "shell/fparametros.h"
#include "shell/fsair.h"
#include "shell/ftutorial.h"

namespace kq::shell {

// Setup, exit, parameters, log viewer, help editor, tutorial and contact box.
void registerAdminScreens()
{
    auto &r = kq::platform::ScreenRegistry::instance();
    r.registerScreen(QStringLiteral("finstalacao"), [] { return new finstalacao; });
    r.registerScreen(QStringLiteral("fsair"), [] { return new fsair; });
    r.registerScreen(QStringLiteral("fparametros"), [] { return new fparametros; });
    r.registerScreen(QStringLiteral("fmostralog"), [] { return new fmostralog; });
    r.registerScreen(QStringLiteral("fhelp"), [] { return new fhelp; });
    r.registerScreen(QStringLiteral("ftutorial"), [] { return new ftutorial; });
    r.registerScreen(QStringLiteral("ffaleconosco"), [] { return new ffaleconosco; });
}

} // namespace kq::shell
