#pragma once

#include "data/recordset.h"
#include "platform/screen.h"

class QLineEdit;
class QPushButton;
class QTabWidget;

namespace kq::platform {
class MaskEdBox;
}

namespace kq::shell {

// "Parametros": the office's data and the letter texts, the one row of
// table parametros.
class fparametros : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit fparametros(QWidget *parent = nullptr);

    QTabWidget *SSTab1 = nullptr;
    QLineEdit *ds_empresa = nullptr;
    QLineEdit *ds_endereco = nullptr;
    QLineEdit *ds_bairro = nullptr;
    QLineEdit *ds_cidade = nullptr;
    QLineEdit *ds_estado = nullptr;
    QLineEdit *cd_cep = nullptr;
    QLineEdit *nr_telefone = nullptr;
    QLineEdit *ds_cabecalho = nullptr;
    QLineEdit *ds_prazo = nullptr;
    QLineEdit *ds_forma = nullptr;
    kq::platform::MaskEdBox *permiteacordo = nullptr;
    QPushButton *alterar = nullptr;
    QPushButton *Command1 = nullptr;

    kq::data::Recordset Data1;

    void alterar_Click();
    void Command1_Click(); // "Sair e Salvar"

private:
    void buildControls();
    void Form_Load();
    // The ten text boxes with their fields, in writing order.
    QList<QPair<QString, QLineEdit *>> textFields() const;
};

} // namespace kq::shell
