#pragma once

#include "data/server.h"

#include <QString>
#include <QtTest>

namespace kq::test {

// Some tests run twice: on SQLite, and (CTest's ".server" runs) with their
// data folders' business database on a throwaway PostgreSQL server that
// CTest starts and stops (scripts/pg-cluster.sh). KQ_TEST_SERVER_FILE names
// the file that holds that server's connection, or why it could not start.

// True in a server run.
bool serverRun();
// The test server's connection (its maintenance database); empty when there
// is none, with the reason in *why.
std::optional<kq::data::ServerSettings> testServer(QString *why = nullptr);

// A new, empty database on the test server, dropped (with its connections)
// when it goes. Invalid settings when there is no test server.
class ServerDatabase
{
public:
    ServerDatabase();
    ~ServerDatabase();
    const kq::data::ServerSettings &settings() const { return m_settings; }
    bool isValid() const { return m_settings.isValid(); }

    ServerDatabase(const ServerDatabase &) = delete;
    ServerDatabase &operator=(const ServerDatabase &) = delete;

private:
    kq::data::ServerSettings m_settings;
};

// Runs an administrative statement on the test server's maintenance
// database (a database made or dropped); false on failure.
bool serverAdmin(const QString &sql, QString *error = nullptr);

// Runs statements on a database of the test server beside the program: the
// first column of the last one's rows, one per line ("erro: ..." when it
// fails).
QString serverValue(const kq::data::ServerSettings &settings, const QString &sql);

} // namespace kq::test

// In a server run without a server: every case of the test is skipped, saying
// why (put it in initTestCase()).
#define KQ_SKIP_WITHOUT_SERVER() \
    do { \
        QString kqWhy; \
        if (kq::test::serverRun() && !kq::test::testServer(&kqWhy)) \
            QSKIP(qPrintable(QStringLiteral("PostgreSQL indisponível: ") + kqWhy)); \
    } while (false)

// A case about SQLite files themselves: skipped in a server run.
#define KQ_SQLITE_ONLY() \
    do { \
        if (kq::test::serverRun()) \
            QSKIP("caso só do SQLite (arquivo de banco de dados)"); \
    } while (false)
