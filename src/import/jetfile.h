#pragma once

#include <QString>

namespace kq::import {

// What the first bytes of a file say it is.
enum class AccessFormat { NotAccess, Jet3, Jet4, Newer };

AccessFormat accessFormat(const QString &path);

// Checks, before the reader opens it, that a file is a whole Jet 3 or Jet 4
// database: an Access file, not of a newer format (".accdb"), made of whole
// pages. Throws ImportError with a message naming the file otherwise.
void checkJetFile(const QString &path);

} // namespace kq::import
