#pragma once

#include "registers/codetablescreen.h"

namespace kq::registers {

// The destinations register (table destinos).
class fdestinos : public CodeTableScreen
{
    Q_OBJECT
public:
    explicit fdestinos(QWidget *parent = nullptr);

    QLineEdit *cd_destino = nullptr;
    QLineEdit *ds_destino = nullptr;
};

} // namespace kq::registers
