#pragma once

#include "platform/screen.h"

#include <functional>

class QLabel;
class QPushButton;

namespace kq::shell {

// Ends the program at once: no closing handler of any screen runs.
void EncerrarPrograma();
// Replaces what EncerrarPrograma does (tests); an empty function restores it.
void setEncerrarProgramaHook(std::function<void()> hook);

// "Sair do Sistema": confirms the exit, logs the log-off and ends the program.
class fsair : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit fsair(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *Command1 = nullptr;

    void cmdOK_Click();
    void Command1_Click(); // "Retornar"
};

} // namespace kq::shell
