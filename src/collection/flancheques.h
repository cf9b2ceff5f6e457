#pragma once

#include "data/recordsource.h"
#include "platform/screen.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kq::platform {
class DBCombo;
class GridEX;
class GridRow;
class MaskEdBox;
} // namespace kq::platform

namespace kq::collection {

struct ChequeForm;

// Entry of returned cheques: include, alter, delete, the list of every cheque
// in its store's colour, the cheque reader's line and the look-ups by
// document and by debtor.
class flancheques : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit flancheques(QWidget *parent = nullptr);

    // Handlers, as the buttons and boxes call them.
    void CONFIRMA_Click();
    void alterar_Click();
    void EXCLUIR_Click();
    void Command2_Click(); // "Limpa Campos"
    void Command1_Click(); // "Sair"
    void Command3_Click(); // ">>" (nova loja (F3))
    void Command4_Click(); // ">>" (novo inadimplente (F2))
    void Command5_Click(); // "Localizar"
    void agrupar_Click();
    void ds_leitora_LostFocus();
    void nm_cliente_Change();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void LimpaCampos();
    // Shows the cheque with that key in the entry fields.
    void MostraRegistro(const QString &key);
    void clearDateBox();
    // False, after asking the user to choose, when a list's typed text
    // names several rows.
    bool listsAreClear() const;
    ChequeForm readForm() const;
    void refreshList();
    void bindHistory(const kq::data::RecordSource &recordSource);
    void gridRowChanged();
    void formatRow(kq::platform::GridRow &row);
    QString dbPath() const;

    kq::platform::DBCombo *nm_cliente = nullptr;
    kq::platform::DBCombo *ds_loja = nullptr;
    kq::platform::DBCombo *ds_destino = nullptr;
    kq::platform::DBCombo *ds_situacao = nullptr;
    kq::platform::DBCombo *ds_documento = nullptr;
    QLineEdit *ds_leitora = nullptr;
    QLineEdit *CD_BANCO = nullptr;
    QLineEdit *CD_AGENCIA = nullptr;
    QLineEdit *CD_CONTA = nullptr;
    QLineEdit *NR_CHEQUE = nullptr;
    kq::platform::MaskEdBox *dt_deposito = nullptr;
    QLineEdit *VL_CHEQUE = nullptr;
    QLineEdit *CD_ALINEA = nullptr;
    QLineEdit *nr_documento = nullptr;
    QLineEdit *NM_EMITENTE = nullptr;
    QLabel *CD_DEVOLVIDO = nullptr;
    QPushButton *CONFIRMA = nullptr;
    QPushButton *alterar = nullptr;
    QPushButton *EXCLUIR = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QCheckBox *agrupar = nullptr;
    kq::platform::GridEX *GridEX1 = nullptr;
    kq::platform::GridEX *GridEX3 = nullptr;

    QString m_debtorShown; // debtor of the last debtor look-up
    bool m_showing = false;
};

} // namespace kq::collection
