#pragma once

#include "platform/screen.h"

class QLabel;

namespace kq::shell {

// Shown while the main window is made ready.
class frmSplash : public kq::platform::Screen
{
    Q_OBJECT
public:
    explicit frmSplash(QWidget *parent = nullptr);

    QLabel *versao = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
};

} // namespace kq::shell
