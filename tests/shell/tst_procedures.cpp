#include "data/dataerror.h"
#include "core/paths.h"
#include "platform/screen.h"
#include "platform/screenregistry.h"
#include "shell/services/appstate.h"
#include "shell/services/procedures.h"
#include "shell/rules/session.h"
#include "support/shell_fixture.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <stdexcept>

using namespace kq::shell;

class tst_procedures : public QObject
{
    Q_OBJECT
private slots:
    void gravarLogAppendsPerUserAndDay()
    {
        kq::test::ShellFixture fx("ANA", "002");
        GravarLog("LOGIN", "1");
        GravarLog("LOGIN", "2");
        setUsuarioLogado("BETO", "003");
        GravarLog("X", "Y");
        const QDate today = QDate::currentDate();
        const QString ana = fx.folders.readProgramFile(activityLogFileName("002", today));
        QCOMPARE(ana.count("\r\n"), 4);
        QVERIFY(ana.indexOf("-ANA-LOGIN-1") < ana.indexOf("-ANA-LOGIN-2"));
        QVERIFY(
            fx.folders.readProgramFile(activityLogFileName("003", today)).contains("-BETO-X-Y"));
    }

    void sessionNeedsNoMainWindow()
    {
        kq::test::TempFolders folders;
        session() = {folders.dataFolder(), "CAIO", "004"};
        GravarLog("A", "B");
        QCOMPARE(dataPath("MENU.mdb"), folders.dataFolder() + "/MENU.mdb");
        QCOMPARE(kq::platform::ScreenRegistry::instance().find("fprincipal"), nullptr);
        const QString log
            = folders.readProgramFile(activityLogFileName("004", QDate::currentDate()));
        QVERIFY(log.contains("-CAIO-A-B"));
        session() = {};
    }

    void unwritableLogRaisesError()
    {
        kq::test::ShellFixture fx;
        kq::platform::setProgramFolder(fx.folders.programFolder() + "/missing/folder");
        QVERIFY_THROWS_EXCEPTION(kq::platform::RuntimeError, GravarLog("a", "b"));
        kq::platform::setProgramFolder(fx.folders.programFolder());
    }

    void mostrarErroShowsAndLogsTheSameReport()
    {
        kq::test::ShellFixture fx;
        ProcedimentoAtual = "Cadastro de Destinos";
        ComplementoProcedimento = "/extra";
        try {
            throw kq::platform::RuntimeError(13, "Tipos incompatíveis", "cd_destino");
        } catch (...) {
            MostrarErro("fdestinos");
        }
        QCOMPARE(fx.dialogs.messages.size(), 1);
        const QString shown = fx.dialogs.lastText();
        QVERIFY(shown.startsWith("Erro No.13 - Tipos incompatíveis\r\nFormulário: fdestinos"));
        QVERIFY(shown.contains("Procedure: Cadastro de Destinos/extra\r\n"));
        QVERIFY(ComplementoProcedimento.isEmpty());
        const QString log = fx.folders.readProgramFile(errorLogFileName());
        QVERIFY(log.contains(shown + "\r\n \r\n" + QString(103, '-')));

        // trap() reports and lets the caller go on; the procedure text stays.
        bool after = false;
        QVERIFY(!trap("fdestinos", [] { throw std::runtime_error("falhou"); }));
        after = true;
        QVERIFY(after);
        QVERIFY(fx.dialogs.lastText().contains("Procedure: Cadastro de Destinos\r\n"));
    }

    void screenHandlerFailureGetsTheErrorReport()
    {
        kq::test::ShellFixture fx;
        ProcedimentoAtual.clear();
        kq::platform::Screen screen("fdestinos");
        auto *button = new QPushButton(&screen);
        screen.connectTrapped(button, &QPushButton::clicked, [] {
            throw kq::platform::RuntimeError(3021, "Sem registro corrente", "Data1");
        });
        button->click();
        const QString report
            = errorReportText("fdestinos", {3021, "Sem registro corrente", "Data1", {}}, QString());
        QCOMPARE(fx.dialogs.texts(), QStringList{report});
        QVERIFY(fx.folders.readProgramFile(errorLogFileName()).contains(report));
    }

    void mostrarErroKeepsTheTechnicalTextInTheLog()
    {
        kq::test::ShellFixture fx;
        try {
            throw kq::data::DataError(3026, "Não há espaço livre no disco.", "kq_data",
                                      "SQLite 13: database or disk is full");
        } catch (...) {
            MostrarErro("fprincipal");
        }
        const QString shown = fx.dialogs.lastText();
        QVERIFY(shown.startsWith("Erro No.3026 - Não há espaço livre no disco.\r\n"));
        QVERIFY(!shown.contains("SQLite"));
        const QString log = fx.folders.readProgramFile(errorLogFileName());
        QVERIFY(log.contains(shown
                             + "\r\nDetalhe técnico: SQLite 13: database or disk is full"
                               "\r\n \r\n"));
    }
};

QTEST_MAIN(tst_procedures)
#include "tst_procedures.moc"
