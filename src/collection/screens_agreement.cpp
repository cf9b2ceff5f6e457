#include "platform/screenregistry.h"

namespace kq::collection {

// Agreement, instalment write-off and agenda.
void registerAgreementScreens()
{
}

} // namespace kq::collection
