#pragma once

// The settings file beside the program ("sys.ini"): its last line names the
// data folder.

#include <QString>
#include <stdexcept>

namespace kq::shell {

// The failure of the main window's load: the message names the file or row.
class StartupError : public std::runtime_error
{
public:
    explicit StartupError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Reads the last line of a settings file; throws StartupError when it is
// missing or unreadable, or when that line is empty or names no folder.
QString readDataFolder(const QString &sysIniPath);

} // namespace kq::shell
