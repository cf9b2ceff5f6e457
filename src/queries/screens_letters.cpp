#include "queries/screens.h"

#include "platform/screenregistry.h"

namespace kq::queries {

// The collection letters and the report launchers.
void registerLetterScreens()
{
}

} // namespace kq::queries
