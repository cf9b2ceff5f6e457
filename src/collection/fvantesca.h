#pragma once

#include "platform/screen.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kq::platform {
class DBCombo;
class DTPicker;
class GridEX;
} // namespace kq::platform

namespace kq::collection {

// The collector's follow-up of one debtor at a time: every debtor with his
// contact count, the chosen debtor's cheques, contacts, total debt and
// average delay, a new contact, and the instalment simulation. The current
// debtor is column 2 of the current row of GridEX2; the agreement and letter
// screens ask for it through currentDebtor().
class fvantesca : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit fvantesca(QWidget *parent = nullptr);

    // The debtor whose cheques and contacts are shown ("" before the first
    // choice).
    QString debtorShown() const { return m_debtor; }
    // The debtor of the current row of the debtor grid ("" when it stands on
    // none, or on a group row).
    QString currentDebtor() const;

    // Handlers, as the buttons and boxes call them.
    void CONFIRMA_Click();
    void Command1_Click(); // "Imprimir carta Vantesca"
    void Command2_Click(); // "Sair"
    void Command3_Click(); // "Agendar Novo Contato"
    void Command4_Click(); // "Fazer Acordo"
    void Command5_Click(); // "Excluir Histórico"
    void juros_LostFocus();
    void parcelas_LostFocus();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void debtorRowChanged();
    void showDebtor(const QString &code);
    // The shown debtor's cheques, total debt and average delay, read anew.
    void readCheques();
    void contactRowChanged();
    void bindContacts();
    void refetchDebtors();
    void simulate();
    QString dbPath() const;

    kq::platform::GridEX *GridEX2 = nullptr;
    kq::platform::GridEX *GridEX3 = nullptr;
    kq::platform::GridEX *GridEX1 = nullptr;
    kq::platform::DTPicker *dt_contato = nullptr;
    QPlainTextEdit *DS_hISTORICO = nullptr;
    QLineEdit *ENVOLVIDO = nullptr;
    kq::platform::DBCombo *cobrador = nullptr;
    QPushButton *CONFIRMA = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QLabel *totaldivida = nullptr;
    QLabel *mediaatraso = nullptr;
    QLineEdit *juros = nullptr;
    QLineEdit *parcelas = nullptr;
    QLabel *parcela = nullptr;
    QLabel *totalfinanciado = nullptr;
    QLineEdit *Text3 = nullptr;

    QString m_debtor;        // debtor of the grids and totals shown
    QString m_chosenContact; // CD_VANTESCA the delete acts on
    bool m_quiet = false;    // grid re-fetches of our own: no row-change work
};

// The open follow-up screen's current debtor ("" when the screen is not open
// or stands on no debtor).
QString followUpDebtor();

} // namespace kq::collection
