#include "platform/screenregistry.h"

namespace kq::collection {

// Cheque entry and the debtor follow-up.
void registerEntryScreens()
{
}

} // namespace kq::collection
