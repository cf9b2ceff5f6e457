#include "platform/trappedconnect.h"

#include "platform/dialogs.h"
#include "core/errorinfo.h"

namespace kq::platform {

namespace {
TrapReporter g_reporter = nullptr;
}

void setTrapReporter(TrapReporter reporter)
{
    g_reporter = reporter;
}

void reportTrapped(const QString &screenName)
{
    if (g_reporter)
        g_reporter(screenName);
    else
        Dialogs::message(currentErrorInfo().description);
}

} // namespace kq::platform
