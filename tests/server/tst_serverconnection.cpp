#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/rowstream.h"
#include "data/server.h"
#include "platform/screenregistry.h"
#include "registers/screens.h"
#include "shell/fprincipal.h"
#include "shell/services/registerscreen.h"
#include "shell/startup.h"
#include "support/base_server.h"
#include "support/shell_fixture.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <libpq-fe.h>

using namespace kq::data;

namespace {

const QString kPassword = QStringLiteral("senha-do-teste");
const QString kPasswordUser = QStringLiteral("kq_senha");

QString socketOf(const QString &folder, int port)
{
    return QStringLiteral("%1/.s.PGSQL.%2").arg(folder).arg(port);
}

// The test server reached through a folder of our own: removing the link
// to its socket turns "the server" off for this test alone.
class Switch
{
public:
    explicit Switch(const ServerSettings &real)
        : m_real(real)
    {
        on();
    }
    ServerSettings settings() const
    {
        ServerSettings s = m_real;
        s.host = m_dir.path();
        return s;
    }
    void on() { QVERIFY(QFile::link(socketOf(m_real.host, m_real.port), link())); }
    void off() { QVERIFY(QFile::remove(link())); }

private:
    QString link() const { return socketOf(m_dir.path(), m_real.port); }
    ServerSettings m_real;
    QTemporaryDir m_dir;
};

// Ends the program's sessions on a database, as an administrator would;
// returns when they are gone.
void endSessions(const ServerSettings &s)
{
    QString error;
    QVERIFY2(kq::test::serverAdmin(QStringLiteral("SELECT pg_terminate_backend(pid, 10000) FROM "
                                                  "pg_stat_activity WHERE datname = '%1'")
                                       .arg(s.database),
                                   &error),
             qPrintable(error));
}

// What the table holds, read beside the program.
QString keysOn(const ServerSettings &s)
{
    return kq::test::serverValue(s, QStringLiteral("SELECT string_agg(cd_cliente, ',' ORDER "
                                                   "BY 1) FROM clientes"));
}

void insertClient(const QString &path, const QString &key)
{
    exec(path, QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente) VALUES (?, ?)"),
         {key, QStringLiteral("Cliente ") + key});
}

DataError failureOf(const std::function<void()> &step)
{
    try {
        step();
    } catch (const DataError &e) {
        return e;
    }
    return DataError(0, QStringLiteral("nenhuma falha"));
}

// A role that logs in only with its password: a line of the test server's
// pg_hba.conf for it alone, before the others.
bool passwordRole(QString *error)
{
    if (!kq::test::serverAdmin(QStringLiteral("DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM "
                                              "pg_roles WHERE rolname = '%1') THEN CREATE "
                                              "ROLE %1 LOGIN PASSWORD '%2'; END IF; END $$")
                                   .arg(kPasswordUser, kPassword),
                               error))
        return false;
    QFile hba(kq::test::serverValue(*kq::test::testServer(), QStringLiteral("SHOW hba_file")));
    if (!hba.open(QIODevice::ReadOnly)) {
        *error = hba.errorString();
        return false;
    }
    const QByteArray line = "local all " + kPasswordUser.toUtf8() + " scram-sha-256\n";
    QByteArray text = hba.readAll();
    hba.close();
    if (!text.startsWith(line)) {
        text.prepend(line);
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) || hba.write(text) < 0) {
            *error = hba.errorString();
            return false;
        }
        hba.close();
    }
    return kq::test::serverAdmin(QStringLiteral("SELECT pg_reload_conf()"), error);
}

// True once the server asks that role for its password.
bool asksPassword(const ServerSettings &s)
{
    const QByteArray info = QStringLiteral("host='%1' port=%2 dbname='%3' user='%4'")
                                .arg(s.host)
                                .arg(s.port)
                                .arg(s.database, kPasswordUser)
                                .toUtf8();
    PGconn *c = PQconnectdb(info.constData());
    const bool asks = PQstatus(c) != CONNECTION_OK && PQconnectionNeedsPassword(c);
    PQfinish(c);
    return asks;
}

} // namespace

// A server that is down or drops the connection, and one that asks for a
// password.
class tst_serverconnection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        KQ_SKIP_WITHOUT_SERVER();
        // No password of the user's own ~/.pgpass.
        qputenv("PGPASSFILE", "/nao/existe");
    }
    void cleanup()
    {
        kq::platform::ScreenRegistry::instance().unloadAll();
        closeAllDatabases();
    }

    // A start with the server down says so, naming the server, and ends
    // without a window.
    void startWithServerDown()
    {
        kq::test::registerAllScreens();
        kq::test::TempFolders folders;
        kq::test::ScriptedDialogs dialogs;
        prepareDataFolder(folders.dataFolder());
        ServerSettings down = *readServerSettings(folders.dataFolder());
        QTemporaryDir nowhere;
        down.host = nowhere.path();
        writeServerSettings(folders.dataFolder(), down);
        folders.writeSysIni();
        closeAllDatabases();

        QVERIFY(!kq::shell::Main());
        QCOMPARE(dialogs.messages.size(), 1);
        const QString said = dialogs.lastText();
        QVERIFY2(said.contains(QStringLiteral("Não foi possível conectar ao servidor de banco "
                                              "de dados \"%1\"")
                                   .arg(down.name())),
                 qPrintable(said));
        QCOMPARE(dialogs.messages.last().icon, kq::platform::Icon::Critical);
        QVERIFY(!kq::platform::ScreenRegistry::instance().find(QStringLiteral("fprincipal")));
        QVERIFY(dialogs.passwordPrompts.isEmpty());
    }

    // The server drops the connection in the middle of a transaction: the
    // rest of the write is refused (not run on a new connection without the
    // first half), nothing of it is kept; with the server down the next try
    // says so, and once it is back the same write goes through without
    // restarting anything.
    void droppedConnectionUndoesTheWrite()
    {
        kq::test::ServerDatabase server;
        QVERIFY(prepareServerDatabase(server.settings()));
        Switch power(server.settings());
        QTemporaryDir dir;
        writeServerSettings(dir.path(), power.settings());
        const QString path = dataFile(dir.path(), kDevolvidos);
        insertClient(path, QStringLiteral("00001"));

        const DataError lost = failureOf([&] {
            Transaction t(path);
            insertClient(path, QStringLiteral("00002"));
            endSessions(server.settings());
            insertClient(path, QStringLiteral("00003"));
            t.commit();
        });
        QCOMPARE(lost.number(), ErrorNumber::ServerUnavailable);
        QVERIFY2(lost.description().contains(
                     QStringLiteral("A conexão com o servidor de banco de dados \"%1\" foi "
                                    "perdida e a operação foi desfeita")
                         .arg(power.settings().name())),
                 qPrintable(lost.description()));
        QCOMPARE(keysOn(server.settings()), QStringLiteral("00001"));

        power.off();
        const DataError down = failureOf([&] { scalar(path, QStringLiteral("SELECT 1")); });
        QCOMPARE(down.number(), ErrorNumber::ServerUnavailable);
        QVERIFY2(down.description().contains(power.settings().name()),
                 qPrintable(down.description()));

        power.on();
        {
            Transaction t(path);
            insertClient(path, QStringLiteral("00002"));
            insertClient(path, QStringLiteral("00003"));
            t.commit();
        }
        QCOMPARE(keysOn(server.settings()), QStringLiteral("00001,00002,00003"));

        // A session ended between two actions: the next one opens a new one,
        // the reading connections too.
        endSessions(server.settings());
        QCOMPARE(scalar(path, QStringLiteral("SELECT count(*) FROM CLIENTES")).toInt(), 3);
        int rows = 0;
        for (auto rs = RowStream::open(path, QStringLiteral("SELECT * FROM CLIENTES")); rs->next();)
            ++rows;
        QCOMPARE(rows, 3);
    }

    // On a screen: a write with the server down is said through the dialog
    // layer and leaves the boxes as typed; the same click once the server is
    // back writes the record, with no restart.
    void screenTriesAgain()
    {
        kq::test::ShellFixture shell;
        const ServerSettings real = *readServerSettings(shell.folders.dataFolder());
        Switch power(real);
        writeServerSettings(shell.folders.dataFolder(), power.settings());
        closeAllDatabases();
        kq::registers::registerScreens();
        QCOMPARE(shell.main->ButtonBar1_ItemClick(1, 4), QStringLiteral("fdestinos"));
        auto *screen = qobject_cast<kq::shell::RegisterScreen *>(
            kq::platform::ScreenRegistry::instance().find(QStringLiteral("fdestinos")));
        QVERIFY(screen);
        auto *desc = screen->findChild<QLineEdit *>(QStringLiteral("ds_destino"));
        QVERIFY(desc);
        const QString count = QStringLiteral("SELECT count(*) FROM destinos WHERE ds_destino = "
                                             "'Cartório'");
        desc->setText(QStringLiteral("Cartório"));

        endSessions(real);
        power.off();
        shell.dialogs.clear();
        screen->CONFIRMA->click();
        QCOMPARE(shell.dialogs.messages.size(), 1);
        QVERIFY2(
            shell.dialogs.lastText().contains(
                QStringLiteral("servidor de banco de dados \"%1\"").arg(power.settings().name())),
            qPrintable(shell.dialogs.lastText()));
        QCOMPARE(kq::test::serverValue(real, count), QStringLiteral("0"));
        QCOMPARE(desc->text(), QStringLiteral("Cartório"));

        power.on();
        shell.dialogs.clear();
        screen->CONFIRMA->click();
        QVERIFY2(shell.dialogs.messages.isEmpty(), qPrintable(shell.dialogs.lastText()));
        QCOMPARE(kq::test::serverValue(real, count), QStringLiteral("1"));
    }

    // The password is asked when the server wants one, again when refused,
    // and then serves every connection of the session without being asked.
    void passwordAskedOnce()
    {
        kq::test::ServerDatabase server;
        QString error;
        QVERIFY2(passwordRole(&error), qPrintable(error));
        QVERIFY2(kq::test::serverAdmin(QStringLiteral("ALTER DATABASE %1 OWNER TO %2")
                                           .arg(server.settings().database, kPasswordUser),
                                       &error),
                 qPrintable(error));
        QTRY_VERIFY(asksPassword(server.settings()));
        ServerSettings settings = server.settings();
        settings.user = kPasswordUser;
        kq::test::ScriptedDialogs dialogs;
        kq::shell::installServerPasswordPrompt();
        dialogs.passwords << QStringLiteral("errada") << kPassword;

        QVERIFY(prepareServerDatabase(settings));
        QCOMPARE(dialogs.passwordPrompts.size(), 2);
        QVERIFY(dialogs.passwordPrompts.at(0).contains(settings.name()));
        QVERIFY(dialogs.passwordPrompts.at(0).contains(kPasswordUser));
        QVERIFY(dialogs.passwordPrompts.at(1).contains(QStringLiteral("não foi aceita")));

        QTemporaryDir dir;
        writeServerSettings(dir.path(), settings);
        const QString path = dataFile(dir.path(), kDevolvidos);
        insertClient(path, QStringLiteral("00001"));
        closeAllDatabases();
        QCOMPARE(scalar(path, QStringLiteral("SELECT count(*) FROM CLIENTES")).toInt(), 1);
        QVERIFY(RowStream::open(path, QStringLiteral("SELECT * FROM CLIENTES"))->next());
        QCOMPARE(dialogs.passwordPrompts.size(), 2);
        QFile ini(dataFile(dir.path(), kServerSettings));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(!ini.readAll().contains(kPassword.toUtf8()));
    }

    // Wrong every time, or no answer: said in Portuguese, nothing opened;
    // the next action asks again.
    void passwordRefusedOrNotGiven()
    {
        kq::test::ServerDatabase server;
        QString error;
        QVERIFY2(passwordRole(&error), qPrintable(error));
        QTRY_VERIFY(asksPassword(server.settings()));
        ServerSettings settings = server.settings();
        settings.user = kPasswordUser;
        kq::test::ScriptedDialogs dialogs;
        kq::shell::installServerPasswordPrompt();

        dialogs.passwords << QStringLiteral("a") << QStringLiteral("b") << QStringLiteral("c");
        DataError e = failureOf([&] { prepareServerDatabase(settings); });
        QCOMPARE(e.number(), ErrorNumber::ServerUnavailable);
        QCOMPARE(e.description(),
                 QStringLiteral("A senha do usuário \"%1\" não foi aceita pelo servidor de "
                                "banco de dados \"%2\".")
                     .arg(kPasswordUser, settings.name()));
        QCOMPARE(dialogs.passwordPrompts.size(), 3);

        e = failureOf([&] { prepareServerDatabase(settings); });
        QCOMPARE(e.number(), ErrorNumber::ServerUnavailable);
        QVERIFY2(e.description().startsWith(QStringLiteral("Sem a senha")),
                 qPrintable(e.description()));
        QCOMPARE(dialogs.passwordPrompts.size(), 4);
    }
};

QTEST_MAIN(tst_serverconnection)
#include "tst_serverconnection.moc"
