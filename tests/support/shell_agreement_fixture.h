#pragma once

#include "support/base_data.h"

#include <QDate>
#include <QString>

// Rows for the agreement, write-off and agenda tests, written straight to a
// prepared devolvidos.mdb (destination "001" and document type "01" come with it).
namespace kq::test {

void addDebtor(const QString &db, const QString &code, const QString &name);
void addStore(const QString &db, const QString &code, const QString &name, double juros,
              double multa, double honorarios, int nrParcelas, double jurosAcordo);
void addFactor(const QString &db, const QString &month, double factor);
void addCheque(const QString &db, const QString &key, const QString &debtor, const QString &store,
               const QDate &deposit, double value, const QString &situacao = QStringLiteral("001"));
// An agreement row and its instalments due monthly from firstDue (status "A").
void addAgreement(const QString &db, const QString &code, const QString &debtor,
                  const QString &store, int count, double value, const QDate &firstDue);

} // namespace kq::test
