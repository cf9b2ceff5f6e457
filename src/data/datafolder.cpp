#include "data/datafolder.h"

#include "data/connection_p.h"
#include "data/dataerror.h"
#include "data/schema.h"
#include "data/server.h"
#include "data/shippedfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace kq::data {

namespace {

const QString kSource = QStringLiteral("kq_data");

// Creates `file` with the statements of `script` in one transaction and
// returns it open, for one thread; on failure the file is removed. Messages
// name `shown`.
sqlite3 *createWithScript(const QString &file, const QString &shown, const QString &fileName,
                          const QString &script)
{
    sqlite3 *db = nullptr;
    const QByteArray native = QFile::encodeName(file);
    if (sqlite3_open_v2(native.constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr)
        != SQLITE_OK) {
        const QString why = db ? internal::lastError(db) : QString();
        sqlite3_close(db);
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("Não foi possível criar o arquivo \"%1\": %2")
                            .arg(shown, why),
                        kSource);
    }
    try {
        internal::registerExtensions(db);
        internal::execScript(db,
                             QStringLiteral("PRAGMA journal_mode=DELETE; BEGIN;") + script
                                 + QStringLiteral("COMMIT;"),
                             fileName);
    } catch (...) {
        sqlite3_close(db);
        if (file != QLatin1String(":memory:"))
            QFile::remove(file);
        throw;
    }
    return db;
}

// Builds the database in a file beside the target and renames it at the
// end, so a failure never leaves a half-made database under the real name.
void createDatabase(const QString &path, const QString &fileName)
{
    const QString temp = path + QStringLiteral(".novo");
    QFile::remove(temp);
    QFile::remove(temp + QStringLiteral("-journal"));
    sqlite3_close(createWithScript(temp, path, fileName, schemaSql(fileName) + seedSql(fileName)));
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("Não foi possível criar o arquivo \"%1\".").arg(path),
                        kSource);
    }
}

} // namespace

sqlite3 *createEmptyDatabase(const QString &path, const QString &fileName)
{
    if (path != QLatin1String(":memory:") && QFileInfo::exists(path))
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("O arquivo \"%1\" já existe.").arg(path), kSource);
    return createWithScript(path, path, fileName, schemaSql(fileName));
}

QString dataFile(const QString &dataFolder, const QString &fileName)
{
    if (dataFolder.endsWith(QLatin1Char('/')))
        return dataFolder + fileName;
    return dataFolder + QLatin1Char('/') + fileName;
}

bool isSqliteFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    static const QByteArray header("SQLite format 3\0", 16);
    return f.read(16) == header;
}

QStringList prepareDataFolder(const QString &dir)
{
    if (!QDir().mkpath(dir))
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("Não foi possível criar a pasta \"%1\".").arg(dir),
                        kSource);
    // A folder whose business database is on a server: the server's tables
    // are made first (all or nothing), the other databases stay files.
    const std::optional<ServerSettings> server = readServerSettings(dir);
    QStringList names = databaseFileNames();
    if (server)
        names.removeAll(kDevolvidos);
    QStringList missing;
    for (const QString &name : names) {
        const QString path = dataFile(dir, name);
        const QFileInfo fi(path);
        if (!fi.exists()) {
            missing << name;
            continue;
        }
        if (!fi.isFile() || !isSqliteFile(path))
            throw DataError(ErrorNumber::NotADatabase,
                            QStringLiteral("O arquivo \"%1\" não é um banco de dados do "
                                           "sistema (SQLite 3) e não foi alterado.")
                                .arg(path),
                            kSource);
    }
    if (server && prepareServerDatabase(*server))
        missing.prepend(kDevolvidos);
    for (const QString &name : missing) {
        if (!server || name != kDevolvidos)
            createDatabase(dataFile(dir, name), name);
    }
    // A new data folder also gets the default reports and letter templates.
    if (missing.contains(kDevolvidos))
        writeShippedFiles(dir);
    return missing;
}

} // namespace kq::data
