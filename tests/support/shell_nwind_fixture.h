#pragma once

#include <QString>
#include <QTemporaryDir>

namespace kq::test {

// The sample sales database for the sample cubes: tests/fixtures/nwind.sql
// loaded into <tmp>/common/nwind.mdb, with the program folder set to
// <tmp>/bin (so the sample's first look-up finds it). The previous program
// folder comes back on destruction.
class NwindFolders
{
public:
    NwindFolders();
    ~NwindFolders();

    QString root() const { return m_dir.path(); }
    QString programFolder() const { return m_dir.path() + QStringLiteral("/bin"); }
    QString databasePath() const { return m_dir.path() + QStringLiteral("/common/nwind.mdb"); }
    // The connect text of the sample cubes for this database.
    QString connectText() const;

    NwindFolders(const NwindFolders &) = delete;
    NwindFolders &operator=(const NwindFolders &) = delete;

private:
    QTemporaryDir m_dir;
    QString m_previousProgramFolder;
};

// Loads an SQL script (statements ended by ";" at a line end) into a new
// SQLite file.
void loadSqlScript(const QString &scriptPath, const QString &databasePath);
// Path of a file of tests/fixtures.
QString fixturePath(const QString &name);

} // namespace kq::test
