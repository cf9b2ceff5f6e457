#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace kq::shell {

// The monthly cumulative factors of table "correcao" (cd_ref "YYYY/MM" -> fator).
// A row whose cd_ref is not a whole month ("____/__", "2026/1_", older data)
// is left out: it is only named by invalidMonths().
class CorrectionTable
{
public:
    // Reads every row of "correcao" of a database (devolvidos.mdb).
    // Throws kq::data::DataError when the database cannot be read.
    static CorrectionTable load(const QString &dbPath);

    void insert(const QString &month, double factor);

    bool isEmpty() const { return m_factors.isEmpty(); }
    QStringList months() const { return m_factors.keys(); }
    int size() const { return int(m_factors.size()); }
    // The texts of the rows left out, sorted, each once.
    QStringList invalidMonths() const { return m_invalid; }

    // The newest month by year and month; "" when empty.
    QString newestMonth() const { return m_newest; }
    double newestFactor() const;

    // The month's factor; empty when the month has no row.
    std::optional<double> factor(const QString &month) const;
    // True when the month has a row with a factor other than zero.
    bool hasUsableFactor(const QString &month) const;

    // The month as given when it has a row, otherwise the newest month
    // (the reference-month look-up of the agreement screen).
    QString monthOrNewest(const QString &month) const;

private:
    QHash<QString, double> m_factors;
    QString m_newest;
    QDate m_newestDate;
    QStringList m_invalid;
};

// "YYYY/MM" of a date (7 March 2005 -> "2005/03"); "" for an invalid date.
QString monthKey(const QDate &date);

struct Correction
{
    enum Status {
        Corrected,         // value brought from the deposit month to the reference
        NoDepositDate,     // the cheque has no deposit date
        NoDepositFactor,   // the deposit month has no row or a zero factor
        NoReferenceFactor, // the reference month has no row or a zero factor
    };

    Status status = Corrected;
    // Corrected value at full precision; the face value when not corrected.
    double value = 0;
    // The month that lacks a factor ("" when corrected or with no date).
    QString missingMonth;

    bool ok() const { return status == Corrected; }
};

// value + value * (reference factor / deposit factor - 1), unrounded; both
// factors must be other than zero.
double correctedByFactors(double value, double depositFactor, double referenceFactor);

// value + value * (reference factor / deposit-month factor - 1), unrounded.
// Both screens store it rounded to two decimals: see roundedValue().
Correction correctValue(const CorrectionTable &table, double value, const QDate &depositDate,
                        const QString &referenceMonth);

// The same with the reference factor given as a number (the agreement screen
// takes it from the factor it shows); a zero factor gives NoReferenceFactor
// with no month named.
Correction correctValueByFactor(const CorrectionTable &table, double value,
                                const QDate &depositDate, double referenceFactor);

// The stored form of a corrected value: "0.00", half away from zero.
double roundedValue(double value);

} // namespace kq::shell
