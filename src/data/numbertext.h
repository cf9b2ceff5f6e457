#pragma once

#include <QString>

#include <optional>

namespace kq::data {

// How a number written as text is read.
enum class NumberRule {
    // As typed in the regional form ("1.234,50", "1234,5", "R$ 10,00"), also
    // the plain C form "1234.50".
    Regional,
    // The regional form alone, as the user types it ("4.9" is refused in pt_BR).
    RegionalOnly,
    // The C form, as a database or a script writes it (QString::toDouble:
    // "2.5", " 1e3 ", "inf"); blanks around it are left out.
    C,
    // The C form, else the Brazilian form ("2,5", "1.234,5").
    CThenBrazilian,
};

// The number `text` holds under `rule`; empty optional when it holds none.
std::optional<double> readNumber(const QString &text, NumberRule rule);

} // namespace kq::data
