#pragma once

namespace kq::cube {
// Registers the screens of this folder with the screen registry.
void registerScreens();
} // namespace kq::cube
