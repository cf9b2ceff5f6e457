#include "shell/frmlogin.h"

#include "data/datafolder.h"
#include "platform/dbcombo.h"
#include "platform/dialogs.h"
#include "core/paths.h"
#include "platform/screenregistry.h"
#include "shell/services/appstate.h"
#include "shell/fusuarios.h"
#include "shell/rules/passwords.h"
#include "shell/services/procedures.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace kq::shell {

using kq::platform::Dialogs;

namespace {
const QString kUsers = QStringLiteral("select * from  usuarios order by usuario");
}

QString frmLogin::noUserMessage()
{
    return QStringLiteral("Não existe usuario cadastrado!!! Antes de continuar preencha a senha "
                          "do supervisor click em incluir !! Obrigado Bom Teste");
}

frmLogin::frmLogin(QWidget *parent)
    : Screen(QStringLiteral("frmLogin"), parent)
{
    setLoginAceito(false);
    buildControls();
    formLoad();
}

void frmLogin::buildControls()
{
    setWindowTitle(QStringLiteral("Login"));
    setTwipsSize(6000, 2900);
    auto *grid = new QGridLayout(this);

    auto picture = [this](const char *name, QStyle::StandardPixmap icon) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setPixmap(style()->standardIcon(icon).pixmap(40, 40));
        l->setAttribute(Qt::WA_TranslucentBackground);
        return l;
    };
    Image1 = picture("Image1", QStyle::SP_ComputerIcon);
    Image2 = picture("Image2", QStyle::SP_DialogYesButton);

    lblLabels0 = new QLabel(QStringLiteral("&Usuário"), this);
    lblLabels0->setObjectName(QStringLiteral("lblLabels0"));
    lblLabels1 = new QLabel(QStringLiteral("&Senha"), this);
    lblLabels1->setObjectName(QStringLiteral("lblLabels1"));
    for (QLabel *l : {lblLabels0, lblLabels1})
        l->setStyleSheet(QStringLiteral("QLabel { color: white; font-weight: bold; }"));

    txtusername = new kq::platform::DBCombo(this);
    txtusername->setObjectName(QStringLiteral("txtusername"));
    txtusername->setToolTip(QStringLiteral("Escolha o usuário do sistema"));
    txtusername->setMinimumWidth(170);
    lblLabels0->setBuddy(txtusername);

    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setToolTip(QStringLiteral("Digite a senha do usuário selecionado."));
    lblLabels1->setBuddy(txtPassword);

    DBList1 = new kq::platform::DBList(this);
    DBList1->setObjectName(QStringLiteral("DBList1"));
    DBList1->setAccessibleName(QStringLiteral("DBList1"));
    DBList1->setToolTip(QStringLiteral("Escolha o usuário do sistema"));
    DBList1->setMinimumWidth(140);
    connectTrapped(DBList1, &QListWidget::itemClicked, [this] { DBList1_Click(); });

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    setDialogKeys(cmdOK, cmdCancel, true);
    connectTrapped(cmdOK, &QPushButton::clicked, &frmLogin::cmdOK_Click);
    connectTrapped(cmdCancel, &QPushButton::clicked, &frmLogin::cmdCancel_Click);

    grid->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(lblLabels0, 0, 1);
    grid->addWidget(txtusername, 0, 2);
    grid->addWidget(lblLabels1, 1, 1);
    grid->addWidget(txtPassword, 1, 2);
    grid->addWidget(DBList1, 0, 3, 3, 1);
    grid->addWidget(Image2, 2, 0, Qt::AlignBottom);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 2, 1, 1, 2, Qt::AlignBottom);

    setTabOrder(txtusername, txtPassword);
    setTabOrder(txtPassword, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, DBList1);
    txtusername->setFocus();
}

void frmLogin::refreshLists()
{
    const QString db = dataPath(kq::data::kDevolvidos);
    DBList1->setDatabaseName(db);
    DBList1->setRowSource(kUsers);
    DBList1->setListField(QStringLiteral("usuario"));
    // Rows carry the user's code, never the stored password.
    DBList1->setBoundColumn(QStringLiteral("CD_usuario"));
    DBList1->refresh();
    txtusername->setDatabaseName(db);
    txtusername->setRowSource(kUsers);
    txtusername->setListField(QStringLiteral("usuario"));
    txtusername->setBoundColumn(QStringLiteral("CD_usuario"));
    txtusername->refresh();
}

void frmLogin::formLoad()
{
    Data1.setDatabaseName(dataPath(kq::data::kDevolvidos));
    Data1.setRecordSource(kUsers);
    Data1.refresh();
    refreshLists();

    if (Data1.recordCount() == 0) {
        Dialogs::message(noUserMessage());
        auto &registry = kq::platform::ScreenRegistry::instance();
        if (auto *users = registry.get<fusuarios>(QStringLiteral("fusuarios"))) {
            users->usuario->setText(QStringLiteral("Supervisor"));
            registry.showModal(QStringLiteral("fusuarios"));
        }
        Data1.refresh();
        refreshLists();
    }

    const QString account = kq::platform::accountName();
    txtusername->setText(account.size() < 1 ? QString() : account);
}

int frmLogin::chosenRow() const
{
    const QString text = txtusername->currentText();
    if (text.isEmpty())
        return -1;
    const int current = txtusername->currentIndex();
    if (current >= 0 && txtusername->itemText(current).compare(text, Qt::CaseInsensitive) == 0)
        return current;
    return txtusername->findText(text, Qt::MatchFixedString);
}

void frmLogin::DBList1_Click()
{
    const QString code = DBList1->boundText();
    if (!code.isEmpty())
        txtusername->setBoundText(code);
    txtPassword->setFocus();
}

void frmLogin::cmdOK_Click()
{
    const int row = chosenRow();
    const QString code = row >= 0 ? txtusername->itemData(row).toString() : QString();
    bool accepted = false;
    if (!code.isEmpty()) {
        Data1.refresh();
        if (Data1.findFirst(QStringLiteral("CD_usuario"), code))
            accepted = verifyPassword(txtPassword->text(), Data1.text(QStringLiteral("senha")));
    }
    if (!accepted) {
        Dialogs::message(QStringLiteral("Senha incorreta Tente Novamente!"),
                         QStringLiteral("Login"));
        txtPassword->setFocus();
        txtPassword->setSelection(0, txtPassword->text().size());
        return;
    }
    setLoginAceito(true);
    hide();
    setUsuarioLogado(Data1.text(QStringLiteral("usuario")),
                     Data1.text(QStringLiteral("CD_usuario")));
    trap(objectName(),
         [] { GravarLog(QStringLiteral("**** EFETUOU LOGIN NO SISTEMA"), QStringLiteral("**")); });
}

void frmLogin::cmdCancel_Click()
{
    setLoginAceito(false);
    hide();
}

bool frmLogin::previewKey(QKeyEvent *event)
{
    // Enter on the user list chooses the user.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && QApplication::focusWidget() == DBList1) {
        DBList1_Click();
        return true;
    }
    return Screen::previewKey(event);
}

void frmLogin::resizeEvent(QResizeEvent *event)
{
    Screen::resizeEvent(event);
    PintarFundoPadrao(this);
}

} // namespace kq::shell
