#include "queries/screens.h"

namespace kq::queries {

void registerScreens()
{
    registerQueryScreens();
    registerLetterScreens();
}

} // namespace kq::queries
