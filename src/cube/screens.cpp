#include "cube/screens.h"

namespace kq::cube {

void registerScreens()
{
    registerCubeScreens();
    registerCubeToolScreens();
}

} // namespace kq::cube
