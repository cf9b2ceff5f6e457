#include "cube/screens.h"

#include "platform/screenregistry.h"

namespace kq::cube {

// The cube screen, its files, password, export and ranking.
void registerCubeScreens()
{
}

} // namespace kq::cube
