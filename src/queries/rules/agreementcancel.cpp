#include "queries/rules/agreementcancel.h"

#include "data/database.h"
#include "data/dataerror.h"
#include "core/format.h"

#include <QSqlQuery>

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

WrittenOff writtenOffInstalments(const QString &databaseName, const QString &cdAcordo)
{
    QSqlQuery q = kq::data::exec(databaseName,
                                 QStringLiteral("SELECT count(*), sum(vl_parcela) FROM parcelas "
                                                "WHERE cd_acordo = ? AND cd_status = 'B'"),
                                 {cdAcordo});
    WrittenOff w;
    if (q.next()) {
        w.count = q.value(0).toInt();
        w.total = q.value(1).toDouble();
    }
    return w;
}

QString deleteQuestion(const QString &cdAcordo, const WrittenOff &writtenOff)
{
    QString question = QStringLiteral("Deseja Realmente excluir esse registro? :") + cdAcordo;
    if (writtenOff.count == 1) {
        question += QStringLiteral("\nAtenção: 1 parcela já baixada (%1) será excluída.")
                        .arg(kq::platform::formatCurrency(writtenOff.total));
    } else if (writtenOff.count > 1) {
        question += QStringLiteral("\nAtenção: %1 parcelas já baixadas (%2) serão excluídas.")
                        .arg(writtenOff.count)
                        .arg(kq::platform::formatCurrency(writtenOff.total));
    }
    return question;
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
