#pragma once

#include "registers/codetablescreen.h"

class QComboBox;

namespace kq::registers {

// The situations register (table situacoes) with each situation's agreement
// flag CD_ACORDO: "0" (SIM) when its cheques may enter an agreement.
class fsituacao : public CodeTableScreen
{
    Q_OBJECT
public:
    explicit fsituacao(QWidget *parent = nullptr);

    QLineEdit *cd_situacao = nullptr;
    QLineEdit *ds_situacao = nullptr;
    QComboBox *cd_acordo = nullptr;

    void MostraRegistro() override;

protected:
    kq::shell::FieldValues includeFields() override;
    kq::shell::FieldValues alterFields() override;
};

} // namespace kq::registers
