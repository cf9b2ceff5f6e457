#include "data/database.h"
#include "data/datafolder.h"
#include "shell/rules/correction.h"
#include "shell/monetaryupdate.h"
#include "support/base_data.h"
#include "support/base_dialogs.h"
#include "support/base_folders.h"
#include "support/base_server.h"

#include <QSqlQuery>
#include <QtTest>

using kq::data::exec;

namespace {

const QString kOk = QStringLiteral("Valores atualizados com sucesso!! Obrigado!!");

// A prepared data folder with a few factors and cheques.
struct Portfolio
{
    kq::test::TempFolders folders;
    kq::test::ScriptedDialogs dialogs;
    QString db;

    Portfolio()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        kq::data::prepareDataFolder(folders.dataFolder());
        db = folders.dataFile(kq::data::kDevolvidos);
    }

    void factor(const QString &month, const QVariant &value)
    {
        exec(db, QStringLiteral("INSERT INTO correcao (cd_ref, fator, ano) VALUES (?, ?, ?)"),
             {month, value, month.left(4)});
    }
    void cheque(const QString &key, const QVariant &deposit, const QVariant &value)
    {
        exec(db,
             QStringLiteral("INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, DT_DEPOSITO, VL_CHEQUE, "
                            "vl_atualizado, ref_atualizacao) VALUES (?, ?, ?, 7, '1999/01')"),
             {key, deposit, value});
    }
    QVariant updated(const QString &key) const
    {
        return kq::data::scalar(db,
                                QStringLiteral("SELECT vl_atualizado FROM DEVOLVIDOS "
                                               "WHERE CD_DEVOLVIDO = ?"),
                                {key});
    }
    QVariant month(const QString &key) const
    {
        return kq::data::scalar(db,
                                QStringLiteral("SELECT ref_atualizacao FROM DEVOLVIDOS "
                                               "WHERE CD_DEVOLVIDO = ?"),
                                {key});
    }
    bool onServer() const { return kq::data::dialectOf(db) == kq::data::Dialect::Postgres; }
    // n cheques of 100.00 deposited in January 2005, all untouched.
    void manyCheques(int n)
    {
        exec(db,
             QStringLiteral(
                 "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < ?) "
                 "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, DT_DEPOSITO, VL_CHEQUE, "
                 "vl_atualizado, ref_atualizacao) "
                 "SELECT substr(CAST(10000000000 + n AS text), 2), ?, 100, 7, '1999/01' "
                 "FROM c"),
             {n, QDate(2005, 1, 7)});
    }
    qint64 touched() const
    {
        return kq::data::scalar(db, QStringLiteral("SELECT count(*) FROM DEVOLVIDOS WHERE "
                                                   "vl_atualizado <> 7 OR "
                                                   "coalesce(ref_atualizacao, '') <> '1999/01'"))
            .toLongLong();
    }
    void run() { kq::shell::AtualizarValores(folders.dataFolder()); }
    void expectUntouched(const QString &key) const
    {
        QCOMPARE(updated(key).toDouble(), 7.0);
        QCOMPARE(month(key).toString(), QStringLiteral("1999/01"));
    }
};

} // namespace

class tst_monetaryupdate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { KQ_SKIP_WITHOUT_SERVER(); }
    void bringsEveryChequeToTheNewestFactor()
    {
        Portfolio p;
        p.factor(QStringLiteral("2005/01"), 1.2);
        p.factor(QStringLiteral("2005/02"), 1.3);
        p.factor(QStringLiteral("2005/03"), 1.5);
        p.cheque(QStringLiteral("0000000001"), QDate(2005, 1, 7), 100.0);
        p.cheque(QStringLiteral("0000000002"), QDate(2005, 3, 31), 250.4);
        p.cheque(QStringLiteral("0000000003"), QDate(2005, 2, 1), 100.0);

        p.run();
        QCOMPARE(p.dialogs.texts(), QStringList{kOk});
        QCOMPARE(p.dialogs.messages.first().buttons, kq::platform::Buttons::Ok);
        QCOMPARE(p.updated(QStringLiteral("0000000001")).toDouble(), 125.0);
        QCOMPARE(p.updated(QStringLiteral("0000000002")).toDouble(), 250.4);
        QCOMPARE(p.updated(QStringLiteral("0000000003")).toDouble(), 115.38);
        for (const char *key : {"0000000001", "0000000002", "0000000003"})
            QCOMPARE(p.month(QString::fromLatin1(key)).toString(), QStringLiteral("2005/03"));

        // A second run starts again from the face values.
        exec(p.db, QStringLiteral("UPDATE DEVOLVIDOS SET vl_atualizado = 1"));
        p.run();
        QCOMPARE(p.updated(QStringLiteral("0000000001")).toDouble(), 125.0);
        QCOMPARE(p.updated(QStringLiteral("0000000003")).toDouble(), 115.38);
        QCOMPARE(p.dialogs.texts(), (QStringList{kOk, kOk}));
    }

    // Half cents and values a binary double holds just below them: the
    // stored value is the rules' own, to the last bit, on either engine.
    void valuesRoundAsTheRulesDo()
    {
        Portfolio p;
        p.factor(QStringLiteral("2005/01"), 1.2);
        p.factor(QStringLiteral("2005/02"), 1.5);
        p.factor(QStringLiteral("2005/03"), 1.5);
        const QList<double> values = {0.125, 2.675, 1.005, 1234.565, -2.675, 0.02, 0.1, 9999.995};
        int n = 0;
        for (const double v : values) {
            for (const QDate deposit : {QDate(2005, 1, 10), QDate(2005, 3, 10)})
                p.cheque(QStringLiteral("%1").arg(++n, 10, 10, QLatin1Char('0')), deposit, v);
        }
        p.run();
        QCOMPARE(p.dialogs.texts(), QStringList{kOk});
        n = 0;
        for (const double v : values) {
            for (const double factor : {1.2, 1.5}) {
                const QString key = QStringLiteral("%1").arg(++n, 10, 10, QLatin1Char('0'));
                const double expected
                    = kq::shell::roundedValue(kq::shell::correctedByFactors(v, factor, 1.5));
                QVERIFY2(p.updated(key).toDouble() == expected,
                         qPrintable(QStringLiteral("%1 from %2: %3, expected %4")
                                        .arg(v, 0, 'g', 17)
                                        .arg(factor)
                                        .arg(p.updated(key).toDouble(), 0, 'g', 17)
                                        .arg(expected, 0, 'g', 17)));
            }
        }
    }

    void chequesWithoutAFactorKeepTheirFaceValue()
    {
        Portfolio p;
        p.factor(QStringLiteral("2005/01"), 1.2);
        p.factor(QStringLiteral("2005/02"), 0.0);
        p.factor(QStringLiteral("2005/04"), QVariant());
        p.factor(QStringLiteral("2005/05"), 1.5);
        p.cheque(QStringLiteral("0000000001"), QDate(2005, 1, 7), 100.0);
        p.cheque(QStringLiteral("0000000002"), QDate(2005, 2, 7), 60.0);   // zero factor
        p.cheque(QStringLiteral("0000000003"), QDate(2004, 12, 7), 70.0);  // no row
        p.cheque(QStringLiteral("0000000004"), QDate(2005, 4, 7), 80.0);   // Null factor
        p.cheque(QStringLiteral("0000000005"), QVariant(), 90.0);          // no date
        p.cheque(QStringLiteral("0000000006"), QDate(2004, 12, 20), 10.0); // no row again

        const auto result = kq::shell::atualizarValoresBanco(p.db);
        QCOMPARE(result.cheques, 6);
        QCOMPARE(result.uncorrected, 5);
        QCOMPARE(result.withoutDate, 1);
        QCOMPARE(result.missingMonths, (QStringList{"2004/12", "2005/02", "2005/04"}));
        QCOMPARE(p.updated(QStringLiteral("0000000001")).toDouble(), 125.0);
        QCOMPARE(p.month(QStringLiteral("0000000001")).toString(), QStringLiteral("2005/05"));
        const QList<QPair<const char *, double>> faces = {{"0000000002", 60.0},
                                                          {"0000000003", 70.0},
                                                          {"0000000004", 80.0},
                                                          {"0000000005", 90.0},
                                                          {"0000000006", 10.0}};
        for (const auto &[key, face] : faces) {
            QCOMPARE(p.updated(QString::fromLatin1(key)).toDouble(), face);
            QVERIFY(p.month(QString::fromLatin1(key)).isNull());
        }

        p.run();
        QCOMPARE(p.dialogs.messages.size(), 1);
        const QString text = p.dialogs.lastText();
        QVERIFY(text.startsWith(kOk));
        QVERIFY2(text.contains(QStringLiteral("2004/12, 2005/02, 2005/04")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("sem data de depósito")), qPrintable(text));
    }

    // Rows that are not a whole month are not the newest month, correct no
    // cheque and are named in the closing message.
    void invalidMonthsAreLeftOutAndNamed()
    {
        Portfolio p;
        p.factor(QStringLiteral("2005/01"), 1.2);
        p.factor(QStringLiteral("2005/03"), 1.5);
        p.factor(QStringLiteral("____/__"), 5.0);
        p.factor(QStringLiteral("2026/1_"), 5.0);
        p.cheque(QStringLiteral("0000000001"), QDate(2005, 1, 7), 100.0);
        p.run();
        QCOMPARE(p.updated(QStringLiteral("0000000001")).toDouble(), 125.0);
        QCOMPARE(p.month(QStringLiteral("0000000001")).toString(), QStringLiteral("2005/03"));
        QCOMPARE(p.dialogs.texts(),
                 QStringList{kOk
                             + QStringLiteral("\n\nReferências inválidas na tabela de "
                                              "correção, não usadas: \"2026/1_\", "
                                              "\"____/__\"")});

        // Only such rows: no factor to correct with, and they are named.
        exec(p.db, QStringLiteral("DELETE FROM correcao WHERE cd_ref LIKE '2005%'"));
        p.dialogs.clear();
        p.run();
        QVERIFY2(p.dialogs.lastText().contains(QStringLiteral("não tem nenhum fator")),
                 qPrintable(p.dialogs.lastText()));
        QVERIFY(p.dialogs.lastText().contains(QStringLiteral("\"2026/1_\", \"____/__\"")));
        QCOMPARE(p.updated(QStringLiteral("0000000001")).toDouble(), 125.0);
    }

    void emptyChequeTableOnlyThanks()
    {
        Portfolio p;
        p.factor(QStringLiteral("2005/01"), 1.2);
        p.run();
        QCOMPARE(p.dialogs.texts(), QStringList{kOk});
    }

    void refusedRunsWriteNothing_data()
    {
        QTest::addColumn<QString>("newestFactor");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no factor") << ""
                                   << "não tem nenhum fator";
        QTest::newRow("zero newest") << "0"
                                     << "(2005/03) é zero";
    }

    void refusedRunsWriteNothing()
    {
        QFETCH(QString, newestFactor);
        QFETCH(QString, expected);
        Portfolio p;
        if (!newestFactor.isEmpty()) {
            p.factor(QStringLiteral("2005/01"), 1.2);
            p.factor(QStringLiteral("2005/03"), newestFactor.toDouble());
        }
        p.cheque(QStringLiteral("0000000001"), QDate(2005, 1, 7), 100.0);
        p.run();
        QCOMPARE(p.dialogs.messages.size(), 1);
        QVERIFY2(p.dialogs.lastText().contains(expected), qPrintable(p.dialogs.lastText()));
        QVERIFY(!p.dialogs.lastText().contains(kOk));
        p.expectUntouched(QStringLiteral("0000000001"));
    }

    void missingDatabaseIsRefused()
    {
        KQ_SQLITE_ONLY();
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        kq::shell::AtualizarValores(folders.dataFolder());
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.lastText().startsWith(QStringLiteral("Banco de dados não encontrado")));
        QVERIFY(!QFile::exists(folders.dataFile(kq::data::kDevolvidos)));
    }

    void progressCountsEveryChequeOnce()
    {
        Portfolio p;
        p.factor(QStringLiteral("2005/01"), 1.2);
        p.factor(QStringLiteral("2005/03"), 1.5);
        p.manyCheques(60001);
        QList<QPair<qint64, qint64>> steps;
        const auto result = kq::shell::atualizarValoresBanco(p.db, [&](qint64 done, qint64 all) {
            steps.append({done, all});
            return true;
        });
        QCOMPARE(result.cheques, 60001);
        // On a server the update is one statement: one step.
        if (p.onServer())
            QCOMPARE(steps.size(), 1);
        else
            QVERIFY(steps.size() > 1);
        for (int i = 1; i < steps.size(); ++i)
            QVERIFY(steps[i].first > steps[i - 1].first);
        QCOMPARE(steps.last(), qMakePair(qint64(60001), qint64(60001)));
        QCOMPARE(p.touched(), 60001);
    }

    void cancelledRunIsUndoneWhole_data()
    {
        QTest::addColumn<int>("cancelAt");
        QTest::newRow("after the first part") << 1;
        QTest::newRow("at the last part") << 60001;
    }

    void cancelledRunIsUndoneWhole()
    {
        QFETCH(int, cancelAt);
        Portfolio p;
        p.factor(QStringLiteral("2005/01"), 1.2);
        p.factor(QStringLiteral("2005/03"), 1.5);
        p.manyCheques(60001);
        p.dialogs.cancelProgressAt = cancelAt;
        p.run();
        QCOMPARE(p.dialogs.progressLabels,
                 QStringList{QStringLiteral("Atualizando os valores dos cheques...")});
        QCOMPARE(p.dialogs.texts(),
                 QStringList{QStringLiteral("Atualização cancelada. Nenhum valor foi alterado.")});
        QCOMPARE(p.touched(), 0);
        // The database is free again: a run after it goes through.
        p.dialogs.cancelProgressAt = -1;
        p.run();
        QCOMPARE(p.dialogs.lastText(), kOk);
        QCOMPARE(p.touched(), 60001);
    }

    void failedWriteIsUndoneAndReported()
    {
        Portfolio p;
        p.factor(QStringLiteral("2005/01"), 1.2);
        p.factor(QStringLiteral("2005/03"), 1.5);
        for (int i = 1; i <= 5; ++i)
            p.cheque(QStringLiteral("000000000%1").arg(i), QDate(2005, 1, i), 100.0 * i);
        kq::test::addFailingTrigger(
            p.db, QStringLiteral("falha"), QStringLiteral("BEFORE UPDATE ON DEVOLVIDOS"),
            QStringLiteral("OLD.CD_DEVOLVIDO = '0000000004'"), QStringLiteral("disco cheio"));
        p.run();
        QCOMPARE(p.dialogs.messages.size(), 1);
        const QString report = p.dialogs.lastText();
        QVERIFY2(report.contains(QStringLiteral("Formulário: fprincipal")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("disco cheio")), qPrintable(report));
        for (int i = 1; i <= 5; ++i)
            p.expectUntouched(QStringLiteral("000000000%1").arg(i));
    }

    void statisticsTakenAfterTheUpdate()
    {
        KQ_SQLITE_ONLY(); // a server takes them by itself
        Portfolio p;
        p.factor(QStringLiteral("2005/01"), 1.2);
        for (int i = 1; i <= 5; ++i)
            p.cheque(QStringLiteral("000000000%1").arg(i), QDate(2005, 1, i), 100.0 * i);
        p.run();
        QCOMPARE(p.dialogs.texts(), QStringList{kOk});
        QVERIFY(kq::data::scalar(p.db, QStringLiteral("SELECT count(*) FROM sqlite_stat1 "
                                                      "WHERE tbl = 'DEVOLVIDOS'"))
                    .toInt()
                > 0);
    }
};

QTEST_MAIN(tst_monetaryupdate)
#include "tst_monetaryupdate.moc"
