#include "cube/rules/markerranges.h"

#include "cube/rules/datamarker.h"
#include "core/format.h"

#include <QLocale>
#include <QStringList>

namespace kq::cube {

std::optional<double> localeNumber(const QString &text)
{
    return kq::platform::parseNumber(text, kq::platform::NumberForm::RegionalOnly);
}

QString localeText(double value)
{
    return kq::platform::formatPlain(value);
}

double leadingNumber(const QString &text)
{
    QString s;
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n')
            && c != QLatin1Char('\r'))
            s += c;
    }
    int i = 0;
    const int n = int(s.size());
    auto digitAt = [&](int k) {
        return k < n && s.at(k).isDigit() && s.at(k).unicode() < 128;
    };
    if (i < n && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
        ++i;
    const int mantissaStart = i;
    while (digitAt(i))
        ++i;
    if (i < n && s.at(i) == QLatin1Char('.')) {
        ++i;
        while (digitAt(i))
            ++i;
    }
    const QString mantissa = s.mid(mantissaStart, i - mantissaStart);
    if (mantissa.isEmpty() || mantissa == QLatin1String("."))
        return 0.0;
    int end = i;
    if (i < n && (s.at(i) == QLatin1Char('e') || s.at(i) == QLatin1Char('E'))) {
        int k = i + 1;
        if (k < n && (s.at(k) == QLatin1Char('+') || s.at(k) == QLatin1Char('-')))
            ++k;
        if (digitAt(k)) {
            while (digitAt(k))
                ++k;
            end = k;
        }
    }
    QString number = s.left(end);
    if (number.endsWith(QLatin1Char('.')))
        number.chop(1);
    bool ok = false;
    const double v = QLocale::c().toDouble(number, &ok);
    return ok ? v : 0.0;
}

QString rangeText(double low, double high, const QString &numberFormat)
{
    return kq::platform::formatValue(low, numberFormat) + QStringLiteral(" - ")
           + kq::platform::formatValue(high, numberFormat);
}

namespace {

// One limit of the answer. A limit in parentheses is negative; its inner text
// is read in the regional settings when it is a number there, so "(1,5)" in
// pt_BR is -1,5, and by the leading-number reading otherwise ("(abc)" is 0).
std::optional<double> readLimit(const QString &piece, QString *bad)
{
    const QString t = piece.trimmed();
    if (t.startsWith(QLatin1Char('(')) && t.endsWith(QLatin1Char(')')) && t.size() >= 2) {
        const QString inner = t.mid(1, t.size() - 2);
        if (const auto v = localeNumber(inner))
            return -*v;
        return leadingNumber(QStringLiteral("-") + inner);
    }
    const auto v = localeNumber(t);
    if (!v)
        *bad = t;
    return v;
}

} // namespace

MarkerRange parseMarkerRange(const QString &answer)
{
    MarkerRange r;
    if (answer.isEmpty())
        return r;
    const QStringList pieces = answer.split(QLatin1Char('-'));
    if (pieces.size() != 2) {
        r.status = MarkerRange::InvalidRange;
        return r;
    }
    double limits[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        const auto v = readLimit(pieces.at(i), &r.badPiece);
        if (!v) {
            r.status = MarkerRange::InvalidNumber;
            return r;
        }
        limits[i] = *v;
    }
    // The limits are ordered by the values that are kept.
    if (limits[1] < limits[0])
        std::swap(limits[0], limits[1]);
    r.status = MarkerRange::Ok;
    r.low = limits[0];
    r.high = limits[1];
    return r;
}

void applyLimit(dataMarker &marker, int index, double value)
{
    if (index == 1) {
        if (value >= marker.LowValue) {
            marker.HighValue = value;
        } else {
            marker.HighValue = marker.LowValue;
            marker.LowValue = value;
        }
    } else {
        if (value > marker.HighValue) {
            marker.LowValue = marker.HighValue;
            marker.HighValue = value;
        } else {
            marker.LowValue = value;
        }
    }
}

} // namespace kq::cube
