#pragma once

#include <QString>
#include <QTemporaryDir>

namespace kq::test {

// A temporary program folder (set as the program's folder) with a data
// folder "dados" inside it.
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
};

} // namespace kq::test
