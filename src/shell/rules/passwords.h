#pragma once

#include <QString>

namespace kq::shell {

// A salted hash of the password in libsodium's own text form (Argon2id,
// salt and parameters included). Throws kq::platform::RuntimeError when the
// library cannot run.
QString hashPassword(const QString &password);

// True only when the password typed gives the stored hash: every character
// counts, case and blanks included. A stored value that is not such a hash
// (empty, or an old plain-text password) matches nothing.
bool verifyPassword(const QString &password, const QString &storedHash);

// True when the text has the form hashPassword() writes.
bool isPasswordHash(const QString &text);

} // namespace kq::shell
