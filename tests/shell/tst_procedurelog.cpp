// The activity and error logs: their file names, their lines, and the
// appending to the program folder's files.
#include "core/errorinfo.h"
#include "core/paths.h"
#include "shell/rules/procedurelog.h"
#include "shell/rules/session.h"
#include "support/base_folders.h"

#include <QFile>
#include <QtTest>

using namespace kq::shell;
using kq::platform::RuntimeError;

class tst_procedurelog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        session() = {};
        ProcedimentoAtual.clear();
        ComplementoProcedimento.clear();
    }

    void logFileNames_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("name");
        QTest::newRow("user") << "001" << QDate(2026, 3, 5) << "VAN001050326.log";
        QTest::newRow("no user") << "" << QDate(2026, 12, 31) << "VAN311226.log";
        QTest::newRow("year 2000") << "012" << QDate(2000, 1, 9) << "VAN012090100.log";
    }
    void logFileNames()
    {
        QFETCH(QString, code);
        QFETCH(QDate, day);
        QFETCH(QString, name);
        QCOMPARE(activityLogFileName(code, day), name);
    }

    void logLines()
    {
        const QDateTime when(QDate(2026, 3, 5), QTime(9, 7, 3));
        QCOMPARE(activityLogEntry(when, "ANA", "LOGIN", "OK"),
                 QString("Data: 05/03/2026 Hora: 09:07.03-ANA-LOGIN-OK\r\n") + QString(113, '-')
                     + "\r\n");
        QCOMPARE(activityLogEntry(when, "", "A", "B"),
                 QString("Data: 05/03/2026 Hora: 09:07.03--A-B\r\n") + QString(113, '-') + "\r\n");
        const QString report = errorReportText(
            "flojas", {3021, "Sem registro corrente", "Data1", {}}, "Tabela de Empresas");
        QCOMPARE(report, QString("Erro No.3021 - Sem registro corrente\r\nFormulário: flojas\r\n"
                                 "Objeto: Data1\r\nProcedure: Tabela de Empresas\r\n"
                                 "Anote as informações acima e contacte o suporte."));
        QCOMPARE(errorLogEntry(when, "R"), QString("Data: 05/03/2026 Hora: 09:07.03\r\nR\r\n \r\n")
                                               + QString(103, '-') + "\r\n");
    }

    // The error log is named after the program, whichever executable runs.
    void errorLogNamedAfterTheProgram()
    {
        QCOMPARE(errorLogFileName(), QStringLiteral("kq-730.log"));
    }

    void gravarLogAppendsPerUserAndDay()
    {
        kq::test::TempFolders folders;
        session() = {folders.dataFolder(), "ANA", "002"};
        GravarLog("LOGIN", "1");
        GravarLog("LOGIN", "2");
        session() = {folders.dataFolder(), "BETO", "003"};
        GravarLog("X", "Ç");
        const QDate today = QDate::currentDate();
        const QString ana = folders.readProgramFile(activityLogFileName("002", today));
        QCOMPARE(ana.count("\r\n"), 4);
        QVERIFY(ana.indexOf("-ANA-LOGIN-1\r\n") < ana.indexOf("-ANA-LOGIN-2\r\n"));
        QVERIFY(!ana.contains("BETO"));
        QVERIFY(folders.readProgramFile(activityLogFileName("003", today)).contains("-BETO-X-Ç"));
    }

    // Appending keeps what the file had; a file that cannot be opened is an
    // error 75 naming it.
    void appendKeepsTheFile()
    {
        kq::test::TempFolders folders;
        const QString path = folders.programFile("a.log");
        appendToFile(path, "um\r\n");
        appendToFile(path, "dois\r\n");
        QCOMPARE(folders.readProgramFile("a.log"), QString("um\r\ndois\r\n"));
        const QString missing = folders.programFile("missing/a.log");
        try {
            appendToFile(missing, "x");
            QFAIL("a file in a missing folder was written");
        } catch (const RuntimeError &e) {
            QCOMPARE(e.info().number, 75);
            QVERIFY(e.info().description.contains(missing));
        }
        QVERIFY(!QFile::exists(missing));
    }

    void unwritableActivityLogRaisesError()
    {
        kq::test::TempFolders folders;
        session() = {folders.dataFolder(), "ANA", "002"};
        kq::platform::setProgramFolder(folders.programFolder() + "/missing/folder");
        QVERIFY_THROWS_EXCEPTION(RuntimeError, GravarLog("a", "b"));
        kq::platform::setProgramFolder(folders.programFolder());
    }

    void gravarErroAppendsToTheErrorLog()
    {
        kq::test::TempFolders folders;
        GravarErro("primeiro");
        GravarErro("segundo");
        const QString log = folders.readProgramFile(errorLogFileName());
        QVERIFY(log.startsWith("Data: "));
        QVERIFY(log.contains("\r\nprimeiro\r\n \r\n" + QString(103, '-') + "\r\n"));
        QVERIFY(log.indexOf("primeiro") < log.indexOf("segundo"));
        QCOMPARE(log.count(QString(103, '-')), 2);
    }

    // The failure being handled goes to the error log with the procedure
    // being run; a log that cannot be written is let go.
    void gravarFalhaLogsTheFailure()
    {
        kq::test::TempFolders folders;
        ProcedimentoAtual = "Cadastro de Destinos";
        try {
            throw RuntimeError(13, "Tipos incompatíveis", "cd_destino");
        } catch (...) {
            GravarFalha("fdestinos");
        }
        const QString report = errorReportText(
            "fdestinos", {13, "Tipos incompatíveis", "cd_destino", {}}, "Cadastro de Destinos");
        QVERIFY(folders.readProgramFile(errorLogFileName()).contains(report + "\r\n \r\n"));

        kq::platform::setProgramFolder(folders.programFolder() + "/missing/folder");
        try {
            throw RuntimeError(13, "Tipos incompatíveis", "cd_destino");
        } catch (...) {
            GravarFalha("fdestinos"); // must not throw
        }
        kq::platform::setProgramFolder(folders.programFolder());
        QCOMPARE(folders.readProgramFile(errorLogFileName()).count(report), 1);
    }
};

QTEST_GUILESS_MAIN(tst_procedurelog)
#include "tst_procedurelog.moc"
