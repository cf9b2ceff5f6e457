#include "queries/screens.h"

#include "platform/screenregistry.h"

namespace kq::queries {

// The query screens, their filters, the field chooser and the print preview.
void registerQueryScreens()
{
}

} // namespace kq::queries
