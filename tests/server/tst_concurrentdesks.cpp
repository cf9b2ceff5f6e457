// Two desks writing to one server at the same moment: each desk is a process
// of its own (this executable started again as a worker).
#include "collection/rules/agreementstore.h"
#include "collection/rules/chequerules.h"
#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "support/base_server.h"
#include "support/shell_agreement_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <cstdio>

using namespace kq::collection;

namespace {

const char kWorkerVariable[] = "KQ_DESK_WORKER";

Agreement agreementOver(const QString &db)
{
    Agreement a;
    a.cdCliente = QStringLiteral("00001");
    a.cdLoja = QStringLiteral("001");
    a.dtAcordo = QDate(2025, 1, 5);
    a.vlAberto = 100;
    a.nrParcelas = 2;
    a.vlParcela = 50;
    a.vlFinanciado = 100;
    a.dt1Vencimento = QDate(2025, 2, 5);
    a.cheques = loadEligibleCheques(db, a.cdCliente, a.cdLoja);
    return a;
}

// A worker: "insert COUNT" or "agreement", on the business database of the
// data folder; prints what it did, one line per outcome.
int runWorker(const QString &job, const QString &dataFolder)
{
    const QString db = kq::data::dataFile(dataFolder, kq::data::kDevolvidos);
    try {
        if (job.startsWith(QLatin1String("insert "))) {
            ChequeRecord cheque;
            cheque.form.cliente = QStringLiteral("00001");
            cheque.form.loja = QStringLiteral("001");
            cheque.form.destino = QStringLiteral("001");
            cheque.form.situacao = QStringLiteral("001");
            cheque.deposito = QDate(2025, 1, 2);
            cheque.valor = 10;
            const int count = job.section(QLatin1Char(' '), 1).toInt();
            for (int i = 0; i < count; ++i)
                includeCheque(db, cheque, QDate(2025, 1, 3));
            std::printf("ok\n");
        } else {
            const SaveOutcome out = saveAgreement(db, agreementOver(db));
            std::printf("%s\n", out.status == SaveOutcome::Saved ? "saved" : "changed");
        }
    } catch (const kq::data::DataError &e) {
        std::printf("error %s\n", qPrintable(e.description()));
    }
    std::fflush(stdout);
    kq::data::closeAllDatabases();
    return 0;
}

// Starts a desk on the folder.
std::unique_ptr<QProcess> startDesk(const QString &job, const QString &dataFolder)
{
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kWorkerVariable), job + QLatin1Char('|') + dataFolder);
    p->setProcessEnvironment(env);
    p->start(QCoreApplication::applicationFilePath(), {});
    return p;
}

QString finish(QProcess &p)
{
    p.waitForFinished(300000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace

class tst_concurrentdesks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void keysOfTwoDesksFollowEachOther();
    void oneAgreementPerCheque();
};

void tst_concurrentdesks::initTestCase()
{
    QString why;
    if (!kq::test::testServer(&why))
        QSKIP(qPrintable(QStringLiteral("PostgreSQL indisponível: ") + why));
}

void tst_concurrentdesks::keysOfTwoDesksFollowEachOther()
{
    kq::test::TempDataFolder folder;
    QVERIFY(folder.onServer());
    const QString db = folder.devolvidos();
    kq::test::addDebtor(db, QStringLiteral("00001"), QStringLiteral("ANA"));
    kq::test::addStore(db, QStringLiteral("001"), QStringLiteral("LOJA"), 1, 0, 0, 1, 0);
    kq::data::closeAllDatabases();

    auto a = startDesk(QStringLiteral("insert 500"), folder.path());
    auto b = startDesk(QStringLiteral("insert 500"), folder.path());
    QCOMPARE(finish(*a), QStringLiteral("ok"));
    QCOMPARE(finish(*b), QStringLiteral("ok"));

    QSqlQuery q = kq::data::exec(db, QStringLiteral("SELECT CD_DEVOLVIDO FROM DEVOLVIDOS "
                                                    "ORDER BY CD_DEVOLVIDO"));
    QStringList keys;
    while (q.next())
        keys << q.value(0).toString();
    QCOMPARE(keys.size(), 1000);
    for (int i = 0; i < keys.size(); ++i)
        QCOMPARE(keys.at(i), QStringLiteral("%1").arg(i + 1, 10, 10, QLatin1Char('0')));
}

void tst_concurrentdesks::oneAgreementPerCheque()
{
    kq::test::TempDataFolder folder;
    QVERIFY(folder.onServer());
    const QString db = folder.devolvidos();
    kq::test::addDebtor(db, QStringLiteral("00001"), QStringLiteral("ANA"));
    kq::test::addStore(db, QStringLiteral("001"), QStringLiteral("LOJA"), 1, 0, 0, 2, 0);
    kq::test::addCheque(db, QStringLiteral("0000000001"), QStringLiteral("00001"),
                        QStringLiteral("001"), QDate(2025, 1, 2), 100);

    std::unique_ptr<QProcess> a, b;
    {
        // The cheque is held here until both desks are waiting for it, so
        // their saves meet.
        kq::data::Transaction hold(db);
        kq::data::lockRows(db, QStringLiteral("DEVOLVIDOS"), QStringLiteral("CD_DEVOLVIDO"),
                           {QStringLiteral("0000000001")});
        a = startDesk(QStringLiteral("agreement"), folder.path());
        b = startDesk(QStringLiteral("agreement"), folder.path());
        QElapsedTimer waited;
        waited.start();
        int waiting = 0;
        while (waiting < 2 && waited.elapsed() < 120000) {
            QThread::msleep(50);
            kq::data::exec(db, QStringLiteral("SELECT pg_stat_clear_snapshot()"));
            waiting = kq::data::scalar(db, QStringLiteral("SELECT count(*) FROM pg_stat_activity "
                                                          "WHERE datname = current_database() "
                                                          "AND wait_event_type = 'Lock'"))
                          .toInt();
        }
        QCOMPARE(waiting, 2);
    }
    QStringList outcomes{finish(*a), finish(*b)};
    outcomes.sort();
    QCOMPARE(outcomes, (QStringList{QStringLiteral("changed"), QStringLiteral("saved")}));
    QCOMPARE(kq::test::rowCount(db, QStringLiteral("acordos")), 1);
    QCOMPARE(kq::test::rowCount(db, QStringLiteral("parcelas")), 2);
    const QString code
        = kq::data::scalar(db, QStringLiteral("SELECT cd_acordo FROM acordos")).toString();
    QCOMPARE(kq::data::scalar(db, QStringLiteral("SELECT cd_acordo FROM DEVOLVIDOS")).toString(),
             code);
}

int main(int argc, char **argv)
{
    const QString worker = qEnvironmentVariable(kWorkerVariable);
    if (!worker.isEmpty()) {
        QCoreApplication app(argc, argv);
        return runWorker(worker.section(QLatin1Char('|'), 0, 0),
                         worker.section(QLatin1Char('|'), 1));
    }
    QCoreApplication app(argc, argv);
    tst_concurrentdesks t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "tst_concurrentdesks.moc"
