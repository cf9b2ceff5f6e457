#pragma once

#include "platform/screen.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace kq::platform {
class DBCombo;
class DTPicker;
class GridEX;
} // namespace kq::platform

namespace kq::collection {

// "Agenda": the scheduled contacts with debtors; adds and deletes entries.
class fagenda : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit fagenda(QWidget *parent = nullptr);

    // The entry "Excluir" acts on ("" when none).
    QString locatedEntry() const { return m_located; }

private:
    void buildControls();
    void buildGrid();
    void Command3_Click(); // "Agendar Novo Contato"
    void Command2_Click(); // "Excluir"
    void locate();

    QString m_db;
    QString m_located;
    bool m_ignoreRowChange = false;

    kq::platform::DBCombo *nm_cliente = nullptr;
    kq::platform::DTPicker *dt_marcada = nullptr;
    QPlainTextEdit *DS_hISTORICO = nullptr;
    kq::platform::DBCombo *cobrador = nullptr;
    QLabel *cd_agenda = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QRadioButton *Option3 = nullptr;
    kq::platform::GridEX *GridEX1 = nullptr;
};

} // namespace kq::collection
