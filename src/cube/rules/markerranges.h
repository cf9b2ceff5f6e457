#pragma once

#include <QString>
#include <optional>

namespace kq::cube {

class dataMarker;

// The locale reading: the whole text is a number in the user's regional
// form (parseNumber, regional form only); blanks around it are allowed.
std::optional<double> localeNumber(const QString &text);
// The number back to text in the regional settings, plainly ("4,9" in pt_BR).
QString localeText(double value);
// The leading-number reading: blanks, tabs and line feeds anywhere are
// ignored; the longest leading part made of a sign, digits, a period and an
// exponent is read; no such part reads 0 ("12abc" 12, "-abc" 0).
double leadingNumber(const QString &text);

// Low and high formatted with the field's number format, joined by " - ".
QString rangeText(double low, double high, const QString &numberFormat);

// The answer to the new-marker prompt, "low - high" with negative limits in
// parentheses: "(2) - 4.9".
struct MarkerRange
{
    enum Status { Empty, InvalidRange, InvalidNumber, Ok };
    Status status = Empty;
    QString badPiece; // the trimmed piece that is not a number
    double low = 0;
    double high = 0;
};
MarkerRange parseMarkerRange(const QString &answer);

// Sets the lower (index 0) or upper (index 1) limit of a marker to value,
// exchanging the limits when the new one passes the other.
void applyLimit(dataMarker &marker, int index, double value);

} // namespace kq::cube
