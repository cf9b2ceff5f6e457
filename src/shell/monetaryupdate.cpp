#include "shell/monetaryupdate.h"

#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/monthlycorrection.h"
#include "platform/dialogs.h"
#include "platform/progress.h"
#include "shell/rules/correction.h"
#include "shell/services/procedures.h"

#include <QHash>

namespace kq::shell {

namespace {

int monthOf(const QString &key)
{
    const QDate d = QDate::fromString(key + QStringLiteral("/01"), QStringLiteral("yyyy/MM/dd"));
    return d.isValid() ? d.year() * 100 + d.month() : -1;
}

QString monthText(int yyyymm)
{
    return monthKey(QDate(yyyymm / 100, yyyymm % 100, 1));
}

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

    kq::data::MonthlyCorrection run;
    run.newestFactor = table.newestFactor();
    run.newestMonth = newest;
    run.source = QStringLiteral("AtualizarValores");
    run.corrected = [newestFactor = run.newestFactor](double value, double factor) {
        return roundedValue(correctedByFactors(value, factor, newestFactor));
    };
    for (const QString &month : table.months()) {
        const int key = monthOf(month);
        if (key >= 0 && table.hasUsableFactor(month))
            run.factors.insert(key, *table.factor(month));
    }

    MonetaryUpdateResult result;
    result.newestMonth = newest;
    result.invalidMonths = table.invalidMonths();
    const kq::data::MonthlyCorrectionCount count
        = kq::data::correctByMonth(dbPath, run, [&step](qint64 done, qint64 total) {
              if (step && !step(done, total))
                  throw MonetaryUpdateCancelled();
          });
    result.cheques = count.cheques;
    result.uncorrected = count.uncorrected;
    result.withoutDate = count.withoutDate;
    QList<int> missing(count.missing.cbegin(), count.missing.cend());
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
