// The check of a database file before its first write: a damaged file is
// refused with its name and left byte for byte as it was.
#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/integrity.h"
#include "data/recordset.h"
#include "support/base_data.h"

#include <QFile>
#include <QTest>

#include <functional>

using namespace kq::data;

namespace {

// Overwrites the first page of the cheque table (an inner page once the
// table has many rows) with garbage, as a failing disk might.
void damageChequeTable(const QString &db)
{
    const int root = scalar(db, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE "
                                               "name = 'DEVOLVIDOS'"))
                         .toInt();
    const int pageSize = scalar(db, QStringLiteral("PRAGMA page_size")).toInt();
    closeAllDatabases();
    QFile f(db);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(qint64(root - 1) * pageSize));
    f.write(QByteArray(pageSize, '\xAB'));
}

// A DataError thrown by f, or number 0 when it ran.
DataError failureOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const DataError &e) {
        return e;
    }
    return DataError(0, QString());
}

} // namespace

class tst_integrity : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void damagedFileRefusedAtOpen();
    void damagedFileRefusedAtFirstWrite_data();
    void damagedFileRefusedAtFirstWrite();
    void writesWaitForTheCheck();
    void checkDatabaseFileSays();
    void checkDataFolderSays();

private:
    kq::test::TempDataFolder *m_folder = nullptr;
    QString m_db;
};

void tst_integrity::init()
{
    m_folder = new kq::test::TempDataFolder;
    m_db = m_folder->devolvidos();
    kq::test::addCheques(m_db, 600);
}

void tst_integrity::cleanup()
{
    setCheckWaitAtOpen(300);
    delete m_folder;
    m_folder = nullptr;
}

void tst_integrity::damagedFileRefusedAtOpen()
{
    damageChequeTable(m_db);
    const QByteArray before = kq::test::fileBytes(m_db);
    for (int attempt = 0; attempt < 2; ++attempt) { // refused again when opened again
        const DataError e = failureOf([&] { database(m_db); });
        QCOMPARE(e.number(), ErrorNumber::Damaged);
        QVERIFY2(e.description().contains(m_db), qPrintable(e.description()));
        QVERIFY(e.description().contains(QStringLiteral("danificado")));
    }
    QCOMPARE(failureOf([&] { exec(m_db, QStringLiteral("DELETE FROM destinos")); }).number(),
             ErrorNumber::Damaged);
    closeAllDatabases();
    QCOMPARE(kq::test::fileBytes(m_db), before);
}

void tst_integrity::damagedFileRefusedAtFirstWrite_data()
{
    QTest::addColumn<int>("write");
    QTest::newRow("statement") << 0;
    QTest::newRow("transaction") << 1;
    QTest::newRow("recordset") << 2;
}

void tst_integrity::damagedFileRefusedAtFirstWrite()
{
    QFETCH(int, write);
    damageChequeTable(m_db);
    const QByteArray before = kq::test::fileBytes(m_db);
    // The check goes on in the background: the file opens, its writes wait.
    setCheckWaitAtOpen(0);
    const DataError e = failureOf([&] {
        switch (write) {
        case 0:
            exec(m_db, QStringLiteral("UPDATE destinos SET DS_destino = 'X'"));
            break;
        case 1: {
            Transaction tx(m_db);
            tx.commit();
            break;
        }
        default: {
            Recordset rs(m_db, QStringLiteral("select * from destinos"));
            rs.edit();
            rs.setField(QStringLiteral("DS_destino"), QStringLiteral("X"));
            rs.update();
        }
        }
    });
    QCOMPARE(e.number(), ErrorNumber::Damaged);
    QVERIFY2(e.description().contains(m_db), qPrintable(e.description()));
    QVERIFY(!e.detail().isEmpty());
    closeAllDatabases();
    QCOMPARE(kq::test::fileBytes(m_db), before);
}

void tst_integrity::writesWaitForTheCheck()
{
    closeAllDatabases();
    setCheckWaitAtOpen(0);
    exec(m_db, QStringLiteral("UPDATE destinos SET DS_destino = 'NOVO'"));
    QCOMPARE(scalar(m_db, QStringLiteral("SELECT DS_destino FROM destinos")).toString(),
             QStringLiteral("NOVO"));
    QCOMPARE(scalar(m_db, QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
}

void tst_integrity::checkDatabaseFileSays()
{
    using R = FileCheck::Result;
    closeAllDatabases();
    QCOMPARE(checkDatabaseFile(m_db).result, R::Sound);
    QCOMPARE(checkDatabaseFile(m_folder->file(QStringLiteral("nada.mdb"))).result, R::Missing);
    const QString text = m_folder->file(QStringLiteral("texto.mdb"));
    QFile f(text);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Standard Jet DB");
    f.close();
    QCOMPARE(checkDatabaseFile(text).result, R::NotADatabase);

    damageChequeTable(m_db);
    const QByteArray before = kq::test::fileBytes(m_db);
    const FileCheck found = checkDatabaseFile(m_db);
    QCOMPARE(found.result, R::Damaged);
    QVERIFY(!found.findings.isEmpty());
    QCOMPARE(kq::test::fileBytes(m_db), before);
}

void tst_integrity::checkDataFolderSays()
{
    closeAllDatabases();
    const QString dir = m_folder->path();
    const FolderCheck sound = checkDataFolder(dir);
    QVERIFY(sound.sound);
    QCOMPARE(sound.lines,
             QStringList({"devolvidos.mdb: íntegro", "MENU.mdb: íntegro", "help.mdb: íntegro",
                          "tutorial.mdb: íntegro", "Pasta de dados sem problemas: " + dir}));

    damageChequeTable(m_db);
    QVERIFY(QFile::remove(m_folder->file(kHelp)));
    const FolderCheck found = checkDataFolder(dir);
    QVERIFY(!found.sound);
    QCOMPARE(found.lines.first(), QStringLiteral("devolvidos.mdb: DANIFICADO"));
    QVERIFY(found.lines.at(1).startsWith(QStringLiteral("    ")));
    QVERIFY(found.lines.contains(QStringLiteral("MENU.mdb: íntegro")));
    QVERIFY(found.lines.contains(QStringLiteral("help.mdb: não encontrado")));
    QCOMPARE(found.lines.last(), "Problemas na pasta de dados: " + dir);
}

QTEST_GUILESS_MAIN(tst_integrity)
#include "tst_integrity.moc"
