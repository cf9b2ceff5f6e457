#pragma once

// What the benchmarks that run against a PostgreSQL server share: the server
// named by the state file of scripts/pg-cluster.sh, and statements run on
// its maintenance database (databases are made and dropped from there).

#include "data/server.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <cstdio>
#include <optional>

namespace kq::bench {

inline std::optional<kq::data::ServerSettings> serverOfState(const QString &stateFile)
{
    QFile state(stateFile);
    QString error = QStringLiteral("sem o arquivo %1").arg(stateFile);
    std::optional<kq::data::ServerSettings> server;
    if (state.open(QIODevice::ReadOnly))
        server
            = kq::data::parseServerConnection(QString::fromUtf8(state.readAll()).trimmed(), &error);
    if (!server)
        std::fprintf(stderr, "sem servidor: %s\n", qPrintable(error));
    return server;
}

inline bool serverAdmin(const kq::data::ServerSettings &server, const QString &sql)
{
    const QString name = QStringLiteral("bench-admin");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(server.host);
        db.setPort(server.port);
        db.setDatabaseName(server.database);
        db.setUserName(server.user);
        ok = db.open();
        if (ok) {
            QSqlQuery q(db);
            ok = q.exec(sql);
            if (!ok)
                std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace kq::bench
