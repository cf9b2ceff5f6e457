#pragma once

// A small cheque database for the cube tests: stores, states, deposit dates
// and whole values, so every sum is exact.

#include "cube/model/cubemodel.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

namespace cubetest {

inline void execAll(QSqlDatabase &db, const QStringList &sql)
{
    QSqlQuery q(db);
    for (const QString &s : sql) {
        if (!q.exec(s))
            qFatal("fixture: %s", qPrintable(s));
    }
}

// Creates <dir>/devolvidos.mdb with tables lojas and cheques.
inline QString makeFixture(const QString &dir)
{
    const QString path = dir + QStringLiteral("/devolvidos.mdb");
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cubefixture"));
        db.setDatabaseName(path);
        db.open();
        execAll(
            db,
            {
                "CREATE TABLE lojas (cd_loja TEXT PRIMARY KEY, ds_loja TEXT)",
                "CREATE TABLE cheques (id INTEGER PRIMARY KEY, cd_loja TEXT, ds_estado TEXT,"
                " dt_deposito DATE, vl_cheque REAL, vl_atualizado REAL)",
                "INSERT INTO lojas VALUES ('01','Loja Norte'),('02','Loja Sul'),('03','Sem "
                "cheques')",
                "INSERT INTO cheques VALUES"
                " (1,'01','SP','2023-01-15',100,110),"
                " (2,'01','SP','2023-04-10',200,220),"
                " (3,'01','RJ','2023-07-20',50,55),"
                " (4,'02','SP','2024-02-05',300,330),"
                " (5,'02','RJ','2024-02-28',400,440),"
                " (6,'02','RJ','2024-11-30',25,30),"
                " (7,'01','RJ','2024-12-31',75,80),"
                " (8,'09','MG','2024-05-05',1000,1000)", // store 09 is missing: dropped by the join
                "CREATE TABLE datas (d DATE)",
                "INSERT INTO datas VALUES ('2023-01-01'),('2023-01-07'),('2023-01-08'),"
                "('2024-01-06'),('2024-01-07'),('2024-12-31')",
            });
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("cubefixture"));
    return path;
}

// Creates a table on an open connection ("name TYPE" columns) and fills it
// with rows of values by column name (a missing or invalid value is Null).
inline void makeTable(QSqlDatabase &db, const QString &name, const QStringList &columns,
                      const QList<QHash<QString, QVariant>> &rows)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(name, columns.join(u','))))
        qFatal("fixture: table %s", qPrintable(name));
    QStringList names;
    for (const QString &c : columns)
        names << c.section(u' ', 0, 0);
    db.transaction();
    q.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)")
                  .arg(name, QStringList(names.size(), QStringLiteral("?")).join(u',')));
    for (const auto &r : rows) {
        for (const QString &n : std::as_const(names))
            q.addBindValue(r.value(n));
        if (!q.exec())
            qFatal("fixture: row of %s", qPrintable(name));
    }
    db.commit();
}

inline const char *fixtureSource()
{
    return "SELECT cheques.vl_cheque, cheques.vl_atualizado, lojas.ds_loja, cheques.ds_estado,"
           " cheques.DT_DEPOSITO\r\nFROM (lojas INNER JOIN cheques ON lojas.cd_loja ="
           " cheques.cd_loja)";
}

// The cheque cube: every dimension in the page area, two data fields.
inline void defineCube(kq::platform::CubeModel &m, const QString &path)
{
    using namespace kq::platform;
    m.setConnectType(1);
    m.setConnect(QStringLiteral("Access"));
    m.setDatabaseName(path);
    m.setRecordSource(QString::fromLatin1(fixtureSource()));
    m.addField(QStringLiteral("ds_loja"), QStringLiteral("Loja"), OrientPage);
    m.addField(QStringLiteral("DS_ESTADO"), QStringLiteral("Estado"), OrientPage);
    m.addField(QStringLiteral("DT_DEPOSITO"), QStringLiteral("Vencimento"), OrientPage);
    m.addField(QStringLiteral("datepart(\"yyyy\",cheques.DT_DEPOSITO)"), QStringLiteral("Ano"),
               OrientPage)
        ->setName(QStringLiteral("Ano"));
    m.addField(QStringLiteral("datepart('q',cheques.DT_DEPOSITO)"), QStringLiteral("Trimestre"),
               OrientPage)
        ->setName(QStringLiteral("Trimestre"));
    CubeField *v = m.addField(QStringLiteral("VL_CHEQUE"), QStringLiteral("Valor"), OrientData);
    v->setName(QStringLiteral("sumVL_CHEQUE"));
    v->setNumberFormat(QStringLiteral("0.00"));
    CubeField *a
        = m.addField(QStringLiteral("vl_atualizado"), QStringLiteral("Atualizado"), OrientData);
    a->setName(QStringLiteral("Atualizado"));
    a->setNumberFormat(QStringLiteral("0.00"));
}

// The grid as text: a line of column headings (levels joined by "/", columns
// by "|"), then per row its headings, ":" and the cells ("-" for empty).
inline QString dump(const kq::platform::CubeModel &m)
{
    QStringList lines;
    QStringList heads;
    int colLevels = 0;
    for (int c = 0; c < m.columnCount(); ++c)
        colLevels = qMax(colLevels, m.columnHeadingDepth(c));
    const int colFields = const_cast<kq::platform::CubeModel &>(m).columnFields()->count();
    colLevels = qMax(colLevels, colFields + (m.shownDataFieldCount() >= 2 ? 1 : 0));
    for (int c = 0; c < m.columnCount(); ++c) {
        QStringList parts;
        for (int l = 1; l <= colLevels; ++l) {
            const QString t = m.columnHeading(c, l).text;
            if (!t.isEmpty())
                parts << t;
        }
        heads << parts.join(u'/');
    }
    lines << heads.join(u'|');
    const int rowFields = const_cast<kq::platform::CubeModel &>(m).rowFields()->count();
    for (int r = 0; r < m.rowCount(); ++r) {
        QStringList parts;
        for (int l = 1; l <= rowFields; ++l) {
            const QString t = m.rowHeading(r, l).text;
            if (!t.isEmpty())
                parts << t;
        }
        QStringList cells;
        for (int c = 0; c < m.columnCount(); ++c) {
            const QVariant v = m.cellValue(r, c);
            cells << (v.isValid() ? QString::number(v.toDouble()) : QStringLiteral("-"));
        }
        lines << parts.join(u'/') + u':' + cells.join(u',');
    }
    return lines.join(u'\n');
}

} // namespace cubetest
