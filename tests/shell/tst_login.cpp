#include "data/database.h"
#include "data/datafolder.h"
#include "platform/dbcombo.h"
#include "core/paths.h"
#include "platform/screenregistry.h"
#include "shell/services/appstate.h"
#include "shell/fprincipal.h"
#include "shell/frmlogin.h"
#include "shell/fusuarios.h"
#include "shell/rules/passwords.h"
#include "shell/startup.h"
#include "support/shell_fixture.h"
#include "support/shell_registers_fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using kq::platform::ScreenRegistry;
using kq::shell::frmLogin;
using kq::shell::fusuarios;

namespace {

// A shell whose users table holds the given (code, name, password) rows;
// nobody is logged in yet.
struct Login
{
    explicit Login(const QList<QStringList> &users)
        : shell(QString(), QString())
    {
        kq::test::reg::clearTable(shell.devolvidos(), "usuarios");
        for (const QStringList &u : users)
            kq::test::reg::insertRow(shell.devolvidos(), "usuarios",
                                     {"CD_usuario", "usuario", "senha"},
                                     {u.at(0), u.at(1), kq::shell::hashPassword(u.at(2))});
    }
    frmLogin *open()
    {
        auto &r = ScreenRegistry::instance();
        r.unload("frmLogin");
        auto *w = qobject_cast<frmLogin *>(r.show("frmLogin"));
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("window not active");
        return w;
    }
    // Picks a row of the user list as a click does.
    static void choose(frmLogin *w, int row)
    {
        w->DBList1->setCurrentRow(row);
        w->DBList1_Click();
    }
    static QString log(const QString &code) { return kq::test::reg::activityLogToday(code); }

    kq::test::ShellFixture shell;
};

} // namespace

class tst_login : public QObject
{
    Q_OBJECT
private slots:
    void loadsTheUsers()
    {
        Login l({{"001", "BIA", "b"}, {"002", "ANA", "a"}});
        frmLogin *w = l.open();
        QCOMPARE(w->windowTitle(), QString("Login"));
        QVERIFY(!w->LoginAceito());
        QCOMPARE(w->DBList1->count(), 2);
        QCOMPARE(w->DBList1->item(0)->text(), QString("ANA"));
        QCOMPARE(w->txtusername->count(), 2);
        QCOMPARE(w->txtPassword->echoMode(), QLineEdit::Password);
        QCOMPARE(w->txtPassword->toolTip(), QString("Digite a senha do usuário selecionado."));
        // Rows carry codes, never passwords.
        QCOMPARE(w->txtusername->itemData(0).toString(), QString("002"));
        QVERIFY(l.shell.dialogs.messages.isEmpty());
    }

    void rightPasswordLogsIn()
    {
        Login l({{"001", "BIA", "b"}, {"002", "ANA", "Senha"}});
        frmLogin *w = l.open();
        Login::choose(w, 0);
        QCOMPARE(w->txtusername->currentText(), QString("ANA"));
        QCOMPARE(w->focusWidget(), w->txtPassword);
        QTest::keyClicks(w->txtPassword, "Senha");
        QTest::keyClick(w->txtPassword, Qt::Key_Return);
        QVERIFY(w->LoginAceito());
        QVERIFY(!w->isVisible());
        QCOMPARE(kq::shell::usuarioLogado(), QString("ANA"));
        QCOMPARE(kq::shell::codigoUser(), QString("002"));
        QVERIFY(Login::log("002").contains("-ANA-**** EFETUOU LOGIN NO SISTEMA-**"));
        QVERIFY(l.shell.dialogs.messages.isEmpty());
    }

    void wrongPasswordAsksAgain_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("case") << "senha";
        QTest::newRow("trailing blank") << "Senha ";
        QTest::newRow("empty") << "";
    }
    void wrongPasswordAsksAgain()
    {
        QFETCH(QString, typed);
        Login l({{"001", "ANA", "Senha"}});
        frmLogin *w = l.open();
        Login::choose(w, 0);
        w->txtPassword->setText(typed);
        w->cmdOK->click();
        QCOMPARE(l.shell.dialogs.texts(), QStringList{"Senha incorreta Tente Novamente!"});
        QCOMPARE(l.shell.dialogs.messages.first().title, QString("Login"));
        QVERIFY(!w->LoginAceito());
        QVERIFY(w->isVisible());
        QCOMPARE(w->txtPassword->text(), typed);
        QCOMPARE(w->txtPassword->selectedText(), typed);
        QCOMPARE(w->focusWidget(), w->txtPassword);
        QVERIFY(Login::log("001").isEmpty());

        w->txtPassword->setText("Senha");
        w->cmdOK->click();
        QVERIFY(w->LoginAceito());
    }

    // Only an existing, chosen user logs in.
    void nameOfNoUserIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("typed") << "NINGUÉM";
        QTest::newRow("empty") << "";
    }
    void nameOfNoUserIsRefused()
    {
        QFETCH(QString, name);
        Login l({{"001", "ANA", ""}});
        frmLogin *w = l.open();
        w->txtusername->setText(name);
        w->txtPassword->clear();
        w->cmdOK->click();
        QVERIFY(!w->LoginAceito());
        QCOMPARE(l.shell.dialogs.lastText(), QString("Senha incorreta Tente Novamente!"));
        QVERIFY(kq::shell::codigoUser().isEmpty());
    }

    void codeComesFromTheChosenRow_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("code");
        QTest::newRow("first of two namesakes") << 0 << "um"
                                                << "001";
        QTest::newRow("second of two namesakes") << 1 << "tres"
                                                 << "003";
        QTest::newRow("quote in the name") << 2 << "x"
                                           << "002";
    }
    void codeComesFromTheChosenRow()
    {
        QFETCH(int, row);
        QFETCH(QString, password);
        QFETCH(QString, code);
        Login l({{"001", "ANA", "um"}, {"002", "ANA'S", "x"}, {"003", "ANA", "tres"}});
        frmLogin *w = l.open();
        Login::choose(w, row);
        w->txtPassword->setText(password);
        w->cmdOK->click();
        QVERIFY(w->LoginAceito());
        QCOMPARE(kq::shell::codigoUser(), code);
    }

    void accountNameChoosesTheUser()
    {
        const QString account = kq::platform::accountName();
        QVERIFY(!account.isEmpty());
        Login l({{"001", "ANA", "a"}, {"002", account.toUpper(), "conta"}});
        frmLogin *w = l.open();
        QCOMPARE(w->txtusername->currentText().toUpper(), account.toUpper());
        w->txtPassword->setText("conta");
        w->cmdOK->click();
        QVERIFY(w->LoginAceito());
        QCOMPARE(kq::shell::codigoUser(), QString("002"));
        QCOMPARE(kq::shell::usuarioLogado(), account.toUpper());
    }

    void cancelAndEscRefuse_data()
    {
        QTest::addColumn<bool>("byEsc");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Esc") << true;
    }
    void cancelAndEscRefuse()
    {
        QFETCH(bool, byEsc);
        Login l({{"001", "ANA", "a"}});
        frmLogin *w = l.open();
        Login::choose(w, 0);
        w->txtPassword->setText("a");
        if (byEsc)
            QTest::keyClick(w->txtPassword, Qt::Key_Escape);
        else
            w->cmdCancel->click();
        QVERIFY(!w->LoginAceito());
        QVERIFY(!w->isVisible());
        QVERIFY(Login::log("001").isEmpty());
    }

    void supervisorStepOnAnEmptyTable()
    {
        Login l({});
        bool sawRegister = false;
        QTimer::singleShot(0, [&] {
            auto *users = qobject_cast<fusuarios *>(ScreenRegistry::instance().find("fusuarios"));
            QVERIFY(users);
            QVERIFY(users->isModal());
            sawRegister = true;
            QCOMPARE(users->usuario->text(), QString("Supervisor"));
            QVERIFY(users->cd_usuario->text().isEmpty());
            users->senha->setText("chefe");
            users->CONFIRMA->click();
            users->close();
        });
        frmLogin *w = l.open();
        QVERIFY(sawRegister);
        QCOMPARE(l.shell.dialogs.texts(), QStringList{frmLogin::noUserMessage()});
        QCOMPARE(l.shell.dialogs.messages.first().buttons, kq::platform::Buttons::Ok);
        QCOMPARE(w->DBList1->count(), 1);
        QCOMPARE(w->DBList1->item(0)->text(), QString("Supervisor"));
        Login::choose(w, 0);
        w->txtPassword->setText("chefe");
        w->cmdOK->click();
        QVERIFY(w->LoginAceito());
        QCOMPARE(kq::shell::codigoUser(), QString("001"));
    }

    // A new data folder: the supervisor is created, a wrong password asks
    // again, and the main window comes up.
    void firstStartReachesTheMainWindow()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        kq::test::registerAllScreens();
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        kq::data::prepareDataFolder(folders.dataFolder());
        folders.writeSysIni();

        int loginTries = 0;
        QTimer script;
        script.setInterval(10);
        QObject::connect(&script, &QTimer::timeout, [&] {
            auto &r = ScreenRegistry::instance();
            if (auto *users = qobject_cast<fusuarios *>(r.find("fusuarios"))) {
                if (users->isVisible()) {
                    users->senha->setText("chefe");
                    users->CONFIRMA->click();
                    users->Command1->click();
                }
                return;
            }
            auto *login = qobject_cast<frmLogin *>(r.find("frmLogin"));
            if (!login || !login->isVisible())
                return;
            Login::choose(login, 0);
            login->txtPassword->setText(loginTries++ == 0 ? "errada" : "chefe");
            login->cmdOK->click();
        });
        script.start();
        QVERIFY(kq::shell::Main());
        script.stop();
        QCOMPARE(loginTries, 2);
        QCOMPARE(dialogs.texts(),
                 (QStringList{frmLogin::noUserMessage(), "Senha incorreta Tente Novamente!"}));
        QVERIFY(kq::shell::mainWindow()->isVisible());
        QCOMPARE(kq::shell::usuarioLogado(), QString("Supervisor"));
        QCOMPARE(kq::shell::codigoUser(), QString("001"));
        QCOMPARE(ScreenRegistry::instance().find("frmLogin"), nullptr);
        ScreenRegistry::instance().unloadAll();
    }
};

QTEST_MAIN(tst_login)
#include "tst_login.moc"
