#include "shell_nwind_fixture.h"

#include "data/database.h"
#include "core/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <stdexcept>

namespace kq::test {

QString fixturePath(const QString &name)
{
    QString root = qEnvironmentVariable("KQ_TEST_SOURCE_DIR");
    if (root.isEmpty())
        root = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../..");
    return root + QStringLiteral("/tests/fixtures/") + name;
}

void loadSqlScript(const QString &scriptPath, const QString &databasePath)
{
    QFile script(scriptPath);
    if (!script.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error("cannot read " + scriptPath.toStdString());
    const QString text = QString::fromUtf8(script.readAll());
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(databasePath);
        if (!db.open())
            throw std::runtime_error("cannot create " + databasePath.toStdString());
        QString statement;
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            if (line.startsWith(QStringLiteral("--")))
                continue;
            statement += line + QLatin1Char('\n');
            if (!line.trimmed().endsWith(QLatin1Char(';')))
                continue;
            QSqlQuery query(db);
            if (!query.exec(statement))
                throw std::runtime_error(query.lastError().text().toStdString());
            statement.clear();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

NwindFolders::NwindFolders()
    : m_previousProgramFolder(kq::platform::programFolder())
{
    QDir root(m_dir.path());
    root.mkpath(QStringLiteral("bin"));
    root.mkpath(QStringLiteral("common"));
    loadSqlScript(fixturePath(QStringLiteral("nwind.sql")), databasePath());
    kq::platform::setProgramFolder(programFolder());
}

NwindFolders::~NwindFolders()
{
    kq::data::closeDatabase(databasePath());
    kq::platform::setProgramFolder(m_previousProgramFolder);
}

QString NwindFolders::connectText() const
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + databasePath()
           + QStringLiteral(";");
}

} // namespace kq::test
