#include "shell/screens.h"

#include "platform/screenregistry.h"
#include "shell/fprincipal.h"
#include "shell/frmsplash.h"

namespace kq::shell {

void registerLoginScreens();
void registerAdminScreens();

void registerScreens()
{
    registerLoginScreens();
    registerAdminScreens();
    auto &r = kq::platform::ScreenRegistry::instance();
    r.registerScreen(QStringLiteral("fprincipal"), [] { return new fprincipal; });
    r.registerScreen(QStringLiteral("frmSplash"), [] { return new frmSplash; });
}

} // namespace kq::shell
