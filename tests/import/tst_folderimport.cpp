#include "data/database.h"
#include "data/datafolder.h"
#include "data/integrity.h"
#include "data/schema.h"
#include "support/fixturefiles.h"
#include "import/folderimport.h"
#include "import/importerror.h"
#include "import/jet/jetreader.h"
#include "support/memorysource.h"
#include "platform/progress.h"
#include "support/base_dialogs.h"

#include <QTemporaryDir>
#include <QtTest>

using kq::import::FolderReport;
using kq::import::SourceRow;
using kq::import::SourceValue;

namespace {

kq::import::ImportOptions options()
{
    kq::import::ImportOptions o;
    o.hashPassword = [](const QString &p) {
        return QStringLiteral("hash:") + QString::number(p.size());
    };
    return o;
}

FolderReport importJet(const QString &dir, kq::platform::Progress *progress = nullptr)
{
    return kq::import::importAccessFolder(dir, options(), progress);
}

QString failureOf(const std::function<void()> &step)
{
    try {
        step();
    } catch (const kq::import::ImportError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

// A data folder of the old program made the program's: the old files kept
// byte for byte, all or nothing.
class tst_folderimport : public QObject
{
    Q_OBJECT

public:
    static void initMain() { kq::test::serveAsReader(); }

private slots:
    void cleanup() { kq::data::closeAllDatabases(); }

    void importsAndKeepsTheOldFile()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        const QByteArray original = kq::test::oldDevolvidosBytes();
        QVERIFY(kq::test::writeAll(dir + "/devolvidos.mdb", original));
        QVERIFY(kq::test::writeAll(dir + "/Carta1.doc", "modelo do escritório"));

        const QList<kq::import::AccessFile> found = kq::import::accessFiles(dir);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].name, kq::data::kDevolvidos);

        const FolderReport report = importJet(dir);
        QCOMPARE(report.keptIn, dir + "/originais-access");
        QCOMPARE(kq::test::fileBytes(dir + "/originais-access/devolvidos.mdb"), original);
        for (const QString &name : kq::data::databaseFileNames())
            QVERIFY2(kq::data::isSqliteFile(dir + '/' + name), qPrintable(name));
        // The program's own check before its first write finds them sound.
        const kq::data::FolderCheck check = kq::data::checkDataFolder(dir);
        QVERIFY2(check.sound, qPrintable(check.lines.join('\n')));
        QVERIFY(!QFileInfo::exists(dir + "/devolvidos.mdb.importando"));
        // The office's own files stay; the default reports come along.
        QCOMPARE(kq::test::fileBytes(dir + "/Carta1.doc"), QByteArray("modelo do escritório"));
        QVERIFY(!QDir(dir).entryList({"*.rpt"}).isEmpty());

        QCOMPARE(report.databases.size(), 1);
        const kq::import::DatabaseReport &db = report.databases[0];
        QVERIFY(db.extraTables.isEmpty());
        QVERIFY(db.missingTables.contains("DEVOLVIDOS"));
        QCOMPARE(db.tables.size(), 1);
        QCOMPARE(db.tables[0].table, QStringLiteral("situacoes"));
        QCOMPARE(db.tables[0].rows, 6);
        // The imported database has the old rows, the tables the old file
        // lacked empty; the other databases their seed.
        const QString devolvidos = dir + "/devolvidos.mdb";
        QCOMPARE(kq::test::rowCount(devolvidos, "DEVOLVIDOS"), 0);
        QCOMPARE(kq::test::rowCount(devolvidos, "situacoes"), 6);
        QCOMPARE(kq::test::rowCount(dir + "/MENU.mdb", "CONFIG"), 23);

        const QStringList summary = kq::import::importSummary(report);
        QVERIFY2(summary.first().contains(dir + "/originais-access"), qPrintable(summary.first()));
        QVERIFY(summary.contains("devolvidos.mdb:"));
        QVERIFY(summary.contains("  situacoes: 6 registros"));
        QVERIFY(
            summary.contains("  Campos deixados de fora: situacoes.IDCol, situacoes.DateTimeCol, "
                             "situacoes.DateCol, situacoes.TimeCol"));
        QVERIFY(summary.join('\n').contains("(criadas vazias): usuarios, parametros, "));

        // Nothing is offered a second time: the folder is the program's now.
        QVERIFY(kq::import::accessFiles(dir).isEmpty());
    }

    // The office copied its files from Windows, where case does not count.
    void namesInAnotherCase()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        QVERIFY(kq::test::writeAll(dir + "/DEVOLVIDOS.MDB", kq::test::oldDevolvidosBytes()));
        QVERIFY(kq::test::writeAll(dir + "/Tutorial.MDB", kq::test::oldTutorialBytes()));
        const FolderReport report = importJet(dir);
        QCOMPARE(report.databases.size(), 2);
        QVERIFY(QFileInfo::exists(dir + "/originais-access/DEVOLVIDOS.MDB"));
        QVERIFY(QFileInfo::exists(dir + "/originais-access/Tutorial.MDB"));
        QVERIFY(kq::data::isSqliteFile(dir + "/devolvidos.mdb"));
        QVERIFY(kq::data::isSqliteFile(dir + "/tutorial.mdb"));
        QVERIFY(!QFileInfo::exists(dir + "/DEVOLVIDOS.MDB"));
        QVERIFY(!QFileInfo::exists(dir + "/Tutorial.MDB"));
        QCOMPARE(kq::test::rowCount(dir + "/tutorial.mdb", "filmes"), 6);
    }

    void aSecondImportKeepsTheFirstOriginals()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        QVERIFY(QDir().mkdir(dir + "/originais-access"));
        QVERIFY(kq::test::writeAll(dir + "/tutorial.mdb", kq::test::oldTutorialBytes()));
        const FolderReport report = importJet(dir);
        QCOMPARE(report.keptIn, dir + "/originais-access-2");
        QVERIFY(QFileInfo::exists(dir + "/originais-access-2/tutorial.mdb"));
    }

    // Whatever stops the import, the folder is left exactly as it was.
    void failureLeavesTheFolderAsItWas_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("said");
        const QByteArray jet = kq::test::fileBytes(kq::test::jetFixture());
        QTest::newRow("a newer Access")
            << "devolvidos.mdb" << kq::test::newerAccessBytes() << "versão mais nova do Access";
        QTest::newRow("cut inside a page")
            << "devolvidos.mdb" << jet.left(150000) << "incompleto ou danificado";
        QTest::newRow("cut at a page")
            << "devolvidos.mdb" << jet.left(4096 * 25) << "incompleto ou danificado";
        QTest::newRow("no Access file")
            << "notas.txt" << QByteArray("nada") << "não tem bancos do Access";
        QTest::newRow("beside a file that is no database")
            << "help.mdb" << QByteArray("texto") << "nem do Access";
        // An Access file of another application, under a name of the program.
        QTest::newRow("none of the program's tables")
            << "devolvidos.mdb" << jet
            << "O arquivo devolvidos.mdb não é um banco de dados deste sistema: não tem nenhuma "
               "das tabelas de devolvidos.mdb.";
        QTest::newRow("none of the program's tables, another case")
            << "Tutorial.MDB" << jet
            << "O arquivo Tutorial.MDB não é um banco de dados deste sistema";
        // A table of the program with none of its fields.
        QTest::newRow("a table with none of the fields")
            << "devolvidos.mdb" << kq::test::renamedJet("usuarios")
            << "devolvidos.mdb (tabela usuarios, registro 1): campo obrigatório vazio (CD_usuario)";
    }
    void failureLeavesTheFolderAsItWas()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, said);
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        QVERIFY(kq::test::writeAll(dir + '/' + file, bytes));
        if (file == "help.mdb")
            QVERIFY(kq::test::writeAll(dir + "/tutorial.mdb", kq::test::oldTutorialBytes()));
        const auto before = kq::test::folderSnapshot(dir);
        const QString message = failureOf([&] { importJet(dir); });
        QVERIFY2(message.contains(said), qPrintable(message));
        QCOMPARE(kq::test::folderSnapshot(dir), before);
    }

    // A failure after the old files were moved puts them back.
    void lateFailurePutsTheOldFilesBack()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        QVERIFY(kq::test::writeAll(dir + "/DEVOLVIDOS.MDB", kq::test::oldDevolvidosBytes()));
        QVERIFY(kq::test::writeAll(dir + "/tutorial.mdb", kq::test::oldTutorialBytes()));
        // A folder in the way of the new database's name.
        QVERIFY(QDir().mkdir(dir + "/devolvidos.mdb"));
        const auto before = kq::test::folderSnapshot(dir);
        const QString message = failureOf([&] { importJet(dir); });
        QVERIFY2(message.contains("não pôde ser gravado"), qPrintable(message));
        QCOMPARE(kq::test::folderSnapshot(dir), before);
    }

    void cancelLeavesTheFolderAsItWas()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        QVERIFY(kq::test::writeAll(dir + "/devolvidos.mdb", kq::test::oldDevolvidosBytes()));
        const auto before = kq::test::folderSnapshot(dir);
        kq::test::ScriptedDialogs dialogs;
        dialogs.cancelProgressAt = 0;
        kq::platform::Progress progress(QString(), 0);
        QVERIFY_THROWS_EXCEPTION(kq::import::ImportCancelled, importJet(dir, &progress));
        QCOMPARE(dialogs.progressLabels, QStringList{kq::import::kImportingLabel});
        QCOMPARE(kq::test::folderSnapshot(dir), before);
    }

    // A row the program cannot take stops everything, in the second file too.
    void badRowInTheSecondDatabaseLeavesNothing()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        QVERIFY(QFile::copy(kq::test::jetFixture(), dir + "/devolvidos.mdb"));
        QVERIFY(QFile::copy(kq::test::jetFixture(), dir + "/MENU.mdb"));
        const auto before = kq::test::folderSnapshot(dir);
        const auto open = [](const QString &path) -> std::unique_ptr<kq::import::SourceDatabase> {
            auto db = std::make_unique<kq::test::MemoryDatabase>(QFileInfo(path).fileName());
            if (path.endsWith("MENU.mdb"))
                db->add("CONFIG", {"GRUPO", "OPCAO"}).rows
                    << SourceRow{SourceValue::integer64(9), SourceValue::integer64(1)};
            else
                db->add("status", {"cd_status"});
            return db;
        };
        const QString message = failureOf([&] { kq::import::importFolder(dir, open, options()); });
        QVERIFY2(message.contains("MENU.mdb (tabela CONFIG, registro 1)"), qPrintable(message));
        QVERIFY2(message.contains("GRUPO BETWEEN 1 AND 6"), qPrintable(message));
        QCOMPARE(kq::test::folderSnapshot(dir), before);
    }

    // What an import killed midway left is removed by the next one; the
    // office's own files stay.
    void leftoversOfAStoppedImportGo()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        QVERIFY(kq::test::writeAll(dir + "/devolvidos.mdb", kq::test::oldDevolvidosBytes()));
        const QByteArray sqlite = QByteArray("SQLite format 3\0", 16).leftJustified(4096, '\0');
        for (const char *left :
             {"devolvidos.mdb.importando", "devolvidos.mdb.importando-2", "MENU.mdb.importando"})
            QVERIFY(kq::test::writeAll(dir + '/' + left, sqlite));
        for (const char *kept : {"devolvidos.mdb.importando-velho", "notas.importando"})
            QVERIFY(kq::test::writeAll(dir + '/' + kept, "do escritório"));
        importJet(dir);
        QCOMPARE(QDir(dir).entryList({"*.importando*"}, QDir::Files, QDir::Name),
                 (QStringList{"devolvidos.mdb.importando-velho", "notas.importando"}));
        QCOMPARE(kq::test::rowCount(dir + "/devolvidos.mdb", "situacoes"), 6);
    }

    // A database of the program under its own name is never touched.
    void theProgramsOwnDatabaseStays()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        kq::data::prepareDataFolder(dir);
        kq::data::exec(dir + "/devolvidos.mdb", "UPDATE parametros SET ds_empresa = 'Nosso'");
        kq::data::closeAllDatabases();
        const QByteArray ours = kq::test::fileBytes(dir + "/devolvidos.mdb");
        QVERIFY(kq::test::writeAll(dir + "/DEVOLVIDOS.MDB", kq::test::oldDevolvidosBytes()));
        QVERIFY(QFile::remove(dir + "/tutorial.mdb"));
        QVERIFY(kq::test::writeAll(dir + "/tutorial.mdb", kq::test::oldTutorialBytes()));
        const QList<kq::import::AccessFile> found = kq::import::accessFiles(dir);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].name, kq::data::kTutorial);
        importJet(dir);
        QCOMPARE(kq::test::fileBytes(dir + "/devolvidos.mdb"), ours);
        QVERIFY(QFileInfo::exists(dir + "/DEVOLVIDOS.MDB"));
        QVERIFY(kq::data::isSqliteFile(dir + "/tutorial.mdb"));
    }
};

QTEST_GUILESS_MAIN(tst_folderimport)
#include "tst_folderimport.moc"
