#include "collection/fagenda.h"
#include "collection/facordo.h"
#include "collection/fbaixa.h"
#include "collection/fbaixar.h"
#include "platform/screenregistry.h"

namespace kq::collection {

// Agreement, instalment write-off and agenda.
void registerAgreementScreens()
{
    auto &r = kq::platform::ScreenRegistry::instance();
    r.registerScreen(QStringLiteral("facordo"), [] { return new facordo; });
    r.registerScreen(QStringLiteral("fbaixar"), [] { return new fbaixar; });
    r.registerScreen(QStringLiteral("fbaixa"), [] { return new fbaixa; });
    r.registerScreen(QStringLiteral("fagenda"), [] { return new fagenda; });
}

} // namespace kq::collection
