#include "data/database.h"
#include "data/datafolder.h"
#include "data/integrity.h"
#include "platform/buttonbar.h"
#include "core/errorinfo.h"
#include "platform/screen.h"
#include "platform/screenregistry.h"
#include "shell/services/appstate.h"
#include "shell/fprincipal.h"
#include "shell/services/procedures.h"
#include "shell/singleinstance.h"
#include "shell/startup.h"
#include "support/base_data.h"
#include "support/shell_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
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
        QVERIFY(QDir().mkpath(folders.programFolder() + "/nada"));
        folders.writeSysIni({folders.programFolder() + "/nada"});
        QVERIFY(!kq::shell::Main());
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.lastText().contains("devolvidos.mdb"));
        QCOMPARE(ScreenRegistry::instance().find("fprincipal"), nullptr);
    }

    // A start that cannot go on says why (naming the file), writes nothing to
    // the data, notes it in the error log and ends without a window.
    void failedStartsEndCleanly_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("no users table")
            << "drop usuarios" << QStringList{"devolvidos.mdb", "usuarios"};
        QTest::newRow("no menu table") << "drop CONFIG" << QStringList{"MENU.mdb", "CONFIG"};
        QTest::newRow("empty sys.ini") << "empty sys.ini" << QStringList{"sys.ini"};
        QTest::newRow("sys.ini ends in a blank line")
            << "blank last line" << QStringList{"sys.ini"};
        QTest::newRow("last line is no folder")
            << "not a folder" << QStringList{"sys.ini", "/nao/existe"};
        QTest::newRow("login load fails")
            << "login throws" << QStringList{"não pôde ser iniciado", "sem login"};
    }
    void failedStartsEndCleanly()
    {
        QFETCH(QString, damage);
        QFETCH(QStringList, said);
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        kq::data::prepareDataFolder(folders.dataFolder());
        folders.writeSysIni();
        if (damage.startsWith("drop ")) {
            const QString table = damage.mid(5);
            const QString file
                = folders.dataFile(table == "CONFIG" ? "MENU.mdb" : "devolvidos.mdb");
            kq::data::exec(file, "DROP TABLE " + table);
            kq::data::closeAllDatabases();
        } else if (damage == "empty sys.ini") {
            folders.writeSysIni(QStringList{});
        } else if (damage == "blank last line") {
            folders.writeSysIni({folders.dataFolder(), ""});
        } else if (damage == "not a folder") {
            folders.writeSysIni({"/nao/existe"});
        } else if (damage == "login throws") {
            ScreenRegistry::instance().registerScreen("frmLogin", []() -> QWidget * {
                throw kq::platform::RuntimeError(5, "sem login");
            });
        }
        QFile data(folders.dataFile("devolvidos.mdb"));
        QVERIFY(data.open(QIODevice::ReadOnly));
        const QByteArray before = data.readAll();
        data.close();

        QVERIFY(!kq::shell::Main());
        QCOMPARE(dialogs.messages.size(), 1);
        for (const QString &s : said)
            QVERIFY2(dialogs.lastText().contains(s), qPrintable(dialogs.lastText()));
        QCOMPARE(dialogs.messages.last().icon, kq::platform::Icon::Critical);
        QVERIFY(!ScreenRegistry::instance().find("fprincipal"));
        kq::data::closeAllDatabases();
        QVERIFY(data.open(QIODevice::ReadOnly));
        QVERIFY(data.readAll() == before);
        QVERIFY(
            folders.readProgramFile(kq::shell::errorLogFileName()).contains(dialogs.lastText()));
    }

    void readOnlyDataFolderIsSaidAtStart()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        kq::data::prepareDataFolder(folders.dataFolder());
        folders.writeSysIni();
        QVERIFY(kq::shell::Main());
        QVERIFY(dialogs.messages.isEmpty());
        ScreenRegistry::instance().unloadAll();
        kq::data::closeAllDatabases();

        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                              | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(folders.dataFolder(), readOnly));
        const bool started = kq::shell::Main();
        QFile::setPermissions(folders.dataFolder(), readOnly | QFile::WriteOwner);
        QVERIFY(started);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.lastText().contains(folders.dataFolder()));
        QVERIFY(dialogs.lastText().contains("protegida contra gravação"));
    }

    // A data folder on a read-only disk (a read-only bind mount here) is said
    // as such, and the program starts to read it.
    void readOnlyDiskIsSaidAtStart()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        kq::data::prepareDataFolder(folders.dataFolder());
        folders.writeSysIni();
        kq::data::closeAllDatabases();
        const QString data = folders.dataFolder();
        if (QProcess::execute("mount", {"--bind", data, data}) != 0)
            QSKIP("no bind mount here (needs root)");
        auto unmount = qScopeGuard([&] {
            ScreenRegistry::instance().unloadAll();
            kq::data::closeAllDatabases();
            QProcess::execute("umount", {data});
        });
        QCOMPARE(QProcess::execute("mount", {"-o", "remount,ro,bind", data}), 0);
        QVERIFY(kq::shell::Main());
        QCOMPARE(dialogs.texts(),
                 QStringList{QString("A pasta de dados %1 está num disco somente para leitura: "
                                     "os dados podem ser consultados, mas nada pode ser "
                                     "gravado.")
                                 .arg(data)});
    }

    // A start stopped by damaged indexes (the rows sound) offers to rebuild
    // them after a copy of the file; rebuilt, the start goes on.
    void damagedIndexesOfferedAtStart_data()
    {
        QTest::addColumn<bool>("rebuild");
        QTest::newRow("rebuilt") << true;
        QTest::newRow("refused") << false;
    }
    void damagedIndexesOfferedAtStart()
    {
        QFETCH(bool, rebuild);
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        kq::data::prepareDataFolder(folders.dataFolder());
        folders.writeSysIni();
        const QString db = folders.dataFile("devolvidos.mdb");
        kq::test::addCheques(db, 300);
        QVERIFY(kq::test::damageIndexEntry(db, "ix_devolvidos_deposito"));
        kq::data::takeFilesWithDamagedIndexes();
        kq::data::setCheckWaitAtOpen(-1);
        dialogs.answers.enqueue(rebuild ? kq::platform::Answer::Yes : kq::platform::Answer::No);
        const bool started = kq::shell::Main();
        kq::data::setCheckWaitAtOpen(300);
        QCOMPARE(started, rebuild);
        QVERIFY(dialogs.messages.size() >= 2);
        const kq::platform::MessageRecord question = dialogs.messages.first();
        QCOMPARE(question.buttons, kq::platform::Buttons::YesNo);
        QCOMPARE(question.text,
                 QString("Os índices do arquivo \"%1\" estão danificados: as consultas podem "
                         "trazer registros errados. Os dados estão íntegros. Fazer uma cópia de "
                         "segurança do arquivo e reconstruir os índices agora?")
                     .arg(db));
        const QString said = dialogs.messages.at(1).text;
        const QStringList copies
            = QDir(folders.dataFolder()).entryList({"devolvidos.mdb.copia-*"}, QDir::Files);
        if (rebuild) {
            QCOMPARE(copies.size(), 1);
            QCOMPARE(said, QString("Os índices do arquivo \"%1\" foram reconstruídos. A cópia "
                                   "de segurança do arquivo como estava é \"%2\".")
                               .arg(db, folders.dataFolder() + "/" + copies.first()));
            QVERIFY(kq::shell::mainWindow()->isVisible());
            QCOMPARE(kq::data::checkDatabaseFile(db, kq::data::CheckDepth::Full).result,
                     kq::data::FileCheck::Result::Sound);
        } else {
            QVERIFY(copies.isEmpty());
            QVERIFY2(said.contains("não pôde ser iniciado") && said.contains("índices"),
                     qPrintable(said));
        }
        ScreenRegistry::instance().unloadAll();
        kq::data::closeAllDatabases();
    }
};

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
