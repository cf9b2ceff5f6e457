// Connections and transactions of the data layer when SQLite fails under them.
#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "support/base_data.h"

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

int count(const QString &db, const QString &table)
{
    return scalar(db, QStringLiteral("SELECT count(*) FROM ") + table).toInt();
}

} // namespace

class tst_database : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { closeAllDatabases(); }
    void transactionAfterDiskFull_data();
    void transactionAfterDiskFull();
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
    const QString add = QStringLiteral("INSERT INTO destinos VALUES (?, ?)");
    // The file may not grow: a new row that needs a page fails as on a full disk.
    const int pages = scalar(db, QStringLiteral("PRAGMA page_count")).toInt();
    exec(db, QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
    try {
        Transaction outer(db);
        std::unique_ptr<Transaction> inner;
        if (depth > 1)
            inner = std::make_unique<Transaction>(db);
        exec(db, add, {QStringLiteral("002"), QString(3 * 4096, QLatin1Char('x'))});
        QFAIL("the insert did not fail");
    } catch (const DataError &) {
    }
    exec(db, QStringLiteral("PRAGMA max_page_count = 1000000"));

    // The next transaction is a real one again: it holds the write lock and
    // its rollback undoes its work.
    {
        Transaction tx(db);
        QVERIFY(!anotherWriterCouldStart(db));
        exec(db, add, {QStringLiteral("003"), QStringLiteral("NOVO")});
    }
    QCOMPARE(count(db, QStringLiteral("destinos")), 1);
    QVERIFY(anotherWriterCouldStart(db));
    {
        Transaction tx(db);
        exec(db, add, {QStringLiteral("004"), QStringLiteral("NOVO")});
        tx.commit();
    }
    QCOMPARE(count(db, QStringLiteral("destinos")), 2);
    QVERIFY(anotherWriterCouldStart(db));
}

QTEST_GUILESS_MAIN(tst_database)
#include "tst_database.moc"
