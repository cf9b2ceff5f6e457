#include "support/fixturefiles.h"
#include "shell/commandline.h"
#include "support/base_data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using kq::shell::CommandLine;
using Action = kq::shell::CommandLine::Action;

// The command line of the program: its options, Qt's own, and what is refused.
class tst_commandline : public QObject
{
    Q_OBJECT

    struct Run
    {
        int status = -1;
        QString out;
        QString err;
    };
    static Run run(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(KQ_EXECUTABLE), args);
        Run r;
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("qt");
        QTest::newRow("nothing") << QStringList{} << int(Action::Run) << "" << QStringList{};
        QTest::newRow("help") << QStringList{"--help"} << int(Action::Help) << "" << QStringList{};
        QTest::newRow("short help wins")
            << QStringList{"-h", "--bogus"} << int(Action::Help) << "" << QStringList{};
        QTest::newRow("version") << QStringList{"--version"} << int(Action::Version) << ""
                                 << QStringList{};
        QTest::newRow("init data") << QStringList{"--init-data", "/tmp/d"} << int(Action::InitData)
                                   << "/tmp/d" << QStringList{};
        QTest::newRow("init data without folder")
            << QStringList{"--init-data"} << int(Action::Error) << "" << QStringList{};
        QTest::newRow("check data") << QStringList{"--check-data", "/tmp/d"}
                                    << int(Action::CheckData) << "/tmp/d" << QStringList{};
        QTest::newRow("check data without folder")
            << QStringList{"--check-data"} << int(Action::Error) << "" << QStringList{};
        QTest::newRow("import access")
            << QStringList{"--import-access", "/tmp/velho"} << int(Action::ImportAccess)
            << "/tmp/velho" << QStringList{};
        QTest::newRow("import access without folder")
            << QStringList{"--import-access"} << int(Action::Error) << "" << QStringList{};
        QTest::newRow("init data on a server")
            << QStringList{"--init-data", "/tmp/d", "--server", "host=h dbname=b"}
            << int(Action::InitData) << "/tmp/d" << QStringList{};
        QTest::newRow("server before the folder")
            << QStringList{"--server", "host=h dbname=b", "--init-data", "/tmp/d"}
            << int(Action::InitData) << "/tmp/d" << QStringList{};
        QTest::newRow("server without connection")
            << QStringList{"--init-data", "/tmp/d", "--server"} << int(Action::Error) << ""
            << QStringList{};
        QTest::newRow("server alone") << QStringList{"--server", "host=h dbname=b"}
                                      << int(Action::Error) << "" << QStringList{};
        QTest::newRow("server with check data")
            << QStringList{"--check-data", "/tmp/d", "--server", "host=h dbname=b"}
            << int(Action::Error) << "" << QStringList{};
        QTest::newRow("copy to server") << QStringList{"--copy-to-server", "/tmp/d"}
                                        << int(Action::CopyToServer) << "/tmp/d" << QStringList{};
        QTest::newRow("copy to server without folder")
            << QStringList{"--copy-to-server"} << int(Action::Error) << "" << QStringList{};
        QTest::newRow("unknown option")
            << QStringList{"--whatever"} << int(Action::Error) << "" << QStringList{};
        QTest::newRow("stray word")
            << QStringList{"abc"} << int(Action::Error) << "" << QStringList{};
        QTest::newRow("qt platform") << QStringList{"-platform", "offscreen"} << int(Action::Run)
                                     << "" << QStringList{"-platform", "offscreen"};
        QTest::newRow("qt style joined")
            << QStringList{"--style=Fusion", "-reverse"} << int(Action::Run) << ""
            << QStringList{"--style=Fusion", "-reverse"};
        QTest::newRow("qt option without value")
            << QStringList{"-style"} << int(Action::Error) << "" << QStringList{};
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(int, action);
        QFETCH(QString, folder);
        QFETCH(QStringList, qt);
        const CommandLine c = kq::shell::parseCommandLine(args);
        QCOMPARE(int(c.action), action);
        QCOMPARE(c.folder, folder);
        if (c.action == Action::Error)
            QVERIFY(!c.error.isEmpty());
        else
            QCOMPARE(c.qtArguments, qt);
        const qsizetype server = args.indexOf(QStringLiteral("--server"));
        if (c.action != Action::Error)
            QCOMPARE(c.server, server < 0 ? QString() : args.at(server + 1));
    }

    void helpNamesEveryOption()
    {
        const Run r = run({"--help"});
        QCOMPARE(r.status, 0);
        for (const char *o : {"--help", "--version", "--init-data PASTA", "--check-data PASTA",
                              "--import-access PASTA", "--server CONEXÃO", "--copy-to-server PASTA",
                              "Uso: kq-730", "Opções:"})
            QVERIFY2(r.out.contains(QString::fromUtf8(o)), qPrintable(r.out));
        QVERIFY(r.err.isEmpty());
    }

    void versionIsPrinted()
    {
        const Run r = run({"--version"});
        QCOMPARE(r.status, 0);
        QVERIFY2(QRegularExpression("^kq-730 \\d+\\.\\d+\\.\\d+\\n$").match(r.out).hasMatch(),
                 qPrintable(r.out));
    }

    // An option the program does not know ends it at once, status 2, without
    // a window (the offscreen platform is not even asked for).
    void unknownOptionEndsWithStatus2_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said");
        QTest::newRow("option") << QStringList{"--whatever"} << "--whatever";
        QTest::newRow("word") << QStringList{"extra"} << "extra";
        QTest::newRow("init data without folder") << QStringList{"--init-data"} << "--init-data";
        QTest::newRow("check data without folder") << QStringList{"--check-data"} << "--check-data";
    }
    void unknownOptionEndsWithStatus2()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        const Run r = run(args);
        QCOMPARE(r.status, kq::shell::kUsageError);
        QVERIFY2(r.err.contains(said), qPrintable(r.err));
        QVERIFY(r.err.contains("--help"));
        QVERIFY(r.out.isEmpty());
    }

    // --init-data on a folder of the old program says so, tells how to
    // import it and changes nothing.
    void initDataOffersTheImport()
    {
        QTemporaryDir dir;
        const QString old = dir.filePath("devolvidos.mdb");
        QVERIFY(QFile::copy(kq::test::jetFixture(), old));
        const Run r = run({"--init-data", dir.path()});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("programa antigo (Access): devolvidos.mdb"), qPrintable(r.err));
        QVERIFY2(r.err.contains("kq-730 --import-access " + dir.path()), qPrintable(r.err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"devolvidos.mdb"});
        QCOMPARE(kq::test::fileBytes(old), kq::test::fileBytes(kq::test::jetFixture()));
    }

    void importAccessReadiesTheFolder()
    {
        QTemporaryDir dir;
        QVERIFY(kq::test::writeAll(dir.filePath("tutorial.mdb"), kq::test::oldTutorialBytes()));
        const Run r = run({"--import-access", dir.path()});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains("Importação concluída."), qPrintable(r.out + r.err));
        QVERIFY(r.out.contains("tutorial.mdb:\n  filmes: 6 registros\n"));
        QVERIFY(QFile::exists(dir.filePath("originais-access/tutorial.mdb")));
        for (const char *name : {"devolvidos.mdb", "MENU.mdb", "help.mdb", "tutorial.mdb"}) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY(f.read(16).startsWith("SQLite format 3"));
        }
    }

    void importAccessRefusesWhatItCannotRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("said");
        QTest::newRow("newer Access")
            << kq::test::newerAccessBytes() << "versão mais nova do Access";
        QTest::newRow("cut file") << kq::test::fileBytes(kq::test::jetFixture()).left(5000)
                                  << "incompleto ou danificado";
        QTest::newRow("no Access file") << QByteArray() << "não tem bancos do Access";
        QTest::newRow("a file of another application")
            << kq::test::fileBytes(kq::test::jetFixture())
            << "O arquivo devolvidos.mdb não é um banco de dados deste sistema";
        // The Jet reader library's memory grows without end on it.
        QTest::newRow("damaged past the reader")
            << kq::test::fileBytes(qEnvironmentVariable("KQ_TEST_SOURCE_DIR")
                                   + "/tests/fuzz/corpus/jetaccess/mutante-0156.mdb")
            << "O arquivo devolvidos.mdb está danificado ou não é um banco do Access que o "
               "sistema importa.\nNada foi alterado na pasta.\n";
    }
    void importAccessRefusesWhatItCannotRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, said);
        QTemporaryDir dir;
        if (!bytes.isEmpty())
            QVERIFY(kq::test::writeAll(dir.filePath("devolvidos.mdb"), bytes));
        const Run r = run({"--import-access", dir.path()});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(said), qPrintable(r.err));
        QVERIFY(r.err.contains("Nada foi alterado na pasta."));
        // The reader library's own messages go to the error log only.
        QVERIFY2(!r.err.contains("Warning") && !r.err.contains("mdb_"),
                 qPrintable(r.err.left(400)));
        QVERIFY(r.out == "Importando os dados do programa antigo...\n" || r.out.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
                 bytes.isEmpty() ? 0 : 1);
        if (!bytes.isEmpty())
            QCOMPARE(kq::test::fileBytes(dir.filePath("devolvidos.mdb")), bytes);
    }

    // --check-data says what it found in each database and ends with status 0
    // only when every one is there and sound; it writes nothing.
    void checkDataSaysWhatItFound()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath("dados");
        QCOMPARE(run({"--init-data", data}).status, 0);
        Run r = run({"--check-data", data});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains("devolvidos.mdb: íntegro") && r.out.contains("MENU.mdb: íntegro")
                     && r.out.contains("Pasta de dados sem problemas"),
                 qPrintable(r.out));

        // A page of the menu overwritten, and a database missing.
        QFile menu(data + "/MENU.mdb");
        QVERIFY(menu.open(QIODevice::ReadWrite));
        menu.seek(4096);
        menu.write(QByteArray(4096, '\xAB'));
        menu.close();
        QVERIFY(QFile::remove(data + "/help.mdb"));
        QFile again(data + "/MENU.mdb");
        QVERIFY(again.open(QIODevice::ReadOnly));
        const QByteArray before = again.readAll();
        again.close();
        const QString log = QFileInfo(KQ_EXECUTABLE).absolutePath() + "/kq-730.log";
        const qint64 logged = QFileInfo(log).size();
        r = run({"--check-data", data});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.contains("MENU.mdb: DANIFICADO")
                     && r.out.contains("help.mdb: não encontrado")
                     && r.out.contains("Problemas na pasta de dados"),
                 qPrintable(r.out));
        // The damage said in Portuguese; SQLite's own text in the error log.
        const QStringList lines = r.out.split('\n');
        const qsizetype at = lines.indexOf("MENU.mdb: DANIFICADO");
        QCOMPARE(lines.value(at + 1), QString("    O arquivo \"%1/MENU.mdb\" está danificado. "
                                              "Restaure a última cópia de segurança da pasta "
                                              "de dados.")
                                          .arg(data));
        QFile errors(log);
        QVERIFY(errors.open(QIODevice::ReadOnly));
        QVERIFY(errors.seek(logged));
        const QString added = QString::fromUtf8(errors.readAll());
        QVERIFY2(added.contains("--check-data: " + data + "/MENU.mdb: "), qPrintable(added));
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), before);
    }

    // An index that no longer matches its table is damage, though SQLite's
    // quick check passes it.
    void checkDataFindsDamagedIndexes()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath("dados");
        QCOMPARE(run({"--init-data", data}).status, 0);
        const QString db = data + "/devolvidos.mdb";
        kq::test::addCheques(db, 300);
        QVERIFY(kq::test::damageIndexEntry(db, "ix_devolvidos_emitente_deposito"));
        const Run r = run({"--check-data", data});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.contains("devolvidos.mdb: DANIFICADO\n    Os índices do arquivo"),
                 qPrintable(r.out));
    }
};

QTEST_GUILESS_MAIN(tst_commandline)
#include "tst_commandline.moc"
