#include "shell/startup.h"

#include "data/database.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/screenregistry.h"
#include "shell/fprincipal.h"
#include "shell/procedures.h"
#include "shell/singleinstance.h"

#include <QFileInfo>
#include <memory>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kq::shell {

using kq::platform::Dialogs;
using kq::platform::ScreenRegistry;

KqApplication::KqApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // Notes of the data layer (a journal mode it could not use) go to the error log.
    kq::data::setNoteReceiver([](const QString &note) {
        try {
            GravarErro(note);
        } catch (...) {
        }
    });
}

bool KqApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        QString name;
        if (auto *w = qobject_cast<QWidget *>(receiver))
            name = w->window()->objectName();
        MostrarErro(name);
        return false;
    }
}

void installTranslations(QCoreApplication &app)
{
    auto *qt = new QTranslator(&app);
    if (qt->load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"),
                 QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qt);
}

namespace {

// Held for the life of the program; made anew if the program folder changes
// (tests run several starts in one process).
SingleInstance &instanceLock()
{
    static std::unique_ptr<SingleInstance> lock;
    static QString folder;
    if (!lock || folder != kq::platform::programFolder()) {
        lock.reset();
        folder = kq::platform::programFolder();
        lock = std::make_unique<SingleInstance>(folder);
    }
    return *lock;
}

// A new login dialog for this start; true when it accepted a user. Until a
// login screen is registered every start is accepted.
bool runLogin()
{
    auto &registry = ScreenRegistry::instance();
    if (!registry.isRegistered(QStringLiteral("frmLogin")))
        return true;
    registry.unload(QStringLiteral("frmLogin"));
    QWidget *login = registry.load(QStringLiteral("frmLogin"));
    if (!login)
        return false;
    QVariantMap result;
    kq::platform::execModal(login, &result);
    const bool accepted = result.value(QStringLiteral("LoginAceito")).toBool();
    registry.unload(QStringLiteral("frmLogin"));
    return accepted;
}

} // namespace

bool Main()
{
    if (!instanceLock().tryAcquire()) {
        Dialogs::message(QStringLiteral("Programa Já Encontra-se Ativo..."));
        return false;
    }
    auto &registry = ScreenRegistry::instance();
    if (!QFileInfo::exists(kq::platform::programFile(QStringLiteral("sys.ini")))) {
        registry.showModal(QStringLiteral("finstalacao"));
        return false;
    }
    try {
        registry.load(QStringLiteral("fprincipal"));
    } catch (const StartupError &e) {
        Dialogs::message(e.message(), QString(), kq::platform::Buttons::Ok,
                         kq::platform::Icon::Critical);
        return false;
    } catch (const std::exception &e) {
        Dialogs::message(kq::platform::errorInfo(e).description, QString(),
                         kq::platform::Buttons::Ok, kq::platform::Icon::Critical);
        return false;
    }
    if (!runLogin())
        return false;
    QWidget *splash = registry.show(QStringLiteral("frmSplash"));
    if (splash)
        splash->repaint();
    registry.load(QStringLiteral("fprincipal"));
    registry.unload(QStringLiteral("frmSplash"));
    registry.show(QStringLiteral("fprincipal"));
    return true;
}

} // namespace kq::shell
