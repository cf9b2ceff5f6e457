#include "shell/frmsplash.h"

#include "core/paths.h"
#include "shell/services/procedures.h"

#include <QGridLayout>
#include <QLabel>

namespace kq::shell {

frmSplash::frmSplash(QWidget *parent)
    : Screen(QStringLiteral("frmSplash"), parent)
{
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setTwipsSize(6600, 3600);
    auto *layout = new QGridLayout(this);
    auto *product = new QLabel(QStringLiteral("KQ-730\nSistema de Vantesca"), this);
    product->setObjectName(QStringLiteral("Image1"));
    product->setAlignment(Qt::AlignCenter);
    product->setStyleSheet(QStringLiteral("color: white; font-size: 22pt; font-weight: bold;"));
    auto *caption = new QLabel(QStringLiteral("Versão"), this);
    caption->setObjectName(QStringLiteral("Label1"));
    caption->setStyleSheet(QStringLiteral("color: white;"));
    versao = new QLabel(this);
    versao->setObjectName(QStringLiteral("versao"));
    versao->setStyleSheet(QStringLiteral("color: white;"));
    layout->addWidget(product, 0, 0, 1, 2);
    layout->addWidget(caption, 1, 0, Qt::AlignRight);
    layout->addWidget(versao, 1, 1, Qt::AlignLeft);

    versao->setText(kq::platform::versionText());
    PintarFundoPadrao(this);
}

void frmSplash::resizeEvent(QResizeEvent *event)
{
    Screen::resizeEvent(event);
    PintarFundoPadrao(this);
}

} // namespace kq::shell
