#include "data/datafolder.h"

#include "data/connection_p.h"
#include "data/dataerror.h"
#include "data/schema.h"
#include "data/shippedfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace kq::data {

namespace {

const QString kSource = QStringLiteral("kq_data");

// Statistics of the filtered tables from a sample of each index: a hundred
// thousand rows tell a store's share of the cheques from a day's, and take
// half a second on a million cheques. False when one fails.
bool analyze(sqlite3 *db, const QString &fileName)
{
    bool ok = sqlite3_exec(db, "PRAGMA analysis_limit=100000", nullptr, nullptr, nullptr)
              == SQLITE_OK;
    for (const QString &table : analyzedTables(fileName)) {
        const QByteArray sql = "ANALYZE " + table.toUtf8();
        ok = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK && ok;
    }
    return ok;
}

int indexCount(sqlite3 *db)
{
    sqlite3_stmt *st = nullptr;
    int n = -1;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master WHERE type = 'index'", -1,
                           &st, nullptr)
            == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return n;
}

// Builds the database in a file beside the target and renames it at the
// end, so a failure never leaves a half-made database under the real name.
void createDatabase(const QString &path, const QString &fileName)
{
    const QString temp = path + QStringLiteral(".novo");
    QFile::remove(temp);
    QFile::remove(temp + QStringLiteral("-journal"));
    sqlite3 *db = nullptr;
    const QByteArray native = QFile::encodeName(temp);
    if (sqlite3_open_v2(native.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr)
        != SQLITE_OK) {
        const QString why = db ? internal::lastError(db) : QString();
        sqlite3_close(db);
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("Não foi possível criar o arquivo \"%1\": %2")
                            .arg(path, why),
                        kSource);
    }
    try {
        internal::registerExtensions(db);
        internal::execScript(db,
                             QStringLiteral("PRAGMA journal_mode=DELETE; BEGIN;")
                                 + schemaSql(fileName) + seedSql(fileName)
                                 + indexStatements(fileName).join(QLatin1Char(';'))
                                 + QStringLiteral(";COMMIT;"),
                             fileName);
    } catch (...) {
        sqlite3_close(db);
        QFile::remove(temp);
        throw;
    }
    sqlite3_close(db);
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("Não foi possível criar o arquivo \"%1\".").arg(path),
                        kSource);
    }
}

} // namespace

namespace internal {

void addMissingIndexes(sqlite3 *db, const QString &path)
{
    const QStringList statements = indexStatements(QFileInfo(path).fileName());
    if (statements.isEmpty())
        return;
    const int before = indexCount(db);
    // One by one: a table an old file lacks, or a file that cannot be
    // written, costs only its own indexes.
    for (const QString &sql : statements)
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (indexCount(db) > before)
        analyze(db, QFileInfo(path).fileName());
}

} // namespace internal

void analyzeDatabase(const QString &path)
{
    sqlite3 *db = internal::handle(path);
    if (!analyze(db, QFileInfo(path).fileName()))
        throw DataError(ErrorNumber::SqlFailed, internal::lastError(db), kSource);
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
    const QStringList names = databaseFileNames();
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
    for (const QString &name : missing)
        createDatabase(dataFile(dir, name), name);
    // A new data folder also gets the default reports and letter templates.
    if (missing.contains(kDevolvidos))
        writeShippedFiles(dir);
    return missing;
}

} // namespace kq::data
