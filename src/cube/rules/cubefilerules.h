#pragma once

#include <QString>

// Rules of the cube screen's files, password prompt and export, free of widgets.
namespace kq::cube {

// Error numbers the cube control raises on load.
constexpr int kCubeFileMissing = 1014;
constexpr int kCubePasswordRefused = 1021;

// Flags of a cube save: 0 layout only, 1 layout and data, plus 2 to compress.
int saveFlags(bool layoutAndData, bool compress);

// Password a save sets on the cube: none, or the typed text without the
// blanks around it.
QString savePassword(bool requirePassword, const QString &typed);

// Prompt of the password retry: try `tries` of `attempts`.
QString passwordPrompt(int tries, int attempts);

// A path that names a cube file on the web (the text "http://" anywhere,
// letter case ignored).
bool isWebAddress(const QString &path);

// Text of the message of an unexpected load failure.
QString unexpectedLoadErrorText(int number, const QString &description);

// Export files in the program folder, replaced by each export.
QString htmlExportFile();
QString excelExportFile();

} // namespace kq::cube
