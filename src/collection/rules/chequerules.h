#pragma once

#include "data/recordsource.h"

#include <QDate>
#include <QString>
#include <optional>

namespace kq::collection {

// Captions and refusals of cheque entry.
namespace ChequeText {
inline const QString semDestino = QStringLiteral("Não posso incluir sem destino!!");
inline const QString semSituacao = QStringLiteral("Não posso incluir sem situacao!!");
inline const QString valorZerado = QStringLiteral("Valor não pode estar Zerado");
inline const QString valorInvalido = QStringLiteral("Valor inválido!!");
inline const QString semInadimplente = QStringLiteral("Não posso incluir sem inadimplente!!");
inline const QString semLoja = QStringLiteral("Não posso incluir sem loja!!");
inline const QString dataInvalida = QStringLiteral("Data de depósito inválida!!");
} // namespace ChequeText

// A cheque as the entry screen holds it: the codes of the lists and the
// texts of the boxes.
struct ChequeForm
{
    QString cliente;
    QString loja;
    QString destino;
    QString situacao;
    QString documento;
    QString banco;
    QString agencia;
    QString conta;
    QString cheque;
    QString emitente;
    QString nrDocumento;
    QString alinea;
    QString deposito; // "dd/mm/yyyy" as typed through the mask
    QString valor;    // as typed, in the regional format
};

// A checked cheque: every field converted, ready to be written whole.
struct ChequeRecord
{
    ChequeForm form;
    QDate deposito;
    double valor = 0;

    QString cdRef() const; // the deposit month "mm/YYYY"
    QString chave() const; // bank & agency & account
};

// Checks a cheque before it is written: the destination, the situation, the
// value (a number above zero in the regional format), the debtor, the store
// (each must exist in its table) and the deposit date. Returns the refusal
// text of the first check that fails, or the record.
struct ChequeCheck
{
    QString refusal;
    ChequeRecord record;
    bool ok() const { return refusal.isEmpty(); }
};
ChequeCheck checkCheque(const QString &dbPath, const ChequeForm &form);

// Adds the cheque under the next ten-digit key, taken from the table as it
// is now, in one transaction; returns the key.
QString includeCheque(const QString &dbPath, const ChequeRecord &cheque, const QDate &today);

// True when a cheque has that key.
bool chequeExists(const QString &dbPath, const QString &key);

// Rewrites the 18 fields of the cheque with that key; false when there is none.
// The corrected value, its month, the agreement and the payment date stay.
bool alterCheque(const QString &dbPath, const QString &key, const ChequeRecord &cheque,
                 const QDate &today);

// Deletes the cheque with that key; false when there is none.
bool deleteCheque(const QString &dbPath, const QString &key);

// Issuer's name and document recalled from earlier cheques.
struct Issuer
{
    QString nome;
    QString documento;
};
// The first cheque (key order) of an account key.
std::optional<Issuer> issuerOfAccount(const QString &dbPath, const QString &chave);
// The document of a debtor in CLIENTES (Null gives ""); nothing when the
// debtor is not there.
std::optional<QString> debtorDocument(const QString &dbPath, const QString &cliente);
// Key of the first cheque (key order) of an issuer document; nothing when none.
std::optional<QString> firstChequeOfDocument(const QString &dbPath, const QString &documento);

// Record sources of the cheque-entry screen's history grid: the cheques of
// a debtor, and those of an issuer document, by deposit date.
kq::data::RecordSource debtorHistorySource(const QString &cliente);
kq::data::RecordSource documentHistorySource(const QString &documento);

} // namespace kq::collection
