#include "support/shell_fixture.h"

#include "data/database.h"
#include "data/datafolder.h"
#include "core/regional.h"
#include "platform/screenregistry.h"
#include "shell/services/appstate.h"
#include "shell/fprincipal.h"
#include "shell/screens.h"
#include "shell/rules/session.h"

#include <QCoreApplication>

namespace kq::test {

void registerAllScreens()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    kq::shell::registerScreens();
}

ShellFixture::ShellFixture(const QString &usuario, const QString &codigo)
{
    // The program's own start-up settings: pt_BR formats and Qt texts.
    kq::platform::useBrazilianSettings(*QCoreApplication::instance());
    registerAllScreens();
    kq::data::prepareDataFolder(folders.dataFolder());
    folders.writeSysIni();
    main = kq::shell::mainWindow();
    kq::shell::setUsuarioLogado(usuario, codigo);
}

ShellFixture::~ShellFixture()
{
    kq::platform::ScreenRegistry::instance().unloadAll();
    kq::shell::session() = {};
}

QString ShellFixture::devolvidos() const
{
    return folders.dataFile(kq::data::kDevolvidos);
}

} // namespace kq::test
