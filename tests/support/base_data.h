#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace kq::test {

class ServerDatabase;

// A temporary data folder made ready with its four databases (schema and
// seed rows); every connection is closed when it goes. In a server run
// (base_server.h) its business database is a new database of the test
// server, dropped at the end.
class TempDataFolder
{
public:
    TempDataFolder();
    // Whether the business database is on the test server.
    bool onServer() const { return m_server != nullptr; }
    ~TempDataFolder();

    QString path() const { return m_dir.path() + QStringLiteral("/dados"); }
    QString file(const QString &name) const { return path() + QLatin1Char('/') + name; }
    QString devolvidos() const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ServerDatabase> m_server; // in a server run (base_server.h)
};

// Rows of a table.
int rowCount(const QString &db, const QString &table);

// The bytes of a file (empty when it cannot be read).
QByteArray fileBytes(const QString &path);

// Adds `count` returned cheques with keys after the last one, one debtor per
// 50 cheques, in one transaction (tests and benchmarks of large tables).
void addCheques(const QString &dbPath, int count);
// Changes the year of one entry of a leaf page of the index (of dates), as a
// failing disk might: the page stays well formed, the entry no longer
// matches its row. Closes every connection first; false when it found none.
bool damageIndexEntry(const QString &dbPath, const QString &index);

// A trigger that makes a write fail with `message`, on either engine:
// `event` as "BEFORE INSERT ON parcelas", `when` a condition on NEW or OLD.
void addFailingTrigger(const QString &db, const QString &name, const QString &event,
                       const QString &when, const QString &message);
void dropTrigger(const QString &db, const QString &name, const QString &table);

} // namespace kq::test
