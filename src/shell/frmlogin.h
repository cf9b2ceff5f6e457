#pragma once

#include "data/recordset.h"
#include "platform/screen.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kq::platform {
class DBCombo;
class DBList;
} // namespace kq::platform

namespace kq::shell {

// The login dialog: a new instance at every start. Its property
// "LoginAceito" is true once a user gave the right password.
class frmLogin : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit frmLogin(QWidget *parent = nullptr);

    bool LoginAceito() const { return property("LoginAceito").toBool(); }

    kq::data::Recordset Data1;
    kq::platform::DBList *DBList1 = nullptr;
    kq::platform::DBCombo *txtusername = nullptr;
    QLineEdit *txtPassword = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QLabel *lblLabels0 = nullptr;
    QLabel *lblLabels1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Image2 = nullptr;

    void DBList1_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    // Text shown when the users table is empty.
    static QString noUserMessage();

protected:
    bool previewKey(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    void formLoad();
    void refreshLists();
    // Combo row of the user named by the combo's text; -1 when none.
    int chosenRow() const;
    void setLoginAceito(bool on) { setProperty("LoginAceito", on); }
};

} // namespace kq::shell
