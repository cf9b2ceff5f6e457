#pragma once

// The settings file beside the program ("sys.ini"): its last line names the
// data folder.

#include "data/dataerror.h"

#include <QString>

namespace kq::shell {

// The failure of the main window's load: the message names the file or row.
// Numbered 5, as any failure the old runtime did not number.
class StartupError : public kq::data::NumberedError
{
public:
    explicit StartupError(const QString &message)
        : NumberedError(5, message)
    {}
    QString message() const { return description(); }
};

// Reads the last line of a settings file; throws StartupError when it is
// missing or unreadable, or when that line is empty or names no folder.
QString readDataFolder(const QString &sysIniPath);

} // namespace kq::shell
