#pragma once

#include "data/recordset.h"
#include "platform/screen.h"

class QPushButton;

namespace kq::platform {
class DBList;
class GridEX;
} // namespace kq::platform

namespace kq::queries {

class FileListBox;

// "Cartas de Vantesca": a collection letter for the follow-up screen's
// current debtor about his cheques at one store.
class frelatorioscartas : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit frelatorioscartas(QWidget *parent = nullptr);

    // Handlers, as the controls call them.
    void ds_loja_Click();
    void Command2_Click(); // "Executar"
    void Command1_Click(); // "Sair"

    // The debtor of the cheques listed and of the last letter ("" before a
    // store is chosen).
    QString debtor() const { return m_debtor; }

    // The cheque query of one debtor at one store.
    static kq::data::RecordSource chequeQuery(const QString &cliente, const QString &loja);

private:
    void buildControls();
    void Form_Load();
    QString dbPath() const;
    // Lists the debtor's cheques at the chosen store and reads his record.
    void bindCheques(const QString &debtor);

    FileListBox *diretorio = nullptr;
    kq::platform::DBList *ds_loja = nullptr;
    kq::platform::GridEX *GridEX1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;

    kq::data::Recordset Data2; // the debtor
    kq::data::Recordset Data3; // the office parameters
    kq::data::Recordset Data4; // the cheques of the letter
    QString m_debtor;
    QString m_store;
    QString m_storeName;
};

} // namespace kq::queries
