#pragma once

#include "data/dataerror.h"

#include <exception>

namespace kq::platform {

using ErrorInfo = kq::data::ErrorInfo;

// A failure raised by a screen or component, with the old runtime's numbering.
class RuntimeError : public kq::data::NumberedError
{
public:
    RuntimeError(int number, const QString &description, const QString &source = QString())
        : NumberedError(number, description, source)
    {}
};

ErrorInfo errorInfo(const std::exception &e);
// The failure being handled (call inside a catch block).
ErrorInfo currentErrorInfo();

} // namespace kq::platform
