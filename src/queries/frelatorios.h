#pragma once

#include "platform/screen.h"

class QPushButton;
class QRadioButton;

namespace kq::platform {
class DBCombo;
class DTPicker;
class ReportEngine;
} // namespace kq::platform

namespace kq::queries {

class FileListBox;

// "Relatórios do Sistema": the returned-cheque reports "1_*.rpt", by
// deposit date, for one store ("Empresa") or all ("Todos").
class frelatorios : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit frelatorios(QWidget *parent = nullptr);

    void Command2_Click(); // "Executar"
    void Command1_Click(); // "Sair"
    // The formula of the choices shown.
    QString formula() const;
    kq::platform::ReportEngine *engine() const { return CrystalReport1; }

private:
    FileListBox *diretorio = nullptr;
    kq::platform::DTPicker *dt_inicio = nullptr;
    kq::platform::DTPicker *dt_fim = nullptr;
    kq::platform::DBCombo *cd_loja = nullptr;
    QRadioButton *empresa = nullptr;
    QRadioButton *todos = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
    kq::platform::ReportEngine *CrystalReport1 = nullptr;
};

} // namespace kq::queries
