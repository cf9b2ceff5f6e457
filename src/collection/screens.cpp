#include "collection/screens.h"

#include "platform/screenregistry.h"

namespace kq::collection {

void registerScreens()
{
    registerEntryScreens();
    registerAgreementScreens();
}

} // namespace kq::collection
