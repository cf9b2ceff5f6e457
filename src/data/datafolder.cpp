#include "data/datafolder.h"

#include "data/connection_p.h"
#include "data/dataerror.h"
#include "data/schema.h"
#include "data/server.h"
#include "data/shippedfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

namespace kq::data {

namespace {

const QString kSource = QStringLiteral("kq_data");

// Statistics of the filtered tables from a sample of each index: a hundred
// thousand rows tell a store's share of the cheques from a day's, and take
// half a second on a million cheques. False when one fails.
bool analyze(sqlite3 *db, const QString &fileName)
{
    bool ok
        = sqlite3_exec(db, "PRAGMA analysis_limit=100000", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (const QString &table : analyzedTables(fileName)) {
        const QByteArray sql = "ANALYZE " + table.toUtf8();
        ok = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK && ok;
    }
    return ok;
}

// The screens' indexes (indexStatements) as one script.
QString indexScript(const QString &fileName)
{
    const QStringList statements = indexStatements(fileName);
    return statements.isEmpty() ? QString() : statements.join(QLatin1Char(';')) + QLatin1Char(';');
}

// The index an indexStatements() entry makes.
QString indexName(const QString &sql)
{
    static const QRegularExpression name(QStringLiteral("EXISTS\\s+(\\S+)"));
    return name.match(sql).captured(1);
}

// The names of the file's indexes.
QStringList indexNames(sqlite3 *db)
{
    QStringList names;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'index'", -1, &st,
                           nullptr)
        == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW)
            names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    }
    sqlite3_finalize(st);
    return names;
}

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
        throw DataError(
            ErrorNumber::DatabaseOpen,
            QStringLiteral("Não foi possível criar o arquivo \"%1\": %2").arg(shown, why), kSource);
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
    sqlite3_close(createWithScript(
        temp, path, fileName, schemaSql(fileName) + seedSql(fileName) + indexScript(fileName)));
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
    // Only what is missing is written: a file that has them all is left as
    // it was (and its check is not waited for).
    const QStringList present = indexNames(db);
    bool added = false;
    // One by one: a table an old file lacks, or a file that cannot be
    // written, costs only its own indexes.
    for (const QString &sql : statements) {
        if (present.contains(indexName(sql), Qt::CaseInsensitive))
            continue;
        added = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK
                || added;
    }
    if (added)
        analyze(db, QFileInfo(path).fileName());
}

} // namespace internal

void analyzeDatabase(const QString &path)
{
    sqlite3 *db = internal::handle(path);
    if (!analyze(db, QFileInfo(path).fileName()))
        throw internal::failure(db, kSource);
}

sqlite3 *createEmptyDatabase(const QString &path, const QString &fileName)
{
    if (path != QLatin1String(":memory:") && QFileInfo::exists(path))
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("O arquivo \"%1\" já existe.").arg(path), kSource);
    return createWithScript(path, path, fileName, schemaSql(fileName) + indexScript(fileName));
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

QStringList prepareDataFolder(const QString &dir, bool serverJustPrepared)
{
    if (!QDir().mkpath(dir))
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("Não foi possível criar a pasta \"%1\".").arg(dir), kSource);
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
    if (server && (prepareServerDatabase(*server) || serverJustPrepared))
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
