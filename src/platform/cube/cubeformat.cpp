#include "platform/cube/cubetypes.h"

#include "platform/format.h"

#include <QGuiApplication>
#include <QPalette>
#include <cmath>

namespace kq::platform {

namespace {

QPalette::ColorRole systemRole(int index, QPalette::ColorGroup *group)
{
    *group = QPalette::Active;
    switch (index) {
    case 1: case 4: return QPalette::Window;
    case 2: case 13: return QPalette::Highlight;
    case 3: case 10: case 11: return QPalette::Mid;
    case 5: return QPalette::Base;
    case 6: case 21: return QPalette::Shadow;
    case 7: return QPalette::WindowText;
    case 8: case 19: return QPalette::Text;
    case 9: case 14: return QPalette::HighlightedText;
    case 12: case 16: return QPalette::Dark;
    case 17:
        *group = QPalette::Disabled;
        return QPalette::Text;
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;
    case 22: return QPalette::Midlight;
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    default: return QPalette::Button; // 0 scroll bar, 15 button face and the rest
    }
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

QString cubeFormatNumber(double value, const QString &format, const QLocale &locale)
{
    if (std::isnan(value))
        return QString();
    const QString f = format.trimmed();
    if (f.compare(QStringLiteral("Currency"), Qt::CaseInsensitive) == 0)
        return locale.toCurrencyString(roundHalfAway(value, 2), locale.currencySymbol(), 2);
    if (f.compare(QStringLiteral("Percent"), Qt::CaseInsensitive) == 0) {
        QLocale l = locale;
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l.toString(roundHalfAway(value * 100, 2), 'f', 2) + u'%';
    }
    int start = -1;
    for (int i = 0; i < f.size() && start < 0; ++i) {
        if (f.at(i) == u'#' || f.at(i) == u'0')
            start = i;
    }
    if (f.isEmpty() || start < 0) {
        QString s = QString::number(value, 'g', 15);
        if (s.contains(u'e'))
            s = QString::number(value, 'f', 6);
        s.replace(u'.', locale.decimalPoint());
        return s;
    }
    int end = start;
    while (end < f.size() && QStringLiteral("#0,.").contains(f.at(end)))
        ++end;
    const QString number = f.mid(start, end - start);
    QString prefix = f.left(start);
    QString suffix = f.mid(end);
    const QString symbol = locale.currencySymbol().isEmpty() ? QStringLiteral("$")
                                                             : locale.currencySymbol();
    prefix.replace(u'$', symbol);
    suffix.replace(u'$', symbol);
    const int dot = number.indexOf(u'.');
    const QString intPart = dot < 0 ? number : number.left(dot);
    const QString fracPart = dot < 0 ? QString() : number.mid(dot + 1);
    const int decimals = int(fracPart.size());
    const int minInt = int(intPart.count(u'0'));
    const bool group = intPart.contains(u',');

    const double rounded = roundHalfAway(std::fabs(value), decimals);
    QString digits = QString::number(rounded, 'f', decimals);
    QString whole = dot < 0 && decimals == 0 ? digits : digits.section(u'.', 0, 0);
    QString frac = decimals > 0 ? digits.section(u'.', 1, 1) : QString();
    if (whole == QStringLiteral("0") && minInt == 0)
        whole.clear();
    while (whole.size() < minInt)
        whole.prepend(u'0');
    if (group && whole.size() > 3) {
        const QString sep = locale.groupSeparator();
        for (int i = int(whole.size()) - 3; i > 0; i -= 3)
            whole.insert(i, sep);
    }
    QString out = prefix + whole;
    if (decimals > 0)
        out += locale.decimalPoint() + frac;
    out += suffix;
    const bool negative = value < 0 && rounded != 0;
    return negative ? u'-' + out : out;
}

} // namespace kq::platform
