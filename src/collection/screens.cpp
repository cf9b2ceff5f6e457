#include "collection/screens.h"

namespace kq::collection {

void registerScreens()
{
    registerEntryScreens();
    registerAgreementScreens();
}

} // namespace kq::collection
