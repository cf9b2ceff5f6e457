#pragma once

#include <QString>

namespace kq::platform {

// The folders of the letters, readable by the account alone (mode 0700).

// The LibreOffice profile and the converted templates: the account's cache
// folder followed by "/kq-730".
QString letterCacheFolder();
// The filled copies handed to the word processor, which hold debtors' data:
// the account's runtime folder (its cache folder when it has none) followed
// by "/kq-730/cartas".
QString filledLettersFolder();
// A new file "<title>.fodt" in a folder of its own under
// filledLettersFolder(), held by this copy of the program while the folder
// lasts; empty text when the folder cannot be made.
QString newFilledLetterPath(const QString &title);
// Removes every filled copy left behind by a copy of the program that has
// ended (the word processor removes each one once it has read it); the
// letters a running copy holds stay.
void removeFilledLetters();

// Makes the folder and the missing folders above it with mode 0700, and sets
// mode 0700 on the folder itself; false when it cannot.
bool makePrivateFolder(const QString &path);

} // namespace kq::platform
