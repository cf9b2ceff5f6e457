#pragma once

#include "core/textcut.h"

class QLineEdit;
class QPlainTextEdit;

namespace kq::platform {

// Limits a box to `limit` units for typed, pasted and programmatic text
// alike. 0 removes the limit.
void setTextLimit(QLineEdit *box, int limit);
// The limit set by setTextLimit; 0 when none.
int textLimit(const QLineEdit *box);
// The same for a box of several lines.
void setTextLimit(QPlainTextEdit *box, int limit);

} // namespace kq::platform
