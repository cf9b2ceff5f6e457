#include "registers/screens.h"

#include "platform/screenregistry.h"

namespace kq::registers {

void registerScreens()
{
}

} // namespace kq::registers
