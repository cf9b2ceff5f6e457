#pragma once

#include <QString>

namespace kq::platform {

// Length limits count UTF-16 units, as the boxes and the database do, and
// always cut whole characters: a character that does not fit whole (a pair
// of surrogates, a letter with its combining marks, an emoji sequence) is
// left out whole, never stored in halves.

// The longest start of a text that fits in `limit` units.
QString cutText(const QString &text, int limit);

// A text just edited, with the cursor after what was typed or pasted, made
// to fit in `limit` units as a box with that limit takes it: what does not
// fit of the typed part is dropped, the text after the cursor stays.
// Returns the text kept; *cursor becomes the cursor in it.
QString fitTyped(const QString &text, int *cursor, int limit);

} // namespace kq::platform
