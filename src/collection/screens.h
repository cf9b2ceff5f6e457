#pragma once

namespace kq::collection {
// Registers the screens of this folder with the screen registry.
void registerScreens();
} // namespace kq::collection
