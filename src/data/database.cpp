#include "data/database.h"

#include "data/collation.h"
#include "data/connection_p.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/integrity_p.h"
#include "data/journal_p.h"
#include "data/jetsql.h"
#include "data/pgschema_p.h"
#include "data/pgserver_p.h"

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>

#include <sqlite3.h>

namespace kq::data {

namespace {

const QString kSource = QStringLiteral("kq_data");
const QString kPrefix = QStringLiteral("kq-data:");

QString absolutePath(const QString &path)
{
    const QFileInfo fi(path);
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? fi.absoluteFilePath() : canonical;
}

QHash<QString, int> &transactionDepths()
{
    static QHash<QString, int> depths;
    return depths;
}

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant v = db.driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(v.constData());
    return nullptr;
}

// Resolving a path costs system calls; records are written one by one, so the
// name of an existing file's connection is remembered. A data folder's
// business database on a server is resolved once too (the settings file is
// read when the path is first used, and again after its connections close).
QHash<QString, QString> &knownNames()
{
    static QHash<QString, QString> known;
    return known;
}

// The servers of the connection names that resolve to one.
QHash<QString, ServerSettings> &serverNames()
{
    static QHash<QString, ServerSettings> names;
    return names;
}

QString connectionName(const QString &path)
{
    QHash<QString, QString> &known = knownNames();
    const auto it = known.constFind(path);
    if (it != known.constEnd())
        return *it;
    if (const std::optional<ServerSettings> server = internal::serverOf(path)) {
        const QString name = internal::serverConnectionName(*server);
        serverNames().insert(name, *server);
        return *known.insert(path, name);
    }
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return kPrefix + QFileInfo(path).absoluteFilePath();
    if (known.size() > 256)
        known.clear();
    return *known.insert(path, kPrefix + canonical);
}

bool isServerName(const QString &name)
{
    return serverNames().contains(name);
}

void closeConnection(const QString &name)
{
    transactionDepths().remove(name);
    if (isServerName(name)) {
        internal::closeServer(name);
        return;
    }
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (sqlite3 *h = db.isValid() ? handleOf(db) : nullptr) {
            internal::stopCheck(h);
            internal::dropStatements(h);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

int collatePtBr(void *, int na, const void *a, int nb, const void *b)
{
    return compareTextUtf8(QByteArrayView(static_cast<const char *>(a), na),
                           QByteArrayView(static_cast<const char *>(b), nb));
}

bool parseDateTime(const char *s, int n, QDate *date, int *seconds)
{
    auto digits = [&](int from, int count, int *out) {
        if (from + count > n)
            return false;
        int v = 0;
        for (int i = from; i < from + count; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return false;
            v = v * 10 + (s[i] - '0');
        }
        *out = v;
        return true;
    };
    int y = 0, m = 0, d = 0;
    if (!digits(0, 4, &y) || n < 10 || s[4] != '-' || !digits(5, 2, &m) || s[7] != '-'
        || !digits(8, 2, &d))
        return false;
    *date = QDate(y, m, d);
    if (!date->isValid())
        return false;
    *seconds = 0;
    if (n >= 16 && (s[10] == ' ' || s[10] == 'T')) {
        int hh = 0, mm = 0, ss = 0;
        if (digits(11, 2, &hh) && s[13] == ':' && digits(14, 2, &mm)) {
            if (n >= 19 && s[16] == ':')
                digits(17, 2, &ss);
            *seconds = hh * 3600 + mm * 60 + ss;
        }
    }
    return true;
}

// datepart(interval, date): the Jet function on ISO date text. Weeks and
// weekdays count from Sunday; week 1 is the week of 1 January.
void datePartFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (argc < 2 || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QByteArray interval
        = QByteArray(reinterpret_cast<const char *>(sqlite3_value_text(argv[0]))).toLower();
    const char *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[1]));
    const int n = sqlite3_value_bytes(argv[1]);
    QDate date;
    int seconds = 0;
    if (!text || !parseDateTime(text, n, &date, &seconds)) {
        sqlite3_result_null(ctx);
        return;
    }
    const int sundayBased = date.dayOfWeek() % 7; // Sunday 0 .. Saturday 6
    qint64 r = 0;
    if (interval == "yyyy") {
        r = date.year();
    } else if (interval == "q") {
        r = (date.month() + 2) / 3;
    } else if (interval == "m") {
        r = date.month();
    } else if (interval == "y") {
        r = date.dayOfYear();
    } else if (interval == "d") {
        r = date.day();
    } else if (interval == "w") {
        r = sundayBased + 1;
    } else if (interval == "ww") {
        const int jan1 = QDate(date.year(), 1, 1).dayOfWeek() % 7;
        r = (date.dayOfYear() - 1 + jan1) / 7 + 1;
    } else if (interval == "h") {
        r = seconds / 3600;
    } else if (interval == "n") {
        r = seconds / 60 % 60;
    } else if (interval == "s") {
        r = seconds % 60;
    } else {
        sqlite3_result_error(ctx, "datepart: intervalo inválido", -1);
        return;
    }
    sqlite3_result_int64(ctx, r);
}

// Files whose check found damage (by size and time of change), and what it
// found: opened again unchanged, they are refused at once.
struct KnownDamage
{
    QPair<qint64, QDateTime> signature;
    FileCheck found;
};

QHash<QString, KnownDamage> &damagedFiles()
{
    static QHash<QString, KnownDamage> files;
    return files;
}

QPair<qint64, QDateTime> signatureOf(const QFileInfo &fi)
{
    return {fi.size(), fi.lastModified()};
}

// The connection's own settings; nothing here writes the file.
void configure(sqlite3 *h, const QString &path)
{
    sqlite3_extended_result_codes(h, 1);
    internal::registerExtensions(h);
    // FULL sync loses no commit.
    internal::execScript(h,
                         QStringLiteral("PRAGMA synchronous=FULL;"
                                        "PRAGMA foreign_keys=OFF;"
                                        "SELECT count(*) FROM sqlite_master;"),
                         path);
}

// Not on a network share or a user-space file system, where a mapped file
// can fail under the reader.
bool onLocalDisk(const QString &path)
{
    const QByteArray type = QStorageInfo(QFileInfo(path).absolutePath()).fileSystemType();
    return !type.isEmpty() && !internal::isNetworkFileSystem(type)
           && (!type.startsWith("fuse") || type == "fuseblk");
}

// A big office's portfolio: a page cache that holds the data (pages are taken
// as they are read, so a small file costs no more), temporary tables and sorts
// in memory, and reads through a mapping of the file when it is on a local
// disk. A pragma the library refuses leaves the default. The indexes the
// screens read by are added to an older file.
void tuneConnection(sqlite3 *h, const QString &path)
{
    constexpr qint64 kCacheKb = 256 * 1024;
    QByteArray pragmas
        = "PRAGMA cache_size=-" + QByteArray::number(kCacheKb) + ";PRAGMA temp_store=MEMORY;";
    if (onLocalDisk(path))
        pragmas += "PRAGMA mmap_size=" + QByteArray::number(kCacheKb * 1024) + ";";
    sqlite3_exec(h, pragmas.constData(), nullptr, nullptr, nullptr);
    internal::addMissingIndexes(h, path);
}

QSqlDatabase openConnection(const QString &path)
{
    const QString name = connectionName(path);
    if (isServerName(name))
        return internal::openServer(serverNames().value(name), name,
                                    transactionDepths().value(name) == 0);
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen())
            return db;
    }
    const QFileInfo fi(path);
    if (!fi.exists() || !fi.isFile())
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("Não foi possível encontrar o arquivo \"%1\".").arg(path),
                        kSource);
    if (!isSqliteFile(path))
        throw DataError(ErrorNumber::NotADatabase,
                        QStringLiteral("O arquivo \"%1\" não é um banco de dados do sistema "
                                       "(SQLite 3).")
                            .arg(path),
                        kSource);
    const QString file = absolutePath(path);
    const auto known = damagedFiles().constFind(file);
    if (known != damagedFiles().constEnd() && known->signature == signatureOf(QFileInfo(file)))
        throw internal::damageError(known->found, path, kSource);
    const QString header = internal::headerFault(file);
    if (!header.isEmpty())
        throw databaseError(SQLITE_CORRUPT, header, path, kSource);

    QSqlDatabase db = QSqlDatabase::contains(name)
                          ? QSqlDatabase::database(name, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    // On a read-only disk the file is read as it is, without lock or WAL.
    int flags = 0;
    const QByteArray openName = internal::openName(file, &flags);
    const bool readOnlyDisk = flags & SQLITE_OPEN_READONLY;
    db.setDatabaseName(readOnlyDisk ? QString::fromUtf8(openName) : file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1%2")
                             .arg(internal::busyTimeout())
                             .arg(readOnlyDisk ? QStringLiteral(";QSQLITE_OPEN_READONLY;"
                                                                "QSQLITE_OPEN_URI")
                                               : QString()));
    auto drop = [&] {
        if (sqlite3 *opened = db.isOpen() ? handleOf(db) : nullptr)
            internal::stopCheck(opened);
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    };
    if (!db.open()) {
        const QSqlError err = db.lastError();
        drop();
        bool ok = false;
        const int code = err.nativeErrorCode().toInt(&ok);
        throw databaseError(ok ? code : SQLITE_CANTOPEN, err.text(), path, kSource,
                            ErrorNumber::DatabaseOpen);
    }
    sqlite3 *h = handleOf(db);
    if (!h) {
        drop();
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("Driver SQLite sem acesso ao arquivo \"%1\".").arg(path),
                        kSource);
    }
    try {
        configure(h, path);
    } catch (const DataError &e) {
        const int code = sqlite3_extended_errcode(h);
        drop();
        if (isFileFailure(code))
            throw;
        throw DataError(ErrorNumber::NotADatabase,
                        QStringLiteral("O arquivo \"%1\" não pôde ser lido como banco de "
                                       "dados: %2")
                            .arg(path, e.description()),
                        kSource, e.detail());
    }
    // The file is checked beside the connection; a small one is checked
    // before the first use, a large one before its first write.
    internal::startCheck(h, file);
    const internal::CheckState state = internal::waitForCheck(h, internal::checkWaitAtOpen());
    internal::deliverNotes();
    if (state == internal::CheckState::Damaged) {
        const FileCheck found = internal::checkResult(h);
        drop();
        damagedFiles().insert(file, {signatureOf(QFileInfo(file)), found});
        throw internal::damageError(found, path, kSource);
    }
    tuneConnection(h, path);
    return db;
}

DataError sqlError(const QString &path, const QSqlError &err)
{
    const QString text = err.databaseText().isEmpty() ? err.text() : err.databaseText();
    bool ok = false;
    const int code = err.nativeErrorCode().toInt(&ok);
    sqlite3 *h = handleOf(QSqlDatabase::database(connectionName(path), false));
    return internal::failure(h, ok ? code : SQLITE_ERROR, text, kSource);
}

void runControl(const QString &path, const QString &sql)
{
    if (isServerName(connectionName(path))) {
        internal::pgExec(openConnection(path), sql, {}, kSource);
        return;
    }
    sqlite3 *h = internal::handle(path);
    if (sqlite3_exec(h, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw internal::failure(h, kSource);
}

} // namespace

namespace internal {

QSqlDatabase serverDatabase(const QString &path)
{
    return isServerName(connectionName(path)) ? openConnection(path) : QSqlDatabase();
}

sqlite3 *handle(const QString &path)
{
    return handleOf(openConnection(path));
}

void registerExtensions(sqlite3 *db)
{
    if (sqlite3_create_collation_v2(db, "PTBR", SQLITE_UTF8, nullptr, collatePtBr, nullptr)
            != SQLITE_OK
        || sqlite3_create_function_v2(db, "datepart", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                      nullptr, datePartFunction, nullptr, nullptr, nullptr)
               != SQLITE_OK)
        throw DataError(ErrorNumber::DatabaseOpen, lastError(db), kSource);
}

QVariant normalise(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return dt.isValid() ? QVariant(dt.date().toString(Qt::ISODate)) : QVariant();
    }
    case QMetaType::QString:
        return value.toString().isNull() ? QVariant(QString(QLatin1String(""))) : value;
    default:
        return value;
    }
}

bool bindValue(sqlite3_stmt *stmt, int i, const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return sqlite3_bind_null(stmt, i) == SQLITE_OK;
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::UChar:
    case QMetaType::SChar:
        return sqlite3_bind_int64(stmt, i, v.toLongLong()) == SQLITE_OK;
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        return sqlite3_bind_int64(stmt, i, qint64(v.toULongLong())) == SQLITE_OK;
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(stmt, i, v.toDouble()) == SQLITE_OK;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        return sqlite3_bind_blob64(stmt, i, b.constData(), sqlite3_uint64(b.size()),
                                   SQLITE_TRANSIENT)
               == SQLITE_OK;
    }
    default: {
        const QByteArray t = v.toString().toUtf8();
        return sqlite3_bind_text64(stmt, i, t.constData(), sqlite3_uint64(t.size()),
                                   SQLITE_TRANSIENT, SQLITE_UTF8)
               == SQLITE_OK;
    }
    }
}

QString lastError(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

DataError failure(sqlite3 *db, int code, const QString &text, const QString &source,
                  int otherNumber)
{
    const char *file = db ? sqlite3_db_filename(db, "main") : nullptr;
    const QString path = file ? QString::fromUtf8(file) : QString();
    if ((code & 0xFF) == SQLITE_AUTH && db && waitForCheck(db, 0) == CheckState::Damaged)
        return damageError(checkResult(db), path, source);
    return databaseError(code, text, path, source, otherNumber);
}

DataError failure(sqlite3 *db, const QString &source, int otherNumber)
{
    return failure(db, sqlite3_extended_errcode(db), lastError(db), source, otherNumber);
}

void execScript(sqlite3 *db, const QString &sql, const QString &fileName)
{
    char *err = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString text = err ? QString::fromUtf8(err) : lastError(db);
        sqlite3_free(err);
        throw failure(db, sqlite3_extended_errcode(db), text, fileName);
    }
}

QString quoteName(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

} // namespace internal

QSqlDatabase database(const QString &path)
{
    return openConnection(path);
}

void closeDatabase(const QString &path)
{
    const QString name = connectionName(path);
    if (QSqlDatabase::contains(name) || isServerName(name))
        closeConnection(name);
    transactionDepths().remove(name);
    knownNames().remove(path);
}

Dialect dialectOf(const QString &path)
{
    return isServerName(connectionName(path)) ? Dialect::Postgres : Dialect::Sqlite;
}

bool databaseExists(const QString &path)
{
    return isServerName(connectionName(path)) || QFileInfo(path).isFile();
}

QStringList tableNames(const QString &path)
{
    const bool server = isServerName(connectionName(path));
    QSqlQuery q = exec(path, server ? QStringLiteral("SELECT table_name FROM "
                                                     "information_schema.tables WHERE "
                                                     "table_schema = current_schema()")
                                    : QStringLiteral("SELECT name FROM sqlite_master "
                                                     "WHERE type = 'table'"));
    QStringList names;
    while (q.next())
        names << (server ? internal::spelledTable(q.value(0).toString()) : q.value(0).toString());
    return names;
}

QStringList columnNames(const QString &path, const QString &table)
{
    const bool server = isServerName(connectionName(path));
    QSqlQuery q = exec(path,
                       server ? QStringLiteral("SELECT column_name FROM "
                                               "information_schema.columns WHERE table_schema "
                                               "= current_schema() AND table_name = lower(?) "
                                               "ORDER BY ordinal_position")
                              : QStringLiteral("SELECT name FROM pragma_table_info(?)"),
                       {table});
    QStringList names;
    while (q.next()) {
        const QString name = q.value(0).toString();
        if (!server)
            names << name;
        else if (name != QLatin1String("rowid"))
            names << internal::spelledColumn(internal::spelledTable(table), name);
    }
    return names;
}

void lockRows(const QString &path, const QString &table, const QString &keyColumn,
              const QStringList &keys)
{
    if (keys.isEmpty() || !isServerName(connectionName(path)))
        return;
    QStringList sorted = keys;
    sorted.sort();
    QStringList marks;
    QVariantList values;
    for (const QString &k : std::as_const(sorted)) {
        marks << QStringLiteral("?");
        values << k;
    }
    // In key order, so that two desks locking the same rows never wait on
    // each other in a circle.
    exec(path,
         QStringLiteral("SELECT 1 FROM %1 WHERE %2 IN (%3) ORDER BY %2 FOR UPDATE")
             .arg(internal::quoteName(table), internal::quoteName(keyColumn),
                  marks.join(QLatin1Char(','))),
         values);
}

void closeAllDatabases()
{
    const QStringList names = QSqlDatabase::connectionNames();
    for (const QString &name : names) {
        if (name.startsWith(kPrefix) || isServerName(name))
            closeConnection(name);
    }
    internal::closeServerReaders();
    // Settings files are read again at the next use.
    knownNames().clear();
    serverNames().clear();
}

QSqlQuery exec(const QString &path, const QString &sql, const QVariantList &values)
{
    if (isServerName(connectionName(path)))
        return internal::serverExec(database(path), sql, values);
    const QSqlDatabase db = database(path);
    if (sqlite3 *h = handleOf(db))
        return internal::runStatement(db.driver(), h, sql, values);
    QSqlQuery q(db);
    if (!q.prepare(sql))
        throw sqlError(path, q.lastError());
    for (const QVariant &v : values)
        q.addBindValue(internal::normalise(v));
    if (!q.exec())
        throw sqlError(path, q.lastError());
    return q;
}

bool bindValues(sqlite3_stmt *stmt, const QVariantList &values)
{
    int i = 1;
    for (const QVariant &v : values) {
        if (!internal::bindValue(stmt, i++, internal::normalise(v)))
            return false;
    }
    return true;
}

QVariant scalar(const QString &path, const QString &sql, const QVariantList &values)
{
    QSqlQuery q = exec(path, sql, values);
    if (!q.next())
        return QVariant();
    const QVariant v = q.value(0);
    return v.isNull() ? QVariant() : v;
}

Transaction::Transaction(const QString &path)
    : m_path(path)
{
    const QString name = connectionName(path);
    const bool server = isServerName(name);
    sqlite3 *h = server ? nullptr : internal::handle(path);
    const QSqlDatabase serverDb = server ? openConnection(path) : QSqlDatabase();
    int &depth = transactionDepths()[name];
    // SQLite ends a transaction by itself on some failures (disk full, I/O
    // error), and a server's ends with a lost connection: with none active
    // the next one begins anew (SQLite's under the write lock; the server
    // locks rows as they are written, and keys per table: keys.h).
    if (depth > 0 && (server ? !internal::pgInTransaction(serverDb) : sqlite3_get_autocommit(h)))
        depth = 0;
    if (depth == 0)
        runControl(path, server ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
    else
        runControl(path, QStringLiteral("SAVEPOINT kq_%1").arg(depth));
    ++depth;
    m_level = depth;
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    const QString name = connectionName(m_path);
    if (!transactionDepths().contains(name))
        return; // the connection was closed under us: SQLite rolled back
    try {
        if (m_level == 1)
            runControl(m_path, QStringLiteral("ROLLBACK"));
        else
            runControl(m_path, QStringLiteral("ROLLBACK TO kq_%1; RELEASE kq_%1").arg(m_level - 1));
    } catch (...) {
        // Nothing may escape a destructor. A rollback fails when SQLite has
        // already rolled back by itself; the depth is restored either way.
    }
    transactionDepths()[name] = m_level - 1;
}

void Transaction::commit()
{
    if (m_done)
        return;
    const QString name = connectionName(m_path);
    if (m_level == 1)
        runControl(m_path, QStringLiteral("COMMIT"));
    else
        runControl(m_path, QStringLiteral("RELEASE kq_%1").arg(m_level - 1));
    transactionDepths()[name] = m_level - 1;
    m_done = true;
}

} // namespace kq::data
