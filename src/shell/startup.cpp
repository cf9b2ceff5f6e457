#include "shell/startup.h"

#include "data/database.h"
#include "data/dataerror.h"
#include "data/integrity.h"
#include "data/server.h"
#include "import/folderimport.h"
#include "platform/dialogs.h"
#include "core/paths.h"
#include "platform/screenregistry.h"
#include "shell/services/appstate.h"
#include "shell/fprincipal.h"
#include "shell/services/procedures.h"
#include "shell/singleinstance.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <memory>

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
            // A note the error log cannot take is let go.
        }
    });
    // A file whose indexes alone were found damaged while the program runs.
    kq::data::setDamagedIndexReceiver([] { offerIndexRebuild(); });
}

// The last resort: the screens trap their handlers' failures themselves
// (Screen::connectTrapped); one that still reaches the event loop is reported
// here and the program goes on.
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

// Says why the start failed, notes it in the error log, and ends the start.
bool startFailed(const QString &message)
{
    Dialogs::message(message, QString(), kq::platform::Buttons::Ok, kq::platform::Icon::Critical);
    try {
        GravarErro(message);
    } catch (...) {
        // The message was shown; a program folder that takes no log is let go.
    }
    return false;
}

void warnIfReadOnly()
{
    const QString folder = dataFolder();
    if (!dataFolderIsReadOnly(folder))
        return;
    const QString text
        = QStorageInfo(folder).isReadOnly()
              ? kq::data::readOnlyDiskText(folder)
              : QStringLiteral("A pasta de dados %1 está protegida contra gravação: os dados "
                               "podem ser consultados, mas nada poderá ser gravado.")
                    .arg(folder);
    Dialogs::message(text, QString(), kq::platform::Buttons::Ok, kq::platform::Icon::Warning);
}

bool startUp()
{
    installServerPasswordPrompt();
    if (!instanceLock().tryAcquire()) {
        Dialogs::message(QStringLiteral("Programa Já Encontra-se Ativo..."));
        return false;
    }
    auto &registry = ScreenRegistry::instance();
    if (!QFileInfo::exists(kq::platform::programFile(QStringLiteral("sys.ini")))) {
        registry.showModal(QStringLiteral("finstalacao"));
        return false;
    }
    registry.load(QStringLiteral("fprincipal"));
    warnIfReadOnly();
    // What an import stopped midway left in the data folder.
    kq::import::removeImportLeftovers(dataFolder());
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

} // namespace

bool offerIndexRebuild()
{
    bool rebuilt = false;
    for (const QString &path : kq::data::takeFilesWithDamagedIndexes()) {
        const auto answer = Dialogs::message(
            QStringLiteral("Os índices do arquivo \"%1\" estão danificados: as consultas podem "
                           "trazer registros errados. Os dados estão íntegros. Fazer uma cópia "
                           "de segurança do arquivo e reconstruir os índices agora?")
                .arg(path),
            QString(), kq::platform::Buttons::YesNo, kq::platform::Icon::Question,
            kq::platform::Answer::Yes);
        if (answer != kq::platform::Answer::Yes)
            continue;
        try {
            const QString copy = kq::data::rebuildIndexes(path);
            Dialogs::message(QStringLiteral("Os índices do arquivo \"%1\" foram reconstruídos. "
                                            "A cópia de segurança do arquivo como estava é "
                                            "\"%2\".")
                                 .arg(path, copy),
                             QString(), kq::platform::Buttons::Ok, kq::platform::Icon::Information);
            rebuilt = true;
        } catch (const kq::data::DataError &e) {
            Dialogs::message(e.description(), QString(), kq::platform::Buttons::Ok,
                             kq::platform::Icon::Critical);
            try {
                GravarErro(e.description() + QLatin1Char(' ') + e.detail());
            } catch (...) {
                // Said above.
            }
        }
    }
    return rebuilt;
}

void installServerPasswordPrompt()
{
    kq::data::setPasswordPrompt([](const kq::data::ServerSettings &s, bool refused) {
        const QString text
            = refused ? QStringLiteral("A senha não foi aceita pelo servidor de banco de dados "
                                       "\"%1\". Digite de novo a senha do usuário \"%2\":")
                      : QStringLiteral("Digite a senha do usuário \"%2\" no servidor de banco "
                                       "de dados \"%1\":");
        return Dialogs::passwordBox(text.arg(s.name(), s.user),
                                    QStringLiteral("Senha do servidor"));
    });
}

bool Main()
{
    // Every step of the start inside one trap: a failure is said, the
    // screens made so far go away and the program ends. A start stopped by
    // damaged indexes starts again once they are rebuilt.
    for (bool again = true;; again = false) {
        try {
            return startUp();
        } catch (const StartupError &e) {
            ScreenRegistry::instance().unloadAll();
            return startFailed(e.message());
        } catch (...) {
            ScreenRegistry::instance().unloadAll();
            const kq::platform::ErrorInfo error = kq::platform::currentErrorInfo();
            if (again && offerIndexRebuild())
                continue;
            return startFailed(QStringLiteral("O programa não pôde ser iniciado: ")
                               + error.description);
        }
    }
}

} // namespace kq::shell
