#pragma once

#include "registers/codetablescreen.h"

namespace kq::registers {

// The document-type register (table documentos).
class fdocumentos : public CodeTableScreen
{
    Q_OBJECT
public:
    explicit fdocumentos(QWidget *parent = nullptr);

    QLineEdit *cd_documento = nullptr;
    QLineEdit *ds_documento = nullptr;
};

} // namespace kq::registers
