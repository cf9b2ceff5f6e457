#pragma once

#include "queries/reportlauncher.h"

class QPushButton;
class QRadioButton;

namespace kq::platform {
class DBCombo;
class DTPicker;
} // namespace kq::platform

namespace kq::queries {

// "Relatórios do Sistema": the returned-cheque reports "1_*.rpt", by
// deposit date, for one store ("Empresa") or all ("Todos").
class frelatorios : public ReportLauncher
{
    Q_OBJECT
public:
    explicit frelatorios(QWidget *parent = nullptr);

    void Command2_Click(); // "Executar"
    // The formula of the choices shown.
    QString formula() const;

private:
    FileListBox *diretorio = nullptr;
    kq::platform::DTPicker *dt_inicio = nullptr;
    kq::platform::DTPicker *dt_fim = nullptr;
    kq::platform::DBCombo *cd_loja = nullptr;
    QRadioButton *empresa = nullptr;
    QRadioButton *todos = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace kq::queries
