#include "support/base_server.h"

#include "data/database.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>

#include <libpq-fe.h>

namespace kq::test {

namespace {

QString stateFile()
{
    return qEnvironmentVariable("KQ_TEST_SERVER_FILE");
}

} // namespace

bool serverRun()
{
    return !stateFile().isEmpty();
}

std::optional<kq::data::ServerSettings> testServer(QString *why)
{
    auto fail = [&](const QString &text) {
        if (why)
            *why = text;
        return std::optional<kq::data::ServerSettings>();
    };
    if (!serverRun())
        return fail(QStringLiteral("KQ_TEST_SERVER_FILE não definido"));
    QFile f(stateFile());
    if (!f.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("o servidor de teste não foi iniciado (%1)").arg(stateFile()));
    const QString text = QString::fromUtf8(f.readAll()).trimmed();
    if (text.startsWith(QStringLiteral("indisponível")))
        return fail(text.section(QLatin1Char(':'), 1).trimmed());
    QString error;
    const auto settings = kq::data::parseServerConnection(text, &error);
    if (!settings)
        return fail(error);
    return settings;
}

bool serverAdmin(const QString &sql, QString *error)
{
    QString why;
    const auto server = testServer(&why);
    if (!server) {
        if (error)
            *error = why;
        return false;
    }
    const QByteArray conninfo = QStringLiteral("host='%1' port=%2 dbname='%3' user='%4' "
                                               "connect_timeout=60")
                                    .arg(server->host)
                                    .arg(server->port)
                                    .arg(server->database, server->user)
                                    .toUtf8();
    PGconn *c = PQconnectdb(conninfo.constData());
    bool ok = PQstatus(c) == CONNECTION_OK;
    if (ok) {
        PGresult *r = PQexec(c, sql.toUtf8().constData());
        ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
        if (!ok && error)
            *error = QString::fromUtf8(PQresultErrorMessage(r));
        PQclear(r);
    } else if (error) {
        *error = QString::fromUtf8(PQerrorMessage(c));
    }
    PQfinish(c);
    return ok;
}

QString serverValue(const kq::data::ServerSettings &s, const QString &sql)
{
    const QByteArray info = QStringLiteral("host='%1' port=%2 dbname='%3' user='%4' "
                                           "connect_timeout=60")
                                .arg(s.host)
                                .arg(s.port)
                                .arg(s.database, s.user)
                                .toUtf8();
    PGconn *c = PQconnectdb(info.constData());
    PGresult *r = PQexec(c, sql.toUtf8().constData());
    QStringList rows;
    if (PQresultStatus(r) == PGRES_TUPLES_OK) {
        for (int i = 0; i < PQntuples(r); ++i)
            rows << QString::fromUtf8(PQgetvalue(r, i, 0));
    } else if (PQresultStatus(r) != PGRES_COMMAND_OK) {
        rows << QStringLiteral("erro: ")
                    + QString::fromUtf8(PQstatus(c) == CONNECTION_OK ? PQresultErrorMessage(r)
                                                                     : PQerrorMessage(c));
    }
    PQclear(r);
    PQfinish(c);
    return rows.join(QLatin1Char('\n'));
}

ServerDatabase::ServerDatabase()
{
    const auto server = testServer();
    if (!server)
        return;
    static QAtomicInt counter;
    const QString name = QStringLiteral("kq_%1_%2_%3")
                             .arg(QCoreApplication::applicationPid())
                             .arg(counter.fetchAndAddRelaxed(1))
                             .arg(QRandomGenerator::global()->bounded(1000000));
    QString error;
    if (!serverAdmin(QStringLiteral("CREATE DATABASE %1").arg(name), &error))
        qFatal("servidor de teste: %s", qPrintable(error));
    m_settings = *server;
    m_settings.database = name;
}

ServerDatabase::~ServerDatabase()
{
    if (!isValid())
        return;
    kq::data::closeAllDatabases();
    serverAdmin(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_settings.database));
}

} // namespace kq::test
