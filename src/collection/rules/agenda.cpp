#include "collection/rules/agenda.h"

#include "data/database.h"
#include "data/keys.h"
#include "core/format.h"
#include "core/textcut.h"

#include <QSqlQuery>

namespace kq::collection {

QString addAgendaEntry(const QString &dbPath, const AgendaEntry &entry, const QDate &today)
{
    kq::data::Transaction t(dbPath);
    const QString code
        = kq::data::nextKey(dbPath, QStringLiteral("agenda"), QStringLiteral("cd_agenda"), 10);
    kq::data::exec(dbPath,
                   QStringLiteral("INSERT INTO agenda (cd_agenda, dt_lancamento, dt_marcada, "
                                  "nm_envolvido, nm_responsavel, ds_historico, cd_ref) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                   {code, today, entry.dtMarcada, entry.nmEnvolvido, entry.nmResponsavel,
                    kq::platform::cutText(entry.dsHistorico, kAgendaHistoryLength),
                    kq::platform::formatMonthYear(entry.dtMarcada)});
    t.commit();
    return code;
}

QString firstAgendaCode(const QString &dbPath)
{
    return kq::data::scalar(dbPath, QStringLiteral("SELECT cd_agenda FROM agenda "
                                                   "ORDER BY cd_agenda LIMIT 1"))
        .toString();
}

std::optional<QString> agendaHistory(const QString &dbPath, const QString &cdAgenda)
{
    QSqlQuery q = kq::data::exec(dbPath,
                                 QStringLiteral("SELECT ds_historico FROM agenda "
                                                "WHERE cd_agenda = ?"),
                                 {cdAgenda});
    if (!q.next())
        return std::nullopt;
    return q.value(0).toString();
}

bool deleteAgendaEntry(const QString &dbPath, const QString &cdAgenda)
{
    QSqlQuery q = kq::data::exec(dbPath, QStringLiteral("DELETE FROM agenda WHERE cd_agenda = ?"),
                                 {cdAgenda});
    return q.numRowsAffected() > 0;
}

} // namespace kq::collection
