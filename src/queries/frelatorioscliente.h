#pragma once

#include "platform/screen.h"

class QPushButton;

namespace kq::platform {
class DBCombo;
class DTPicker;
class ReportEngine;
} // namespace kq::platform

namespace kq::queries {

class FileListBox;

// "Relatórios de Clientes": one debtor's contact reports "3_*.rpt" by
// contact date.
class frelatorioscliente : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit frelatorioscliente(QWidget *parent = nullptr);

    void Command2_Click(); // "Executar"
    void Command1_Click(); // "Sair"
    QString formula() const;
    kq::platform::ReportEngine *engine() const { return CrystalReport1; }

private:
    FileListBox *diretorio = nullptr;
    kq::platform::DTPicker *dt_inicio = nullptr;
    kq::platform::DTPicker *dt_fim = nullptr;
    kq::platform::DBCombo *cd_cliente = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
    kq::platform::ReportEngine *CrystalReport1 = nullptr;
};

} // namespace kq::queries
