#include "core/errorinfo.h"

#include <stdexcept>

namespace kq::platform {

ErrorInfo errorInfo(const std::exception &e)
{
    if (auto *n = dynamic_cast<const kq::data::NumberedError *>(&e))
        return n->info();
    if (dynamic_cast<const std::overflow_error *>(&e))
        return {6, QStringLiteral("Overflow"), QString(), QString()};
    return {5, QString::fromUtf8(e.what()), QString(), QString()};
}

ErrorInfo currentErrorInfo()
{
    try {
        throw;
    } catch (const std::exception &e) {
        return errorInfo(e);
    } catch (...) {
        return {5, QStringLiteral("Erro desconhecido"), QString(), QString()};
    }
}

} // namespace kq::platform
