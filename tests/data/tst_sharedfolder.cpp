// Two programs on one data folder (two desks of one office): a long read
// never holds up a write, a write waits for the other desk's write, and a
// lock that lasts is told in Portuguese. The other desk is this program run
// again with "--desk".
#include "data/database.h"
#include "data/dataerror.h"
#include "data/journal_p.h"
#include "support/base_data.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>
#include <QThread>

#include <cstdio>

using namespace kq::data;

namespace {

// The other desk: "--desk read DB" keeps a read of every cheque open;
// "--desk write DB MS" holds a written transaction for MS milliseconds (until
// its input closes when MS is 0). It says "pronto" when it holds the file.
int desk(const QStringList &args)
{
    const QString mode = args.value(2);
    const QString db = args.value(3);
    const int ms = args.value(4).toInt();
    auto ready = [] {
        std::printf("pronto\n");
        std::fflush(stdout);
    };
    auto waitForEnd = [&] {
        if (ms > 0) {
            QThread::msleep(ms);
            return;
        }
        char line[16];
        while (std::fgets(line, sizeof line, stdin)) {
        }
    };
    try {
        if (mode == QLatin1String("read")) {
            QSqlQuery q(database(db));
            q.setForwardOnly(true);
            q.exec(QStringLiteral("SELECT CD_DEVOLVIDO FROM DEVOLVIDOS"));
            if (!q.next())
                return 3;
            ready();
            waitForEnd();
            return 0;
        }
        Transaction tx(db);
        exec(db, QStringLiteral("UPDATE destinos SET DS_destino = 'OUTRA MESA'"));
        ready();
        waitForEnd();
        tx.commit();
        return 0;
    } catch (const DataError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 2;
    }
}

class OtherDesk
{
public:
    OtherDesk(const QString &mode, const QString &db, int ms = 0)
    {
        // Its complaints reach the test's own output.
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--desk"), mode, db, QString::number(ms)});
        m_ready = m_process.waitForReadyRead(30000)
                  && m_process.readAllStandardOutput().startsWith("pronto");
    }
    ~OtherDesk()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(30000))
            m_process.kill();
    }
    bool ready() const { return m_ready; }
    bool running() const { return m_process.state() == QProcess::Running; }
    // Waits for its end; its exit code.
    int finish()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(30000);
        return m_process.exitCode();
    }

private:
    QProcess m_process;
    bool m_ready = false;
};

} // namespace

class tst_sharedfolder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void aLongReadDoesNotHoldUpAWrite();
    void aWriteWaitsForTheOtherDesk();
    void aLockThatLastsIsToldInPortuguese();

private:
    kq::test::TempDataFolder *m_folder = nullptr;
    QString m_db;
};

void tst_sharedfolder::init()
{
    m_folder = new kq::test::TempDataFolder;
    m_db = m_folder->devolvidos();
    kq::test::addCheques(m_db, 3000);
}

void tst_sharedfolder::cleanup()
{
    delete m_folder;
    m_folder = nullptr;
    internal::setBusyTimeout(60000);
}

void tst_sharedfolder::aLongReadDoesNotHoldUpAWrite()
{
    OtherDesk reader(QStringLiteral("read"), m_db);
    QVERIFY(reader.ready());
    QElapsedTimer timer;
    timer.start();
    {
        Transaction tx(m_db);
        exec(m_db, QStringLiteral("UPDATE DEVOLVIDOS SET vl_atualizado = VL_CHEQUE * 2"));
        tx.commit();
    }
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(reader.running()); // the read was still open
    QCOMPARE(reader.finish(), 0);
    QCOMPARE(scalar(m_db, QStringLiteral("SELECT count(*) FROM DEVOLVIDOS WHERE "
                                         "vl_atualizado = VL_CHEQUE * 2"))
                 .toInt(),
             3000);
}

void tst_sharedfolder::aWriteWaitsForTheOtherDesk()
{
    OtherDesk writer(QStringLiteral("write"), m_db, 1500);
    QVERIFY(writer.ready());
    {
        Transaction tx(m_db); // waits for the other desk's commit
        QCOMPARE(scalar(m_db, QStringLiteral("SELECT DS_destino FROM destinos")).toString(),
                 QStringLiteral("OUTRA MESA"));
        exec(m_db, QStringLiteral("UPDATE destinos SET DS_destino = DS_destino || ' E ESTA'"));
        tx.commit();
    }
    QCOMPARE(writer.finish(), 0);
    QCOMPARE(scalar(m_db, QStringLiteral("SELECT DS_destino FROM destinos")).toString(),
             QStringLiteral("OUTRA MESA E ESTA"));
}

void tst_sharedfolder::aLockThatLastsIsToldInPortuguese()
{
    closeAllDatabases();
    internal::setBusyTimeout(300);
    OtherDesk writer(QStringLiteral("write"), m_db);
    QVERIFY(writer.ready());
    try {
        Transaction tx(m_db);
        QFAIL("the file was not in use");
    } catch (const DataError &e) {
        QCOMPARE(e.number(), ErrorNumber::Locked);
        QVERIFY2(e.description().contains(m_db), qPrintable(e.description()));
        QVERIFY(e.description().contains(QStringLiteral("em uso por outro programa")));
        QVERIFY(e.description().contains(QStringLiteral("tente de novo")));
        QVERIFY(e.detail().contains(QStringLiteral("database is locked")));
    }
    QCOMPARE(writer.finish(), 0);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--desk")) {
        const int status = desk(args);
        closeAllDatabases();
        return status;
    }
    tst_sharedfolder test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sharedfolder.moc"
