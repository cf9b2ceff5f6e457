// Times the import of a large cheque table from an old database (rows
// generated in the old file's form and fed to the mapping layer) against a
// plain insert of the same, already converted, rows into the same schema.
//   bench_import [cheques] [import]     (default 1000000; the limit is 15 s)

#include "data/database.h"
#include "data/datafolder.h"
#include "import/mapping.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <ctime>

using kq::import::SourceRow;
using kq::import::SourceValue;

namespace {

const QStringList kColumns{
    "CD_DEVOLVIDO",  "CD_CLIENTE",      "CD_LOJA",   "DT_VANTESCA", "DT_DEPOSITO",  "VL_CHEQUE",
    "CD_SITUACAO",   "CD_DESTINO",      "CD_BANCO",  "CD_AGENCIA",  "CD_CONTA",     "NR_CHEQUE",
    "NM_EMITENTE",   "NR_DOCUMENTO",    "cd_ref",    "CD_ALINEA",   "CD_documento", "CD_chave",
    "vl_atualizado", "ref_atualizacao", "cd_acordo", "dt_pagamento"};

// Jet's day count of 01/01/1995.
constexpr int kFirstDay = 34700;

// Texts that repeat from row to row, made once (as a file's repeated values
// would be read into shared strings).
struct Texts
{
    QList<QString> clients, stores, banks, agencies, accounts, keys, names, documents, months,
        reasons, agreements;
    QString one = QStringLiteral("001"), cheque = QStringLiteral("01"),
            updated = QStringLiteral("2024/06");
    Texts()
    {
        const auto padded = [](int n, int width) {
            return QString::number(n).rightJustified(width, QLatin1Char('0'));
        };
        for (int i = 0; i < 20000; ++i) {
            clients << padded(i + 1, 5);
            names << QStringLiteral("EMITENTE SÃO JOÃO ") + QString::number(i);
            documents << QString::number(10000000000LL + i);
        }
        for (int i = 0; i < 40; ++i)
            stores << padded(i + 1, 3);
        for (int i = 0; i < 300; ++i)
            banks << padded(i + 1, 3);
        for (int i = 0; i < 9000; ++i) {
            agencies << QString::number(i + 1000);
            agreements << padded(i, 5);
        }
        for (int i = 0; i < 90000; ++i) {
            accounts << QString::number(100000 + i);
            keys << QStringLiteral("001") + accounts.last();
        }
        for (int i = 0; i < 108; ++i)
            months << padded(i % 12 + 1, 2) + QLatin1Char('/') + QString::number(1995 + i % 27);
        for (int i = 0; i < 10; ++i)
            reasons << QString::number(11 + i);
    }
};

// The n-th cheque as the old file holds it: texts, money in ten-thousandths,
// dates as day counts; every seventh is paid, the others have no payment date.
SourceRow cheque(int n)
{
    static const Texts t;
    const auto text = [](const QString &s) {
        return SourceValue::string(s);
    };
    const int deposit = kFirstDay + (n * 7919) % 10000;
    return SourceRow{
        text(QString::number(n).rightJustified(10, QLatin1Char('0'))),
        text(t.clients[n % 20000]),
        text(t.stores[n % 40]),
        SourceValue::dateTime(deposit + 30.5),
        SourceValue::dateTime(deposit),
        SourceValue::currency(100000 + qint64(n) * 104729 % 50000000),
        text(t.one),
        text(t.one),
        text(t.banks[n % 300]),
        text(t.agencies[n % 9000]),
        text(t.accounts[n % 90000]),
        text(QString::number(n)),
        text(t.names[n % 20000]),
        text(t.documents[n % 20000]),
        text(t.months[n % 108]),
        text(t.reasons[n % 10]),
        text(t.cheque),
        text(t.keys[n % 90000]),
        SourceValue::currency(120000 + qint64(n) * 7 % 60000000),
        text(t.updated),
        n % 5 ? SourceValue::null() : text(t.agreements[n % 9000]),
        n % 7 ? SourceValue::null() : SourceValue::dateTime(deposit + 90),
    };
}

class GeneratedCheques : public kq::import::SourceTable
{
public:
    explicit GeneratedCheques(int count)
        : m_count(count)
    {}
    QString name() const override { return QStringLiteral("DEVOLVIDOS"); }
    QStringList columns() const override { return kColumns; }
    qint64 rowCount() const override { return m_count; }
    bool next(SourceRow &row) override
    {
        if (m_next >= m_count)
            return false;
        row = cheque(++m_next);
        return true;
    }

private:
    int m_count;
    int m_next = 0;
};

class GeneratedDatabase : public kq::import::SourceDatabase
{
public:
    explicit GeneratedDatabase(int count)
        : m_count(count)
    {}
    QString fileName() const override { return QStringLiteral("DEVOLVIDOS.MDB"); }
    QStringList tableNames() const override { return {QStringLiteral("DEVOLVIDOS")}; }
    std::unique_ptr<kq::import::SourceTable> table(const QString &) override
    {
        return std::make_unique<GeneratedCheques>(m_count);
    }

private:
    int m_count;
};

// The same rows, generated the same way, converted to the program's storage
// and written by one prepared statement in one thread, the indexes made at
// the end: the plain way to load them.
double plainInsert(const QString &path, int count)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3 *db = kq::data::createEmptyDatabase(path, kq::data::kDevolvidos);
    // The indexes are made once the rows are in, as the import makes them.
    sqlite3_exec(db,
                 "PRAGMA synchronous=NORMAL; PRAGMA journal_mode=MEMORY; "
                 "PRAGMA cache_size=-65536; BEGIN;",
                 nullptr, nullptr, nullptr);
    QStringList indexes;
    {
        sqlite3_stmt *list = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT name, sql FROM sqlite_master WHERE type = 'index' "
                           "AND sql IS NOT NULL",
                           -1, &list, nullptr);
        QStringList names;
        while (sqlite3_step(list) == SQLITE_ROW) {
            names << QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(list, 0)));
            indexes << QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(list, 1)));
        }
        sqlite3_finalize(list);
        for (const QString &name : names)
            sqlite3_exec(db, ("DROP INDEX " + name).toUtf8().constData(), nullptr, nullptr,
                         nullptr);
    }
    QString sql = QStringLiteral("INSERT INTO DEVOLVIDOS (%1) VALUES (%2)")
                      .arg(kColumns.join(','), QStringList(kColumns.size(), "?").join(','));
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
    static const QDate epoch(1899, 12, 30);
    for (int n = 1; n <= count; ++n) {
        const SourceRow row = cheque(n);
        QList<QByteArray> texts(row.size());
        for (int i = 0; i < row.size(); ++i) {
            const SourceValue &v = row[i];
            switch (v.type) {
            case SourceValue::Type::Text:
                texts[i] = v.text.toUtf8();
                sqlite3_bind_text(st, i + 1, texts[i].constData(), int(texts[i].size()),
                                  SQLITE_STATIC);
                break;
            case SourceValue::Type::Currency:
                sqlite3_bind_double(st, i + 1, double(v.integer) / 10000.0);
                break;
            case SourceValue::Type::DateTime:
                texts[i] = epoch.addDays(qint64(v.real)).toString(Qt::ISODate).toUtf8();
                sqlite3_bind_text(st, i + 1, texts[i].constData(), int(texts[i].size()),
                                  SQLITE_STATIC);
                break;
            default:
                sqlite3_bind_null(st, i + 1);
            }
        }
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    for (const QString &sql : indexes)
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return timer.nsecsElapsed() / 1e9;
}

double mappedImport(const QString &path, int count, double *cpu)
{
    QElapsedTimer timer;
    timer.start();
    const std::clock_t started = std::clock();
    GeneratedDatabase source(count);
    kq::import::ImportProgress progress;
    progress.start(QString(), count);
    kq::import::ImportOptions options;
    const auto report
        = kq::import::importDatabase(source, kq::data::kDevolvidos, path, options, progress);
    const double seconds = timer.nsecsElapsed() / 1e9;
    *cpu = double(std::clock() - started) / CLOCKS_PER_SEC;
    if (report.tables.size() != 1 || report.tables[0].rows != count)
        std::printf("FAILED: %lld rows imported\n",
                    report.tables.isEmpty() ? 0LL : qlonglong(report.tables[0].rows));
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int cheques = argc > 1 ? atoi(argv[1]) : 1000000;
    QTemporaryDir dir;
    {
        QElapsedTimer t;
        t.start();
        qint64 sum = 0;
        for (int n = 1; n <= cheques; ++n)
            sum += cheque(n).size();
        std::printf("generating the rows alone: %.2f s (%lld)\n", t.nsecsElapsed() / 1e9, sum);
    }

    // "import" as second argument leaves out the plain insert (for profiling).
    const bool importOnly = argc > 2 && qstrcmp(argv[2], "import") == 0;
    const double plain = importOnly ? 0.0 : plainInsert(dir.filePath("plain.mdb"), cheques);
    std::printf("plain insert of %d converted cheques: %.2f s\n", cheques, plain);
    const QString imported = dir.filePath("devolvidos.mdb");
    double cpu = 0;
    const double mapped = mappedImport(imported, cheques, &cpu);
    // On a busy machine the time waited for a processor counts too; the
    // processor time (of both the reading and the writing thread) says what
    // the work itself took.
    std::printf("import of %d cheques through the mapping layer: %.2f s (processor %.2f s)\n",
                cheques, mapped, cpu);

    const qint64 rows = kq::data::scalar(imported, "SELECT count(*) FROM DEVOLVIDOS").toLongLong();
    const qint64 paid
        = kq::data::scalar(imported,
                           "SELECT count(*) FROM DEVOLVIDOS WHERE dt_pagamento IS NOT NULL")
              .toLongLong();
    const QString first = kq::data::scalar(imported, "SELECT CD_DEVOLVIDO || ' ' || DT_DEPOSITO "
                                                     "|| ' ' || VL_CHEQUE FROM DEVOLVIDOS "
                                                     "ORDER BY CD_DEVOLVIDO LIMIT 1")
                              .toString();
    kq::data::closeAllDatabases();
    std::printf("rows %lld, with a payment date %lld, first: %s\n", rows, paid, qPrintable(first));
    std::printf("import %.2f s beside plain insert %.2f s (ratio %.2f); limit 15 s\n", mapped,
                plain, mapped / plain);
    const bool ok = rows == cheques && mapped <= 15.0;
    std::printf("%s\n",
                ok ? "OK: every row imported within 15 s" : "FAILED: rows missing or over 15 s");
    return ok ? 0 : 1;
}
