#pragma once

// The agreement the agreement benchmarks save over the portfolio of
// makeDebtorPortfolio (debtor "00001" at store "001"), and its undoing
// between rounds.

#include "collection/rules/agreementstore.h"
#include "data/database.h"

#include <QDate>
#include <QString>

#include <cstdio>

namespace kq::bench {

// A 32-instalment agreement over the debtor's cheques, read as the screen
// reads them.
inline void saveDebtorAgreement(const QString &db, const QDate &today)
{
    kq::collection::Agreement a;
    a.cdCliente = "00001";
    a.cdLoja = "001";
    a.dtAcordo = today;
    a.nrParcelas = 32;
    a.vlParcela = 100;
    a.dt1Vencimento = today;
    a.cheques = kq::collection::loadEligibleCheques(db, "00001", "001");
    if (kq::collection::saveAgreement(db, a).status != kq::collection::SaveOutcome::Saved)
        std::printf("  not saved!\n");
}

// The debtor's agreements and instalments gone, the cheques open again.
inline void undoDebtorAgreements(const QString &db)
{
    using kq::data::exec;
    kq::data::Transaction t(db);
    exec(db, "DELETE FROM parcelas WHERE cd_acordo IN (SELECT cd_acordo FROM acordos "
             "WHERE CD_CLIENTE = '00001')");
    exec(db, "DELETE FROM acordos WHERE CD_CLIENTE = '00001'");
    exec(db, "UPDATE DEVOLVIDOS SET cd_situacao = '001', cd_acordo = NULL "
             "WHERE CD_CLIENTE = '00001'");
    t.commit();
}

} // namespace kq::bench
