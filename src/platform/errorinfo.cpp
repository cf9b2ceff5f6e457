#include "platform/errorinfo.h"

#include "data/dataerror.h"

#include <stdexcept>

namespace kq::platform {

RuntimeError::RuntimeError(int number, const QString &description, const QString &source)
    : m_info{number, description, source, QString()}
    , m_what(description.toUtf8())
{
}

ErrorInfo errorInfo(const std::exception &e)
{
    if (auto *r = dynamic_cast<const RuntimeError *>(&e))
        return r->info();
    if (auto *d = dynamic_cast<const kq::data::DataError *>(&e))
        return {d->number(), d->description(), d->source(), d->detail()};
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
