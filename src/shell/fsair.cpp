#include "shell/fsair.h"

#include "shell/services/procedures.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kq::shell {

namespace {
std::function<void()> &encerrarHook()
{
    static std::function<void()> hook;
    return hook;
}
} // namespace

void EncerrarPrograma()
{
    if (encerrarHook()) {
        encerrarHook()();
        return;
    }
    // exit(), not quit(): quit() would first offer every window its close event.
    QCoreApplication::exit(0);
}

void setEncerrarProgramaHook(std::function<void()> hook)
{
    encerrarHook() = std::move(hook);
}

fsair::fsair(QWidget *parent)
    : Screen(QStringLiteral("fsair"), parent)
{
    setWindowTitle(QStringLiteral("Sair do Sistema"));
    setGradient(true);
    setTwipsSize(5400, 2600);
    setPlacement(Placement::Opener);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(48, 48));
    picture->setAttribute(Qt::WA_TranslucentBackground);

    Label1 = new QLabel(QStringLiteral("Deseja realmente sair do sistema ?"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));

    cmdOK = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton),
                            QStringLiteral("Ok"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setAutoDefault(false);
    Command1 = new QPushButton(QStringLiteral("Retornar"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    // "Retornar" is the default and the cancel button: Enter and Esc choose it.
    setDialogKeys(Command1, Command1);

    auto *line1 = new QFrame(this);
    line1->setFrameShape(QFrame::HLine);
    auto *line2 = new QFrame(this);
    line2->setFrameShape(QFrame::HLine);

    auto *top = new QHBoxLayout;
    top->addWidget(picture);
    top->addWidget(Label1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(Command1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(line1);
    layout->addLayout(top);
    layout->addWidget(line2);
    layout->addStretch();
    layout->addLayout(buttons);

    connectTrapped(cmdOK, &QPushButton::clicked, &fsair::cmdOK_Click);
    connectTrapped(Command1, &QPushButton::clicked, &fsair::Command1_Click);
    Command1->setFocus();
}

void fsair::cmdOK_Click()
{
    // The program ends whatever the log does; a log that fails is noted in
    // the error log, without a question that would keep the program open.
    try {
        GravarLog(QStringLiteral("************EFETUOU LOG OFF NO SISTEMA************"),
                  QStringLiteral("**"));
    } catch (...) {
        GravarFalha(objectName());
    }
    EncerrarPrograma();
}

void fsair::Command1_Click()
{
    close();
}

} // namespace kq::shell
