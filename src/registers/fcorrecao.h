#pragma once

#include "shell/services/registerscreen.h"

class QCheckBox;

namespace kq::platform {
class MaskEdBox;
}

namespace kq::registers {

// The monthly correction factors (table correcao), one per reference month
// "YYYY/MM" typed by the user.
class fcorrecao : public kq::shell::RegisterScreen
{
    Q_OBJECT
public:
    explicit fcorrecao(QWidget *parent = nullptr);

    kq::platform::MaskEdBox *cd_ref = nullptr;
    QLineEdit *fator = nullptr;
    QCheckBox *agrupar = nullptr;

    void LimpaCampos() override;
    void MostraRegistro() override;
    void agrupar_Click();

    static QString monthMask() { return QStringLiteral("####/##"); }

protected:
    QString newKey() override;
    bool includeAllowed() override { return monthAccepted(); }
    bool alterAllowed() override { return monthAccepted(); }
    kq::shell::FieldValues includeFields() override;
    kq::shell::FieldValues alterFields() override;
    QString deleteName() override;

private:
    // A whole "YYYY/MM" with a month 01 to 12; otherwise the user is told.
    bool monthAccepted();
    void buildControls();
    void formLoad();
};

} // namespace kq::registers
