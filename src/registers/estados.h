#pragma once

#include <QStringList>

namespace kq::registers {

// The 26 state abbreviations of the registers' state lists, in their order.
inline QStringList estados()
{
    return {"AC", "AL", "AM", "BA", "CE", "DF", "ES", "GO", "MA", "MT", "MS", "MG", "PA",
            "PB", "PR", "PE", "PI", "RJ", "RN", "RS", "RO", "RR", "SC", "SP", "SE", "TO"};
}

} // namespace kq::registers
