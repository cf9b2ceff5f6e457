#include "shell/fusuarios.h"

#include "platform/grid/gridex.h"
#include "shell/rules/passwords.h"

#include <QLineEdit>

namespace kq::shell {

fusuarios::fusuarios(QWidget *parent)
    : RegisterScreen(QStringLiteral("fusuarios"), QStringLiteral("CD_usuario"), 3, parent)
{
    buildControls();
    formLoad();
}

void fusuarios::buildControls()
{
    setTwipsSize(8400, 6600);
    setEnterAsTab(true);
    setButtonOrder(ButtonOrder::IncludeFirst);

    cd_usuario = addCodeBox(QStringLiteral("cd_usuario"),
                            QStringLiteral("Campo preenchido automáticamente na inclusão"), 0);
    cd_usuario->setToolTip(QStringLiteral("Este Campo não precisa ser preenchido na inclusão"));
    usuario = addTextBox(QStringLiteral("Descrição :"), QStringLiteral("usuario"), 20, 1, 0, 2);
    usuario->setToolTip(QStringLiteral("Digite o nome do usuário sempre um nome único somente "
                                       "para indentifica-lo na hora da entrada no sistema"));
    senha = addTextBox(QStringLiteral("Senha :"), QStringLiteral("senha"), 0, 2, 0, 1);
    senha->setEchoMode(QLineEdit::Password);
    senha->setToolTip(QStringLiteral("Digite a senha para permitir o acesso desse usuário. è "
                                     "sugerido uma sequencia de no maximo 5 letras ou digitos"));

    GridEX1->addColumn(QStringLiteral("cd_usuario"), QStringLiteral("Código"), 80);
    GridEX1->addColumn(QStringLiteral("usuario"), QStringLiteral("Descrição"), 320);
    GridEX1->setToolTip(QStringLiteral("Para alterar ou excluir um usuário é sempre necessário "
                                       "escolher ele nessa grade, bastando para isso cliicar em "
                                       "cima do nome dele."));

    bindField(QStringLiteral("CD_usuario"), cd_usuario);
    bindField(QStringLiteral("usuario"), usuario);
    setFocusBox(usuario);
    setQuestionField(QStringLiteral("usuario"));
    setPatternTabOrder({usuario, senha, cd_usuario});
}

void fusuarios::formLoad()
{
    bindViews(QStringLiteral("SELECT * FROM usuarios order by usuario"),
              QStringLiteral("select * from  usuarios order by cd_usuario"));
    setWindowTitle(QStringLiteral(" Tabela de Usuários "));
}

FieldValues fusuarios::includeFields()
{
    FieldValues values = boundFields();
    values.append({QStringLiteral("senha"), hashPassword(senha->text())});
    return values;
}

FieldValues fusuarios::alterFields()
{
    FieldValues values = boundFields();
    // An empty password box keeps the stored password.
    if (!senha->text().isEmpty())
        values.append({QStringLiteral("senha"), hashPassword(senha->text())});
    return values;
}

void fusuarios::MostraRegistro()
{
    RegisterScreen::MostraRegistro();
    // The stored password is never shown.
    senha->clear();
}

void fusuarios::LimpaCampos()
{
    enterProcedure();
    step([this] {
        cd_usuario->clear();
        usuario->clear();
        senha->clear();
        usuario->setFocus();
    });
}

} // namespace kq::shell
