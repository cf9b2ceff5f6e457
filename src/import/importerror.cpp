#include "import/importerror.h"

namespace kq::import {

ImportError::ImportError(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{}

} // namespace kq::import
