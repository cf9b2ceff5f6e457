#pragma once

#include "data/recordset.h"
#include "platform/screen.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kq::platform {
class ButtonBar;
}

namespace kq::shell {

// Key of a help option: group "-" item, plain decimal numbers ("1-2").
QString chaveModulo(int grupo, int item);

// "Help do Sistema": one help text per option, kept in help.mdb.
class fhelp : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit fhelp(QWidget *parent = nullptr);

    kq::platform::ButtonBar *ButtonBar1 = nullptr;
    QLabel *modulo = nullptr;
    QPlainTextEdit *ajuda = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;

    kq::data::Recordset Data1;

    void ButtonBar1_ItemClick(int grupo, int item);
    void Command2_Click(); // "Command2" (saves the text)
    void Command1_Click(); // "Sair"

private:
    void buildControls();
    void Form_Load();
};

} // namespace kq::shell
