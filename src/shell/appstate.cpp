#include "shell/appstate.h"

#include "data/datafolder.h"
#include "platform/dbcombo.h"
#include "platform/screenregistry.h"
#include "shell/fprincipal.h"
#include "shell/session.h"

namespace kq::shell {

namespace {
fprincipal *loadedMainWindow()
{
    return qobject_cast<fprincipal *>(
        kq::platform::ScreenRegistry::instance().find(QStringLiteral("fprincipal")));
}
} // namespace

fprincipal *mainWindow()
{
    return kq::platform::ScreenRegistry::instance().get<fprincipal>(QStringLiteral("fprincipal"));
}

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
    if (fprincipal *w = loadedMainWindow())
        w->showSession();
}

void showUsuarioLogado(kq::platform::DBCombo *users)
{
    users->setBoundText(codigoUser());
    if (users->boundText().isEmpty())
        users->setText(usuarioLogado());
}

} // namespace kq::shell
