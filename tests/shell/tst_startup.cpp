#include "data/datafolder.h"
#include "platform/buttonbar.h"
#include "platform/screen.h"
#include "platform/screenregistry.h"
#include "shell/appstate.h"
#include "shell/fprincipal.h"
#include "shell/singleinstance.h"
#include "shell/startup.h"
#include "support/shell_fixture.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

using kq::platform::ScreenRegistry;

namespace {
int g_setupShown = 0;
bool g_acceptLogin = true;

// Stand-ins for the setup screen and the login dialog.
void registerStandIns()
{
    kq::test::registerAllScreens();
    auto &r = ScreenRegistry::instance();
    r.registerScreen("finstalacao", [] {
        ++g_setupShown;
        auto *w = new kq::platform::Screen("finstalacao");
        QTimer::singleShot(0, w, &QWidget::close);
        return w;
    });
    r.registerScreen("frmLogin", [] {
        auto *w = new kq::platform::Screen("frmLogin");
        QTimer::singleShot(0, w, [w] {
            w->setProperty("LoginAceito", g_acceptLogin);
            if (g_acceptLogin)
                kq::shell::setUsuarioLogado("ANA", "002");
            w->close();
        });
        return w;
    });
}
} // namespace

class tst_startup : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        registerStandIns();
        g_setupShown = 0;
        g_acceptLogin = true;
    }
    void cleanup() { ScreenRegistry::instance().unloadAll(); }

    void firstStartShowsOnlyTheSetup()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        QVERIFY(!kq::shell::Main());
        QCOMPARE(g_setupShown, 1);
        QCOMPARE(ScreenRegistry::instance().find("fprincipal"), nullptr);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void secondCopyEndsAtOnce()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        kq::shell::SingleInstance other(folders.programFolder());
        QVERIFY(other.tryAcquire());
        QVERIFY(!kq::shell::Main());
        QCOMPARE(dialogs.texts(), QStringList{"Programa Já Encontra-se Ativo..."});
        QCOMPARE(g_setupShown, 0);
    }

    void acceptedLoginShowsTheMainWindow()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        kq::data::prepareDataFolder(folders.dataFolder());
        folders.writeSysIni();
        QVERIFY(kq::shell::Main());
        auto *w = kq::shell::mainWindow();
        QVERIFY(w->isVisible());
        QCOMPARE(kq::shell::usuarioLogado(), QString("ANA"));
        QCOMPARE(ScreenRegistry::instance().find("frmSplash"), nullptr);
        QCOMPARE(ScreenRegistry::instance().find("frmLogin"), nullptr);
        // Ready for the keyboard on the first item of the open group.
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), w->ButtonBar1->item(1, 1));
    }

    void cancelledLoginEnds()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        kq::data::prepareDataFolder(folders.dataFolder());
        folders.writeSysIni();
        g_acceptLogin = false;
        QVERIFY(!kq::shell::Main());
        QWidget *w = ScreenRegistry::instance().find("fprincipal");
        QVERIFY(!w || !w->isVisible());
    }

    void brokenDataFolderIsReported()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        folders.writeSysIni({folders.programFolder() + "/nada"});
        QVERIFY(!kq::shell::Main());
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.lastText().contains("devolvidos.mdb"));
        QCOMPARE(ScreenRegistry::instance().find("fprincipal"), nullptr);
    }
};

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
