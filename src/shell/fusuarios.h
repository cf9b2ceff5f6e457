#pragma once

#include "shell/services/registerscreen.h"

namespace kq::shell {

// The users register: who may log in, with a generated code, a name and a
// password kept as a salted hash.
class fusuarios : public RegisterScreen
{
    Q_OBJECT
public:
    explicit fusuarios(QWidget *parent = nullptr);

    QLineEdit *cd_usuario = nullptr;
    QLineEdit *usuario = nullptr;
    QLineEdit *senha = nullptr;

    void LimpaCampos() override;
    void MostraRegistro() override;

protected:
    FieldValues includeFields() override;
    FieldValues alterFields() override;

private:
    void buildControls();
    void formLoad();
};

} // namespace kq::shell
