#include "support/shell_queries_fixture.h"

#include "data/database.h"
#include "support/shell_agreement_fixture.h"

#include <QDate>

namespace kq::test::queries {

void addPortfolio(const QString &db)
{
    using kq::data::exec;
    addStore(db, "001", "LOJA CENTRO", 3, 2, 10, 3, 2);
    addStore(db, "002", "LOJA NORTE", 1, 0, 0, 6, 0);
    exec(db, "UPDATE lojas SET cd_cor = '16711680' WHERE CD_loja = '002'");
    addDebtor(db, "00001", "ANA LIMA");
    addDebtor(db, "00002", "BRUNO COSTA");
    addDebtor(db, "00003", "CARLA DIAS");
    const struct
    {
        const char *key, *debtor, *store;
        QDate deposit;
        double value;
        const char *issuer;
        const char *document; // nullptr: Null
    } cheques[] = {
        {"0000000001", "00001", "001", QDate(2026, 1, 10), 100, "ZECA", "123.456"},
        {"0000000002", "00002", "001", QDate(2026, 1, 31), 200, "ALFA", "123'9"},
        {"0000000003", "00002", "002", QDate(2026, 2, 1), 300, "BETA", "50%_x"},
        {"0000000004", "00003", "002", QDate(2026, 2, 15), 400, "GAMA", nullptr},
        {"0000000005", "00001", "001", QDate(2026, 3, 1), 500, "DELTA", ""},
        {"0000000006", "00001", "009", QDate(2026, 1, 15), 600, "OMEGA", "1"},
        {"0000000007", "00003", "002", QDate(2026, 2, 20), 700, "EPSILON", "50X"},
    };
    for (const auto &c : cheques) {
        addCheque(db, c.key, c.debtor, c.store, c.deposit, c.value);
        exec(db,
             "UPDATE DEVOLVIDOS SET NM_EMITENTE = ?, NR_DOCUMENTO = ?, vl_atualizado = ? "
             "WHERE CD_DEVOLVIDO = ?",
             {QString::fromUtf8(c.issuer),
              c.document ? QVariant(QString::fromUtf8(c.document)) : QVariant(), c.value * 1.1,
              QString::fromLatin1(c.key)});
    }
    addAgreement(db, "00001", "00001", "001", 3, 150, QDate(2026, 4, 10));
    addAgreement(db, "00002", "00002", "002", 2, 80, QDate(2026, 5, 5));
    exec(db, "UPDATE acordos SET vl_aberto = nr_parcelas * vl_parcela, vl_multa = 5, "
             "vl_honorarios = 10");
    exec(db, "UPDATE parcelas SET vl_honorarios = 15, cd_status = 'B' "
             "WHERE cd_acordo = '00001' AND cd_parcela = '02'");
    exec(db, "UPDATE DEVOLVIDOS SET cd_acordo = '00001', CD_SITUACAO = '002' "
             "WHERE CD_DEVOLVIDO IN ('0000000001', '0000000005')");
}

} // namespace kq::test::queries
