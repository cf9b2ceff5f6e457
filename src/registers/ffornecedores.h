#pragma once

#include "shell/services/registerscreen.h"

class QComboBox;
class QGroupBox;

namespace kq::registers {

// The debtor register (table CLIENTES), with each debtor's contact history
// and the warning for a document another debtor already has.
class ffornecedores : public kq::shell::RegisterScreen
{
    Q_OBJECT
public:
    explicit ffornecedores(QWidget *parent = nullptr);

    QLineEdit *cd_cliente = nullptr;
    QLineEdit *nm_cliente = nullptr;
    QLineEdit *ds_endereco = nullptr;
    QLineEdit *ds_bairro = nullptr;
    QLineEdit *ds_cidade = nullptr;
    QComboBox *ds_estado = nullptr;
    QLineEdit *nr_telefone = nullptr;
    QLineEdit *cd_cep = nullptr;
    QLineEdit *nr_documento = nullptr;
    QLineEdit *ds_obs = nullptr;
    QGroupBox *Frame2 = nullptr;
    kq::platform::GridEX *GridEX2 = nullptr;

    void LimpaCampos() override;
    void Command1_Click() override; // "Sair"
    void nr_documento_LostFocus();

protected:
    void beforeInclude() override;
    void beforeAlter() override;
    void afterRowChange(const QString &key) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void formLoad();
    void log(const QString &texto1, const QString &texto2);
};

} // namespace kq::registers
