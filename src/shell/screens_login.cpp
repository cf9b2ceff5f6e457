#include "platform/screenregistry.h"

namespace kq::shell {

// The login dialog and the users register.
void registerLoginScreens()
{
}

} // namespace kq::shell
