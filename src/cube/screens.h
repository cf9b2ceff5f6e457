#pragma once

namespace kq::cube {
// Registers the screens of this folder with the screen registry.
void registerScreens();
// The two areas of this folder, also registered on their own by tests.
void registerCubeScreens();
void registerCubeToolScreens();
} // namespace kq::cube
