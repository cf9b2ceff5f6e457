#include "support/shell_cubescreen_fixture.h"

#include "data/database.h"

#include <QDate>
#include <QVariantList>

namespace kq::test::cubescreen {

using kq::data::exec;

void addCubeRows(const QString &db)
{
    const QList<QVariantList> debtors = {
        {"00001", "ANA LIMA", "SP", "SÃO PAULO"},
        {"00002", "BRUNO COSTA", "SP", "CAMPINAS"},
        {"00003", "CARLA DIAS", "RJ", "NITERÓI"},
    };
    for (const QVariantList &d : debtors)
        exec(db,
             QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente, ds_estado, "
                            "DS_cidade) VALUES (?, ?, ?, ?)"),
             d);
    exec(db, QStringLiteral("INSERT INTO lojas (CD_loja, DS_loja, cd_cor) VALUES "
                            "('001', 'LOJA NORTE', '255'), ('002', 'LOJA SUL', '65280')"));
    // key, debtor, store, deposit, value, corrected, situation, document type
    const QList<QVariantList> cheques = {
        {"0000000001", "00001", "001", QDate(2025, 1, 10), 100.0, 110.0, "001", "01"},
        {"0000000002", "00001", "002", QDate(2025, 5, 20), 200.0, 220.0, "001", "01"},
        {"0000000003", "00002", "001", QDate(2026, 2, 3), 300.0, 330.0, "002", "01"},
        {"0000000004", "00003", "002", QDate(2026, 8, 15), 150.0, 165.0, "001", "01"},
        {"0000000005", "00003", "001", QDate(2026, 11, 30), 250.0, 275.0, "002", "01"},
        {"0000000006", "00002", "002", QDate(2026, 3, 1), 999.0, 999.0, "001", "99"},
    };
    for (const QVariantList &c : cheques)
        exec(db,
             QStringLiteral("INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, "
                            "DT_DEPOSITO, VL_CHEQUE, vl_atualizado, CD_SITUACAO, "
                            "CD_documento, CD_DESTINO, CD_BANCO) "
                            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, '001', '237')"),
             c);
}

} // namespace kq::test::cubescreen
