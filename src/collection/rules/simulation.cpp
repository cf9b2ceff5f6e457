#include "collection/rules/simulation.h"

#include "collection/rules/agreement.h"
#include "core/format.h"

#include <cmath>

namespace kq::collection {

std::optional<Simulation> simulateInstalments(double total, double taxa, double parcelas)
{
    if (!(taxa > 0) || !(parcelas > 0) || !std::isfinite(total))
        return std::nullopt;
    const double p = priceInstalment(total, taxa, parcelas);
    if (!std::isfinite(p))
        return std::nullopt;
    Simulation s;
    s.parcela = kq::platform::roundHalfAway(p, 2);
    s.totalFinanciado = parcelas * s.parcela;
    return s;
}

std::optional<Simulation> simulateInstalments(const QString &total, const QString &taxa,
                                              const QString &parcelas)
{
    const auto t = kq::platform::parseNumber(total);
    const auto r = kq::platform::parseNumber(taxa);
    const auto n = kq::platform::parseNumber(parcelas);
    if (!t || !r || !n)
        return std::nullopt;
    return simulateInstalments(*t, *r, *n);
}

} // namespace kq::collection
