#include "import/importerror.h"

namespace kq::import {

ImportError::ImportError(const QString &message)
    : NumberedError(5, message)
{}

ImportCancelled::ImportCancelled()
    : NumberedError(5, QStringLiteral("import cancelled"))
{}

} // namespace kq::import
