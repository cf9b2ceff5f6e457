#include "data/database.h"
#include "data/datafolder.h"
#include "core/paths.h"
#include "support/fixturefiles.h"
#include "shell/accessimport.h"
#include "shell/finstalacao.h"
#include "shell/fsair.h"
#include "support/base_dialogs.h"
#include "support/base_folders.h"
#include "support/base_screens.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using kq::shell::finstalacao;
using kq::test::ctl;

namespace {

const QString kConfigOk = QStringLiteral("Arquivo de Configuração Criado com sucesso!!");

QStringList listed(QListWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    names.sort(Qt::CaseInsensitive);
    return names;
}

} // namespace

class tst_finstalacao : public QObject
{
    Q_OBJECT

public:
    static void initMain() { kq::test::serveAsReader(); }

private:
    QTemporaryDir m_home;
    int m_ended = 0;

private slots:
    void initTestCase()
    {
        // The desktop folder of this run, through the XDG user-dirs file.
        QDir().mkpath(m_home.path() + QStringLiteral("/config"));
        QFile dirs(m_home.path() + QStringLiteral("/config/user-dirs.dirs"));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write(QStringLiteral("XDG_DESKTOP_DIR=\"%1/Mesa\"\n").arg(m_home.path()).toUtf8());
        dirs.close();
        qputenv("XDG_CONFIG_HOME", (m_home.path() + QStringLiteral("/config")).toUtf8());
        qputenv("XDG_DATA_HOME", (m_home.path() + QStringLiteral("/data")).toUtf8());
        kq::shell::setEncerrarProgramaHook([this] { ++m_ended; });
    }

    void opensOnTheProgramFolder()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        finstalacao screen;
        QCOMPARE(screen.windowTitle(), QStringLiteral("Instalador de Sistemas"));
        QCOMPARE(ctl<QLabel>(&screen, "DS_DIRETORIO")->text(), folders.programFolder());
        QCOMPARE(screen.directory(), folders.programFolder());
        QCOMPARE(ctl<QLabel>(&screen, "ds_banco")->text(), QStringLiteral("devolvidos.mdb"));
        QVERIFY(ctl<QListWidget>(&screen, "File")->count() == 0);
        QVERIFY(ctl<QComboBox>(&screen, "Drive")->count() >= 2);
        QVERIFY(dialogs.messages.isEmpty());
        screen.resize(760, 560);
        kq::test::shot(&screen, QStringLiteral("finstalacao"));
    }

    void createsTheDataFolderAndSysIni()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        finstalacao screen;
        const QString other = folders.programFolder() + QStringLiteral("/outra");
        QDir().mkpath(other);

        screen.setDirectory(folders.dataFolder());
        QCOMPARE(ctl<QLabel>(&screen, "DS_DIRETORIO")->text(), folders.dataFolder());
        ctl<QPushButton>(&screen, "Command4")->click();
        QCOMPARE(dialogs.texts(), QStringList{kConfigOk});
        QCOMPARE(folders.readProgramFile("sys.ini"), folders.dataFolder() + "\r\n");
        QCOMPARE(listed(ctl<QListWidget>(&screen, "File")),
                 (QStringList{"devolvidos.mdb", "help.mdb", "MENU.mdb", "tutorial.mdb"}));
        QVERIFY(kq::data::isSqliteFile(folders.dataFile(kq::data::kDevolvidos)));

        // A second write replaces the file with the folder of that write.
        screen.setDirectory(other);
        QVERIFY(ctl<QListWidget>(&screen, "File")->count() == 0);
        ctl<QPushButton>(&screen, "Command4")->click();
        QCOMPARE(folders.readProgramFile("sys.ini"), other + "\r\n");
        QCOMPARE(dialogs.texts(), (QStringList{kConfigOk, kConfigOk}));

        // Existing data is left as it was when the same folder is chosen again.
        kq::data::exec(folders.dataFile(kq::data::kDevolvidos),
                       "UPDATE parametros SET ds_empresa = 'Escritório'");
        screen.setDirectory(folders.dataFolder());
        ctl<QPushButton>(&screen, "Command4")->click();
        QCOMPARE(kq::data::scalar(folders.dataFile(kq::data::kDevolvidos),
                                  "SELECT ds_empresa FROM parametros")
                     .toString(),
                 QStringLiteral("Escritório"));
    }

    void rootFolderEndsInSlash()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        finstalacao screen;
        screen.setDirectory(QStringLiteral("/"));
        QCOMPARE(ctl<QLabel>(&screen, "DS_DIRETORIO")->text(), QStringLiteral("/"));
    }

    void emptyFolderIsRefused()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        finstalacao screen;
        ctl<QLabel>(&screen, "DS_DIRETORIO")->clear();
        ctl<QPushButton>(&screen, "Command4")->click();
        QCOMPARE(dialogs.texts(),
                 QStringList{QStringLiteral("Não posso criar arquivo de configuração com diretório "
                                            "vazio!!")});
        QVERIFY(!QFile::exists(folders.programFile("sys.ini")));
    }

    void failuresShowNoSuccess_data()
    {
        QTest::addColumn<bool>("badDatabase");
        QTest::newRow("sys.ini cannot be written") << false;
        QTest::newRow("not an SQLite database") << true;
    }

    void failuresShowNoSuccess()
    {
        QFETCH(bool, badDatabase);
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        if (badDatabase) {
            QFile old(folders.dataFile(kq::data::kDevolvidos));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("Standard Jet DB");
        } else {
            // A folder in the way of the file: no write can succeed.
            QDir().mkpath(folders.programFile("sys.ini"));
        }
        finstalacao screen;
        screen.setDirectory(folders.dataFolder());
        ctl<QPushButton>(&screen, "Command4")->click();
        QVERIFY(!dialogs.messages.isEmpty());
        QVERIFY2(dialogs.messages.first().text.startsWith(QStringLiteral("Erro No.")),
                 qPrintable(dialogs.messages.first().text));
        QVERIFY(dialogs.messages.first().text.contains(QStringLiteral("Formulário: finstalacao")));
        QVERIFY(!dialogs.texts().contains(kConfigOk));
        QVERIFY(!QFileInfo(folders.programFile("sys.ini")).isFile());
        if (badDatabase) {
            QFile old(folders.dataFile(kq::data::kDevolvidos));
            QVERIFY(old.open(QIODevice::ReadOnly));
            QCOMPARE(old.readAll(), QByteArray("Standard Jet DB"));
        }
    }

    // A folder of the old program: the setup says so and offers the import;
    // refusing it changes nothing and writes no sys.ini.
    void oldFolderIsOfferedTheImport()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        QVERIFY(QFile::copy(kq::test::jetFixture(), folders.dataFile("devolvidos.mdb")));
        const auto before = kq::test::folderSnapshot(folders.dataFolder());
        finstalacao screen;
        screen.setDirectory(folders.dataFolder());
        QCOMPARE(listed(ctl<QListWidget>(&screen, "File")), QStringList{"devolvidos.mdb"});
        dialogs.answers << kq::platform::Answer::No;
        ctl<QPushButton>(&screen, "Command4")->click();
        QCOMPARE(dialogs.messages.size(), 1);
        const kq::platform::MessageRecord &asked = dialogs.messages.first();
        QCOMPARE(asked.text,
                 kq::shell::accessImportQuestion(folders.dataFolder(), {"devolvidos.mdb"}));
        QVERIFY(asked.text.contains(QStringLiteral("programa antigo (Access): devolvidos.mdb")));
        QCOMPARE(int(asked.buttons), int(kq::platform::Buttons::YesNo));
        QCOMPARE(int(asked.icon), int(kq::platform::Icon::Question));
        QCOMPARE(kq::test::folderSnapshot(folders.dataFolder()), before);
        QVERIFY(!QFile::exists(folders.programFile("sys.ini")));
    }

    // Accepting imports the folder, keeps the old file, tells and logs what
    // came, then writes sys.ini as for any folder.
    void acceptedImportReadiesTheFolder()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        QVERIFY(
            kq::test::writeAll(folders.dataFile("devolvidos.mdb"), kq::test::oldDevolvidosBytes()));
        finstalacao screen;
        screen.setDirectory(folders.dataFolder());
        dialogs.answers << kq::platform::Answer::Yes;
        ctl<QPushButton>(&screen, "Command4")->click();
        QCOMPARE(dialogs.messages.size(), 3);
        const QString summary = dialogs.messages[1].text;
        QVERIFY2(summary.startsWith(QStringLiteral("Importação concluída.")), qPrintable(summary));
        QVERIFY(summary.contains(QStringLiteral("\n  situacoes: 6 registros\n")));
        QCOMPARE(dialogs.messages[2].text, kConfigOk);
        QCOMPARE(kq::test::fileBytes(folders.dataFile("originais-access/devolvidos.mdb")),
                 kq::test::oldDevolvidosBytes());
        QVERIFY(kq::data::isSqliteFile(folders.dataFile("devolvidos.mdb")));
        QCOMPARE(folders.readProgramFile("sys.ini"), folders.dataFolder() + "\r\n");
        QCOMPARE(listed(ctl<QListWidget>(&screen, "File")),
                 (QStringList{"devolvidos.mdb", "help.mdb", "MENU.mdb", "tutorial.mdb"}));
        const QStringList logs = QDir(folders.programFolder()).entryList({"VAN*.log"});
        QCOMPARE(logs.size(), 1);
        const QString log = folders.readProgramFile(logs.first());
        QVERIFY(log.contains(QStringLiteral("IMPORTAÇÃO DO ACCESS-situacoes: 6 registros")));
    }

    // What an import stopped midway left is no data: the folder is made
    // ready as a new one, and the leftover goes.
    void leftoverOfAStoppedImportGoes()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        QVERIFY(kq::test::writeAll(folders.dataFile("devolvidos.mdb.importando"),
                                   QByteArray("SQLite format 3\0", 16).leftJustified(4096, '\0')));
        finstalacao screen;
        screen.setDirectory(folders.dataFolder());
        QVERIFY(listed(ctl<QListWidget>(&screen, "File")).isEmpty());
        ctl<QPushButton>(&screen, "Command4")->click();
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.lastText(), kConfigOk);
        QVERIFY(!QFile::exists(folders.dataFile("devolvidos.mdb.importando")));
        QVERIFY(kq::data::isSqliteFile(folders.dataFile("devolvidos.mdb")));
    }

    // A file the import cannot take is said at once; nothing is asked or changed.
    void newerAccessIsRefusedAtOnce()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        QVERIFY(kq::test::writeAll(folders.dataFile("MENU.mdb"), kq::test::newerAccessBytes()));
        const auto before = kq::test::folderSnapshot(folders.dataFolder());
        finstalacao screen;
        screen.setDirectory(folders.dataFolder());
        ctl<QPushButton>(&screen, "Command4")->click();
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.lastText().contains(QStringLiteral("versão mais nova do Access")));
        QVERIFY(dialogs.lastText().endsWith(QStringLiteral("Nada foi alterado na pasta.")));
        QCOMPARE(kq::test::folderSnapshot(folders.dataFolder()), before);
        QVERIFY(!QFile::exists(folders.programFile("sys.ini")));
    }

    void shortcutRunsTheRealExecutable()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        finstalacao screen;
        ctl<QPushButton>(&screen, "Command1")->click();
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Atalho Criado com sucesso!!")});
        QFile link(m_home.path() + QStringLiteral("/Mesa/kq-730 Sistema de Vantesca.desktop"));
        QVERIFY(link.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(link.readAll());
        QVERIFY(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
        QVERIFY(text.contains(QStringLiteral("Type=Application\n")));
        QVERIFY(text.contains(
            QStringLiteral("Exec=\"%1\"\n").arg(QCoreApplication::applicationFilePath())));
        QVERIFY(link.permissions() & QFile::ExeOwner);
    }

    // The same launcher, with the program's icon, also in the applications menu.
    void launcherGoesToTheMenuWithItsIcon()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        finstalacao screen;
        ctl<QPushButton>(&screen, "Command1")->click();
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Atalho Criado com sucesso!!")});
        const QString icon
            = m_home.path() + QStringLiteral("/data/icons/hicolor/256x256/apps/kq-730.png");
        QImage image(icon);
        QCOMPARE(image.size(), QSize(256, 256));
        QFile desk(m_home.path() + QStringLiteral("/Mesa/kq-730 Sistema de Vantesca.desktop"));
        QFile menu(m_home.path() + QStringLiteral("/data/applications/kq-730.desktop"));
        QVERIFY(desk.open(QIODevice::ReadOnly));
        QVERIFY(menu.open(QIODevice::ReadOnly));
        const QByteArray entry = desk.readAll();
        QCOMPARE(menu.readAll(), entry);
        QVERIFY2(entry.contains("\nIcon=" + icon.toUtf8() + "\n"), entry.constData());
        QVERIFY(entry.contains(
            QStringLiteral("Exec=\"%1\"\n").arg(QCoreApplication::applicationFilePath()).toUtf8()));
    }

    // Where gio exists the desktop copy is marked trusted; without it the
    // shortcut is made all the same.
    void desktopCopyIsMarkedTrusted_data()
    {
        QTest::addColumn<bool>("withGio");
        QTest::newRow("gio") << true;
        QTest::newRow("no gio") << false;
    }
    void desktopCopyIsMarkedTrusted()
    {
        QFETCH(bool, withGio);
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        QTemporaryDir bin;
        const QString calls = bin.filePath(QStringLiteral("calls"));
        if (withGio) {
            QFile gio(bin.filePath(QStringLiteral("gio")));
            QVERIFY(gio.open(QIODevice::WriteOnly));
            gio.write(
                QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" >> '%1'\n").arg(calls).toUtf8());
            gio.close();
            gio.setPermissions(gio.permissions() | QFile::ExeOwner);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8());
        finstalacao screen;
        ctl<QPushButton>(&screen, "Command1")->click();
        qputenv("PATH", path);
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Atalho Criado com sucesso!!")});
        const QString desk
            = m_home.path() + QStringLiteral("/Mesa/kq-730 Sistema de Vantesca.desktop");
        QVERIFY(QFile::exists(desk));
        QFile log(calls);
        if (!withGio) {
            QVERIFY(!log.exists());
            return;
        }
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(log.readAll()),
                 QStringLiteral("set|%1|metadata::trusted|true|").arg(desk));
    }

    void execIsQuoted_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("blanks") << "/opt/kq 730/kq-730"
                                << "Exec=\"/opt/kq 730/kq-730\"";
        QTest::newRow("quote and dollar") << "/opt/a\"b$c/kq-730"
                                          << "Exec=\"/opt/a\\\\\"b\\\\$c/kq-730\"";
        QTest::newRow("backslash") << "/opt/a\\b/kq-730"
                                   << "Exec=\"/opt/a\\\\\\\\b/kq-730\"";
        QTest::newRow("percent") << "/opt/100%/kq-730"
                                 << "Exec=\"/opt/100%%/kq-730\"";
    }

    void execIsQuoted()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        const QString entry = kq::shell::desktopEntry(program);
        QVERIFY2(entry.contains(exec + QLatin1Char('\n')), qPrintable(entry));
    }

    void inaccessiblePlaceGoesBack()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        finstalacao screen;
        const int before = ctl<QComboBox>(&screen, "Drive")->currentIndex();
        ctl<QComboBox>(&screen, "Drive")
            ->addItem(QStringLiteral("/media/ausente"),
                      folders.programFolder() + QStringLiteral("/ausente"));
        auto *drive = ctl<QComboBox>(&screen, "Drive");
        drive->setCurrentIndex(drive->count() - 1);
        screen.Drive_Change();
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Drive não acessível")});
        QCOMPARE(ctl<QComboBox>(&screen, "Drive")->currentIndex(), before);
        QCOMPARE(ctl<QLabel>(&screen, "DS_DIRETORIO")->text(), folders.programFolder());
    }

    void sairEndsTheProgram()
    {
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        auto *screen = new finstalacao;
        QPointer<finstalacao> guard(screen);
        screen->show();
        m_ended = 0;
        ctl<QPushButton>(screen, "Command6")->click();
        QCOMPARE(m_ended, 1);
        QTRY_VERIFY(!guard);
        QVERIFY(!QFile::exists(folders.programFile("sys.ini")));
    }
};

QTEST_MAIN(tst_finstalacao)
#include "tst_finstalacao.moc"
