// The sales cube with the business data on the server: the screen reads its
// record source there and shows the figures SQLite gives for the same
// portfolio.
#include "support/cube_grid_lookup.h"
#include "support/cubescreen_test.h"
#include "data/database.h"
#include "data/datafolder.h"
#include "cube/model/cubefield.h"
#include "platform/statusbar.h"
#include "support/base_server.h"

#include <QDate>
#include <QTemporaryDir>
#include <QtTest>

using namespace kq::test;
using kq::data::exec;
using kq::platform::CubeField;
using kq::platform::DCube;
using kq::platform::ScreenRegistry;

namespace {

// Accented and lower-case names, a debtor with no state or city, cents that
// do not add up exactly in binary, Null corrected values, banks and deposit
// dates (leap day, quarter and year boundaries), and a cheque of a document
// type that does not exist (left out by the inner joins).
void addPortfolio(const QString &db)
{
    const QList<QVariantList> debtors = {
        {"00011", "ANA LIMA", "SP", "SÃO PAULO"},
        {"00012", "Ângela Souza", "SP", "São Paulo"},
        {"00013", "ÁGUEDA RAMOS", "RJ", "NITERÓI"},
        {"00014", "bruno costa", QVariant(), QVariant()},
        {"00015", "CÉSAR D'ÁVILA", "MG", "BELO HORIZONTE"},
    };
    for (const QVariantList &d : debtors)
        exec(db,
             QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente, ds_estado, "
                            "DS_cidade) VALUES (?, ?, ?, ?)"),
             d);
    exec(db, QStringLiteral("INSERT INTO lojas (CD_loja, DS_loja) VALUES ('011', 'LOJA LESTE'), "
                            "('012', 'Loja Oeste'), ('A13', 'LOJA AÇAÍ')"));
    exec(db, QStringLiteral("INSERT INTO destinos (CD_DESTINO, DS_DESTINO) VALUES "
                            "('002', 'JURÍDICO')"));
    exec(db, QStringLiteral("INSERT INTO documentos (CD_documento, DS_documento) VALUES "
                            "('02', 'DUPLICATA')"));
    const QDate dates[]
        = {QDate(2024, 2, 29), QDate(2024, 3, 31), QDate(2024, 4, 1),  QDate(2024, 12, 31),
           QDate(2025, 1, 1),  QDate(2025, 6, 15), QDate(2025, 9, 30), QDate(2026, 10, 1)};
    const char *stores[] = {"011", "012", "A13"};
    const char *situations[] = {"001", "002", "007"};
    const QVariant banks[] = {QStringLiteral("237"), QStringLiteral("001"), QVariant()};
    for (int i = 0; i < 40; ++i) {
        const double value = 10.1 + i * 3.33;
        exec(db,
             QStringLiteral("INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, "
                            "DT_DEPOSITO, VL_CHEQUE, vl_atualizado, CD_SITUACAO, "
                            "CD_DESTINO, CD_documento, CD_BANCO) "
                            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             {QStringLiteral("%1").arg(1000000001 + i),
              QStringLiteral("%1").arg(i % 5 + 11, 5, 10, QLatin1Char('0')),
              QString::fromLatin1(stores[i % 3]), i == 7 ? QVariant() : QVariant(dates[i % 8]),
              value, i % 9 == 0 ? QVariant() : QVariant(value * 1.0731),
              QString::fromLatin1(situations[i % 3]), i % 4 == 0 ? "002" : "001",
              i == 13 ? "99" : (i % 2 ? "02" : "01"), banks[i % 3]});
    }
}

// The arrangements compared: row fields and column fields by caption.
struct Pivot
{
    const char *name;
    QStringList rows;
    QStringList columns;
};

const Pivot kPivots[] = {
    {"totais", {}, {}},
    {"loja e devedor por ano e trimestre",
     {"Cliente", "Inadimplemte"},
     {"Ano Vencimento", "Trimestre Vencimento"}},
    {"estado e cidade por mês", {"Estado", "Cidade"}, {"Mês Vencimento"}},
    {"vencimento por situação", {"Vencimento"}, {"Situação"}},
    {"banco e documento por destino", {"Banco", "Tipo Documento"}, {"Destino"}},
};

CubeField *field(DCube *cube, const QString &caption)
{
    for (CubeField *f : cube->fields()->all()) {
        if (f->caption() == caption)
            return f;
    }
    return nullptr;
}

// Every cell with its headings, its text and its value.
QStringList cells(const DCube &cube)
{
    using namespace kq::test::cubegrid;
    QStringList out;
    for (int r = 0; r < cube.rowCount(); ++r) {
        for (int c = 0; c < cube.columnCount(); ++c) {
            const QVariant v = cube.cellValue(r, c);
            const auto *data = cube.dataFieldOfColumn(c);
            out << QStringLiteral("%1 | %2 %3 = %4 (%5)")
                       .arg(rowPath(cube, r).join(u'/'), columnPath(cube, c).join(u'/'),
                            data ? data->caption() : QString(), cube.cellText(r, c),
                            v.isValid() ? QString::number(v.toDouble(), 'g', 12)
                                        : QStringLiteral("vazio"));
        }
    }
    return out;
}

// The members of every dimension field, in the cube's order.
QStringList members(DCube *cube)
{
    QStringList out;
    for (CubeField *f : cube->fields()->all()) {
        if (f->orientation() == kq::platform::OrientData)
            continue;
        QStringList names;
        for (int i = 0; i < f->dataItems()->count(); ++i)
            names << f->dataItems()->item(i)->name();
        out << f->caption() + QStringLiteral(": ") + names.join(QStringLiteral("; "));
    }
    return out;
}

struct Figures
{
    QString folder;
    int rows = 0;
    QStringList members;
    QList<QStringList> pivots;
};

// Opens the cube screen over the data folder of sys.ini, reads its figures in
// every arrangement and closes it.
void screenFigures(cubescreen::CubeFixture &fx, Figures &out)
{
    kq::cube::fcubovendas *f = fx.open();
    QVERIFY(f);
    DCube *cube = ctl<DCube>(f, "DCube1");
    out.folder = ctl<kq::platform::StatusBar>(f, "StatusBar1")->panelText(1);
    out.rows = cube->model()->sourceRowCount();
    out.members = members(cube);
    for (const Pivot &p : kPivots) {
        for (CubeField *each : cube->fields()->all()) {
            if (each->orientation() != kq::platform::OrientData)
                each->setOrientation(kq::platform::OrientPage);
        }
        for (const QString &caption : p.rows)
            field(cube, caption)->setOrientation(kq::platform::OrientRow);
        for (const QString &caption : p.columns)
            field(cube, caption)->setOrientation(kq::platform::OrientColumn);
        out.pivots << (cube->rebuild() ? cells(*cube) : QStringList{cube->model()->lastError()});
    }
    f->close();
    QTRY_VERIFY_WITH_TIMEOUT(!ScreenRegistry::instance().find(QStringLiteral("fcubovendas")), 5000);
}

} // namespace

class tst_servercube : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { KQ_SKIP_WITHOUT_SERVER(); }
    void cleanup() { kq::data::closeAllDatabases(); }

    void sameCellsAsSqlite();
    void refusedSourceReported();
};

// The same portfolio in a SQLite folder and in a folder whose business
// database is on the server: the screen shows the same members and cells.
void tst_servercube::sameCellsAsSqlite()
{
    cubescreen::CubeFixture fx; // a server folder, with the fixture's rows
    const QString serverDb = fx.shell.devolvidos();
    QCOMPARE(kq::data::dialectOf(serverDb), kq::data::Dialect::Postgres);
    addPortfolio(serverDb);
    QTemporaryDir local;
    const QString sqliteFolder = local.filePath(QStringLiteral("dados"));
    kq::data::prepareDataFolder(sqliteFolder);
    const QString sqliteDb = kq::data::dataFile(sqliteFolder, kq::data::kDevolvidos);
    QCOMPARE(kq::data::dialectOf(sqliteDb), kq::data::Dialect::Sqlite);
    cubescreen::addCubeRows(sqliteDb);
    addPortfolio(sqliteDb);

    Figures onSqlite;
    Figures onServer;
    fx.shell.folders.writeSysIni({sqliteFolder});
    screenFigures(fx, onSqlite);
    fx.shell.folders.writeSysIni();
    screenFigures(fx, onServer);
    QVERIFY2(fx.shell.dialogs.messages.isEmpty(), qPrintable(fx.shell.dialogs.texts().join('\n')));

    QCOMPARE(onSqlite.folder, sqliteFolder);
    QCOMPARE(onServer.folder, fx.shell.folders.dataFolder());
    QCOMPARE(onSqlite.rows, 5 + 39); // the unknown document types left out
    QCOMPARE(onServer.rows, onSqlite.rows);
    QCOMPARE(onServer.members, onSqlite.members);
    // Dates are dates on both: the month, year and quarter members.
    QVERIFY(onServer.members.contains(QStringLiteral("Trimestre Vencimento: ; 1; 2; 3; 4")));
    QCOMPARE(onServer.pivots.size(), onSqlite.pivots.size());
    for (int i = 0; i < onSqlite.pivots.size(); ++i) {
        qInfo("%s: %lld células", kPivots[i].name, qlonglong(onSqlite.pivots.at(i).size()));
        QVERIFY(onSqlite.pivots.at(i).size() > 1 || i == 0);
        QCOMPARE(onServer.pivots.at(i), onSqlite.pivots.at(i));
    }
}

// A source the server refuses is the cube's error, with the server's reason,
// and the cube stays as it was.
void tst_servercube::refusedSourceReported()
{
    cubescreen::CubeFixture fx;
    DCube cube;
    cube.setDatabaseName(fx.shell.devolvidos());
    cube.setRecordSource(QStringLiteral("SELECT VL_CHEQUE FROM DEVOLVIDOS"));
    cube.addField(QStringLiteral("VL_CHEQUE"), QStringLiteral("Valor"), kq::platform::OrientData);
    QVERIFY(cube.rebuild());
    QCOMPARE(cube.cellValue(0, 0).toDouble(), 1000.0 + 999.0);

    cube.setRecordSource(QStringLiteral("SELECT VL_NADA FROM DEVOLVIDOS"));
    const kq::platform::CubeResult r = cube.rebuild();
    QVERIFY(!r);
    QVERIFY2(r.description.contains(QLatin1String("vl_nada"), Qt::CaseInsensitive),
             qPrintable(r.description));
    QCOMPARE(cube.cellValue(0, 0).toDouble(), 1000.0 + 999.0);
}

QTEST_MAIN(tst_servercube)
#include "tst_servercube.moc"
