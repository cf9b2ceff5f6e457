#include "platform/screenregistry.h"

namespace kq::shell {

// Setup, exit, parameters, log viewer, help editor, tutorial and contact box.
void registerAdminScreens()
{
}

} // namespace kq::shell
