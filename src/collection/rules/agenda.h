#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace kq::collection {

// A scheduled contact as the agenda screen saves it.
struct AgendaEntry
{
    QDate dtMarcada;
    QString nmEnvolvido;   // the debtor's name as shown
    QString nmResponsavel; // the collector's name as shown
    QString dsHistorico;
};

// The longest history the agenda keeps.
constexpr int kAgendaHistoryLength = 200;

// Adds an entry under the next code ("0000000001" for an empty table), made
// on `today`, with the month of the scheduled day ("mm/YYYY"); returns the code.
QString addAgendaEntry(const QString &dbPath, const AgendaEntry &entry, const QDate &today);

// The first entry in code order; "" when the agenda is empty.
QString firstAgendaCode(const QString &dbPath);

// The history of an entry; empty when the entry is not there.
std::optional<QString> agendaHistory(const QString &dbPath, const QString &cdAgenda);

// Deletes an entry; false when it was not there.
bool deleteAgendaEntry(const QString &dbPath, const QString &cdAgenda);

} // namespace kq::collection
