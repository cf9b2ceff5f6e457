#pragma once

// A small cube of returned cheques for the chart and marker tests: the store
// on the rows, the year on the columns, "Valor" (sumVL_CHEQUE) and
// "Atualizado" as data fields, over a temporary SQLite file.

#include "cube/engine/dcube.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace kq::test::cubetools {

class ChequeCube
{
public:
    ChequeCube()
    {
        const QString path = m_dir.filePath(QStringLiteral("devolvidos.mdb"));
        {
            auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                QStringLiteral("cubetools_fixture"));
            db.setDatabaseName(path);
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("CREATE TABLE cheques (ds_loja TEXT, ano INTEGER, "
                                  "VL_CHEQUE REAL, vl_atualizado REAL)"));
            // Store A: 1000 + 500 in 2023, 4000 in 2024; store B: 2000 in 2023.
            q.exec(QStringLiteral("INSERT INTO cheques VALUES ('A', 2023, 1000, 1100), "
                                  "('A', 2023, 500, 550), ('A', 2024, 4000, 4400), "
                                  "('B', 2023, 2000, 2200)"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("cubetools_fixture"));
        using namespace kq::platform;
        cube.setConnectType(1);
        cube.setConnect(QStringLiteral("Access"));
        cube.setDatabaseName(path);
        cube.setRecordSource(QStringLiteral("SELECT * FROM cheques"));
        cube.addField(QStringLiteral("ds_loja"), QStringLiteral("Cliente"), OrientRow);
        cube.addField(QStringLiteral("ano"), QStringLiteral("Ano"), OrientColumn);
        auto *valor
            = cube.addField(QStringLiteral("VL_CHEQUE"), QStringLiteral("Valor"), OrientData);
        valor->setName(QStringLiteral("sumVL_CHEQUE"));
        valor->setNumberFormat(QStringLiteral("0.00"));
        auto *atualizado = cube.addField(QStringLiteral("vl_atualizado"),
                                         QStringLiteral("Atualizado"), OrientData);
        atualizado->setName(QStringLiteral("Atualizado"));
        atualizado->setNumberFormat(QStringLiteral("0.00"));
        ok = cube.rebuild();
    }

    QTemporaryDir m_dir;
    kq::platform::DCube cube;
    bool ok = false;
};

} // namespace kq::test::cubetools
