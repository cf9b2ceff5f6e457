// Long readings of the server cut midway: an administrator ends the
// program's sessions while a report or a grid is still reading its rows.

#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/server.h"
#include "platform/grid/gridex.h"
#include "platform/report/reportdocument.h"
#include "platform/report/reportengine.h"
#include "platform/report/reportpreview.h"
#include "support/base_dialogs.h"
#include "support/base_server.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kq::data;
using namespace kq::platform;

namespace {

constexpr int kCheques = 60000;

ReportDefinition chequeList()
{
    ReportDefinition d;
    d.title = "Cheques";
    d.select = "CD_DEVOLVIDO, VL_CHEQUE";
    d.from = "DEVOLVIDOS";
    d.orderBy = "CD_DEVOLVIDO";
    d.columns = {{"CD_DEVOLVIDO", "Cheque", "", 20, "", "contagem"},
                 {"VL_CHEQUE", "Valor", "0.00", 12, "", "soma"}};
    return d;
}

} // namespace

class tst_serverreading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        KQ_SKIP_WITHOUT_SERVER();
        QVERIFY(m_server.isValid());
        QVERIFY(prepareServerDatabase(m_server.settings()));
        QVERIFY(m_dir.isValid());
        writeServerSettings(m_dir.path(), m_server.settings());
        m_path = dataFile(m_dir.path(), kDevolvidos);
        const QString made = kq::test::serverValue(
            m_server.settings(),
            QStringLiteral("INSERT INTO devolvidos (cd_devolvido, vl_cheque) SELECT "
                           "lpad(g::text, 10, '0'), g FROM generate_series(1, %1) g; "
                           "SELECT count(*) FROM devolvidos")
                .arg(kCheques));
        QCOMPARE(made, QString::number(kCheques));
    }
    void cleanupTestCase() { closeAllDatabases(); }

    // The report's document: the failure comes out of the reading, with the
    // server named, and the document has no totals.
    void reportDocumentStops()
    {
        QString error;
        auto doc = ReportDocument::open(chequeList(), m_path, QString(), &error);
        QVERIFY2(doc, qPrintable(error));
        doc->readLines(200);
        endSessions();
        try {
            doc->readAll();
            QFAIL("the report read to its end without the server");
        } catch (const DataError &e) {
            QCOMPARE(e.number(), ErrorNumber::ServerUnavailable);
            QVERIFY2(e.description().contains(serverNamed()), qPrintable(e.description()));
        }
        QVERIFY(!doc->isComplete());
        QVERIFY(doc->recordCount() < kCheques);
    }

    // The report window: the failure is told and the window goes.
    void reportWindowTellsAndCloses()
    {
        kq::test::ScriptedDialogs dialogs;
        QTemporaryDir dir;
        const QString rpt = dir.filePath("1_Cheques.rpt");
        QFile f(rpt);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(chequeList().toJson());
        f.close();
        ReportEngine engine;
        engine.setDataFiles(0, m_path);
        engine.setReportFileName(rpt);
        QVERIFY(engine.run());
        QVERIFY(!engine.preview()->document().isComplete());
        endSessions();
        QTRY_COMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.lastText().contains(serverNamed()), qPrintable(dialogs.lastText()));
        QTRY_VERIFY(!engine.preview());
    }

    // The grid's background reading: told, and the short list is not shown.
    void gridTellsAndEmpties()
    {
        kq::test::ScriptedDialogs dialogs;
        GridEX g;
        g.setDatabaseName(m_path);
        g.setRecordSource(QStringLiteral("SELECT CD_DEVOLVIDO, VL_CHEQUE FROM DEVOLVIDOS"));
        g.refresh();
        endSessions();
        QTRY_COMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.lastText().contains(serverNamed()), qPrintable(dialogs.lastText()));
        QCOMPARE(g.recordCount(), 0);
    }

private:
    QString serverNamed() const
    {
        return QStringLiteral("servidor de banco de dados \"%1\"").arg(m_server.settings().name());
    }
    // Ends the program's sessions, as an administrator would.
    void endSessions()
    {
        QString error;
        QVERIFY2(kq::test::serverAdmin(QStringLiteral("SELECT pg_terminate_backend(pid, 10000) "
                                                      "FROM pg_stat_activity WHERE datname = '%1'")
                                           .arg(m_server.settings().database),
                                       &error),
                 qPrintable(error));
    }

    kq::test::ServerDatabase m_server;
    QTemporaryDir m_dir;
    QString m_path;
};

QTEST_MAIN(tst_serverreading)
#include "tst_serverreading.moc"
