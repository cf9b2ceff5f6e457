#pragma once

#include <QString>
#include <optional>

namespace kq::collection {

// An instalment plan for a debt at a monthly rate, by the Price formula.
struct Simulation
{
    double parcela = 0;         // the instalment, rounded as the currency shows it
    double totalFinanciado = 0; // count x the rounded instalment
};

// total: the debt as shown ("0.00"); taxa: monthly rate in percent; parcelas:
// the number of instalments, used as it is (2.5 is allowed). Nothing when the
// rate or the count is not above zero.
std::optional<Simulation> simulateInstalments(double total, double taxa, double parcelas);

// The same from the texts of the screen's boxes, read in the regional
// format. Nothing when one of them is not a number or the guard refuses.
std::optional<Simulation> simulateInstalments(const QString &total, const QString &taxa,
                                              const QString &parcelas);

} // namespace kq::collection
