#include "cube/screens.h"

#include "platform/screenregistry.h"

namespace kq::cube {

// The chart window and the data-marker editor.
void registerCubeToolScreens()
{
}

} // namespace kq::cube
