#include "shell/commandline.h"

#include <QProcess>
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
        QTest::newRow("help") << QStringList{"--help"} << int(Action::Help) << ""
                              << QStringList{};
        QTest::newRow("short help wins") << QStringList{"-h", "--bogus"} << int(Action::Help)
                                         << "" << QStringList{};
        QTest::newRow("version") << QStringList{"--version"} << int(Action::Version) << ""
                                 << QStringList{};
        QTest::newRow("init data") << QStringList{"--init-data", "/tmp/d"}
                                   << int(Action::InitData) << "/tmp/d" << QStringList{};
        QTest::newRow("init data without folder") << QStringList{"--init-data"}
                                                  << int(Action::Error) << "" << QStringList{};
        QTest::newRow("unknown option") << QStringList{"--whatever"} << int(Action::Error)
                                        << "" << QStringList{};
        QTest::newRow("stray word") << QStringList{"abc"} << int(Action::Error) << ""
                                    << QStringList{};
        QTest::newRow("qt platform") << QStringList{"-platform", "offscreen"} << int(Action::Run)
                                     << "" << QStringList{"-platform", "offscreen"};
        QTest::newRow("qt style joined") << QStringList{"--style=Fusion", "-reverse"}
                                         << int(Action::Run) << ""
                                         << QStringList{"--style=Fusion", "-reverse"};
        QTest::newRow("qt option without value") << QStringList{"-style"} << int(Action::Error)
                                                 << "" << QStringList{};
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
    }

    void helpNamesEveryOption()
    {
        const Run r = run({"--help"});
        QCOMPARE(r.status, 0);
        for (const char *o : {"--help", "--version", "--init-data PASTA", "Uso: kq-730",
                              "Opções:"})
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
        QTest::newRow("init data without folder") << QStringList{"--init-data"}
                                                  << "--init-data";
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
};

QTEST_GUILESS_MAIN(tst_commandline)
#include "tst_commandline.moc"
