#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "support/base_data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace kq::data;

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(content);
}

QString column(const QString &db, const QString &sql)
{
    return scalar(db, QStringLiteral("SELECT group_concat(v, '|') FROM (") + sql + QLatin1Char(')'))
        .toString();
}

} // namespace

class tst_datafolder : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { closeAllDatabases(); }
    void createsFourDatabases();
    void seedRows();
    void menuRows();
    void existingFilesUntouched();
    void closedFileHoldsEveryWrite();
    void refusesOtherFiles();
    void openRefusesMissingAndOtherFiles();
    void connectionsAreShared();
};

void tst_datafolder::createsFourDatabases()
{
    QTemporaryDir tmp;
    const QString dir = tmp.path() + QStringLiteral("/novo/dados");
    const QStringList created = prepareDataFolder(dir);
    QCOMPARE(created, QStringList({"devolvidos.mdb", "MENU.mdb", "help.mdb", "tutorial.mdb"}));
    QStringList files = QDir(dir).entryList({QStringLiteral("*.mdb")}, QDir::Files);
    files.sort();
    QCOMPARE(files, QStringList({"MENU.mdb", "devolvidos.mdb", "help.mdb", "tutorial.mdb"}));
    for (const QString &name : created)
        QVERIFY(isSqliteFile(dataFile(dir, name)));
    QCOMPARE(dataFile(dir, kMenu), dir + QStringLiteral("/MENU.mdb"));
    QCOMPARE(dataFile(dir + QLatin1Char('/'), kMenu), dir + QStringLiteral("/MENU.mdb"));

    const QString db = dataFile(dir, kDevolvidos);
    QCOMPARE(column(db, QStringLiteral("SELECT name AS v FROM sqlite_master WHERE type='table' "
                                       "ORDER BY name COLLATE NOCASE")),
             QStringLiteral("acordos|agenda|CLIENTES|correcao|destinos|DEVOLVIDOS|documentos|"
                            "domicilios|lojas|parametros|parcelas|situacoes|status|usuarios|"
                            "VANTESCA"));
    QCOMPARE(scalar(dataFile(dir, kHelp), QStringLiteral("SELECT count(*) FROM help")).toInt(), 0);
    QCOMPARE(
        scalar(dataFile(dir, kTutorial), QStringLiteral("SELECT count(*) FROM filmes")).toInt(), 0);
    // A file only read is left as it was; at its first write a file in a
    // local folder takes the WAL journal.
    QCOMPARE(scalar(db, QStringLiteral("PRAGMA journal_mode")).toString(),
             QStringLiteral("delete"));
    exec(db, QStringLiteral("UPDATE destinos SET DS_destino = DS_destino"));
    QCOMPARE(scalar(db, QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    QCOMPARE(scalar(db, QStringLiteral("PRAGMA synchronous")).toInt(), 2); // FULL
    QCOMPARE(scalar(db, QStringLiteral("PRAGMA foreign_keys")).toInt(), 0);
}

void tst_datafolder::seedRows()
{
    QTemporaryDir tmp;
    prepareDataFolder(tmp.path());
    const QString db = dataFile(tmp.path(), kDevolvidos);
    QCOMPARE(column(db, QStringLiteral("SELECT CD_situacao || ' ' || DS_situacao || ' ' || "
                                       "CD_ACORDO AS v FROM situacoes ORDER BY 1")),
             QString::fromUtf8("001 EM COBRANÇA 0|002 EM ACORDO 1|007 SEM CARTA 0"));
    QCOMPARE(column(db, QStringLiteral("SELECT cd_status || ' ' || ds_status AS v FROM status "
                                       "ORDER BY 1")),
             QStringLiteral("A ABERTA|B BAIXADA|C CANCELADA"));
    QCOMPARE(column(db, QStringLiteral("SELECT CD_destino || ' ' || DS_destino AS v FROM "
                                       "destinos")),
             QString::fromUtf8("001 ESCRITÓRIO"));
    QCOMPARE(column(db, QStringLiteral("SELECT CD_documento || ' ' || DS_documento AS v FROM "
                                       "documentos")),
             QStringLiteral("01 CHEQUE"));
    for (const char *empty : {"usuarios", "CLIENTES", "lojas", "correcao", "DEVOLVIDOS", "VANTESCA",
                              "agenda", "acordos", "parcelas", "domicilios"})
        QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM ") + QLatin1String(empty)).toInt(),
                 0);

    // The one parameters row: every field empty text, never Null.
    Recordset par(db, QStringLiteral("select * from  parametros"));
    QCOMPARE(par.recordCount(), 1);
    QCOMPARE(par.fieldCount(), 11);
    for (const QString &f : par.fieldNames()) {
        QVERIFY2(!par.isNull(f), qPrintable(f));
        QCOMPARE(par.text(f), QString());
    }
}

void tst_datafolder::menuRows()
{
    QTemporaryDir tmp;
    prepareDataFolder(tmp.path());
    Recordset rs(dataFile(tmp.path(), kMenu),
                 QStringLiteral("select * from  CONFIG order by GRUPO, OPCAO"));
    QCOMPARE(rs.recordCount(), 23);
    QMap<int, int> perGroup;
    for (; !rs.eof(); rs.moveNext()) {
        ++perGroup[rs.field(QStringLiteral("GRUPO")).toInt()];
        QVERIFY(!rs.text(QStringLiteral("descricao")).isEmpty());
        QVERIFY(!rs.text(QStringLiteral("ds_tootip")).isEmpty());
        QVERIFY(rs.isNull(QStringLiteral("opcoes")));
    }
    QCOMPARE(perGroup, (QMap<int, int>{{1, 8}, {2, 5}, {3, 3}, {4, 4}, {5, 2}, {6, 1}}));
    QVERIFY(rs.findFirst(QStringLiteral("ds_tootip"),
                         QString::fromUtf8("Lançamento de Cheques devolvidos")));
    QCOMPARE(rs.field(QStringLiteral("GRUPO")).toInt(), 2);
    QCOMPARE(rs.field(QStringLiteral("OPCAO")).toInt(), 1);
}

void tst_datafolder::existingFilesUntouched()
{
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    prepareDataFolder(dir);
    const QString db = dataFile(dir, kDevolvidos);
    exec(db, QStringLiteral("INSERT INTO destinos VALUES ('002','MARCA')"));
    closeAllDatabases();
    QFile::remove(dataFile(dir, kHelp));
    const QByteArray before = kq::test::fileBytes(db);

    QCOMPARE(prepareDataFolder(dir), QStringList({"help.mdb"}));
    QCOMPARE(kq::test::fileBytes(db), before);
    QCOMPARE(scalar(db, QStringLiteral("SELECT DS_destino FROM destinos WHERE "
                                       "CD_destino='002'"))
                 .toString(),
             QStringLiteral("MARCA"));
    QCOMPARE(prepareDataFolder(dir), QStringList());
    QVERIFY(!QFileInfo::exists(db + QStringLiteral(".novo")));
}

void tst_datafolder::closedFileHoldsEveryWrite()
{
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    prepareDataFolder(dir);
    const QString db = dataFile(dir, kDevolvidos);
    exec(db, QStringLiteral("INSERT INTO destinos VALUES ('002','MARCA')"));
    // While the file is open its latest writes may be in the WAL file beside it;
    // preparing the folder again leaves both alone.
    QVERIFY(QFileInfo::exists(db + QStringLiteral("-wal")));
    QCOMPARE(prepareDataFolder(dir), QStringList());
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM destinos")).toInt(), 2);
    // Closed, the database file alone holds everything: a copy of it is whole.
    closeAllDatabases();
    QVERIFY(!QFileInfo::exists(db + QStringLiteral("-wal")));
    QVERIFY(!QFileInfo::exists(db + QStringLiteral("-shm")));
    QTemporaryDir other;
    const QString copy = other.filePath(kDevolvidos);
    QVERIFY(QFile::copy(db, copy));
    QCOMPARE(scalar(copy, QStringLiteral("SELECT DS_destino FROM destinos WHERE "
                                         "CD_destino='002'"))
                 .toString(),
             QStringLiteral("MARCA"));
}

void tst_datafolder::refusesOtherFiles()
{
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    const QByteArray text = "Standard Jet DB\n este não é um banco SQLite\n";
    const QString bad = dataFile(dir, kDevolvidos);
    writeFile(bad, text);
    try {
        prepareDataFolder(dir);
        QFAIL("no error");
    } catch (const DataError &e) {
        QCOMPARE(e.number(), ErrorNumber::NotADatabase);
        QVERIFY2(e.description().contains(bad), qPrintable(e.description()));
    }
    QCOMPARE(kq::test::fileBytes(bad), text);
    // Nothing was created beside it.
    QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList({"devolvidos.mdb"}));

    // An empty file is no database either.
    writeFile(bad, QByteArray());
    QVERIFY(!isSqliteFile(bad));
    QVERIFY_THROWS_EXCEPTION(DataError, prepareDataFolder(dir));
    QCOMPARE(QFileInfo(bad).size(), 0);
}

void tst_datafolder::openRefusesMissingAndOtherFiles()
{
    QTemporaryDir tmp;
    const QString missing = tmp.filePath(QStringLiteral("devolvidos.mdb"));
    try {
        database(missing);
        QFAIL("no error");
    } catch (const DataError &e) {
        QCOMPARE(e.number(), ErrorNumber::DatabaseOpen);
        QVERIFY(e.description().contains(missing));
    }
    QVERIFY(!QFileInfo::exists(missing)); // never created by opening

    const QString other = tmp.filePath(QStringLiteral("MENU.mdb"));
    writeFile(other, "isto é texto");
    try {
        Recordset rs(other, QStringLiteral("select * from  CONFIG order by GRUPO, OPCAO"));
        rs.refresh();
        QFAIL("no error");
    } catch (const DataError &e) {
        QCOMPARE(e.number(), ErrorNumber::NotADatabase);
        QVERIFY(e.description().contains(other));
    }
    QCOMPARE(kq::test::fileBytes(other), QByteArray("isto é texto"));

    // A file with the header but broken inside is refused too.
    QByteArray broken("SQLite format 3");
    broken.append('\0');
    broken.append(QByteArray(200, 'x'));
    writeFile(other, broken);
    QVERIFY_THROWS_EXCEPTION(DataError, database(other));
}

void tst_datafolder::connectionsAreShared()
{
    QTemporaryDir tmp;
    prepareDataFolder(tmp.path());
    const QString db = dataFile(tmp.path(), kDevolvidos);
    const QString other = tmp.path() + QStringLiteral("/./devolvidos.mdb");
    QCOMPARE(database(db).connectionName(), database(other).connectionName());
    {
        Transaction tx(db);
        exec(other, QStringLiteral("INSERT INTO destinos VALUES ('002','X')"));
    } // one connection: the write through the other spelling is rolled back too
    QCOMPARE(scalar(db, QStringLiteral("SELECT count(*) FROM destinos")).toInt(), 1);
    const QString name = database(db).connectionName();
    closeDatabase(other);
    QVERIFY(!QSqlDatabase::contains(name));
    QCOMPARE(scalar(other, QStringLiteral("SELECT count(*) FROM destinos")).toInt(), 1);
}

QTEST_GUILESS_MAIN(tst_datafolder)
#include "tst_datafolder.moc"
