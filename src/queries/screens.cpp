#include "queries/screens.h"

#include "platform/screenregistry.h"

namespace kq::queries {

void registerScreens()
{
}

} // namespace kq::queries
