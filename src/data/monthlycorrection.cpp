#include "data/monthlycorrection.h"

#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/sqlitehandle.h"

#include <QDate>
#include <QSqlQuery>
#include <QStringList>

#include <sqlite3.h>

namespace kq::data {

namespace {

const char kValueFunction[] = "kq_valor_corrigido";
const char kMonthFunction[] = "kq_mes_corrigido";

// State of one run, shared by the two SQL functions of the update.
struct Run
{
    const MonthlyCorrection &correction;
    QByteArray newestMonth;
    MonthlyCorrectionCount count;

    // Cheques come in no particular order, but runs of one month are common.
    int cachedMonth = -1;
    const double *cachedFactor = nullptr;

    const double *factorOf(int month)
    {
        if (month != cachedMonth) {
            cachedMonth = month;
            const auto it = correction.factors.constFind(month);
            cachedFactor = it == correction.factors.constEnd() ? nullptr : &it.value();
        }
        return cachedFactor;
    }
};

// yyyymm of an ISO date text "YYYY-MM-DD", or -1.
int monthOf(sqlite3_value *date)
{
    if (sqlite3_value_type(date) != SQLITE_TEXT)
        return -1;
    const auto *s = sqlite3_value_text(date);
    const int n = sqlite3_value_bytes(date);
    if (n < 7 || s[4] != '-')
        return -1;
    int year = 0;
    for (int i = 0; i < 4; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return -1;
        year = year * 10 + (s[i] - '0');
    }
    if (s[5] < '0' || s[5] > '1' || s[6] < '0' || s[6] > '9')
        return -1;
    const int month = (s[5] - '0') * 10 + (s[6] - '0');
    if (month < 1 || month > 12)
        return -1;
    return year * 100 + month;
}

// kq_valor_corrigido(VL_CHEQUE, DT_DEPOSITO)
void correctedValueFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    auto *run = static_cast<Run *>(sqlite3_user_data(ctx));
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const double value = sqlite3_value_double(argv[0]);
    const int month = monthOf(argv[1]);
    const double *factor = month < 0 ? nullptr : run->factorOf(month);
    if (!factor) {
        ++run->count.uncorrected;
        if (month < 0)
            ++run->count.withoutDate;
        else
            run->count.missing.insert(month);
        sqlite3_result_double(ctx, value);
        return;
    }
    sqlite3_result_double(ctx, run->correction.corrected(value, *factor));
}

// kq_mes_corrigido(DT_DEPOSITO): the newest month, or Null for a cheque kept
// at its face value.
void correctedMonthFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    auto *run = static_cast<Run *>(sqlite3_user_data(ctx));
    const int month = monthOf(argv[0]);
    if (month < 0 || !run->factorOf(month)) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_text(ctx, run->newestMonth.constData(), int(run->newestMonth.size()),
                        SQLITE_STATIC);
}

// The two functions live on the connection for the length of one run.
class RunFunctions
{
public:
    RunFunctions(const QString &path, Run *run)
        : m_db(sqliteHandle(database(path)))
    {
        if (!m_db)
            throw DataError(ErrorNumber::DatabaseOpen,
                            QStringLiteral("Conexão sem acesso ao SQLite."),
                            run->correction.source);
        const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
        if (sqlite3_create_function_v2(m_db, kValueFunction, 2, flags, run, correctedValueFunction,
                                       nullptr, nullptr, nullptr)
                != SQLITE_OK
            || sqlite3_create_function_v2(m_db, kMonthFunction, 1, flags, run,
                                          correctedMonthFunction, nullptr, nullptr, nullptr)
                   != SQLITE_OK) {
            const QString text = QString::fromUtf8(sqlite3_errmsg(m_db));
            remove();
            throw DataError(ErrorNumber::SqlFailed, text, run->correction.source);
        }
    }
    ~RunFunctions() { remove(); }

private:
    void remove()
    {
        sqlite3_create_function_v2(m_db, kValueFunction, 2, SQLITE_UTF8, nullptr, nullptr, nullptr,
                                   nullptr, nullptr);
        sqlite3_create_function_v2(m_db, kMonthFunction, 1, SQLITE_UTF8, nullptr, nullptr, nullptr,
                                   nullptr, nullptr);
    }
    sqlite3 *m_db;
};

// A file is rewritten in parts by row number, so that the caller can show
// progress and stop.
void correctFile(const QString &path, Run *run, const std::function<void(qint64, qint64)> &progress)
{
    RunFunctions functions(path, run);
    Transaction transaction(path);
    QSqlQuery range
        = exec(path, QStringLiteral("SELECT min(rowid), max(rowid), count(*) FROM DEVOLVIDOS"));
    range.next();
    const qint64 first = range.value(0).toLongLong();
    const qint64 last = range.value(1).toLongLong();
    const qint64 total = range.value(2).toLongLong();
    range.finish();
    constexpr qint64 kPart = 25000;
    for (qint64 from = first; total > 0 && from <= last; from += kPart) {
        QSqlQuery q
            = exec(path,
                   QStringLiteral("UPDATE DEVOLVIDOS SET "
                                  "vl_atualizado = kq_valor_corrigido(VL_CHEQUE, DT_DEPOSITO), "
                                  "ref_atualizacao = kq_mes_corrigido(DT_DEPOSITO) "
                                  "WHERE rowid >= ? AND rowid < ?"),
                   {from, from + kPart});
        run->count.cheques += q.numRowsAffected();
        q.finish();
        if (progress)
            progress(run->count.cheques, total);
    }
    transaction.commit();
    // Every cheque was rewritten: the planner's statistics are taken again (a
    // server does it by itself). The values are saved whatever happens here.
    try {
        analyzeDatabase(path);
    } catch (const DataError &) {
    }
}

// A month's first day, "YYYY-MM-01".
QString firstDay(int yyyymm)
{
    return QStringLiteral("%1-%2-01")
        .arg(yyyymm / 100, 4, 10, QLatin1Char('0'))
        .arg(yyyymm % 100, 2, 10, QLatin1Char('0'));
}

// The corrected value of a cheque on the server, as the shell's
// roundedValue(correctedByFactors()) makes it: the ratio (newest factor /
// deposit factor - 1) comes computed by the client, the value is scaled and
// nudged as kq::platform::roundHalfAway does, in doubles as there (a nudged
// value is no half, so the server's round() agrees). roundHalfAway first
// prints the value to 12 decimals: that moves it by less than 5e-13, which
// changes the cents only for a value within 1e-11 of the nudged half cent.
const QString kServerCorrected = QStringLiteral(
    "round((d.VL_CHEQUE + d.VL_CHEQUE * f.razao) * 100 + CASE WHEN d.VL_CHEQUE + d.VL_CHEQUE * "
    "f.razao < 0 THEN CAST('-1e-9' AS double precision) ELSE CAST('1e-9' AS double precision) "
    "END) / 100");

// On a server the update is set-based: the ratio of every day of a month with
// a usable factor goes to a temporary table, joined once with the cheques on
// their deposit date (no date arithmetic per cheque); only the cheques whose
// value or month change are written. DEVOLVIDOS leaves room on its pages
// (see the server schema), so a cheque's new version stays on its page and
// no index is written. The cheques are first counted by deposit day.
void correctOnServer(const QString &path, Run *run,
                     const std::function<void(qint64, qint64)> &progress)
{
    const MonthlyCorrection &c = run->correction;
    QStringList firstDays;
    QStringList ratios;
    for (auto it = c.factors.cbegin(); it != c.factors.cend(); ++it) {
        firstDays << firstDay(it.key());
        ratios << QString::number(c.newestFactor / it.value() - 1.0, 'g', 17);
    }
    const QString newestMonth = c.newestMonth;

    Transaction transaction(path);
    // The cheques by deposit day (Null: no date), to count those left at their
    // face value: a plain scan the server may share among workers.
    QSqlQuery days = exec(path, QStringLiteral("SELECT DT_DEPOSITO, count(*), count(VL_CHEQUE) "
                                               "FROM DEVOLVIDOS GROUP BY 1"));
    qint64 total = 0;
    bool withoutFactor = false;
    while (days.next()) {
        total += days.value(1).toLongLong();
        const QDate day = days.value(0).toDate();
        const int month = day.isValid() ? day.year() * 100 + day.month() : -1;
        if (month >= 0 && c.factors.contains(month))
            continue;
        withoutFactor = true;
        const qint64 valued = days.value(2).toLongLong();
        if (valued == 0)
            continue;
        run->count.uncorrected += valued;
        if (month >= 0)
            run->count.missing.insert(month);
        else
            run->count.withoutDate += valued;
    }
    days.finish();

    exec(path, QStringLiteral("CREATE TEMPORARY TABLE kq_razoes (dia date PRIMARY "
                              "KEY, razao double precision) ON COMMIT DROP"));
    // Two arrays (date[] and double precision[], named _date and _float8:
    // brackets read as a Jet name).
    exec(path,
         QStringLiteral("INSERT INTO kq_razoes (dia, razao) "
                        "SELECT CAST(g AS date), m.razao "
                        "FROM unnest(CAST(? AS _date), CAST(? AS _float8)) "
                        "AS m(dia, razao), generate_series(m.dia, m.dia + INTERVAL "
                        "'1 month' - INTERVAL '1 day', INTERVAL '1 day') AS g"),
         {QLatin1Char('{') + firstDays.join(QLatin1Char(',')) + QLatin1Char('}'),
          QLatin1Char('{') + ratios.join(QLatin1Char(',')) + QLatin1Char('}')});
    exec(path, QStringLiteral("ANALYZE kq_razoes"));

    exec(path,
         QStringLiteral("UPDATE DEVOLVIDOS AS d SET vl_atualizado = %1, "
                        "ref_atualizacao = ? FROM kq_razoes f "
                        "WHERE f.dia = d.DT_DEPOSITO AND (d.vl_atualizado IS "
                        "DISTINCT FROM %1 OR d.ref_atualizacao IS DISTINCT FROM ?)")
             .arg(kServerCorrected),
         {newestMonth, newestMonth});
    if (withoutFactor)
        exec(path, QStringLiteral("UPDATE DEVOLVIDOS AS d SET vl_atualizado = d.VL_CHEQUE, "
                                  "ref_atualizacao = NULL WHERE NOT EXISTS (SELECT 1 FROM "
                                  "kq_razoes f WHERE f.dia = d.DT_DEPOSITO) AND "
                                  "(d.vl_atualizado IS DISTINCT FROM d.VL_CHEQUE OR "
                                  "d.ref_atualizacao IS NOT NULL)"));
    run->count.cheques = total;
    if (progress)
        progress(total, total);
    transaction.commit();
}

} // namespace

MonthlyCorrectionCount correctByMonth(const QString &path, const MonthlyCorrection &correction,
                                      const std::function<void(qint64, qint64)> &progress)
{
    Run run{correction, correction.newestMonth.toUtf8(), {}};
    if (dialectOf(path) == Dialect::Postgres)
        correctOnServer(path, &run, progress);
    else
        correctFile(path, &run, progress);
    return run.count;
}

} // namespace kq::data
