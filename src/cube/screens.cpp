#include "cube/screens.h"

#include "platform/screenregistry.h"

namespace kq::cube {

void registerScreens()
{
}

} // namespace kq::cube
