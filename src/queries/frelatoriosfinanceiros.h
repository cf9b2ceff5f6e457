#pragma once

#include "queries/reportlauncher.h"

class QPushButton;

namespace kq::platform {
class DBCombo;
class DTPicker;
} // namespace kq::platform

namespace kq::queries {

// "Relatórios Financeiros": panel "Acordos" (agreement reports "4_*.rpt" by
// agreement date) and panel "Parcelamento" (instalment reports "5_*.rpt" by
// due date), each for one store or all.
class frelatoriosfinanceiros : public ReportLauncher
{
    Q_OBJECT
public:
    explicit frelatoriosfinanceiros(QWidget *parent = nullptr);

    void Command2_Click(); // "Executar Por Cliente" (Acordos, por cliente)
    void Command3_Click(); // "Executar Geral" (Acordos, geral)
    void Command4_Click(); // "Executar Por Cliente" (Parcelamento, por cliente)
    void Command5_Click(); // "Executar Geral" (Parcelamento, geral)

private:
    QWidget *panel(const QString &title, FileListBox *list, kq::platform::DBCombo *loja,
                   QWidget *period, QPushButton *porCliente, QPushButton *geral);

    FileListBox *diretorio = nullptr;
    FileListBox *diretorio1 = nullptr;
    kq::platform::DBCombo *cd_loja = nullptr;
    kq::platform::DBCombo *cd_loja1 = nullptr;
    kq::platform::DTPicker *dt_inicio = nullptr;
    kq::platform::DTPicker *dt_fim = nullptr;
    kq::platform::DTPicker *dt_inicio1 = nullptr;
    kq::platform::DTPicker *dt_fim1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
};

} // namespace kq::queries
