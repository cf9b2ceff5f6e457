#include "platform/screenregistry.h"
#include "shell/frmlogin.h"
#include "shell/fusuarios.h"

namespace kq::shell {

// The login dialog and the users register.
void registerLoginScreens()
{
    auto &r = kq::platform::ScreenRegistry::instance();
    r.registerScreen(QStringLiteral("frmLogin"), [] { return new frmLogin; });
    r.registerScreen(QStringLiteral("fusuarios"), [] { return new fusuarios; });
}

} // namespace kq::shell
