#pragma once

namespace kq::registers {
// Registers the screens of this folder with the screen registry.
void registerScreens();
} // namespace kq::registers
