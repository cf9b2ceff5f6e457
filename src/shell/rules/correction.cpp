#include "shell/rules/correction.h"

#include "data/database.h"
#include "core/format.h"

#include <QSqlQuery>

#include <algorithm>

namespace kq::shell {

CorrectionTable CorrectionTable::load(const QString &dbPath)
{
    CorrectionTable table;
    QSqlQuery q = kq::data::exec(dbPath, QStringLiteral("SELECT cd_ref, fator FROM correcao"));
    while (q.next()) {
        const QVariant month = q.value(0);
        if (month.isNull())
            continue;
        // A Null factor counts as a zero factor: the month lacks a usable one.
        table.insert(month.toString(), q.value(1).isNull() ? 0.0 : q.value(1).toDouble());
    }
    return table;
}

void CorrectionTable::insert(const QString &month, double factor)
{
    const std::optional<QDate> date = kq::platform::parseYearMonth(month);
    if (!date) {
        const auto at = std::lower_bound(m_invalid.begin(), m_invalid.end(), month);
        if (at == m_invalid.end() || *at != month)
            m_invalid.insert(at, month);
        return;
    }
    m_factors.insert(month, factor);
    if (m_newest.isEmpty() || *date > m_newestDate) {
        m_newest = month;
        m_newestDate = *date;
    }
}

double CorrectionTable::newestFactor() const
{
    return m_factors.value(m_newest, 0.0);
}

std::optional<double> CorrectionTable::factor(const QString &month) const
{
    const auto it = m_factors.constFind(month);
    if (it == m_factors.constEnd())
        return std::nullopt;
    return it.value();
}

bool CorrectionTable::hasUsableFactor(const QString &month) const
{
    const auto f = factor(month);
    return f && *f != 0.0;
}

QString CorrectionTable::monthOrNewest(const QString &month) const
{
    return m_factors.contains(month) ? month : m_newest;
}

QString monthKey(const QDate &date)
{
    if (!date.isValid())
        return QString();
    const int y = date.year();
    const int m = date.month();
    if (y < 0 || y > 9999)
        return QStringLiteral("%1/%2")
            .arg(y, 4, 10, QLatin1Char('0'))
            .arg(m, 2, 10, QLatin1Char('0'));
    // Once per cheque of a calculation: built without formatting.
    const char16_t key[] = {char16_t(u'0' + y / 1000),
                            char16_t(u'0' + y / 100 % 10),
                            char16_t(u'0' + y / 10 % 10),
                            char16_t(u'0' + y % 10),
                            u'/',
                            char16_t(u'0' + m / 10),
                            char16_t(u'0' + m % 10)};
    return QString(reinterpret_cast<const QChar *>(key), 7);
}

double correctedByFactors(double value, double depositFactor, double referenceFactor)
{
    const double ratio = referenceFactor / depositFactor - 1.0;
    return value + value * ratio;
}

Correction correctValueByFactor(const CorrectionTable &table, double value,
                                const QDate &depositDate, double referenceFactor)
{
    Correction c;
    c.value = value;
    if (!depositDate.isValid()) {
        c.status = Correction::NoDepositDate;
        return c;
    }
    if (referenceFactor == 0.0) {
        c.status = Correction::NoReferenceFactor;
        return c;
    }
    const QString month = monthKey(depositDate);
    const auto depositFactor = table.factor(month);
    if (!depositFactor || *depositFactor == 0.0) {
        c.status = Correction::NoDepositFactor;
        c.missingMonth = month;
        return c;
    }
    c.value = correctedByFactors(value, *depositFactor, referenceFactor);
    return c;
}

Correction correctValue(const CorrectionTable &table, double value, const QDate &depositDate,
                        const QString &referenceMonth)
{
    const auto referenceFactor = table.factor(referenceMonth);
    if (!referenceFactor || *referenceFactor == 0.0) {
        Correction c;
        c.status = Correction::NoReferenceFactor;
        c.value = value;
        c.missingMonth = referenceMonth;
        return c;
    }
    return correctValueByFactor(table, value, depositDate, *referenceFactor);
}

double roundedValue(double value)
{
    return kq::platform::roundHalfAway(value, 2);
}

} // namespace kq::shell
