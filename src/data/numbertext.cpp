#include "data/numbertext.h"

#include <QLocale>
#include <QRegularExpression>

namespace kq::data {

namespace {

std::optional<double> regional(const QString &text, bool plainToo)
{
    QString s = text.trimmed();
    QLocale locale;
    s.remove(locale.currencySymbol(QLocale::CurrencySymbol));
    s.remove(QStringLiteral("R$"));
    s = s.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    const QString group = QRegularExpression::escape(locale.groupSeparator());
    const QString point = QRegularExpression::escape(locale.decimalPoint());
    // Regional form: groups of three digits at most once separated, then the
    // decimal part ("1.234,50", "1234,5", "-0,75").
    const QRegularExpression form(
        QStringLiteral("^[-+]?(\\d{1,3}(%1\\d{3})+|\\d+)(%2\\d*)?$").arg(group, point));
    if (form.match(s).hasMatch()) {
        QString c = s;
        c.remove(locale.groupSeparator());
        c.replace(locale.decimalPoint(), QStringLiteral("."));
        return c.toDouble();
    }
    if (!plainToo)
        return std::nullopt;
    // Plain C form, as a database or a script writes it ("1234.50").
    static const QRegularExpression plain(QStringLiteral("^[-+]?\\d+(\\.\\d+)?$"));
    if (plain.match(s).hasMatch())
        return s.toDouble();
    return std::nullopt;
}

std::optional<double> cForm(const QString &text)
{
    const QString t = text.trimmed();
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || t.isEmpty())
        return std::nullopt;
    return d;
}

} // namespace

std::optional<double> readNumber(const QString &text, NumberRule rule)
{
    switch (rule) {
    case NumberRule::Regional:
        return regional(text, true);
    case NumberRule::RegionalOnly:
        return regional(text, false);
    case NumberRule::C:
        return cForm(text);
    case NumberRule::CThenBrazilian: {
        if (const auto d = cForm(text))
            return d;
        bool ok = false;
        const double d
            = QLocale(QLocale::Portuguese, QLocale::Brazil).toDouble(text.trimmed(), &ok);
        return ok ? std::optional<double>(d) : std::nullopt;
    }
    }
    return std::nullopt;
}

} // namespace kq::data
