#include "queries/agreementcancel.h"

#include "data/database.h"
#include "data/dataerror.h"

namespace kq::queries {

namespace {

const QString kSource = QStringLiteral("fconsulta3");

void requireCode(const QString &cdAcordo)
{
    if (cdAcordo.trimmed().isEmpty())
        throw kq::data::DataError(kq::data::ErrorNumber::NoCurrentRecord,
                                  QStringLiteral("Nenhum acordo escolhido."), kSource);
}

int run(const QString &db, const QString &sql, const QString &cdAcordo)
{
    return kq::data::exec(db, sql, {cdAcordo}).numRowsAffected();
}

int chequesBackToCollection(const QString &db, const QString &cdAcordo)
{
    return run(db, QStringLiteral("UPDATE DEVOLVIDOS SET cd_situacao = '001' WHERE cd_acordo = ?"),
               cdAcordo);
}

} // namespace

AgreementChange cancelAgreement(const QString &databaseName, const QString &cdAcordo)
{
    requireCode(cdAcordo);
    AgreementChange change;
    kq::data::Transaction tx(databaseName);
    change.agreements = run(databaseName,
                            QStringLiteral("UPDATE acordos SET cd_status = 'C' "
                                           "WHERE cd_acordo = ?"),
                            cdAcordo);
    change.instalments = run(databaseName,
                             QStringLiteral("UPDATE parcelas SET cd_status = 'C' "
                                            "WHERE cd_acordo = ?"),
                             cdAcordo);
    change.cheques = chequesBackToCollection(databaseName, cdAcordo);
    tx.commit();
    return change;
}

AgreementChange deleteAgreement(const QString &databaseName, const QString &cdAcordo)
{
    requireCode(cdAcordo);
    AgreementChange change;
    kq::data::Transaction tx(databaseName);
    change.agreements
        = run(databaseName, QStringLiteral("DELETE FROM acordos WHERE cd_acordo = ?"), cdAcordo);
    change.instalments
        = run(databaseName, QStringLiteral("DELETE FROM parcelas WHERE cd_acordo = ?"), cdAcordo);
    change.cheques = chequesBackToCollection(databaseName, cdAcordo);
    tx.commit();
    return change;
}

} // namespace kq::queries
