#pragma once

#include "platform/screen.h"

class QPushButton;

namespace kq::shell {

// "Fale Conosco": the contact information.
class ffaleconosco : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit ffaleconosco(QWidget *parent = nullptr);

    QPushButton *Command1 = nullptr;

    void Command1_Click(); // "Sair"
};

} // namespace kq::shell
