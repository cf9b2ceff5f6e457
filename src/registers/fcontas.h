#pragma once

#include "registers/codetablescreen.h"

namespace kq::registers {

// The bank-domicile register (table domicilios).
class fcontas : public CodeTableScreen
{
    Q_OBJECT
public:
    explicit fcontas(QWidget *parent = nullptr);

    QLineEdit *cd_domicilio = nullptr;
    QLineEdit *nm_domicilio = nullptr;
};

} // namespace kq::registers
