#pragma once

#include "queries/reportlauncher.h"

class QPushButton;

namespace kq::platform {
class DBCombo;
class DTPicker;
} // namespace kq::platform

namespace kq::queries {

// "Relatórios de Clientes": one debtor's contact reports "3_*.rpt" by
// contact date.
class frelatorioscliente : public ReportLauncher
{
    Q_OBJECT
public:
    explicit frelatorioscliente(QWidget *parent = nullptr);

    void Command2_Click(); // "Executar"
    QString formula() const;

private:
    FileListBox *diretorio = nullptr;
    kq::platform::DTPicker *dt_inicio = nullptr;
    kq::platform::DTPicker *dt_fim = nullptr;
    kq::platform::DBCombo *cd_cliente = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace kq::queries
