#include "shell/appstate.h"

#include "data/datafolder.h"
#include "platform/dbcombo.h"
#include "platform/screenregistry.h"
#include "platform/statusbar.h"
#include "shell/fprincipal.h"

#include <QLabel>

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
    fprincipal *w = mainWindow();
    return w ? w->StatusBar1->panelText(1) : QString();
}

QString dataPath(const QString &fileName)
{
    return kq::data::dataFile(dataFolder(), fileName);
}

QString usuarioLogado()
{
    fprincipal *w = loadedMainWindow();
    return w ? w->usuario->text() : QString();
}

QString codigoUser()
{
    fprincipal *w = loadedMainWindow();
    return w ? w->codigouser->text() : QString();
}

void setUsuarioLogado(const QString &nome, const QString &codigo)
{
    fprincipal *w = mainWindow();
    if (!w)
        return;
    w->usuario->setText(nome);
    w->codigouser->setText(codigo);
    w->usuario->adjustSize();
    w->codigouser->adjustSize();
}

void showUsuarioLogado(kq::platform::DBCombo *users)
{
    users->setBoundText(codigoUser());
    if (users->boundText().isEmpty())
        users->setText(usuarioLogado());
}

} // namespace kq::shell
