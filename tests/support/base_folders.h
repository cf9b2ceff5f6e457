#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace kq::test {

class ServerDatabase;

// A temporary program folder (set as the program's folder) with a data
// folder "dados" inside it. In a server run (base_server.h) the data folder
// names a new database of the test server in its settings file, so the
// business database of the folder is on the server once it is prepared.
class TempFolders
{
public:
    TempFolders();
    ~TempFolders();

    QString programFolder() const { return m_dir.path(); }
    QString dataFolder() const { return m_dir.path() + QStringLiteral("/dados"); }
    QString dataFile(const QString &name) const { return dataFolder() + QLatin1Char('/') + name; }
    QString programFile(const QString &name) const
    {
        return programFolder() + QLatin1Char('/') + name;
    }
    // Writes sys.ini (one line per entry).
    void writeSysIni(const QStringList &lines) const;
    void writeSysIni() const { writeSysIni({dataFolder()}); }
    QString readProgramFile(const QString &name) const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ServerDatabase> m_server; // in a server run (base_server.h)
};

} // namespace kq::test
