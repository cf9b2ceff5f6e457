#include "cube/screens.h"

#include "cube/passwordform.h"
#include "cube/rankform.h"
#include "cube/saveform.h"
#include "cube/fcubovendas.h"
#include "cube/fexport.h"
#include "platform/screenregistry.h"

namespace kq::cube {

// The cube screen, its files, password, export and ranking.
void registerCubeScreens()
{
    auto &r = kq::platform::ScreenRegistry::instance();
    r.registerScreen(QStringLiteral("fcubovendas"), [] { return new fcubovendas; });
    r.registerScreen(QStringLiteral("SaveForm"), [] { return new SaveForm; });
    r.registerScreen(QStringLiteral("PasswordForm"), [] { return new PasswordForm; });
    r.registerScreen(QStringLiteral("fexport"), [] { return new fexport; });
    r.registerScreen(QStringLiteral("RankForm"), [] { return new RankForm; });
}

} // namespace kq::cube
