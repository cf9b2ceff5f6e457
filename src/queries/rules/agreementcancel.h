#pragma once

#include <QString>

// Cancelling and deleting an agreement of the agreement query. Each runs in
// one transaction on the database file: all of it is written or none.
namespace kq::queries {

// What a cancel or delete changed.
struct AgreementChange
{
    int agreements = 0;  // acordos rows changed or removed
    int instalments = 0; // parcelas rows changed or removed
    int cheques = 0;     // DEVOLVIDOS rows put back in situation "001"
};

// The agreement and every instalment of it get status "C" (written-off ones
// too); its cheques go back to situation "001" and keep their cd_acordo.
// Throws kq::data::DataError on a failure (nothing written) or an empty code.
AgreementChange cancelAgreement(const QString &databaseName, const QString &cdAcordo);

// The instalments of an agreement already written off (status "B").
struct WrittenOff
{
    int count = 0;
    double total = 0; // sum of their values
};
WrittenOff writtenOffInstalments(const QString &databaseName, const QString &cdAcordo);

// The question asked before a delete: the code after the question and, when
// instalments are written off, a second line naming how many and their total.
QString deleteQuestion(const QString &cdAcordo, const WrittenOff &writtenOff);

// The agreement row and its instalments are removed; its cheques go back to
// situation "001" and keep their cd_acordo. The debtor stays.
AgreementChange deleteAgreement(const QString &databaseName, const QString &cdAcordo);

} // namespace kq::queries
