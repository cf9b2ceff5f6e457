#pragma once

#include <QDateTime>

namespace kq::import {

// A date as Jet stores it: days since 30/12/1899, the time of day as the
// fraction. Before that day the whole part counts back and the fraction
// still counts forward from the start of the day (-1.25 is 29/12/1899 at
// 06:00). The time is rounded to the second, so a value a hair short of
// midnight is the next day. Invalid when the value is no date Jet can hold
// (outside 01/01/100 to 31/12/9999, not a number).
QDateTime jetDateTime(double stored);

} // namespace kq::import
