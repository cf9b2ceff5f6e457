#include "support/base_folders.h"

#include "data/database.h"
#include "support/base_server.h"
#include "core/paths.h"

#include <QDir>
#include <QFile>

namespace kq::test {

TempFolders::TempFolders()
{
    QDir().mkpath(dataFolder());
    kq::platform::setProgramFolder(m_dir.path());
    if (serverRun() && testServer()) {
        m_server = std::make_unique<ServerDatabase>();
        kq::data::writeServerSettings(dataFolder(), m_server->settings());
    }
}

TempFolders::~TempFolders()
{
    kq::data::closeAllDatabases();
    kq::platform::setProgramFolder(QString());
}

void TempFolders::writeSysIni(const QStringList &lines) const
{
    QFile f(programFile(QStringLiteral("sys.ini")));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}

QString TempFolders::readProgramFile(const QString &name) const
{
    QFile f(programFile(name));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

} // namespace kq::test
