#pragma once

namespace kq::queries {
// Registers the screens of this folder with the screen registry.
void registerScreens();
// The two areas of this folder, also registered on their own by tests.
void registerQueryScreens();
void registerLetterScreens();
} // namespace kq::queries
