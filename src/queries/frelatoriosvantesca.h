#pragma once

#include "queries/reportlauncher.h"

class QPushButton;

namespace kq::platform {
class DTPicker;
} // namespace kq::platform

namespace kq::queries {

// "Relatórios do Sistema": the follow-up contact reports "2_*.rpt" by
// contact date.
class frelatoriosvantesca : public ReportLauncher
{
    Q_OBJECT
public:
    explicit frelatoriosvantesca(QWidget *parent = nullptr);

    void Command2_Click(); // "Executar"
    QString formula() const;

private:
    FileListBox *diretorio = nullptr;
    kq::platform::DTPicker *dt_inicio = nullptr;
    kq::platform::DTPicker *dt_fim = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace kq::queries
