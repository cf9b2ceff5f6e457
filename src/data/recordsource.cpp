#include "data/recordsource.h"

namespace kq::data {

QString likePrefix(const QString &typed)
{
    QString pattern;
    pattern.reserve(typed.size() + 1);
    for (const QChar ch : typed) {
        if (ch == QLatin1Char('%') || ch == QLatin1Char('_') || ch == QLatin1Char('\\'))
            pattern += QLatin1Char('\\');
        pattern += ch;
    }
    return pattern + QLatin1Char('%');
}

bool hasNul(const QString &typed)
{
    return typed.contains(QChar(0));
}

} // namespace kq::data
