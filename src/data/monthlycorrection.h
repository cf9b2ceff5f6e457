#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include <functional>

namespace kq::data {

// One run over every cheque of the business database (DEVOLVIDOS): a cheque
// whose deposit month has a factor gets vl_atualizado = corrected(VL_CHEQUE,
// factor) and ref_atualizacao = newestMonth; any other keeps its face value
// and no month.
struct MonthlyCorrection
{
    QHash<int, double> factors; // yyyymm -> usable factor
    double newestFactor = 0;
    QString newestMonth; // "YYYY/MM"
    // The stored corrected value; a server computes the same in its
    // statement (see the formula in monthlycorrection.cpp).
    std::function<double(double value, double factor)> corrected;
    QString source; // the procedure a failure names
};

struct MonthlyCorrectionCount
{
    qint64 cheques = 0;     // cheques brought up to date (a server writes only those that change)
    qint64 uncorrected = 0; // cheques with a value left at their face value
    qint64 withoutDate = 0; // of those, cheques with no deposit date
    QSet<int> missing;      // yyyymm of deposit months with no factor
};

// Runs the correction in one transaction (all or nothing). `progress` hears
// of the cheques done so far and in all after each part; it throws to stop
// the run, and the transaction rolls back. Throws DataError.
MonthlyCorrectionCount correctByMonth(const QString &path, const MonthlyCorrection &run,
                                      const std::function<void(qint64, qint64)> &progress);

} // namespace kq::data
