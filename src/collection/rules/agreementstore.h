#pragma once

#include "collection/rules/agreement.h"

#include <QString>
#include <QVector>
#include <optional>

namespace kq::collection {

// The store's row found by its code; empty when there is none.
// Throws kq::data::DataError when the database cannot be read.
std::optional<StoreTerms> loadStoreTerms(const QString &dbPath, const QString &cdLoja);

// The debtor's cheques at the store whose situation allows an agreement
// (situacoes.CD_ACORDO = "0"), in deposit order; a cheque whose situation,
// destination or document type has no row takes no part.
QVector<Cheque> loadEligibleCheques(const QString &dbPath, const QString &cdCliente,
                                    const QString &cdLoja);

// Writes each cheque's corrected value (vl_atualizado), all in one transaction.
void writeCorrectedValues(const QString &dbPath, const QVector<ChequeCalc> &cheques);

// The code a new agreement gets: the last code plus one, moved on past any
// code still held by an agreement, an instalment or a cheque.
QString nextAgreementCode(const QString &dbPath);

struct SaveOutcome
{
    enum Status {
        Saved,
        NoCheques,      // the calculation holds no cheque
        ChequesChanged, // a cheque is gone, moved, or no longer open to agreement
    };
    Status status = Saved;
    QString cdAcordo; // the new code when saved
};

// Saves the agreement, its instalments (status "A", monthly due dates from the
// first due date) and the cheques' code and situation "002" in one
// transaction. Before writing it checks that every cheque still belongs to the
// debtor and the store, still allows an agreement and still carries the code
// it had when it was read. Throws kq::data::DataError on a database failure;
// nothing is then written.
SaveOutcome saveAgreement(const QString &dbPath, const Agreement &agreement);

} // namespace kq::collection
