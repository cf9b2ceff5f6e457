#pragma once

// Small cheque databases for the grid tests.

#include "data/database.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace gridtest {

// Creates the file with the tables through a connection of its own, so that
// the data layer then opens an existing SQLite file.
inline void createFile(const QString &path, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                    QStringLiteral("gridtest-setup"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        for (const QString &s : statements)
            q.exec(s);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("gridtest-setup"));
}

// Table cheques: 8 cheques of three stores and two situations, with a
// history text; table situacoes with the two situations.
inline void createCheques(const QString &path)
{
    createFile(path, {
                         QStringLiteral(
                             "CREATE TABLE cheques (cd_devolvido TEXT PRIMARY KEY, cd_loja TEXT, "
                             "ds_loja TEXT, nm_emitente TEXT, vl_cheque REAL, dt_deposito TEXT, "
                             "cd_situacao TEXT, ds_historico TEXT, status INTEGER)"),
                         QStringLiteral("CREATE TABLE situacoes (cd_situacao TEXT PRIMARY KEY, "
                                        "ds_situacao TEXT)"),
                     });
    const QString insert = QStringLiteral("INSERT INTO cheques VALUES (?,?,?,?,?,?,?,?,?)");
    const QList<QVariantList> rows = {
        {"0000000001", "001", "Loja Centro", "Ana", 100.0, "2024-01-05", "001", "ligou", 0},
        {"0000000002", "002", "Loja Norte", "Bruno", 250.5, "2024-02-10", "002", "", 0},
        {"0000000003", "001", "Loja Centro", "Carla", 40.25, "2024-03-01", "002",
         "primeira linha\nsegunda linha\nterceira linha", 0},
        {"0000000004", "003", "Loja Sul", "Davi", 10.0, "2024-01-20", "001", "", -1},
        {"0000000005", "002", "Loja Norte", "Elisa", 99.99, "2024-04-02", "001", "", 0},
        {"0000000006", "001", "Loja Centro", "Fábio", 5.0, "2024-05-09", "001", "", 0},
        {"0000000007", "003", "Loja Sul", "Gil", 300.0, "2024-06-30", "002", "", 0},
        {"0000000008", "002", "Loja Norte", "Hugo", QVariant(), "2024-07-15", "002", "", 0},
    };
    for (const QVariantList &r : rows)
        kq::data::exec(path, insert, r);
    kq::data::exec(path, QStringLiteral("INSERT INTO situacoes VALUES ('001','EM COBRANÇA')"));
    kq::data::exec(path, QStringLiteral("INSERT INTO situacoes VALUES ('002','EM ACORDO')"));
}

} // namespace gridtest
