// Connections and transactions of the data layer when SQLite fails under them.
#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/journal_p.h"
#include "data/server.h"
#include "support/base_data.h"
#include "support/base_server.h"

#include <QDir>

#include <cerrno>
#include <QFile>
#include <QTest>

#include <sqlite3.h>

using namespace kq::data;

namespace {

// True when a second connection to the file could take the write lock now.
bool anotherWriterCouldStart(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const bool free = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (free)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return free;
}

} // namespace

class tst_database : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { KQ_SKIP_WITHOUT_SERVER(); }
    void cleanup() { closeAllDatabases(); }
    void transactionAfterDiskFull_data();
    void transactionAfterDiskFull();
    void engineFailuresInPortuguese_data();
    void engineFailuresInPortuguese();
    void failuresOfStatements_data();
    void failuresOfStatements();
    void fileErrorsInPortuguese_data();
    void fileErrorsInPortuguese();
    void networkFolders_data();
    void networkFolders();
    void serverFailuresInPortuguese_data();
    void serverFailuresInPortuguese();
    void walRefusedIsNoted();
};

void tst_database::transactionAfterDiskFull_data()
{
    QTest::addColumn<int>("depth"); // transactions open when the disk fills
    QTest::newRow("one") << 1;
    QTest::newRow("nested") << 2;
}

void tst_database::transactionAfterDiskFull()
{
    QFETCH(int, depth);
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    const bool server = folder.onServer();
    const int seeded = kq::test::rowCount(db, QStringLiteral("destinos"));
    const QString add = QStringLiteral("INSERT INTO destinos VALUES (?, ?)");
    // The file may not grow: a new row that needs a page fails as on a full
    // disk. A server's failure is a key already taken.
    if (!server) {
        const int pages = scalar(db, QStringLiteral("PRAGMA page_count")).toInt();
        exec(db, QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
    }
    try {
        Transaction outer(db);
        std::unique_ptr<Transaction> inner;
        if (depth > 1)
            inner = std::make_unique<Transaction>(db);
        exec(db, add, {QStringLiteral("002"), QString(3 * 4096, QLatin1Char('x'))});
        if (server)
            exec(db, add, {QStringLiteral("002"), QStringLiteral("DE NOVO")});
        QFAIL("the insert did not fail");
    } catch (const DataError &) {
    }
    if (!server)
        exec(db, QStringLiteral("PRAGMA max_page_count = 1000000"));
    QCOMPARE(kq::test::rowCount(db, QStringLiteral("destinos")), seeded);
    if (server) {
        // The next transactions are real ones again: a rollback undoes, a
        // commit keeps.
        {
            Transaction tx(db);
            exec(db, add, {QStringLiteral("003"), QStringLiteral("NOVO")});
        }
        QCOMPARE(kq::test::rowCount(db, QStringLiteral("destinos")), seeded);
        {
            Transaction tx(db);
            exec(db, add, {QStringLiteral("004"), QStringLiteral("NOVO")});
            tx.commit();
        }
        QCOMPARE(kq::test::rowCount(db, QStringLiteral("destinos")), seeded + 1);
        return;
    }

    // The next transaction is a real one again: it holds the write lock and
    // its rollback undoes its work.
    {
        Transaction tx(db);
        QVERIFY(!anotherWriterCouldStart(db));
        exec(db, add, {QStringLiteral("003"), QStringLiteral("NOVO")});
    }
    QCOMPARE(kq::test::rowCount(db, QStringLiteral("destinos")), 1);
    QVERIFY(anotherWriterCouldStart(db));
    {
        Transaction tx(db);
        exec(db, add, {QStringLiteral("004"), QStringLiteral("NOVO")});
        tx.commit();
    }
    QCOMPARE(kq::test::rowCount(db, QStringLiteral("destinos")), 2);
    QVERIFY(anotherWriterCouldStart(db));
}

void tst_database::engineFailuresInPortuguese_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("engineText");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("says");
    QTest::newRow("disk full") << SQLITE_FULL << "database or disk is full" << ErrorNumber::DiskFull
                               << "espaço livre no disco";
    QTest::newRow("read-only") << SQLITE_READONLY_DIRECTORY
                               << "attempt to write a readonly database" << ErrorNumber::ReadOnly
                               << "somente leitura";
    QTest::newRow("locked") << SQLITE_BUSY << "database is locked" << ErrorNumber::Locked
                            << "em uso por outro programa";
    QTest::newRow("locked in the process")
        << SQLITE_LOCKED << "database table is locked" << ErrorNumber::Locked << "tente de novo";
    QTest::newRow("damaged") << SQLITE_CORRUPT << "database disk image is malformed"
                             << ErrorNumber::Damaged << "danificado";
    QTest::newRow("not a database") << SQLITE_NOTADB << "file is not a database"
                                    << ErrorNumber::NotADatabase << "não é um banco de dados";
    QTest::newRow("disk error") << SQLITE_IOERR_WRITE << "disk I/O error" << ErrorNumber::DiskError
                                << "leitura ou gravação";
    QTest::newRow("cannot open") << SQLITE_CANTOPEN << "unable to open database file"
                                 << ErrorNumber::DatabaseOpen << "Não foi possível abrir";
    QTest::newRow("key taken") << SQLITE_CONSTRAINT_PRIMARYKEY
                               << "UNIQUE constraint failed: destinos.CD_destino"
                               << ErrorNumber::WriteFailed << "Já existe um registro";
    QTest::newRow("missing table") << SQLITE_ERROR << "no such table: usuarios"
                                   << ErrorNumber::NoSuchTable << "tabela \"usuarios\"";
    QTest::newRow("missing field")
        << SQLITE_ERROR << "no such column: nm_x" << ErrorNumber::UnknownField << "campo \"nm_x\"";
    // A fault of the statement keeps the engine's text.
    QTest::newRow("other") << SQLITE_ERROR << "near \"FORM\": syntax error"
                           << ErrorNumber::SqlFailed << "near \"FORM\": syntax error";
}

void tst_database::engineFailuresInPortuguese()
{
    QFETCH(int, code);
    QFETCH(QString, engineText);
    QFETCH(int, number);
    QFETCH(QString, says);
    const QString file = QStringLiteral("/dados/devolvidos.mdb");
    const DataError e = databaseError(code, engineText, file, QStringLiteral("kq_data"));
    QCOMPARE(e.number(), number);
    QVERIFY2(e.description().contains(says), qPrintable(e.description()));
    if (number != ErrorNumber::SqlFailed)
        QVERIFY2(e.description().contains(file), qPrintable(e.description()));
    QCOMPARE(e.source(), QStringLiteral("kq_data"));
    QVERIFY(e.detail().contains(engineText));
    QVERIFY(e.detail().contains(QString::number(code)));
}

void tst_database::failuresOfStatements_data()
{
    QTest::addColumn<QString>("setting"); // run before the statement
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("number");
    QTest::newRow("file may not grow")
        << "PRAGMA max_page_count = 1"
        << "INSERT INTO destinos VALUES ('002', zeroblob(20000))" << ErrorNumber::DiskFull;
    QTest::newRow("read-only connection") << "PRAGMA query_only = 1"
                                          << "DELETE FROM destinos" << ErrorNumber::ReadOnly;
    QTest::newRow("missing table") << ""
                                   << "SELECT * FROM usuarios2" << ErrorNumber::NoSuchTable;
}

void tst_database::failuresOfStatements()
{
    QFETCH(QString, setting);
    QFETCH(QString, sql);
    QFETCH(int, number);
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    if (setting.startsWith(QLatin1String("PRAGMA")))
        KQ_SQLITE_ONLY();
    if (!setting.isEmpty())
        exec(db, setting);
    try {
        exec(db, sql);
        QFAIL("no failure");
    } catch (const DataError &e) {
        QCOMPARE(e.number(), number);
        const QString where = folder.onServer() ? readServerSettings(folder.path())->name() : db;
        QVERIFY2(e.description().contains(where), qPrintable(e.description()));
        QVERIFY(e.detail().startsWith(folder.onServer() ? QStringLiteral("PostgreSQL ")
                                                        : QStringLiteral("SQLite ")));
    }
}

void tst_database::fileErrorsInPortuguese_data()
{
    QTest::addColumn<int>("errnum");
    QTest::addColumn<QString>("says");
    QTest::newRow("disk full") << ENOSPC << "não há espaço livre no disco";
    QTest::newRow("quota") << EDQUOT << "não há espaço livre no disco";
    QTest::newRow("no permission") << EACCES << "somente leitura";
    QTest::newRow("read-only disk") << EROFS << "o disco é somente leitura";
    QTest::newRow("missing") << ENOENT << "não existe";
    QTest::newRow("disk error") << EIO << "erro de leitura ou gravação";
    QTest::newRow("other") << EMFILE << "the library's text";
}

void tst_database::fileErrorsInPortuguese()
{
    QFETCH(int, errnum);
    QFETCH(QString, says);
    QVERIFY(fileErrorReason(errnum, QStringLiteral("the library's text")).contains(says));
}

void tst_database::networkFolders_data()
{
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<bool>("network");
    for (const char *t : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "fuse.sshfs", "ceph"})
        QTest::newRow(t) << QByteArray(t) << true;
    for (const char *t : {"ext4", "btrfs", "xfs", "tmpfs", "overlay", "vfat", "fuseblk", ""})
        QTest::newRow(t) << QByteArray(t) << false;
}

void tst_database::networkFolders()
{
    QFETCH(QByteArray, type);
    QFETCH(bool, network);
    QCOMPARE(internal::isNetworkFileSystem(type), network);
}

namespace {

// Files without shared memory (as on some file systems): SQLite refuses WAL.
struct NoSharedMemory
{
    static inline sqlite3_vfs *real = nullptr;
    static inline sqlite3_io_methods methods{};
    sqlite3_vfs vfs{};

    static int open(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags,
                    int *outFlags)
    {
        const int rc = real->xOpen(real, name, file, flags, outFlags);
        if (rc == SQLITE_OK && file->pMethods) {
            methods = *file->pMethods;
            methods.iVersion = 1;
            file->pMethods = &methods;
        }
        return rc;
    }
    NoSharedMemory()
    {
        real = sqlite3_vfs_find(nullptr);
        vfs = *real;
        vfs.zName = "kq-sem-memoria";
        vfs.xOpen = open;
        sqlite3_vfs_register(&vfs, 1);
    }
    ~NoSharedMemory()
    {
        sqlite3_vfs_unregister(&vfs);
        sqlite3_vfs_register(real, 1);
    }
};

} // namespace

void tst_database::serverFailuresInPortuguese_data()
{
    QTest::addColumn<QString>("sqlstate");
    QTest::addColumn<QString>("engineText");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("says");
    QTest::newRow("text in a number")
        << "22P02"
        << "invalid input syntax for type double precision: \"dois\"" << ErrorNumber::TypeMismatch
        << "Tipos incompatíveis: \"dois\" não é um número.";
    QTest::newRow("text in a date")
        << "22007"
        << "invalid input syntax for type date: \"ontem\"" << ErrorNumber::TypeMismatch
        << "Tipos incompatíveis: \"ontem\" não é uma data.";
    QTest::newRow("day out of range")
        << "22008"
        << "date/time field value out of range: \"2024-02-30\"" << ErrorNumber::TypeMismatch
        << "Tipos incompatíveis: \"2024-02-30\" não é uma data.";
    QTest::newRow("lost") << "57P01"
                          << "terminating connection" << ErrorNumber::ServerUnavailable
                          << "servidor de banco de dados \"srv:5432/kq\" foi perdida";
}

void tst_database::serverFailuresInPortuguese()
{
    QFETCH(QString, sqlstate);
    QFETCH(QString, engineText);
    QFETCH(int, number);
    QFETCH(QString, says);
    const DataError e = serverError(sqlstate, engineText, QStringLiteral("srv:5432/kq"),
                                    QStringLiteral("kq_data"), ErrorNumber::SqlFailed);
    QCOMPARE(e.number(), number);
    QVERIFY2(e.description().contains(says), qPrintable(e.description()));
    QVERIFY(e.detail().contains(engineText));
}

void tst_database::walRefusedIsNoted()
{
    KQ_SQLITE_ONLY();
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    QStringList notes;
    setNoteReceiver([&](const QString &n) { notes << n; });
    {
        NoSharedMemory noWal;
        exec(db, QStringLiteral("UPDATE destinos SET DS_destino = 'NOVO'"));
        QCOMPARE(scalar(db, QStringLiteral("PRAGMA journal_mode")).toString(),
                 QStringLiteral("delete"));
        closeAllDatabases();
    }
    setNoteReceiver({});
    QCOMPARE(scalar(db, QStringLiteral("SELECT DS_destino FROM destinos")).toString(),
             QStringLiteral("NOVO"));
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes.first().contains(db) && notes.first().contains(QStringLiteral("WAL")),
             qPrintable(notes.first()));
}

QTEST_GUILESS_MAIN(tst_database)
#include "tst_database.moc"
