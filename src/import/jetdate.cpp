#include "import/jetdate.h"

#include <cmath>

namespace kq::import {

namespace {
// 01/01/100 and the last second of 31/12/9999, in Jet's count.
constexpr double kFirstDay = -657434.0;
constexpr double kLastDay = 2958465.0;
constexpr qint64 kSecondsPerDay = 86400;
} // namespace

QDateTime jetDateTime(double stored)
{
    if (!std::isfinite(stored) || stored <= kFirstDay - 1 || stored >= kLastDay + 1)
        return {};
    const double whole = std::trunc(stored);
    qint64 seconds = std::llround(std::fabs(stored - whole) * kSecondsPerDay);
    qint64 day = qint64(whole);
    if (seconds == kSecondsPerDay) {
        seconds = 0;
        ++day;
    }
    static const QDate epoch(1899, 12, 30);
    const QDate date = epoch.addDays(day);
    if (date < QDate(100, 1, 1) || date > QDate(9999, 12, 31))
        return {};
    return QDateTime(date, QTime(0, 0).addSecs(int(seconds)), Qt::UTC);
}

} // namespace kq::import
