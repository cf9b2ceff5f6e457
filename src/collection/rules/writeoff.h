#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace kq::collection {

// The write-off selection's query: open instalments (status "A") due from
// `from` to `to`, both days included, with their debtor, agreement and store.
QString openInstalmentsSource(const QDate &from, const QDate &to);

// An instalment as the write-off dialog shows it.
struct Instalment
{
    QString cdAcordo;
    QString cdParcela;
    double vlParcela = 0;
    QDate dtVencimento;
    QString cdStatus;
};

// The instalment of an agreement by its number; empty when there is none.
std::optional<Instalment> findInstalment(const QString &dbPath, const QString &cdAcordo,
                                         const QString &cdParcela);

// The write-off month of a write-off date, "MM/YYYY".
QString writeOffMonth(const QDate &dtBaixa);

// Writes one open instalment off in its own transaction: DT_BAIXA, the
// write-off month and status "B". Returns false, writing nothing, when the
// instalment is not there or no longer open.
bool writeOffInstalment(const QString &dbPath, const QString &cdAcordo, const QString &cdParcela,
                        const QDate &dtBaixa);

} // namespace kq::collection
