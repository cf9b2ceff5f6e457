#pragma once

namespace kq::shell {
// Registers the screens of this folder with the screen registry.
void registerScreens();
} // namespace kq::shell
