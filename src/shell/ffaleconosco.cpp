#include "shell/ffaleconosco.h"

#include "core/paths.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace kq::shell {

ffaleconosco::ffaleconosco(QWidget *parent)
    : Screen(QStringLiteral("ffaleconosco"), parent)
{
    setWindowTitle(QStringLiteral("Fale Conosco"));
    setGradient(true);
    setTwipsSize(6600, 4200);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    const QPixmap image(kq::platform::programFile(QStringLiteral("imagem.jpg")));
    if (!image.isNull())
        picture->setPixmap(image.scaled(120, 90, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    auto *contato = new QGroupBox(QStringLiteral("Contato"), this);
    contato->setObjectName(QStringLiteral("Frame1"));
    contato->setAutoFillBackground(true);
    auto *cl = new QVBoxLayout(contato);
    for (const char *text : {"kq-730 Sistema de Vantesca",
                             "Dúvidas sobre o sistema: fale com o responsável pelo "
                             "sistema no seu escritório.",
                             "Sugestões e problemas: registre-os com o suporte do kq-730."}) {
        auto *l = new QLabel(QString::fromUtf8(text), contato);
        l->setWordWrap(true);
        cl->addWidget(l);
    }
    cl->addStretch();

    Command1 = new QPushButton(QStringLiteral("&Sair"), this);
    Command1->setObjectName(QStringLiteral("Command1"));

    auto *top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addWidget(contato, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    connectTrapped(Command1, &QPushButton::clicked, &ffaleconosco::Command1_Click);
}

void ffaleconosco::Command1_Click()
{
    close();
}

} // namespace kq::shell
