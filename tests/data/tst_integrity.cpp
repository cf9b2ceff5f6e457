// The check of a database file before its first write: a damaged file is
// refused with its name and left byte for byte as it was.
#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/integrity.h"
#include "data/recordset.h"
#include "support/base_data.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
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

// Writes `value` at `offset` of the file's header.
void writeHeaderByte(const QString &db, int offset, char value)
{
    closeAllDatabases();
    QFile f(db);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(offset));
    f.write(QByteArray(1, value));
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
    void damagedIndexFoundBeforeFirstWrite();
    void damagedIndexRebuiltAfterACopy();
    void damagedHeaderRefused_data();
    void damagedHeaderRefused();
    void readOnlyDiskIsRead();

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
    // Said in Portuguese; SQLite's own text is kept for the error log.
    QCOMPARE(found.lines.at(1), QStringLiteral("    O arquivo \"%1\" está danificado. Restaure a "
                                               "última cópia de segurança da pasta de dados.")
                                    .arg(m_db));
    QCOMPARE(found.details.size(), 1);
    QVERIFY2(found.details.first().startsWith(m_db + ": ") && found.details.first().size() > 40,
             qPrintable(found.details.first()));
    QVERIFY(found.lines.contains(QStringLiteral("MENU.mdb: íntegro")));
    QVERIFY(found.lines.contains(QStringLiteral("help.mdb: não encontrado")));
    QCOMPARE(found.lines.last(), "Problemas na pasta de dados: " + dir);
}

// An index that no longer matches its table passes SQLite's quick check;
// the check before the first write compares every index with its table, and
// the full check (--check-data) names the rows.
void tst_integrity::damagedIndexFoundBeforeFirstWrite()
{
    const QString index = QStringLiteral("ix_devolvidos_emitente_deposito");
    QVERIFY(kq::test::damageIndexEntry(m_db, index));
    const QByteArray before = kq::test::fileBytes(m_db);
    const FileCheck quick = checkDatabaseFile(m_db);
    QCOMPARE(quick.result, FileCheck::Result::Damaged);
    QVERIFY(quick.indexesOnly);
    QVERIFY2(quick.findings.contains(index), qPrintable(quick.findings));
    const FileCheck full = checkDatabaseFile(m_db, CheckDepth::Full);
    QCOMPARE(full.result, FileCheck::Result::Damaged);
    QVERIFY(full.indexesOnly);
    QVERIFY2(full.findings.contains(QStringLiteral("missing from index ") + index),
             qPrintable(full.findings));

    takeFilesWithDamagedIndexes();
    setCheckWaitAtOpen(0);
    const DataError e
        = failureOf([&] { exec(m_db, QStringLiteral("UPDATE destinos SET DS_destino = 'X'")); });
    QCOMPARE(e.number(), ErrorNumber::Damaged);
    QVERIFY2(e.description().contains(QStringLiteral("Os índices do arquivo \"%1\" estão "
                                                     "danificados")
                                          .arg(m_db)),
             qPrintable(e.description()));
    QVERIFY(e.detail().contains(index));
    QCOMPARE(takeFilesWithDamagedIndexes().size(), 1);
    closeAllDatabases();
    QCOMPARE(kq::test::fileBytes(m_db), before);

    const FolderCheck folder = checkDataFolder(m_folder->path());
    QCOMPARE(folder.lines.first(), QStringLiteral("devolvidos.mdb: DANIFICADO"));
    QVERIFY2(folder.lines.at(1).contains(QStringLiteral("índices")),
             qPrintable(folder.lines.at(1)));
    QVERIFY(folder.details.first().contains(index));
}

void tst_integrity::damagedIndexRebuiltAfterACopy()
{
    const QString emitente = QStringLiteral("SELECT count(*) FROM DEVOLVIDOS WHERE "
                                            "NM_EMITENTE >= '' AND DT_DEPOSITO >= '2020-01-01'");
    const qlonglong rows = scalar(m_db, emitente).toLongLong();
    QVERIFY(kq::test::damageIndexEntry(m_db, QStringLiteral("ix_devolvidos_emitente_deposito")));
    const QByteArray before = kq::test::fileBytes(m_db);
    const QString copy = rebuildIndexes(m_db);
    QVERIFY2(copy.startsWith(m_db + QStringLiteral(".copia-")), qPrintable(copy));
    // The copy is the file as it was; the file is sound again.
    QCOMPARE(checkDatabaseFile(copy, CheckDepth::Full).indexesOnly, true);
    QCOMPARE(kq::test::fileBytes(copy).size(), before.size());
    QCOMPARE(checkDatabaseFile(m_db, CheckDepth::Full).result, FileCheck::Result::Sound);
    QCOMPARE(scalar(m_db, emitente).toLongLong(), rows);
    exec(m_db, QStringLiteral("UPDATE destinos SET DS_destino = 'X'"));
}

// A header field SQLite never writes is damage, found at opening, before the
// file is refused as read-only or as no database.
void tst_integrity::damagedHeaderRefused_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<char>("value");
    QTest::addColumn<int>("named"); // the offset of the field
    QTest::newRow("write version") << 18 << char(3) << 18;
    QTest::newRow("read version") << 19 << char(0) << 19;
    QTest::newRow("page size") << 17 << char(3) << 16;
    QTest::newRow("payload fraction") << 21 << char(65) << 21;
    QTest::newRow("text encoding") << 59 << char(7) << 56;
}

void tst_integrity::damagedHeaderRefused()
{
    QFETCH(int, offset);
    QFETCH(char, value);
    QFETCH(int, named);
    writeHeaderByte(m_db, offset, value);
    const FileCheck found = checkDatabaseFile(m_db);
    QCOMPARE(found.result, FileCheck::Result::Damaged);
    QVERIFY2(found.findings.contains(QStringLiteral("(byte %1)").arg(named)),
             qPrintable(found.findings));
    const DataError e = failureOf([&] { database(m_db); });
    QCOMPARE(e.number(), ErrorNumber::Damaged);
    QVERIFY2(e.description().contains(QStringLiteral("danificado")), qPrintable(e.description()));
}

// A data folder on a read-only disk (here a read-only bind mount) is read as
// it is, and a write says why it cannot be made.
void tst_integrity::readOnlyDiskIsRead()
{
    QCOMPARE(scalar(m_db, QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    const qlonglong rows
        = scalar(m_db, QStringLiteral("SELECT count(*) FROM DEVOLVIDOS")).toLongLong();
    closeAllDatabases();
    QTemporaryDir mount;
    const QString ro = mount.path();
    auto run = [](const QStringList &args) {
        return QProcess::execute(QStringLiteral("mount"), args) == 0;
    };
    if (!run({QStringLiteral("--bind"), m_folder->path(), ro}))
        QSKIP("no bind mount here (needs root)");
    const bool readOnly = run({QStringLiteral("-o"), QStringLiteral("remount,ro,bind"), ro});
    auto unmount = qScopeGuard([&] {
        closeAllDatabases();
        QProcess::execute(QStringLiteral("umount"), {ro});
    });
    QVERIFY(readOnly);
    const QString db = dataFile(ro, kDevolvidos);

    QCOMPARE(checkDatabaseFile(db, CheckDepth::Full).result, FileCheck::Result::Sound);
    QCOMPARE(checkDataFolder(ro).lines.first(), QStringLiteral("devolvidos.mdb: íntegro"));
    setCheckWaitAtOpen(-1);
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM DEVOLVIDOS")).toLongLong(), rows);
    const DataError e
        = failureOf([&] { exec(db, QStringLiteral("UPDATE destinos SET DS_destino = 'X'")); });
    QCOMPARE(e.number(), ErrorNumber::ReadOnly);
    QCOMPARE(e.description(), QStringLiteral("A pasta de dados %1 está num disco somente para "
                                             "leitura: os dados podem ser consultados, mas nada "
                                             "pode ser gravado.")
                                  .arg(QFileInfo(db).absolutePath()));
}

QTEST_GUILESS_MAIN(tst_integrity)
#include "tst_integrity.moc"
