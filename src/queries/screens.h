#pragma once

namespace kq::queries {
// Registers the screens of this folder with the screen registry.
void registerScreens();
} // namespace kq::queries
