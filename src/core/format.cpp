#include "core/format.h"

#include "data/numbertext.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <charconv>
#include <cmath>

namespace kq::platform {

double roundHalfAway(double value, int decimals)
{
    // Round the decimal text the value prints as, so 2.675 (stored as
    // 2.67499999...) still rounds up as the old runtime showed it. The text
    // is made without an allocation: this runs for every value shown.
    double printed = 0;
    char text[400];
    const auto [end, ec]
        = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 12);
    if (!std::isfinite(value) || ec != std::errc()
        || std::from_chars(text, end, printed).ec != std::errc())
        printed = QString::number(value, 'f', 12).toDouble();
    const double scaled = printed * std::pow(10.0, decimals);
    const double nudged = scaled + (scaled >= 0 ? 1e-9 : -1e-9);
    return std::round(nudged) / std::pow(10.0, decimals);
}

QString formatFixed2(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    double r = roundHalfAway(value, 2);
    if (r == 0)
        r = 0; // no "-0,00"
    return locale.toString(r, 'f', 2);
}

QString formatCurrency(double value)
{
    QLocale locale;
    double r = roundHalfAway(value, 2);
    if (r == 0)
        r = 0;
    QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);
    QString amount = locale.toString(std::fabs(r), 'f', 2);
    if (locale.language() == QLocale::C)
        symbol = QStringLiteral("$");
    QString text = symbol + QStringLiteral(" ") + amount;
    if (r < 0)
        text = QStringLiteral("-") + text;
    return text;
}

QString formatPadded(qint64 value, int width)
{
    const bool negative = value < 0;
    QString digits = QString::number(negative ? -value : value).rightJustified(width, '0');
    return negative ? QStringLiteral("-") + digits : digits;
}

QString formatPlain(double value)
{
    if (std::isnan(value) || std::isinf(value))
        return QString();
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    // 15 significant digits, never an exponent for money-sized values.
    QString text = QString::number(value, 'g', 15);
    if (text.contains(QLatin1Char('e'))) {
        const double mag = std::fabs(value);
        int decimals = 0;
        if (mag > 0 && mag < 1)
            decimals = std::min(15, 15 - int(std::floor(std::log10(mag))) - 1);
        text = QString::number(value, 'f', decimals);
        if (text.contains(QLatin1Char('.'))) {
            while (text.endsWith(QLatin1Char('0')))
                text.chop(1);
            if (text.endsWith(QLatin1Char('.')))
                text.chop(1);
        }
    }
    return text.replace(QLatin1Char('.'), locale.decimalPoint());
}

QString formatDate(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString formatYearMonth(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy/MM")) : QString();
}

QString formatMonthYear(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("MM/yyyy")) : QString();
}

QString formatTime(const QTime &time)
{
    return time.toString(QStringLiteral("hh:mm.ss"));
}

namespace {
QDate toDate(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate();
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().date();
    const QString s = value.toString().left(10);
    QDate d = QDate::fromString(s, Qt::ISODate);
    if (!d.isValid())
        d = QDate::fromString(s, QStringLiteral("dd/MM/yyyy"));
    return d;
}

std::optional<double> toNumber(const QVariant &value)
{
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (ok)
        return d;
    return parseNumber(value.toString());
}
} // namespace

QString formatValue(const QVariant &value, const QString &format)
{
    if (!value.isValid() || value.isNull())
        return QString();
    const QString f = format.trimmed();
    if (f.isEmpty()) {
        if (value.metaType().id() == QMetaType::Double)
            return formatPlain(value.toDouble());
        return value.toString();
    }
    const QString lf = f.toLower();
    if (lf == QLatin1String("0.00") || lf == QLatin1String("currency")) {
        const auto n = toNumber(value);
        if (!n)
            return value.toString();
        return lf == QLatin1String("currency") ? formatCurrency(*n) : formatFixed2(*n);
    }
    if (!f.isEmpty() && f.count(QLatin1Char('0')) == f.size()) {
        const auto n = toNumber(value);
        return n ? formatPadded(qint64(roundHalfAway(*n, 0)), f.size()) : value.toString();
    }
    if (lf == QLatin1String("dd/mm/yyyy") || lf == QLatin1String("short date")) {
        const QDate d = toDate(value);
        return d.isValid() ? formatDate(d) : value.toString();
    }
    if (lf == QLatin1String("yyyy/mm")) {
        const QDate d = toDate(value);
        return d.isValid() ? formatYearMonth(d) : value.toString();
    }
    if (lf == QLatin1String("mm/yyyy")) {
        const QDate d = toDate(value);
        return d.isValid() ? formatMonthYear(d) : value.toString();
    }
    return value.toString();
}

std::optional<double> parseNumber(const QString &text, NumberForm form)
{
    return kq::data::readNumber(text, form == NumberForm::RegionalOnly
                                          ? kq::data::NumberRule::RegionalOnly
                                          : kq::data::NumberRule::Regional);
}

std::optional<double> storedNumber(const QVariant &value, NullNumber null)
{
    const std::optional<double> empty
        = null == NullNumber::Zero ? std::optional<double>(0.0) : std::nullopt;
    if (!value.isValid() || value.isNull())
        return empty;
    if (value.metaType().id() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        return text.isEmpty() ? empty : parseNumber(text);
    }
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (ok && std::isfinite(d))
        return d;
    return std::nullopt;
}

std::optional<QDate> parseYearMonth(const QString &text)
{
    if (text.size() != 7 || text.at(4) != QLatin1Char('/'))
        return std::nullopt;
    for (int i : {0, 1, 2, 3, 5, 6}) {
        if (text.at(i) < QLatin1Char('0') || text.at(i) > QLatin1Char('9'))
            return std::nullopt;
    }
    const QDate d(text.left(4).toInt(), text.mid(5).toInt(), 1);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<QDate> parseDate(const QString &text)
{
    const QString s = text.trimmed();
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$"));
    const auto m = re.match(s);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate d(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    if (!d.isValid())
        return std::nullopt;
    return d;
}

} // namespace kq::platform
