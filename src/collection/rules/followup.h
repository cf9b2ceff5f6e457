#pragma once

#include "data/recordsource.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

namespace kq::collection {

// One cheque of a debtor as the totals read it: a Null date or value is an
// invalid QVariant.
struct DebtCheque
{
    QVariant deposito;
    QVariant valor;
};

struct DebtTotals
{
    qint64 cheques = 0;  // every cheque read
    qint64 datados = 0;  // cheques with a deposit date (the average's divisor)
    qint64 somaDias = 0; // days from deposit to today, over dated cheques
    double total = 0;    // sum of the values (a Null value adds nothing)

    // Int(days / dated cheques): the greatest whole number not above the
    // average; nothing when no cheque has a date.
    std::optional<qint64> mediaAtraso() const;
};

// Sums a debtor's cheques: a deposit after today subtracts its days.
DebtTotals computeDebtTotals(const QVector<DebtCheque> &cheques, const QDate &today);

// The debtor's cheques whose situation is in situacoes, read from the
// database for the totals.
QVector<DebtCheque> readDebtCheques(const QString &dbPath, const QString &cliente);

// Record sources of the follow-up screen for one debtor: the debtor's cheques
// (with situation and store) and contacts, by date.
kq::data::RecordSource debtorChequesSource(const QString &cliente);
kq::data::RecordSource debtorContactsSource(const QString &cliente);

// Number of the next contact: the count shown + 1, at least three digits
// ("001", "1000"). A count that is empty or no number counts as 0.
QString nextContactNumber(const QVariant &contatosMostrados);

struct Contact
{
    QString cliente;
    QString numero; // CD_VANTESCA
    QDate data;
    QString historico;
    QString envolvido;
    QString cobrador;
};

// A contact says something: its history holds more than blanks and line
// breaks. An empty contact is never saved.
bool hasHistoryText(const QString &historico);

// Saves a contact and counts it on the debtor (NR_CONTATOS + 1, last contact
// today), in one transaction. Returns false when the debtor is not in
// CLIENTES: the contact is saved all the same, and nothing is counted.
bool saveContact(const QString &dbPath, const Contact &contact, const QDate &today);

// Deletes one contact of a debtor (the first of that number by date). False
// when there is none; the debtor's count is never lowered.
bool deleteContact(const QString &dbPath, const QString &cliente, const QString &numero);

// Number of the debtor's earliest contact (by date); nothing when none.
std::optional<QString> firstContact(const QString &dbPath, const QString &cliente);

// The history text of a debtor's contact; nothing when there is no such contact.
std::optional<QString> contactHistory(const QString &dbPath, const QString &cliente,
                                      const QString &numero);

} // namespace kq::collection
