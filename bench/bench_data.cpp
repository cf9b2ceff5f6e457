// Record access over portfolios of 10k, 100k and 1M cheques: a recordset over
// DEVOLVIDOS read, a find by key and by issuer, a new record, and edits, each
// beside SQLite doing the same on the same connection.
//   bench_data [--sizes 10000,100000,1000000] [--rounds 5]

#include "benchcompare.h"
#include "data/database.h"
#include "data/datafolder.h"
#include "data/recordset.h"

#include <QSqlDriver>
#include <QTemporaryDir>

#include <sqlite3.h>

using namespace kq::data;

namespace {

sqlite3 *handleOf(const QString &db)
{
    const QVariant v = database(db).driver()->handle();
    return *static_cast<sqlite3 *const *>(v.constData());
}

// One statement of plain SQLite, prepared once, run with one text.
struct Plain
{
    sqlite3_stmt *st = nullptr;
    Plain(sqlite3 *h, const char *sql) { sqlite3_prepare_v2(h, sql, -1, &st, nullptr); }
    ~Plain() { sqlite3_finalize(st); }
    int run(const QByteArray &text)
    {
        sqlite3_reset(st);
        sqlite3_bind_text(st, 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            ++rows;
        return rows;
    }
};

void runSize(int size, int rounds)
{
    QTemporaryDir dir;
    prepareDataFolder(dir.path());
    const QString db = dataFile(dir.path(), kDevolvidos);
    const double gen = kq::bench::secondsOf([&] { kq::bench::makePortfolio(db, size); });
    std::printf("\n%d cheques (%.1f s to generate)\n", size, gen);
    sqlite3 *h = handleOf(db);

    const QString source = QStringLiteral("select * from  DEVOLVIDOS order by CD_DEVOLVIDO");
    Recordset rs(db, source);
    const kq::bench::Pair read = kq::bench::interleaved(
        std::min(rounds, 3), [&] { rs.refresh(); }, [&] { kq::bench::plainRead(db, source); });
    kq::bench::printRow(size, "refresh, every row read", read);

    const QString lastKey = QStringLiteral("%1").arg(size, 10, 10, QLatin1Char('0'));
    Plain byKey(h, "SELECT rowid FROM DEVOLVIDOS WHERE CD_DEVOLVIDO = ?");
    const kq::bench::Pair key = kq::bench::interleaved(
        rounds,
        [&] {
            rs.moveFirst();
            if (!rs.findFirst(QStringLiteral("CD_DEVOLVIDO"), lastKey))
                std::printf("  last key not found!\n");
        },
        [&] { byKey.run(lastKey.toUtf8()); });
    kq::bench::printRow(size, "findFirst, last key", key, "<= 10 ms", key.program <= 0.01);

    // A column without an index: the first find keeps an index of the rows.
    Plain byName(h, "SELECT rowid FROM DEVOLVIDOS WHERE NM_EMITENTE = ?");
    kq::bench::Pair firstName;
    firstName.program = kq::bench::secondsOf(
        [&] { rs.findFirst(QStringLiteral("NM_EMITENTE"), QStringLiteral("ninguém")); });
    firstName.baseline = kq::bench::secondsOf([&] { byName.run("ninguém"); });
    kq::bench::printRow(size, "findFirst, issuer, no match: first find", firstName);
    const kq::bench::Pair name = kq::bench::interleaved(
        rounds, [&] { rs.findFirst(QStringLiteral("NM_EMITENTE"), QStringLiteral("ninguém")); },
        [&] { byName.run("ninguém"); });
    kq::bench::printRow(size, "findFirst, issuer, no match: later finds", name, "<= 10 ms",
                        name.program <= 0.01);

    int added = 0;
    Plain insert(h, "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO) VALUES (?)");
    const kq::bench::Pair addNew = kq::bench::interleaved(
        rounds,
        [&] {
            rs.addNew();
            rs.setField(QStringLiteral("CD_DEVOLVIDO"), QStringLiteral("N%1").arg(++added));
            rs.update();
        },
        [&] { insert.run(QStringLiteral("P%1").arg(++added).toUtf8()); });
    kq::bench::printRow(size, "addNew + update", addNew, "<= 10 ms", addNew.program <= 0.01);
    std::printf("%9d  new record at %d of %d: %s\n", size, rs.position(), rs.recordCount(),
                qPrintable(rs.text(QStringLiteral("CD_DEVOLVIDO"))));
    // The same inside a transaction that is not kept: the work without the
    // disk's sync of a commit.
    const kq::bench::Pair addNewUnsynced = kq::bench::interleaved(
        rounds,
        [&] {
            Transaction tx(db);
            rs.addNew();
            rs.setField(QStringLiteral("CD_DEVOLVIDO"), QStringLiteral("N%1").arg(++added));
            rs.update();
        },
        [&] {
            Transaction tx(db);
            insert.run(QStringLiteral("P%1").arg(++added).toUtf8());
        });
    kq::bench::printRow(size, "addNew + update, no commit (no disk sync)", addNewUnsynced,
                        "<= 10 ms", addNewUnsynced.program <= 0.01);

    // A screen's batch of edits: 10,000 records, one transaction.
    const int edits = std::min(size, 10000);
    Plain update(h, "UPDATE DEVOLVIDOS SET vl_atualizado = VL_CHEQUE * 1.25, "
                    "ref_atualizacao = '2026/03' WHERE CD_DEVOLVIDO = ?");
    const kq::bench::Pair edit = kq::bench::interleaved(
        std::min(rounds, 3),
        [&] {
            Transaction tx(db);
            rs.moveFirst();
            for (int i = 0; i < edits; ++i, rs.moveNext()) {
                rs.edit();
                rs.setField(QStringLiteral("vl_atualizado"),
                            rs.field(QStringLiteral("VL_CHEQUE")).toDouble() * 1.25);
                rs.setField(QStringLiteral("ref_atualizacao"), QStringLiteral("2026/03"));
                rs.update();
            }
            tx.commit();
        },
        [&] {
            Transaction tx(db);
            for (int i = 1; i <= edits; ++i)
                update.run(QStringLiteral("%1").arg(i, 10, 10, QLatin1Char('0')).toUtf8());
            tx.commit();
        });
    kq::bench::printRow(size, "edit + update of 10,000 records", edit);
    closeAllDatabases();
}

} // namespace

int main(int argc, char **argv)
{
    return kq::bench::runSizes(argc, argv, "Recordset over DEVOLVIDOS (order by key)",
                               "SQLite alone on the same connection: the same statement read, "
                               "a look-up by the column, an INSERT, an UPDATE per record",
                               runSize);
}
