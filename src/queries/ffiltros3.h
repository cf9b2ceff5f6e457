#pragma once

#include "queries/filterdialog.h"

namespace kq::queries {

// "Consulta do Contas a Pagar" of the agreement query: by store and agreement
// date, by debtor, or by agreement date.
class ffiltros3 : public FilterDialog
{
    Q_OBJECT
public:
    explicit ffiltros3(QWidget *parent = nullptr);

    kq::platform::DBCombo *nm_cliente = nullptr;
    QPushButton *Command2 = nullptr;
    kq::platform::DBCombo *loja1 = nullptr;
    kq::platform::DTPicker *inicio = nullptr;
    kq::platform::DTPicker *fim = nullptr;
    QPushButton *Command1 = nullptr;
    kq::platform::DTPicker *inicio1 = nullptr;
    kq::platform::DTPicker *fim1 = nullptr;
    QPushButton *Command4 = nullptr;
};

} // namespace kq::queries
