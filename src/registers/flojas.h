#pragma once

#include "shell/services/registerscreen.h"

class QComboBox;
class QGroupBox;

namespace kq::registers {

// The store register (table lojas): the creditor companies, each with its
// colour and the collection terms an agreement starts from.
class flojas : public kq::shell::RegisterScreen
{
    Q_OBJECT
public:
    explicit flojas(QWidget *parent = nullptr);

    QLineEdit *cd_loja = nullptr;
    QLineEdit *ds_loja = nullptr;
    QLineEdit *nm_fantasia = nullptr;
    QLineEdit *ds_endereco = nullptr;
    QLineEdit *ds_complemento = nullptr;
    QLineEdit *ds_cidade = nullptr;
    QLineEdit *ds_bairro = nullptr;
    QComboBox *cd_uf = nullptr;
    QLineEdit *nr_cep = nullptr;
    QLineEdit *nr_telefone = nullptr;
    QLineEdit *cd_cgc = nullptr;
    QLineEdit *nr_inscricao = nullptr;
    QLineEdit *ds_email = nullptr;
    QLineEdit *cd_cor = nullptr;
    QPushButton *Command3 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QLineEdit *vl_juros = nullptr;
    QLineEdit *vl_honorarios = nullptr;
    QLineEdit *vl_multa = nullptr;
    QLineEdit *nr_parcelas = nullptr;

    void LimpaCampos() override;
    void MostraRegistro() override;
    void Command3_Click(); // ".."

    static QString colorMissingMessage();

protected:
    QString newKey() override;
    bool includeAllowed() override;
    kq::shell::FieldValues includeFields() override;
    kq::shell::FieldValues alterFields() override;
    void afterInclude(const QString &key) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void formLoad();
    void showColor();
    void paintColorBox(const QColor &color);
    void resetTerms();
};

} // namespace kq::registers
