#include "shell/fhelp.h"

#include "data/datafolder.h"
#include "platform/buttonbar.h"
#include "platform/dialogs.h"
#include "shell/services/appstate.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kq::shell {

QString chaveModulo(int grupo, int item)
{
    return QStringLiteral("%1-%2").arg(grupo).arg(item);
}

fhelp::fhelp(QWidget *parent)
    : Screen(QStringLiteral("fhelp"), parent)
{
    buildControls();
    Form_Load();
}

void fhelp::buildControls()
{
    setWindowTitle(QStringLiteral("Help do Sistema"));
    setGradient(true);
    setTwipsSize(9000, 6000);

    ButtonBar1 = new kq::platform::ButtonBar(this);
    ButtonBar1->setObjectName(QStringLiteral("ButtonBar1"));
    const int g = ButtonBar1->addGroup(QStringLiteral("Módulos"));
    ButtonBar1->addItem(g, QStringLiteral("Parceiros"), QStringLiteral("Parceiros"));
    ButtonBar1->addItem(g, QStringLiteral("Usuarios"), QStringLiteral("Usuários"));
    ButtonBar1->setFixedWidth(150);

    modulo = new QLabel(this);
    modulo->setObjectName(QStringLiteral("modulo"));
    modulo->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    ajuda = new QPlainTextEdit(this);
    ajuda->setObjectName(QStringLiteral("ajuda"));
    ajuda->setAccessibleName(QStringLiteral("ajuda"));

    Command2 = new QPushButton(QStringLiteral("Command2"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    // Nothing to save under until an option is chosen.
    Command2->setEnabled(false);
    Command1 = new QPushButton(QStringLiteral("Sair"), this);
    Command1->setObjectName(QStringLiteral("Command1"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto *right = new QVBoxLayout;
    right->addWidget(modulo);
    right->addWidget(ajuda, 1);
    right->addLayout(buttons);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(ButtonBar1);
    layout->addLayout(right, 1);

    connectTrapped(ButtonBar1, &kq::platform::ButtonBar::itemClick, &fhelp::ButtonBar1_ItemClick);
    connectTrapped(Command2, &QPushButton::clicked, &fhelp::Command2_Click);
    connectTrapped(Command1, &QPushButton::clicked, &fhelp::Command1_Click);
}

void fhelp::Form_Load()
{
    const QString db = dataPath(kq::data::kHelp);
    if (!QFileInfo(db).isFile()) {
        ButtonBar1->setEnabled(false);
        ajuda->setEnabled(false);
        kq::platform::Dialogs::message(QStringLiteral("Banco de dados de ajuda não encontrado: %1")
                                           .arg(QDir::toNativeSeparators(db)),
                                       QString(), kq::platform::Buttons::Ok,
                                       kq::platform::Icon::Warning);
        return;
    }
    Data1.setDatabaseName(db);
    Data1.setRecordSource(QStringLiteral("select * from  help order by cd_modulo"));
    Data1.refresh();
}

void fhelp::ButtonBar1_ItemClick(int grupo, int item)
{
    modulo->setText(chaveModulo(grupo, item));
    Command2->setEnabled(true);
    // An option with no text yet starts empty, so the text of the option shown
    // before is never saved under this one.
    if (Data1.findFirst(QStringLiteral("cd_MODULO"), modulo->text()))
        ajuda->setPlainText(Data1.text(QStringLiteral("ds_help")));
    else
        ajuda->clear();
}

void fhelp::Command2_Click()
{
    const QString chave = modulo->text();
    if (chave.isEmpty())
        return;
    if (Data1.findFirst(QStringLiteral("cd_MODULO"), chave))
        Data1.edit();
    else
        Data1.addNew();
    Data1.setField(QStringLiteral("ds_help"), ajuda->toPlainText());
    Data1.setField(QStringLiteral("cd_modulo"), chave);
    Data1.update();
}

void fhelp::Command1_Click()
{
    close();
}

} // namespace kq::shell
