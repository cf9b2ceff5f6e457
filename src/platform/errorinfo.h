#pragma once

#include <QString>
#include <exception>

namespace kq::platform {

// Number, description and source of a trapped failure, as the error report
// prints them.
struct ErrorInfo
{
    int number = 0;
    QString description;
    QString source;
    // The technical text behind the description (a database engine's own
    // message), for the error log only.
    QString detail;
};

// A failure raised by a screen or component, with the old runtime's numbering.
class RuntimeError : public std::exception
{
public:
    RuntimeError(int number, const QString &description, const QString &source = QString());
    const char *what() const noexcept override { return m_what.constData(); }
    const ErrorInfo &info() const { return m_info; }

private:
    ErrorInfo m_info;
    QByteArray m_what;
};

ErrorInfo errorInfo(const std::exception &e);
// The failure being handled (call inside a catch block).
ErrorInfo currentErrorInfo();

} // namespace kq::platform
