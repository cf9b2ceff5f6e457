// Agenda entries: what an entry keeps, its code, and deleting one.
#include "collection/rules/agenda.h"
#include "data/database.h"
#include "data/datafolder.h"
#include "support/base_folders.h"

#include <QSqlQuery>
#include <QtTest>

using namespace kq::collection;
using kq::data::exec;
using kq::data::scalar;

class tst_agenda : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void entryAsSaved();
    void historyCut_data();
    void historyCut();
    void codesAfterDeleting();

private:
    QString add(const QString &history = QString());

    kq::test::TempFolders *m_folders = nullptr;
    QString m_db;
};

void tst_agenda::init()
{
    m_folders = new kq::test::TempFolders;
    kq::data::prepareDataFolder(m_folders->dataFolder());
    m_db = m_folders->dataFile(kq::data::kDevolvidos);
}

void tst_agenda::cleanup()
{
    kq::data::closeAllDatabases();
    delete m_folders;
    m_folders = nullptr;
}

QString tst_agenda::add(const QString &history)
{
    AgendaEntry e;
    e.dtMarcada = QDate(2026, 12, 31);
    e.nmEnvolvido = "JOSÉ D'ÁVILA";
    e.nmResponsavel = "ANA";
    e.dsHistorico = history;
    return addAgendaEntry(m_db, e, QDate(2026, 3, 5));
}

// The day it was made is the one given, not the clock's; the month of
// reference is the scheduled day's; the names are kept as typed.
void tst_agenda::entryAsSaved()
{
    const QString code = add("Ligar às 9h; cobrar \"cheque\" 12");
    QSqlQuery q = exec(m_db,
                       "SELECT dt_lancamento, dt_marcada, nm_envolvido, nm_responsavel, "
                       "ds_historico, cd_ref FROM agenda WHERE cd_agenda = ?",
                       {code});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QString("2026-03-05"));
    QCOMPARE(q.value(1).toString(), QString("2026-12-31"));
    QCOMPARE(q.value(2).toString(), QString("JOSÉ D'ÁVILA"));
    QCOMPARE(q.value(3).toString(), QString("ANA"));
    QCOMPARE(q.value(4).toString(), QString("Ligar às 9h; cobrar \"cheque\" 12"));
    QCOMPARE(q.value(5).toString(), QString("12/2026"));
    QCOMPARE(agendaHistory(m_db, code),
             std::optional<QString>("Ligar às 9h; cobrar \"cheque\" 12"));
}

void tst_agenda::historyCut_data()
{
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
    QTest::addColumn<QString>("history");
    QTest::addColumn<QString>("kept");
    QTest::newRow("short") << "abc"
                           << "abc";
    QTest::newRow("at the limit") << QString(200, 'a') << QString(200, 'a');
    QTest::newRow("one over") << QString(201, 'b') << QString(200, 'b');
    // A character that does not fit whole is left out whole.
    QTest::newRow("pair across the limit") << QString(199, 'c') + smile + "d" << QString(199, 'c');
    QTest::newRow("pair at the end") << QString(198, 'c') + smile << QString(198, 'c') + smile;
    QTest::newRow("empty") << ""
                           << "";
}

void tst_agenda::historyCut()
{
    QFETCH(QString, history);
    QFETCH(QString, kept);
    const QString code = add(history);
    QCOMPARE(agendaHistory(m_db, code), std::optional<QString>(kept));
}

// The next code follows the highest one there is: a deleted code in the
// middle is not given again, and deleting removes that entry alone.
void tst_agenda::codesAfterDeleting()
{
    QCOMPARE(add("um"), QString("0000000001"));
    QCOMPARE(add("dois"), QString("0000000002"));
    QCOMPARE(add("três"), QString("0000000003"));
    QVERIFY(deleteAgendaEntry(m_db, "0000000002"));
    QCOMPARE(add("quatro"), QString("0000000004"));
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM agenda").toInt(), 3);
    QCOMPARE(agendaHistory(m_db, "0000000003"), std::optional<QString>("três"));
    QVERIFY(!agendaHistory(m_db, "0000000002"));
    QVERIFY(deleteAgendaEntry(m_db, "0000000001"));
    QCOMPARE(firstAgendaCode(m_db), QString("0000000003"));
    QVERIFY(!deleteAgendaEntry(m_db, "1")); // codes are whole texts
    QCOMPARE(scalar(m_db, "SELECT count(*) FROM agenda").toInt(), 2);
}

QTEST_GUILESS_MAIN(tst_agenda)
#include "tst_agenda.moc"
