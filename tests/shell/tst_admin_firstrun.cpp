// A first start on a new machine and a second start, driven as a user would:
// setup, supervisor, login, "Atualizar Valores", parameters, log viewer, exit.

#include "data/database.h"
#include "data/datafolder.h"
#include "platform/buttonbar.h"
#include "platform/dbcombo.h"
#include "platform/screenregistry.h"
#include "shell/services/appstate.h"
#include "shell/finstalacao.h"
#include "shell/fmostralog.h"
#include "shell/fparametros.h"
#include "shell/fprincipal.h"
#include "shell/frmlogin.h"
#include "shell/fsair.h"
#include "shell/fusuarios.h"
#include "shell/services/procedures.h"
#include "shell/startup.h"
#include "support/base_dialogs.h"
#include "support/base_folders.h"
#include "support/base_screens.h"
#include "support/shell_fixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>
#include <functional>

using kq::platform::ScreenRegistry;
using namespace kq::shell;

namespace {

template<class T>
T *visible(const char *name)
{
    auto *w = qobject_cast<T *>(ScreenRegistry::instance().find(QString::fromLatin1(name)));
    return w && w->isVisible() ? w : nullptr;
}

// Acts on the screens as they come up while a modal start-up step waits.
class Driver : public QObject
{
public:
    std::function<bool()> step; // returns true when nothing is left to do

    void start()
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (step && step())
                m_timer.stop();
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
};

} // namespace

class tst_admin_firstrun : public QObject
{
    Q_OBJECT

private slots:
    void firstAndSecondStart()
    {
        QTemporaryDir home;
        QDir().mkpath(home.path() + "/config");
        QFile dirs(home.path() + "/config/user-dirs.dirs");
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write(QStringLiteral("XDG_DESKTOP_DIR=\"%1/Desktop\"\n").arg(home.path()).toUtf8());
        dirs.close();
        qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());

        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        kq::test::registerAllScreens();
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        int ended = 0;
        setEncerrarProgramaHook([&] { ++ended; });

        // First start: no sys.ini, the setup screen; I, II, III.
        Driver setup;
        setup.step = [&] {
            auto *s = visible<finstalacao>("finstalacao");
            if (!s)
                return false;
            s->setDirectory(folders.dataFolder());
            kq::test::ctl<QPushButton>(s, "Command4")->click();
            kq::test::ctl<QPushButton>(s, "Command1")->click();
            kq::test::ctl<QPushButton>(s, "Command6")->click();
            return true;
        };
        setup.start();
        QVERIFY(!Main());
        QCOMPARE(ended, 1);
        QCOMPARE(dialogs.texts(), (QStringList{"Arquivo de Configuração Criado com sucesso!!",
                                               "Atalho Criado com sucesso!!"}));
        QCOMPARE(folders.readProgramFile("sys.ini"), folders.dataFolder() + "\r\n");
        QVERIFY(QFile::exists(home.path() + "/Desktop/kq-730 Sistema de Vantesca.desktop"));
        for (const QString &db :
             {kq::data::kDevolvidos, kq::data::kMenu, kq::data::kHelp, kq::data::kTutorial})
            QVERIFY(kq::data::isSqliteFile(folders.dataFile(db)));

        // Second start: the supervisor is created, then logs in.
        dialogs.clear();
        Driver login;
        bool supervisorDone = false;
        login.step = [&] {
            if (auto *u = visible<fusuarios>("fusuarios")) {
                u->senha->setText("1234");
                u->CONFIRMA->click();
                u->close();
                supervisorDone = true;
                return false;
            }
            auto *l = visible<frmLogin>("frmLogin");
            if (!l || !supervisorDone)
                return false;
            l->txtusername->setText("Supervisor");
            l->txtPassword->setText("1234");
            l->cmdOK->click();
            return true;
        };
        login.start();
        QVERIFY(Main());
        QVERIFY(supervisorDone);
        QVERIFY(mainWindow()->isVisible());
        QCOMPARE(usuarioLogado(), QStringLiteral("Supervisor"));
        QCOMPARE(dataFolder(), folders.dataFolder());
        const QString code = codigoUser();
        QCOMPARE(code, QStringLiteral("001"));

        // "Atualizar Valores".
        const QString devolvidos = folders.dataFile(kq::data::kDevolvidos);
        kq::data::exec(devolvidos, "INSERT INTO correcao (cd_ref, fator, ano) VALUES "
                                   "('2024/01', 1.2, '2024'), ('2024/02', 1.5, '2024')");
        kq::data::exec(devolvidos, "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, DT_DEPOSITO, "
                                   "VL_CHEQUE) VALUES ('0000000001', '2024-01-15', 100)");
        dialogs.clear();
        mainWindow()->Command2->click();
        QCOMPARE(dialogs.texts(), QStringList{"Valores atualizados com sucesso!! Obrigado!!"});
        QCOMPARE(kq::data::scalar(devolvidos, "SELECT vl_atualizado FROM DEVOLVIDOS").toDouble(),
                 125.0);

        // Parameters saved and shown again.
        mainWindow()->ButtonBar1->clickItem(5, 1);
        auto *p = visible<fparametros>("fparametros");
        QVERIFY(p);
        p->ds_empresa->setText("Escritório Central");
        p->alterar->click();
        QPointer<QWidget> pGuard(p);
        p->Command1->click();
        QTRY_VERIFY(!pGuard);
        mainWindow()->ButtonBar1->clickItem(5, 1);
        p = visible<fparametros>("fparametros");
        QVERIFY(p);
        QCOMPARE(p->ds_empresa->text(), QStringLiteral("Escritório Central"));

        // The log viewer shows today's login.
        mainWindow()->ButtonBar1->clickItem(5, 2);
        auto *v = visible<fmostralog>("fmostralog");
        QVERIFY(v);
        const QString today = activityLogFileName(code, QDate::currentDate());
        const auto items = v->diretorio->findItems(today, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        v->diretorio->setCurrentItem(items.first());
        v->Command1->click();
        QVERIFY(v->historico->toPlainText().contains("-Supervisor-**** EFETUOU LOGIN NO SISTEMA"));
        QVERIFY(v->historico->toPlainText().contains("ENTROU NO MÓDULO DE CONFIGURAÇÃO"));

        // "&SAIR" then "Ok": the log-off line, and the program ends.
        mainWindow()->Command1->click();
        auto *sair = visible<fsair>("fsair");
        QVERIFY(sair);
        sair->cmdOK->click();
        QCOMPARE(ended, 2);
        const QStringList lines = folders.readProgramFile(today).split("\r\n", Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= 2);
        QVERIFY(lines.at(lines.size() - 2)
                    .endsWith("-Supervisor-************EFETUOU LOG OFF NO SISTEMA************-**"));

        setEncerrarProgramaHook({});
        ScreenRegistry::instance().unloadAll();
    }
};

QTEST_MAIN(tst_admin_firstrun)
#include "tst_admin_firstrun.moc"
