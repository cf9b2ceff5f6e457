#include "collection/flancheques.h"
#include "collection/fvantesca.h"
#include "platform/screenregistry.h"

namespace kq::collection {

// Cheque entry and the debtor follow-up.
void registerEntryScreens()
{
    auto &r = kq::platform::ScreenRegistry::instance();
    r.registerScreen(QStringLiteral("flancheques"), [] { return new flancheques; });
    r.registerScreen(QStringLiteral("fvantesca"), [] { return new fvantesca; });
}

} // namespace kq::collection
