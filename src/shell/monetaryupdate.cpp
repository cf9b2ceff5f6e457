#include "shell/monetaryupdate.h"

#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "platform/dialogs.h"
#include "platform/progress.h"
#include "shell/rules/correction.h"
#include "shell/services/procedures.h"

#include <QHash>
#include <QSet>
#include <QSqlDriver>
#include <QSqlQuery>

#include <sqlite3.h>

namespace kq::shell {

namespace {

const char kValueFunction[] = "kq_valor_corrigido";
const char kMonthFunction[] = "kq_mes_corrigido";

// State of one run, shared by the two SQL functions of the update.
struct UpdateRun
{
    // yyyymm -> factor of the months that have a usable one.
    QHash<int, double> factors;
    double newestFactor = 0;
    QByteArray newestMonth;
    QSet<int> missing;
    qint64 uncorrected = 0;
    qint64 withoutDate = 0;

    // Cheques come in no particular order, but runs of one month are common.
    int cachedMonth = -1;
    const double *cachedFactor = nullptr;

    const double *factorOf(int month)
    {
        if (month != cachedMonth) {
            cachedMonth = month;
            const auto it = factors.constFind(month);
            cachedFactor = it == factors.constEnd() ? nullptr : &it.value();
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

int monthOf(const QString &key)
{
    const QDate d = QDate::fromString(key + QStringLiteral("/01"), QStringLiteral("yyyy/MM/dd"));
    return d.isValid() ? d.year() * 100 + d.month() : -1;
}

QString monthText(int yyyymm)
{
    return monthKey(QDate(yyyymm / 100, yyyymm % 100, 1));
}

// kq_valor_corrigido(VL_CHEQUE, DT_DEPOSITO)
void correctedValueFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    auto *run = static_cast<UpdateRun *>(sqlite3_user_data(ctx));
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const double value = sqlite3_value_double(argv[0]);
    const int month = monthOf(argv[1]);
    const double *factor = month < 0 ? nullptr : run->factorOf(month);
    if (!factor) {
        ++run->uncorrected;
        if (month < 0)
            ++run->withoutDate;
        else
            run->missing.insert(month);
        sqlite3_result_double(ctx, value);
        return;
    }
    sqlite3_result_double(ctx, roundedValue(correctedByFactors(value, *factor, run->newestFactor)));
}

// kq_mes_corrigido(DT_DEPOSITO): the newest month, or Null for a cheque kept
// at its face value.
void correctedMonthFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    auto *run = static_cast<UpdateRun *>(sqlite3_user_data(ctx));
    const int month = monthOf(argv[0]);
    if (month < 0 || !run->factorOf(month)) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_text(ctx, run->newestMonth.constData(), int(run->newestMonth.size()),
                        SQLITE_STATIC);
}

sqlite3 *handleOf(const QString &dbPath)
{
    const QVariant v = kq::data::database(dbPath).driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(v.constData());
    return nullptr;
}

// The two functions live on the connection for the length of one run.
class RunFunctions
{
public:
    RunFunctions(const QString &dbPath, UpdateRun *run)
        : m_db(handleOf(dbPath))
    {
        if (!m_db)
            throw kq::data::DataError(kq::data::ErrorNumber::DatabaseOpen,
                                      QStringLiteral("Conexão sem acesso ao SQLite."),
                                      QStringLiteral("AtualizarValores"));
        const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
        if (sqlite3_create_function_v2(m_db, kValueFunction, 2, flags, run, correctedValueFunction,
                                       nullptr, nullptr, nullptr)
                != SQLITE_OK
            || sqlite3_create_function_v2(m_db, kMonthFunction, 1, flags, run,
                                          correctedMonthFunction, nullptr, nullptr, nullptr)
                   != SQLITE_OK) {
            const QString text = QString::fromUtf8(sqlite3_errmsg(m_db));
            remove();
            throw kq::data::DataError(kq::data::ErrorNumber::SqlFailed, text,
                                      QStringLiteral("AtualizarValores"));
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

// The correction rows left out, each between quotes: "____/__" reads as a text.
QString invalidMonthsText(const QStringList &months)
{
    QStringList quoted;
    for (const QString &m : months)
        quoted << QLatin1Char('"') + m + QLatin1Char('"');
    return QStringLiteral("Referências inválidas na tabela de correção, não usadas: %1")
        .arg(quoted.join(QStringLiteral(", ")));
}

QString joinMonths(const QStringList &months)
{
    const int shown = 24;
    if (months.size() <= shown)
        return months.join(QStringLiteral(", "));
    return months.mid(0, shown).join(QStringLiteral(", "))
           + QStringLiteral(" e mais %1").arg(months.size() - shown);
}

// A month's first day, "YYYY-MM-01".
QString firstDay(int yyyymm)
{
    return QStringLiteral("%1-%2-01")
        .arg(yyyymm / 100, 4, 10, QLatin1Char('0'))
        .arg(yyyymm % 100, 2, 10, QLatin1Char('0'));
}

// The corrected value of a cheque on the server, as
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
void updateOnServer(const QString &dbPath, const MonetaryUpdateStep &step, UpdateRun *run,
                    MonetaryUpdateResult *result)
{
    QStringList firstDays;
    QStringList ratios;
    for (auto it = run->factors.cbegin(); it != run->factors.cend(); ++it) {
        firstDays << firstDay(it.key());
        ratios << QString::number(run->newestFactor / it.value() - 1.0, 'g', 17);
    }
    const QString newestMonth = QString::fromUtf8(run->newestMonth);

    kq::data::Transaction transaction(dbPath);
    // The cheques by deposit day (Null: no date), to count those left at their
    // face value: a plain scan the server may share among workers.
    QSqlQuery days = kq::data::exec(
        dbPath, QStringLiteral("SELECT DT_DEPOSITO, count(*), count(VL_CHEQUE) FROM DEVOLVIDOS "
                               "GROUP BY 1"));
    qint64 total = 0;
    bool withoutFactor = false;
    while (days.next()) {
        total += days.value(1).toLongLong();
        const QDate day = days.value(0).toDate();
        const int month = day.isValid() ? day.year() * 100 + day.month() : -1;
        if (month >= 0 && run->factors.contains(month))
            continue;
        withoutFactor = true;
        const qint64 valued = days.value(2).toLongLong();
        if (valued == 0)
            continue;
        run->uncorrected += valued;
        if (month >= 0)
            run->missing.insert(month);
        else
            run->withoutDate += valued;
    }
    days.finish();

    kq::data::exec(dbPath, QStringLiteral("CREATE TEMPORARY TABLE kq_razoes (dia date PRIMARY "
                                          "KEY, razao double precision) ON COMMIT DROP"));
    // Two arrays (date[] and double precision[], named _date and _float8:
    // brackets read as a Jet name).
    kq::data::exec(dbPath,
                   QStringLiteral("INSERT INTO kq_razoes (dia, razao) "
                                  "SELECT CAST(g AS date), m.razao "
                                  "FROM unnest(CAST(? AS _date), CAST(? AS _float8)) "
                                  "AS m(dia, razao), generate_series(m.dia, m.dia + INTERVAL "
                                  "'1 month' - INTERVAL '1 day', INTERVAL '1 day') AS g"),
                   {QLatin1Char('{') + firstDays.join(QLatin1Char(',')) + QLatin1Char('}'),
                    QLatin1Char('{') + ratios.join(QLatin1Char(',')) + QLatin1Char('}')});
    kq::data::exec(dbPath, QStringLiteral("ANALYZE kq_razoes"));

    kq::data::exec(dbPath,
                   QStringLiteral("UPDATE DEVOLVIDOS AS d SET vl_atualizado = %1, "
                                  "ref_atualizacao = ? FROM kq_razoes f "
                                  "WHERE f.dia = d.DT_DEPOSITO AND (d.vl_atualizado IS "
                                  "DISTINCT FROM %1 OR d.ref_atualizacao IS DISTINCT FROM ?)")
                       .arg(kServerCorrected),
                   {newestMonth, newestMonth});
    if (withoutFactor)
        kq::data::exec(dbPath,
                       QStringLiteral("UPDATE DEVOLVIDOS AS d SET vl_atualizado = d.VL_CHEQUE, "
                                      "ref_atualizacao = NULL WHERE NOT EXISTS (SELECT 1 FROM "
                                      "kq_razoes f WHERE f.dia = d.DT_DEPOSITO) AND "
                                      "(d.vl_atualizado IS DISTINCT FROM d.VL_CHEQUE OR "
                                      "d.ref_atualizacao IS NOT NULL)"));
    result->cheques = total;
    if (step && !step(total, total))
        throw MonetaryUpdateCancelled();
    transaction.commit();
}

} // namespace

MonetaryUpdateResult atualizarValoresBanco(const QString &dbPath, const MonetaryUpdateStep &step)
{
    if (!kq::data::databaseExists(dbPath))
        throw MonetaryUpdateRefused(
            QStringLiteral("Banco de dados não encontrado: %1\nNenhum valor foi atualizado.")
                .arg(dbPath));

    const CorrectionTable table = CorrectionTable::load(dbPath);
    if (table.isEmpty()) {
        QString text = QStringLiteral("A tabela de correção não tem nenhum fator.");
        if (!table.invalidMonths().isEmpty())
            text += QLatin1Char('\n') + invalidMonthsText(table.invalidMonths());
        throw MonetaryUpdateRefused(text + QStringLiteral("\nNenhum valor foi atualizado."));
    }
    const QString newest = table.newestMonth();
    if (!table.hasUsableFactor(newest))
        throw MonetaryUpdateRefused(QStringLiteral("O fator do mês mais recente (%1) é zero.\n"
                                                   "Nenhum valor foi atualizado.")
                                        .arg(newest));

    UpdateRun run;
    run.newestFactor = table.newestFactor();
    run.newestMonth = newest.toUtf8();
    for (const QString &month : table.months()) {
        const int key = monthOf(month);
        if (key >= 0 && table.hasUsableFactor(month))
            run.factors.insert(key, *table.factor(month));
    }

    MonetaryUpdateResult result;
    result.newestMonth = newest;
    result.invalidMonths = table.invalidMonths();
    if (kq::data::dialectOf(dbPath) == kq::data::Dialect::Postgres) {
        updateOnServer(dbPath, step, &run, &result);
    } else {
        RunFunctions functions(dbPath, &run);
        kq::data::Transaction transaction(dbPath);
        // In parts by row number, so that the caller can show progress and stop.
        QSqlQuery range = kq::data::exec(
            dbPath, QStringLiteral("SELECT min(rowid), max(rowid), count(*) FROM DEVOLVIDOS"));
        range.next();
        const qint64 first = range.value(0).toLongLong();
        const qint64 last = range.value(1).toLongLong();
        const qint64 total = range.value(2).toLongLong();
        range.finish();
        constexpr qint64 kPart = 25000;
        for (qint64 from = first; total > 0 && from <= last; from += kPart) {
            QSqlQuery q = kq::data::exec(
                dbPath,
                QStringLiteral("UPDATE DEVOLVIDOS SET "
                               "vl_atualizado = kq_valor_corrigido(VL_CHEQUE, DT_DEPOSITO), "
                               "ref_atualizacao = kq_mes_corrigido(DT_DEPOSITO) "
                               "WHERE rowid >= ? AND rowid < ?"),
                {from, from + kPart});
            result.cheques += q.numRowsAffected();
            q.finish();
            if (step && !step(result.cheques, total))
                throw MonetaryUpdateCancelled();
        }
        transaction.commit();
        // Every cheque was rewritten: the planner's statistics are taken
        // again (a server does it by itself). The values are saved whatever
        // happens here.
        try {
            kq::data::analyzeDatabase(dbPath);
        } catch (const kq::data::DataError &) {
        }
    }
    result.uncorrected = run.uncorrected;
    result.withoutDate = run.withoutDate;
    QList<int> missing(run.missing.cbegin(), run.missing.cend());
    std::sort(missing.begin(), missing.end());
    for (int m : missing)
        result.missingMonths << monthText(m);
    return result;
}

QString monetaryUpdateMessage(const MonetaryUpdateResult &result)
{
    QString text = QStringLiteral("Valores atualizados com sucesso!! Obrigado!!");
    if (!result.missingMonths.isEmpty())
        text += QStringLiteral("\n\nMeses sem fator de correção (cheques mantidos pelo valor "
                               "de face): %1")
                    .arg(joinMonths(result.missingMonths));
    if (result.withoutDate > 0)
        text += QStringLiteral("\n\nCheques sem data de depósito mantidos pelo valor de face: %1")
                    .arg(result.withoutDate);
    if (!result.invalidMonths.isEmpty())
        text += QStringLiteral("\n\n") + invalidMonthsText(result.invalidMonths);
    return text;
}

void AtualizarValores(const QString &dataFolder)
{
    using kq::platform::Dialogs;
    const QString dbPath = kq::data::dataFile(dataFolder, kq::data::kDevolvidos);
    MonetaryUpdateResult result;
    try {
        kq::platform::Progress progress(QStringLiteral("Atualizando os valores dos cheques..."), 0);
        result = atualizarValoresBanco(dbPath, [&progress](qint64 done, qint64 total) {
            progress.setMaximum(int(total));
            return progress.setValue(int(done));
        });
    } catch (const MonetaryUpdateRefused &refused) {
        Dialogs::message(refused.message(), QString(), kq::platform::Buttons::Ok,
                         kq::platform::Icon::Warning);
        return;
    } catch (const MonetaryUpdateCancelled &) {
        Dialogs::message(QStringLiteral("Atualização cancelada. Nenhum valor foi alterado."),
                         QString(), kq::platform::Buttons::Ok, kq::platform::Icon::Information);
        return;
    } catch (...) {
        MostrarErro(QStringLiteral("fprincipal"));
        return;
    }
    Dialogs::message(monetaryUpdateMessage(result));
}

} // namespace kq::shell
