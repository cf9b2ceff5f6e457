#include "shell/services/appstate.h"

#include "data/datafolder.h"
#include "platform/dbcombo.h"
#include "platform/screenregistry.h"
#include "shell/rules/session.h"

#include <QWidget>

namespace kq::shell {

QString dataFolder()
{
    return session().dataFolder;
}

QString dataPath(const QString &fileName)
{
    return kq::data::dataFile(dataFolder(), fileName);
}

QString usuarioLogado()
{
    return session().usuario;
}

QString codigoUser()
{
    return session().codigoUsuario;
}

void setUsuarioLogado(const QString &nome, const QString &codigo)
{
    session().usuario = nome;
    session().codigoUsuario = codigo;
    if (QWidget *w = kq::platform::ScreenRegistry::instance().find(QStringLiteral("fprincipal")))
        QMetaObject::invokeMethod(w, "showSession");
}

void showUsuarioLogado(kq::platform::DBCombo *users)
{
    users->setBoundText(codigoUser());
    if (users->boundText().isEmpty())
        users->setText(usuarioLogado());
}

} // namespace kq::shell
