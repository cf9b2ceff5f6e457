#pragma once

#include <QString>

namespace kq::platform {

// The program folder: the executable's folder, or the folder a test set.
QString programFolder();
void setProgramFolder(const QString &dir);
// programFolder() + "/" + name.
QString programFile(const QString &name);

// The executable's file name without extension ("kq-730").
QString executableBaseName();
// major "." minor "." revision, plain decimal numbers.
QString versionText();

// Login name of the account running the program.
QString accountName();

} // namespace kq::platform
