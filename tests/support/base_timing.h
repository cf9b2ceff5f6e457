#pragma once

#include <QtGlobal>

namespace kq::test {

// A time limit of a test, in milliseconds. The figures hold for the release
// build; the sanitizer build runs several times slower and sets
// KQ_TIME_SCALE to stretch them.
inline qint64 timeLimit(qint64 ms)
{
    bool ok = false;
    const int scale = qEnvironmentVariableIntValue("KQ_TIME_SCALE", &ok);
    return ok && scale > 1 ? ms * scale : ms;
}

} // namespace kq::test
