#include "data/database.h"
#include "data/datafolder.h"
#include "platform/buttonbar.h"
#include "platform/screen.h"
#include "platform/screenregistry.h"
#include "platform/statusbar.h"
#include "shell/services/appstate.h"
#include "shell/fprincipal.h"
#include "shell/rules/session.h"
#include "support/shell_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

using namespace kq::shell;
using kq::platform::ScreenRegistry;

namespace {
int g_created = 0;

void setMenu(const QString &menuDb, const QList<QList<QVariant>> &rows)
{
    kq::data::exec(menuDb, "DELETE FROM CONFIG");
    for (const auto &r : rows)
        kq::data::exec(menuDb,
                       "INSERT INTO CONFIG (GRUPO, OPCAO, descricao, ds_tootip) "
                       "VALUES (?, ?, ?, ?)",
                       {r.at(0), r.at(1), r.at(2), r.at(3)});
}

// Prepares a data folder and sys.ini without loading the main window.
struct Folder
{
    Folder()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        kq::test::registerAllScreens();
        kq::data::prepareDataFolder(folders.dataFolder());
        folders.writeSysIni();
    }
    ~Folder()
    {
        ScreenRegistry::instance().unloadAll();
        session() = {};
    }
    QString menu() const { return folders.dataFile(kq::data::kMenu); }
    kq::test::TempFolders folders;
    kq::test::ScriptedDialogs dialogs;
};
} // namespace

class tst_fprincipal : public QObject
{
    Q_OBJECT
private slots:
    void dispatchTable_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("screen");
        QTest::newRow("1-1") << 1 << 1 << "ffornecedores";
        QTest::newRow("1-3") << 1 << 3 << "flojas";
        QTest::newRow("1-8") << 1 << 8 << "ftutorial";
        QTest::newRow("2-5") << 2 << 5 << "fcorrecao";
        QTest::newRow("3-3") << 3 << 3 << "fconsulta3";
        QTest::newRow("4-4") << 4 << 4 << "frelatoriosfinanceiros";
        QTest::newRow("4-5") << 4 << 5 << "";
        QTest::newRow("4-7") << 4 << 7 << "";
        QTest::newRow("5-2") << 5 << 2 << "fmostralog";
        QTest::newRow("6-1") << 6 << 1 << "fcubovendas";
        QTest::newRow("6-2") << 6 << 2 << "";
        QTest::newRow("1-9") << 1 << 9 << "";
    }
    void dispatchTable()
    {
        QFETCH(int, group);
        QFETCH(int, item);
        QFETCH(QString, screen);
        QCOMPARE(menuTarget(group, item), screen);
    }

    void loadReadsLastLineOfSysIni()
    {
        Folder f;
        f.folders.writeSysIni({"/primeira/linha", "", f.folders.dataFolder()});
        fprincipal *w = mainWindow();
        QVERIFY(w);
        QCOMPARE(dataFolder(), f.folders.dataFolder());
        QCOMPARE(w->StatusBar1->panelCount(), 8);
        QVERIFY(w->windowTitle().startsWith("SISTEMA DE VANTESCA - "));
        QCOMPARE(w->windowTitle().count('.'), 2);
        QCOMPARE(w->helpFile(), f.folders.dataFolder() + "/kq-720.hlp");
        QCOMPARE(w->sistema->text(), QString("-Sistema de Vantesca Plus"));
        QCOMPARE(w->ButtonBar1->groupCount(), 6);
        QCOMPARE(w->ButtonBar1->groupCaption(2), QString("Lançamentos"));
        // The seeded menu: 8 registers, 5 entries, 3 queries, 4 reports, 2, 1.
        const int expected[] = {8, 5, 3, 4, 2, 1};
        for (int g = 1; g <= 6; ++g)
            QCOMPARE(w->ButtonBar1->itemCount(g), expected[g - 1]);
    }

    void showsTheSession()
    {
        Folder f;
        setUsuarioLogado("ANA", "002");
        fprincipal *w = mainWindow();
        QCOMPARE(w->StatusBar1->panelText(1), f.folders.dataFolder());
        QCOMPARE(w->usuario->text(), QString("ANA"));
        QCOMPARE(w->codigouser->text(), QString("002"));
        setUsuarioLogado("BETO", "003");
        QCOMPARE(w->usuario->text(), QString("BETO"));
        QCOMPARE(w->codigouser->text(), QString("003"));
    }

    void itemIndexIsRankNotOpcao()
    {
        Folder f;
        setMenu(f.menu(),
                {{1, 1, "A", "ta"}, {1, 2, "B", "tb"}, {1, 4, "Lojas", "Tabela de Empresas"}});
        fprincipal *w = mainWindow();
        QCOMPARE(w->ButtonBar1->itemCount(1), 3);
        QCOMPARE(w->ButtonBar1->item(1, 3)->objectName(), QString("K41"));
        QCOMPARE(w->ButtonBar1->item(1, 3)->toolTip(), QString("Tabela de Empresas"));
        QCOMPARE(w->ButtonBar1_ItemClick(1, 3), QString("flojas"));
    }

    void emptyConfigGivesEmptyGroups()
    {
        Folder f;
        setMenu(f.menu(), {});
        fprincipal *w = mainWindow();
        for (int g = 1; g <= 6; ++g)
            QCOMPARE(w->ButtonBar1->itemCount(g), 0);
    }

    void badMenuRowsFailTheLoad_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<QString>("expected");
        QTest::newRow("group 7") << 7 << "grupo 7, opção 1";
        QTest::newRow("group 0") << 0 << "grupo 0, opção 1";
    }
    void badMenuRowsFailTheLoad()
    {
        QFETCH(int, group);
        QFETCH(QString, expected);
        Folder f;
        // The schema refuses such rows, so build a table that allows them.
        kq::data::exec(f.menu(), "DROP TABLE CONFIG");
        kq::data::exec(f.menu(), "CREATE TABLE CONFIG (GRUPO INTEGER, OPCAO INTEGER, "
                                 "descricao TEXT, ds_tootip TEXT, opcoes TEXT)");
        setMenu(f.menu(), {{group, 1, "X", "x"}});
        try {
            ScreenRegistry::instance().load("fprincipal");
            QFAIL("load should fail");
        } catch (const StartupError &e) {
            QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
            QVERIFY(e.message().contains("MENU.mdb"));
        }
        QCOMPARE(ScreenRegistry::instance().find("fprincipal"), nullptr);
    }

    void repeatedKeyFailsTheLoad()
    {
        Folder f;
        kq::data::exec(f.menu(), "DROP TABLE CONFIG");
        kq::data::exec(f.menu(), "CREATE TABLE CONFIG (GRUPO INTEGER, OPCAO INTEGER, "
                                 "descricao TEXT, ds_tootip TEXT, opcoes TEXT)");
        setMenu(f.menu(), {{1, 1, "X", "x"}, {1, 1, "Y", "y"}});
        QVERIFY_THROWS_EXCEPTION(StartupError, ScreenRegistry::instance().load("fprincipal"));
    }

    void missingFilesFailTheLoad()
    {
        {
            Folder f;
            QFile::remove(f.folders.programFile("sys.ini"));
            QVERIFY_THROWS_EXCEPTION(StartupError, ScreenRegistry::instance().load("fprincipal"));
        }
        {
            Folder f;
            kq::data::closeAllDatabases();
            QFile::remove(f.folders.dataFile(kq::data::kDevolvidos));
            try {
                ScreenRegistry::instance().load("fprincipal");
                QFAIL("load should fail");
            } catch (const StartupError &e) {
                QVERIFY(e.message().contains("devolvidos.mdb"));
            }
        }
    }

    void openScreenIsBroughtForward()
    {
        Folder f;
        fprincipal *w = mainWindow();
        g_created = 0;
        ScreenRegistry::instance().registerScreen("flojas", [] {
            ++g_created;
            return new kq::platform::Screen("flojas");
        });
        w->ButtonBar1->item(1, 3)->click();
        QWidget *first = ScreenRegistry::instance().find("flojas");
        QVERIFY(first && first->isVisible());
        w->ButtonBar1->item(1, 3)->click();
        QCOMPARE(ScreenRegistry::instance().find("flojas"), first);
        QCOMPARE(g_created, 1);
        // An item with no screen opens nothing and does not fail.
        QCOMPARE(w->ButtonBar1_ItemClick(4, 6), QString());
    }

    // Tab from the first item visits every group header and only named
    // controls; the keys alone open a screen of another group.
    void theMenuByKeyboard()
    {
        Folder f;
        fprincipal *w = mainWindow();
        g_created = 0;
        ScreenRegistry::instance().registerScreen("flancheques", [] {
            ++g_created;
            return new kq::platform::Screen("flancheques");
        });
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QWidget *first = w->ButtonBar1->item(1, 1);
        QCOMPARE(QApplication::focusWidget(), first);
        QStringList headers;
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            auto *stop = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
            QVERIFY2(stop, "a stop that is no button");
            QVERIFY2(!stop->accessibleName().isEmpty() || !stop->text().isEmpty(),
                     "an unnamed stop");
            for (int g = 1; g <= 6; ++g)
                if (stop == w->ButtonBar1->header(g))
                    headers << stop->text();
            if (stop == first)
                break;
        }
        QCOMPARE(QApplication::focusWidget(), first);
        QCOMPARE(headers, (QStringList{"Lançamentos", "Consultas", "Relatórios", "Parâmetros",
                                       "B.I.", "Cadastros"}));

        // Back to "Cadastros", to the last header, up to "Lançamentos", open
        // it, down to its first item and choose it.
        for (Qt::Key k : {Qt::Key_Backtab, Qt::Key_End, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up,
                          Qt::Key_Up, Qt::Key_Return, Qt::Key_Down, Qt::Key_Return})
            QTest::keyClick(QApplication::focusWidget(), k);
        QCOMPARE(w->ButtonBar1->currentGroup(), 2);
        QCOMPARE(g_created, 1);
        QVERIFY(ScreenRegistry::instance().find("flancheques"));
    }

    // A screen of the menu whose load fails is named in the report, not the
    // main window that opened it.
    void failedMenuScreenIsNamed()
    {
        Folder f;
        fprincipal *w = mainWindow();
        kq::data::exec(f.folders.dataFile(kq::data::kDevolvidos), "DROP TABLE parametros");
        w->ButtonBar1->item(5, 1)->click();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.lastText().contains("Formulário: fparametros\r\n"),
                 qPrintable(f.dialogs.lastText()));
        QVERIFY(!ScreenRegistry::instance().find("fparametros"));
    }

    void resizeKeepsOffsets()
    {
        Folder f;
        fprincipal *w = mainWindow();
        w->resize(800, 600);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const int right = w->width() - w->Command1->x();
        const int bottom = w->height() - w->Command1->y();
        const int labelBottom = w->height() - w->Label2->y();
        w->resize(1000, 700);
        QCoreApplication::processEvents();
        QCOMPARE(w->width() - w->Command1->x(), right);
        QCOMPARE(w->height() - w->Command1->y(), bottom);
        QCOMPARE(w->height() - w->Label2->y(), labelBottom);
    }
};

QTEST_MAIN(tst_fprincipal)
#include "tst_fprincipal.moc"
