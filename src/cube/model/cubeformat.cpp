#include "cube/model/cubetypes.h"

#include "core/format.h"

#include <QGuiApplication>
#include <QPalette>
#include <charconv>
#include <cmath>

namespace kq::platform {

namespace {

QPalette::ColorRole systemRole(int index, QPalette::ColorGroup *group)
{
    *group = QPalette::Active;
    switch (index) {
    case 1:
    case 4:
        return QPalette::Window;
    case 2:
    case 13:
        return QPalette::Highlight;
    case 3:
    case 10:
    case 11:
        return QPalette::Mid;
    case 5:
        return QPalette::Base;
    case 6:
    case 21:
        return QPalette::Shadow;
    case 7:
        return QPalette::WindowText;
    case 8:
    case 19:
        return QPalette::Text;
    case 9:
    case 14:
        return QPalette::HighlightedText;
    case 12:
    case 16:
        return QPalette::Dark;
    case 17:
        *group = QPalette::Disabled;
        return QPalette::Text;
    case 18:
        return QPalette::ButtonText;
    case 20:
        return QPalette::Light;
    case 22:
        return QPalette::Midlight;
    case 23:
        return QPalette::ToolTipText;
    case 24:
        return QPalette::ToolTipBase;
    default:
        return QPalette::Button; // 0 scroll bar, 15 button face and the rest
    }
}

// roundHalfAway (platform/format.h) with the power of ten given: the same
// decimal text of the value, read back exactly, so the same result, at a
// fraction of the cost for the many cells of a grid.
double roundHalfAwayBy(double value, double power)
{
    const QByteArray exact = QByteArray::number(value, 'f', 12);
    double read = 0;
    std::from_chars(exact.constData(), exact.constData() + exact.size(), read);
    const double scaled = read * power;
    const double nudged = scaled + (scaled >= 0 ? 1e-9 : -1e-9);
    return std::round(nudged) / power;
}

// Whether a text goes into XML as it is.
bool plainInXml(const QString &text)
{
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == u'<' || u == u'>' || u == u'&' || u == u'"' || u < 0x20 || u >= 0xfffe)
            return false;
    }
    return true;
}

} // namespace

QColor cubeColor(int winRgb)
{
    if (winRgb < 0) { // high bit: a system colour
        QPalette::ColorGroup group;
        const QPalette::ColorRole role = systemRole(winRgb & 0xFF, &group);
        return QGuiApplication::palette().color(group, role);
    }
    return QColor(winRgb & 0xFF, (winRgb >> 8) & 0xFF, (winRgb >> 16) & 0xFF);
}

int cubeWinRgb(const QColor &c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

CubeNumberFormat::CubeNumberFormat(const QString &format, const QLocale &locale)
    : m_locale(locale)
{
    const QString f = format.trimmed();
    if (f.compare(QStringLiteral("Currency"), Qt::CaseInsensitive) == 0) {
        m_kind = Currency;
        m_symbol = locale.currencySymbol();
        return;
    }
    if (f.compare(QStringLiteral("Percent"), Qt::CaseInsensitive) == 0) {
        m_kind = Percent;
        m_locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return;
    }
    int start = -1;
    for (int i = 0; i < f.size() && start < 0; ++i) {
        if (f.at(i) == u'#' || f.at(i) == u'0')
            start = i;
    }
    m_decimalPoint = locale.decimalPoint();
    if (f.isEmpty() || start < 0) {
        m_kind = Plain;
        return;
    }
    m_kind = Pattern;
    int end = start;
    while (end < f.size() && QStringLiteral("#0,.").contains(f.at(end)))
        ++end;
    const QString number = f.mid(start, end - start);
    m_prefix = f.left(start);
    m_suffix = f.mid(end);
    const QString symbol
        = locale.currencySymbol().isEmpty() ? QStringLiteral("$") : locale.currencySymbol();
    m_prefix.replace(u'$', symbol);
    m_suffix.replace(u'$', symbol);
    const int dot = number.indexOf(u'.');
    const QString intPart = dot < 0 ? number : number.left(dot);
    m_decimals = dot < 0 ? 0 : int(number.size()) - dot - 1;
    m_power = std::pow(10.0, m_decimals);
    m_minInt = int(intPart.count(u'0'));
    m_group = intPart.contains(u',');
    m_groupSeparator = locale.groupSeparator();
    m_xmlPlain = plainInXml(m_prefix) && plainInXml(m_suffix) && plainInXml(m_decimalPoint)
                 && plainInXml(m_groupSeparator);
}

QString CubeNumberFormat::format(double value) const
{
    if (std::isnan(value))
        return QString();
    switch (m_kind) {
    case Currency:
        return m_locale.toCurrencyString(roundHalfAway(value, 2), m_symbol, 2);
    case Percent:
        return m_locale.toString(roundHalfAway(value * 100, 2), 'f', 2) + u'%';
    case Plain: {
        QString s = QString::number(value, 'g', 15);
        if (s.contains(u'e'))
            s = QString::number(value, 'f', 6);
        s.replace(u'.', m_decimalPoint);
        return s;
    }
    default:
        break;
    }
    const double rounded = roundHalfAwayBy(std::fabs(value), m_power);
    const QString digits = QString::number(rounded, 'f', m_decimals);
    const qsizetype dot = m_decimals > 0 ? digits.indexOf(u'.') : digits.size();
    QString whole = digits.left(dot);
    if (m_minInt == 0 && whole.size() == 1 && whole.at(0) == u'0')
        whole.clear();
    while (whole.size() < m_minInt)
        whole.prepend(u'0');
    if (m_group && whole.size() > 3) {
        for (int i = int(whole.size()) - 3; i > 0; i -= 3)
            whole.insert(i, m_groupSeparator);
    }
    QString out;
    out.reserve(m_prefix.size() + whole.size() + m_decimals + m_suffix.size() + 4);
    if (value < 0 && rounded != 0)
        out += u'-';
    out += m_prefix;
    out += whole;
    if (m_decimals > 0) {
        out += m_decimalPoint;
        out += QStringView(digits).mid(dot + 1);
    }
    out += m_suffix;
    return out;
}

QString cubeFormatNumber(double value, const QString &format, const QLocale &locale)
{
    return CubeNumberFormat(format, locale).format(value);
}

} // namespace kq::platform
