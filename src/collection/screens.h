#pragma once

namespace kq::collection {
// Registers the screens of this folder with the screen registry.
void registerScreens();
// The two areas of this folder, also registered on their own by tests.
void registerEntryScreens();
void registerAgreementScreens();
} // namespace kq::collection
