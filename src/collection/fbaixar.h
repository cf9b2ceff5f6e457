#pragma once

#include "platform/screen.h"

#include <QString>
#include <optional>

class QLabel;
class QPushButton;

namespace kq::platform {
class DTPicker;
class GridEX;
} // namespace kq::platform

namespace kq::collection {

// "Seleção de Baixa": the open instalments due in a period, from which one is
// chosen for the write-off dialog.
class fbaixar : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit fbaixar(QWidget *parent = nullptr);

    // Reads the list again with the query of the last "Filtrar".
    void refreshList();

    // The agreement and instalment numbers of the current row.
    struct InstalmentRow
    {
        QString cdAcordo;
        QString cdParcela;
    };
    // Empty when the list stands on no instalment (none listed, or a group row).
    std::optional<InstalmentRow> currentInstalment() const;

    kq::platform::DTPicker *dt_inicio = nullptr;
    kq::platform::DTPicker *dt_fim = nullptr;
    QPushButton *Command1 = nullptr;
    kq::platform::GridEX *GridEX1 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command2 = nullptr;
    QLabel *navigator = nullptr;

private:
    void Command1_Click(); // "Filtrar"
    void updateNavigator();
};

} // namespace kq::collection
