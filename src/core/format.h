#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>

namespace kq::platform {

// The old program's Format() texts, in the user's regional settings (QLocale()).
// Rounding is half away from zero on the decimal value shown.
double roundHalfAway(double value, int decimals);

QString formatFixed2(double value);            // "0.00": 1234.5 -> "1234,50" in pt_BR
QString formatCurrency(double value);          // "Currency": "R$ 1.234,50"
QString formatPadded(qint64 value, int width); // "000": 7 -> "007"
QString formatPlain(double value);             // plain number text, 15 significant digits
QString formatDate(const QDate &date);         // "dd/mm/yyyy"
QString formatYearMonth(const QDate &date);    // "YYYY/MM"
QString formatMonthYear(const QDate &date);    // "mm/YYYY"
QString formatTime(const QTime &time);         // "hh:mm.ss"

// Applies a format name to a value: "0.00", "Currency", "000", "dd/mm/yyyy",
// "YYYY/MM", "mm/YYYY"; an empty format gives the plain text. Null gives "".
QString formatValue(const QVariant &value, const QString &format);

// The forms a number text may be written in.
enum class NumberForm {
    RegionalOrPlain, // the regional form, or the plain form a database writes ("1234.50")
    RegionalOnly,    // the regional form alone, as the user types it ("4.9" is refused in pt_BR)
};
// Reads a number typed in the regional form ("1.234,50", "1234,5", "R$ 10,00"),
// also "1234.50" under RegionalOrPlain; empty optional when it is not a number.
std::optional<double> parseNumber(const QString &text,
                                  NumberForm form = NumberForm::RegionalOrPlain);
// What a stored Null (or a blank text) reads as.
enum class NullNumber { Zero, Missing };
// Reads a stored value as a number: a numeric value as it is, a text in the
// regional form (parseNumber); Null and blank text follow `null`. Empty
// optional when the value is not a finite number.
std::optional<double> storedNumber(const QVariant &value, NullNumber null);
// Reads "dd/mm/yyyy" (also "d/m/yyyy"); empty optional when not a valid date.
std::optional<QDate> parseDate(const QString &text);
// Reads a reference month "YYYY/MM" written whole: four-digit year, "/",
// two-digit month 01 to 12. Gives the month's first day; empty optional for
// anything else ("____/__", "2026/1_", "2026/13").
std::optional<QDate> parseYearMonth(const QString &text);

} // namespace kq::platform
