#include "data/database.h"
#include "data/datafolder.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "shell/ffaleconosco.h"
#include "shell/ftutorial.h"
#include "support/base_screens.h"
#include "support/shell_fixture.h"

#include <QMediaPlayer>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

using kq::platform::ScreenRegistry;
using kq::shell::ftutorial;

namespace {

void addVideo(const kq::test::ShellFixture &f, const QString &sistema, const QString &modulo,
              const QString &link, int sequencial)
{
    kq::data::exec(f.folders.dataFile(kq::data::kTutorial),
                   "INSERT INTO filmes (CD_SISTEMA, DS_MODULO, DS_LINK, DS_SISTEMA, "
                   "cd_sequencial) VALUES (?, ?, ?, ?, ?)",
                   {sistema, modulo, link, sistema + " sistema", sequencial});
}

ftutorial *open()
{
    return qobject_cast<ftutorial *>(ScreenRegistry::instance().show("ftutorial"));
}

} // namespace

class tst_ftutorial : public QObject
{
    Q_OBJECT

private slots:
    void pathBelowTheDataFolder_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "intro.avi"
                               << "/dados/intro.avi";
        QTest::newRow("old subfolder") << "videos\\cad\\lojas.avi"
                                       << "/dados/videos/cad/lojas.avi";
        QTest::newRow("subfolder") << "videos/lojas.avi"
                                   << "/dados/videos/lojas.avi";
    }

    void pathBelowTheDataFolder()
    {
        QFETCH(QString, link);
        QFETCH(QString, path);
        QCOMPARE(kq::shell::caminhoVideo("/dados", link), path);
    }

    void listsAndPlaysTheChosenRow()
    {
        kq::test::ShellFixture f;
        addVideo(f, "REL", "Relatórios", "videos\\rel.avi", 1);
        addVideo(f, "CAD", "Lojas", "videos\\lojas.avi", 2);
        addVideo(f, "CAD", "Clientes", "videos\\clientes.avi", 1);
        addVideo(f, "CAD", "Faltando", "videos\\faltando.avi", 3);
        QDir().mkpath(f.folders.dataFile("videos"));
        for (const char *name : {"videos/rel.avi", "videos/lojas.avi", "videos/clientes.avi"}) {
            QFile v(f.folders.dataFile(QString::fromLatin1(name)));
            QVERIFY(v.open(QIODevice::WriteOnly));
            v.write("not really a video");
        }

        ftutorial *t = open();
        QVERIFY(t);
        QCOMPARE(t->windowTitle(), QStringLiteral("Tutorial do Sistema"));
        QCOMPARE(t->GridEX1->recordCount(), 4);
        QCOMPARE(t->GridEX1->groupColumns(), QList<int>{1});
        QVERIFY(!t->GridEX1->column(5).isVisible());
        t->resize(900, 560);
        kq::test::shot(t, QStringLiteral("ftutorial"));

        // Order: by system, then by sequence within the system.
        QStringList order;
        for (int r = 0; r < t->GridEX1->rowCount(); ++r)
            if (t->GridEX1->rowType(r) == kq::platform::RowType::Record)
                order << t->GridEX1->valueAt(r, 2).toString();
        QCOMPARE(order, (QStringList{"Clientes", "Lojas", "Faltando", "Relatórios"}));

        t->GridEX1->setCurrentRow(t->GridEX1->findRow(3, "videos\\lojas.avi"));
        QCOMPARE(t->arquivoAtual(), f.folders.dataFile("videos/lojas.avi"));
        QCOMPARE(t->player->source(), QUrl::fromLocalFile(f.folders.dataFile("videos/lojas.avi")));

        // A missing file is said at once and nothing plays.
        f.dialogs.clear();
        t->GridEX1->setCurrentRow(t->GridEX1->findRow(3, "videos\\faltando.avi"));
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.lastText().startsWith("Arquivo de vídeo não encontrado"));
        QVERIFY(f.dialogs.lastText().contains("faltando.avi"));
        QCOMPARE(t->arquivoAtual(), QString());
        QVERIFY(t->player->playbackState() != QMediaPlayer::PlayingState);
    }

    void unplayableFileIsReported()
    {
        kq::test::ShellFixture f;
        addVideo(f, "CAD", "Clientes", "ruim.avi", 1);
        QFile v(f.folders.dataFile("ruim.avi"));
        QVERIFY(v.open(QIODevice::WriteOnly));
        v.write(QByteArray(4096, 'x'));
        v.close();
        ftutorial *t = open();
        t->GridEX1->setCurrentRow(t->GridEX1->findRow(3, "ruim.avi"));
        QTRY_VERIFY_WITH_TIMEOUT(!f.dialogs.messages.isEmpty(), 15000);
        QVERIFY2(f.dialogs.lastText().startsWith("Não foi possível reproduzir o vídeo"),
                 qPrintable(f.dialogs.lastText()));
        QVERIFY(f.dialogs.lastText().contains("ruim.avi"));
    }

    void emptyTablePlaysNothing()
    {
        kq::test::ShellFixture f;
        ftutorial *t = open();
        QCOMPARE(t->GridEX1->recordCount(), 0);
        QCOMPARE(t->arquivoAtual(), QString());
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void missingDatabaseIsReported()
    {
        kq::test::ShellFixture f;
        kq::data::closeAllDatabases();
        QVERIFY(QFile::remove(f.folders.dataFile(kq::data::kTutorial)));
        ftutorial *t = open();
        QVERIFY(t);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.lastText().contains("tutorial.mdb"));
    }

    void contactBox()
    {
        kq::test::ShellFixture f;
        QPointer<QWidget> box = ScreenRegistry::instance().show("ffaleconosco");
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("Fale Conosco"));
        box->resize(440, 280);
        kq::test::shot(box, QStringLiteral("ffaleconosco"));
        qobject_cast<kq::shell::ffaleconosco *>(box.data())->Command1->click();
        QTRY_VERIFY(!box);
    }
};

QTEST_MAIN(tst_ftutorial)
#include "tst_ftutorial.moc"
