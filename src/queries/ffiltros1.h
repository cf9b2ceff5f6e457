#pragma once

#include "queries/filterdialog.h"

class QLineEdit;

namespace kq::queries {

// "Filtros da Consulta de Documentos": the cheque query by store, store and
// deposit period, deposit period, or the beginning of the issuer's document.
class ffiltros1 : public FilterDialog
{
    Q_OBJECT
public:
    explicit ffiltros1(QWidget *parent = nullptr);

    kq::platform::DBCombo *ds_loja = nullptr;
    QPushButton *Command2 = nullptr;
    kq::platform::DBCombo *loja1 = nullptr;
    kq::platform::DTPicker *inicio = nullptr;
    kq::platform::DTPicker *fim = nullptr;
    QPushButton *Command1 = nullptr;
    kq::platform::DTPicker *inicio1 = nullptr;
    kq::platform::DTPicker *fim1 = nullptr;
    QPushButton *Command4 = nullptr;
    QLineEdit *nr_documento = nullptr;
    QPushButton *Command5 = nullptr;
};

} // namespace kq::queries
