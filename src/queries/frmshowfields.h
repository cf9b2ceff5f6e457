#pragma once

#include "platform/screen.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace kq::platform {
class GridEX;
}

namespace kq::queries {

// "Seleção de Campos": which columns of a grid are shown, and in which order.
class frmShowfields : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit frmShowfields(QWidget *parent = nullptr);

    // Shows the chooser modally over the grid's columns; on "OK" hides the
    // columns left in "Campos Disponíveis" and shows the others in the order
    // of "Campos  Visiveis". Unloads the chooser. True when "OK" was pressed.
    bool ShowFields(kq::platform::GridEX &gr);

    QLabel *lblcaption0 = nullptr;
    QListWidget *lstAvail = nullptr;
    QLabel *lblcaption1 = nullptr;
    QListWidget *lstVisible = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdRemove = nullptr;
    QPushButton *cmdUp = nullptr;
    QPushButton *cmdDown = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdUp_Click();
    void cmdDown_Click();
    void moveBetween(QListWidget *source, QListWidget *target);
    void moveWithin(int step);
    void EnableButtons();

    bool m_ok = false;
    bool m_showing = false;
};

} // namespace kq::queries
