#include "data/integrity.h"

#include "data/connection_p.h"
#include "data/database.h"
#include "data/datafolder.h"
#include "data/integrity_p.h"
#include "data/journal_p.h"
#include "data/schema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include <sqlite3.h>

namespace kq::data {

namespace {

std::atomic<int> g_waitAtOpen{300};

int stopWhenAsked(void *stop)
{
    return static_cast<const std::atomic<bool> *>(stop)->load() ? 1 : 0;
}

// The rows of a query as text, one a line; the SQLite result code.
int readLines(sqlite3 *db, const QByteArray &sql, QStringList *lines)
{
    sqlite3_stmt *st = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW)
            *lines << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    }
    sqlite3_finalize(st);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// kq_rowsum(v1, v2, ...): the sum (wrapping) of a hash of each row's values,
// the same for two sets of rows whatever their order.
void rowSumStep(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    auto *sum = static_cast<quint64 *>(sqlite3_aggregate_context(ctx, sizeof(quint64)));
    if (!sum) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    size_t h = 0;
    for (int i = 0; i < argc; ++i) {
        const int type = sqlite3_value_type(argv[i]);
        h = qHash(type, h);
        if (type == SQLITE_INTEGER) {
            h = qHash(sqlite3_value_int64(argv[i]), h);
        } else if (type == SQLITE_FLOAT) {
            h = qHash(sqlite3_value_double(argv[i]), h);
        } else if (type != SQLITE_NULL) {
            const void *bytes
                = type == SQLITE_TEXT ? sqlite3_value_text(argv[i]) : sqlite3_value_blob(argv[i]);
            h = qHashBits(bytes, size_t(sqlite3_value_bytes(argv[i])), h);
        }
    }
    *sum += h;
}

void rowSumFinal(sqlite3_context *ctx)
{
    const auto *sum = static_cast<quint64 *>(sqlite3_aggregate_context(ctx, 0));
    sqlite3_result_int64(ctx, sum ? sqlite3_int64(*sum) : 0);
}

// The condition of a partial index (empty for a whole one), from its CREATE.
QString partialCondition(const QString &createSql)
{
    static const QRegularExpression where(QStringLiteral("\\bWHERE\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    const qsizetype at = createSql.indexOf(where);
    return at < 0 ? QString() : createSql.mid(at + 5).trimmed();
}

struct IndexShape
{
    QString name;
    QString table;
    QStringList columns; // quoted, rowid last
    QString condition;
};

// The indexes of the file that name only columns (every one of the
// program's).
QList<IndexShape> indexShapes(sqlite3 *db)
{
    QList<IndexShape> shapes;
    QStringList rows;
    readLines(db,
              "SELECT m.name || char(9) || m.tbl_name || char(9) || coalesce(m.sql, '') "
              "FROM sqlite_master m WHERE m.type = 'index' ORDER BY m.tbl_name, m.name",
              &rows);
    for (const QString &row : std::as_const(rows)) {
        const QStringList parts = row.split(QLatin1Char('\t'));
        IndexShape shape{parts.value(0), parts.value(1), {}, partialCondition(parts.value(2))};
        QStringList columns;
        readLines(db,
                  "SELECT coalesce(name, '') FROM pragma_index_info("
                      + internal::quoteName(shape.name).toUtf8() + ")",
                  &columns);
        if (columns.isEmpty() || columns.contains(QString()))
            continue; // an index on an expression
        for (const QString &c : std::as_const(columns))
            shape.columns << internal::quoteName(c);
        shape.columns << QStringLiteral("rowid");
        shapes << shape;
    }
    return shapes;
}

// Two numbers of one row (a count and a sum); false when the query failed.
bool countAndSum(sqlite3 *db, const QString &sql, qint64 *count, qint64 *sum, int *rc)
{
    sqlite3_stmt *st = nullptr;
    *rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
    if (*rc == SQLITE_OK)
        *rc = sqlite3_step(st);
    const bool ok = *rc == SQLITE_ROW;
    if (ok) {
        *count = sqlite3_column_int64(st, 0);
        *sum = sqlite3_column_int64(st, 1);
        *rc = SQLITE_OK;
    }
    sqlite3_finalize(st);
    return ok;
}

// Every index against its table: the count and the sum of a hash of each
// entry's values (rowid included) read through the index, and the same of
// the table's rows. One finding a line per index that differs; the SQLite
// result code (SQLITE_CORRUPT when an index differs).
int checkIndexes(sqlite3 *db, QStringList *findings)
{
    if (sqlite3_create_function_v2(db, "kq_rowsum", -1, SQLITE_UTF8, nullptr, nullptr, rowSumStep,
                                   rowSumFinal, nullptr)
        != SQLITE_OK)
        return sqlite3_errcode(db);
    for (const IndexShape &index : indexShapes(db)) {
        const QString filter
            = index.condition.isEmpty() ? QString() : QStringLiteral(" WHERE ") + index.condition;
        const QString values = index.columns.join(QLatin1Char(','));
        const QString table = internal::quoteName(index.table);
        qint64 indexCount = 0, indexSum = 0, tableCount = 0, tableSum = 0;
        int rc = SQLITE_OK;
        if (!countAndSum(db,
                         QStringLiteral("SELECT count(*), kq_rowsum(%1) FROM %2 INDEXED BY %3%4")
                             .arg(values, table, internal::quoteName(index.name), filter),
                         &indexCount, &indexSum, &rc)
            || !countAndSum(db,
                            QStringLiteral("SELECT count(*), kq_rowsum(%1) FROM %2 NOT INDEXED%3")
                                .arg(values, table, filter),
                            &tableCount, &tableSum, &rc)) {
            if ((rc & 0xFF) == SQLITE_ERROR)
                continue; // a table without rowid, or a condition of another form
            *findings << internal::lastError(db);
            return rc;
        }
        if (indexCount != tableCount || indexSum != tableSum)
            *findings << QStringLiteral("índice %1 não confere com a tabela %2")
                             .arg(index.name, index.table);
    }
    return findings->isEmpty() ? SQLITE_OK : SQLITE_CORRUPT;
}

// True when every finding is about an index alone: the rows are sound.
bool indexFindingsOnly(const QString &findings)
{
    static const QRegularExpression index(
        QStringLiteral("^(row \\d+ missing from index |wrong # of entries in index "
                       "|non-unique entry in index |índice \\S+ não confere com a tabela )"));
    const QStringList lines = findings.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return !lines.isEmpty() && std::all_of(lines.begin(), lines.end(), [](const QString &line) {
        return index.match(line).hasMatch();
    });
}

// Checks the file on a connection of its own. A file that could not be
// checked to its end (another program held it, or `stop`) counts as sound.
FileCheck runChecks(const QString &path, CheckDepth depth, std::atomic<bool> *stop = nullptr)
{
    FileCheck result;
    const QString header = internal::headerFault(path);
    if (!header.isEmpty()) {
        result.result = FileCheck::Result::Damaged;
        result.code = SQLITE_CORRUPT;
        result.findings = header;
        return result;
    }
    sqlite3 *db = nullptr;
    int flags = 0;
    const QByteArray name = internal::openName(path, &flags);
    int rc = sqlite3_open_v2(name.constData(), &db, flags, nullptr);
    QStringList lines;
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, internal::busyTimeout());
        if (stop)
            sqlite3_progress_handler(db, 1000, stopWhenAsked, stop);
        internal::registerExtensions(db);
        rc = readLines(db,
                       depth == CheckDepth::Full ? "PRAGMA integrity_check(100)"
                                                 : "PRAGMA quick_check(100)",
                       &lines);
        if (rc != SQLITE_OK) {
            lines = {internal::lastError(db)};
        } else if (lines != QStringList{QStringLiteral("ok")}) {
            rc = SQLITE_CORRUPT;
        } else {
            lines.clear();
            if (depth == CheckDepth::BeforeWrite)
                rc = checkIndexes(db, &lines);
        }
    } else if (db) {
        lines = {internal::lastError(db)};
    }
    sqlite3_close(db);
    const int primary = rc & 0xFF;
    if (rc == SQLITE_OK || primary == SQLITE_BUSY || primary == SQLITE_LOCKED
        || primary == SQLITE_INTERRUPT)
        return result;
    result.result = FileCheck::Result::Damaged;
    result.code = rc;
    result.findings = lines.join(QLatin1Char('\n'));
    result.indexesOnly = primary == SQLITE_CORRUPT && indexFindingsOnly(result.findings);
    return result;
}

std::mutex g_indexMutex;
QStringList g_damagedIndexes;
std::function<void()> g_indexReceiver;

// Keeps a file whose indexes alone are damaged for the receiver, and calls
// it on the thread of the application object.
void reportDamagedIndexes(const QString &path)
{
    {
        std::lock_guard lock(g_indexMutex);
        if (g_damagedIndexes.contains(path))
            return;
        g_damagedIndexes << path;
    }
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app,
            [] {
                std::function<void()> receiver;
                {
                    std::lock_guard lock(g_indexMutex);
                    receiver = g_indexReceiver;
                }
                if (receiver)
                    receiver();
            },
            Qt::QueuedConnection);
}

// One running or finished check, shared by its connection's authorizer and
// the thread that runs it.
struct Check
{
    QString path;
    std::mutex mutex;
    std::condition_variable ended;
    internal::CheckState state = internal::CheckState::Pending;
    std::atomic<bool> sound{false};
    // The file has its journal mode (set at the first write on the
    // connection's own thread).
    bool journalSet = false;
    FileCheck found;
    std::atomic<bool> stop{false};
    std::thread thread;
};

std::mutex g_registryMutex;

std::unordered_map<sqlite3 *, std::shared_ptr<Check>> &checks()
{
    static std::unordered_map<sqlite3 *, std::shared_ptr<Check>> map;
    return map;
}

std::shared_ptr<Check> checkOf(sqlite3 *db)
{
    std::lock_guard lock(g_registryMutex);
    const auto it = checks().find(db);
    return it == checks().end() ? nullptr : it->second;
}

bool isWrite(int action, const char *a1, const char *a2, const char *dbName)
{
    if (dbName && std::strcmp(dbName, "temp") == 0)
        return false;
    switch (action) {
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_VIEW:
    case SQLITE_DROP_INDEX:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TRIGGER:
    case SQLITE_DROP_VIEW:
    case SQLITE_ALTER_TABLE:
    case SQLITE_REINDEX:
    case SQLITE_ANALYZE:
    case SQLITE_CREATE_VTABLE:
    case SQLITE_DROP_VTABLE:
        return true;
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
        return a1 && std::strcmp(a1, "BEGIN") == 0;
    case SQLITE_PRAGMA: {
        if (!a1 || !a2)
            return false;
        static const char *const writing[]
            = {"journal_mode",   "user_version",       "application_id",
               "schema_version", "incremental_vacuum", "wal_checkpoint",
               "auto_vacuum",    "page_size",          "optimize"};
        for (const char *p : writing) {
            if (sqlite3_stricmp(a1, p) == 0)
                return true;
        }
        return false;
    }
    default:
        return false;
    }
}

// Holds a write until the check of its file has ended; refuses it when the
// check found damage. Before the first write to a sound file, the file gets
// its journal mode: a session that only reads leaves the file as it was.
int authorize(void *data, int action, const char *a1, const char *a2, const char *dbName,
              const char *)
{
    auto *check = static_cast<Check *>(data);
    if (check->journalSet || !isWrite(action, a1, a2, dbName))
        return SQLITE_OK;
    if (!check->sound.load(std::memory_order_acquire)) {
        std::unique_lock lock(check->mutex);
        check->ended.wait(lock, [&] { return check->state != internal::CheckState::Pending; });
        if (check->state != internal::CheckState::Sound)
            return SQLITE_DENY;
    }
    check->journalSet = internal::setJournalMode(check->path);
    return SQLITE_OK;
}

// Runs on a thread of its own; `check` lives until stopCheck has joined it.
void runCheck(Check *check)
{
    const FileCheck found = runChecks(check->path, CheckDepth::BeforeWrite, &check->stop);
    const bool sound = found.result == FileCheck::Result::Sound;
    if (found.indexesOnly)
        reportDamagedIndexes(check->path);
    {
        std::lock_guard lock(check->mutex);
        check->found = found;
        check->state = sound ? internal::CheckState::Sound : internal::CheckState::Damaged;
        check->sound.store(sound, std::memory_order_release);
    }
    check->ended.notify_all();
}

void stopAll()
{
    std::vector<sqlite3 *> handles;
    {
        std::lock_guard lock(g_registryMutex);
        for (const auto &entry : checks())
            handles.push_back(entry.first);
    }
    for (sqlite3 *db : handles)
        internal::stopCheck(db);
}

// Every check ends before the program does.
struct StopAtExit
{
    StopAtExit()
    {
        checks(); // made first, so that it is still there when this one goes
        if (QCoreApplication::instance())
            qAddPostRoutine(stopAll);
    }
    ~StopAtExit() { stopAll(); }
};

} // namespace

FileCheck checkDatabaseFile(const QString &path, CheckDepth depth)
{
    FileCheck result;
    const QFileInfo fi(path);
    if (!fi.exists() || !fi.isFile()) {
        result.result = FileCheck::Result::Missing;
        return result;
    }
    if (!isSqliteFile(path)) {
        result.result = FileCheck::Result::NotADatabase;
        return result;
    }
    return runChecks(path, depth);
}

QString damageText(const FileCheck &check, const QString &path)
{
    return internal::damageError(check, path, QString()).description();
}

FolderCheck checkDataFolder(const QString &dir)
{
    FolderCheck folder;
    for (const QString &name : databaseFileNames()) {
        const QString path = dataFile(dir, name);
        const FileCheck file = checkDatabaseFile(path, CheckDepth::Full);
        switch (file.result) {
        case FileCheck::Result::Sound:
            folder.lines << name + QStringLiteral(": íntegro");
            continue;
        case FileCheck::Result::Missing:
            folder.lines << name + QStringLiteral(": não encontrado");
            break;
        case FileCheck::Result::NotADatabase:
            folder.lines << name
                                + QStringLiteral(": não é um banco de dados do sistema (SQLite 3)");
            break;
        case FileCheck::Result::Damaged:
            folder.lines << name + QStringLiteral(": DANIFICADO");
            folder.lines << QStringLiteral("    ") + damageText(file, path);
            folder.details << QStringLiteral("%1: %2").arg(path, file.findings);
            break;
        }
        folder.sound = false;
    }
    folder.lines << (folder.sound ? QStringLiteral("Pasta de dados sem problemas: %1")
                                  : QStringLiteral("Problemas na pasta de dados: %1"))
                        .arg(dir);
    return folder;
}

QStringList takeFilesWithDamagedIndexes()
{
    std::lock_guard lock(g_indexMutex);
    return std::exchange(g_damagedIndexes, {});
}

void setDamagedIndexReceiver(std::function<void()> receiver)
{
    std::lock_guard lock(g_indexMutex);
    g_indexReceiver = std::move(receiver);
}

QString rebuildIndexes(const QString &path)
{
    closeDatabase(path);
    const QString source = QStringLiteral("kq_data");
    const QString copy = path + QStringLiteral(".copia-")
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    sqlite3 *from = nullptr;
    sqlite3 *to = nullptr;
    auto fail = [&](sqlite3 *db) {
        const DataError e = databaseError(sqlite3_extended_errcode(db), internal::lastError(db),
                                          db == to ? copy : path, source);
        sqlite3_close(from);
        sqlite3_close(to);
        return e;
    };
    sqlite3_open_v2(QFile::encodeName(path).constData(), &from, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(from, internal::busyTimeout());
    if (sqlite3_open_v2(QFile::encodeName(copy).constData(), &to,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK)
        throw fail(to);
    sqlite3_backup *backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        throw fail(to);
    const int rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw fail((rc & 0xFF) == SQLITE_FULL || (rc & 0xFF) == SQLITE_READONLY ? to : from);
    sqlite3_close(to);
    to = nullptr;
    sqlite3_extended_result_codes(from, 1);
    internal::registerExtensions(from);
    if (sqlite3_exec(from, "REINDEX", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw fail(from);
    sqlite3_close(from);
    const FileCheck again = runChecks(path, CheckDepth::BeforeWrite);
    if (again.result != FileCheck::Result::Sound)
        throw internal::damageError(again, path, source);
    return copy;
}

void setCheckWaitAtOpen(int milliseconds)
{
    g_waitAtOpen.store(milliseconds);
}

namespace internal {

int checkWaitAtOpen()
{
    return g_waitAtOpen.load();
}

void startCheck(sqlite3 *db, const QString &path)
{
    static StopAtExit stopAtExit;
    stopCheck(db);
    auto check = std::make_shared<Check>();
    check->path = path;
    sqlite3_set_authorizer(db, authorize, check.get());
    {
        std::lock_guard lock(g_registryMutex);
        checks()[db] = check;
    }
    check->thread = std::thread(runCheck, check.get());
}

CheckState waitForCheck(sqlite3 *db, int milliseconds)
{
    const std::shared_ptr<Check> check = checkOf(db);
    if (!check)
        return CheckState::Sound;
    std::unique_lock lock(check->mutex);
    auto ended = [&] {
        return check->state != CheckState::Pending;
    };
    if (milliseconds < 0)
        check->ended.wait(lock, ended);
    else
        check->ended.wait_for(lock, std::chrono::milliseconds(milliseconds), ended);
    return check->state;
}

FileCheck checkResult(sqlite3 *db)
{
    const std::shared_ptr<Check> check = checkOf(db);
    if (!check)
        return FileCheck();
    std::lock_guard lock(check->mutex);
    return check->found;
}

DataError damageError(const FileCheck &check, const QString &path, const QString &source)
{
    if (!check.indexesOnly)
        return databaseError(check.code ? check.code : SQLITE_CORRUPT, check.findings, path,
                             source);
    return DataError(
        ErrorNumber::Damaged,
        QStringLiteral("Os índices do arquivo \"%1\" estão danificados: as "
                       "consultas podem trazer registros errados. Os dados estão "
                       "íntegros e os índices podem ser reconstruídos.")
            .arg(path),
        source, QStringLiteral("SQLite %1: %2 (%3)").arg(SQLITE_CORRUPT).arg(check.findings, path));
}

QString headerFault(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray h = file.read(100);
    if (h.size() < 100)
        return QString(); // SQLite says what is wrong with a short file
    const auto byte = [&](int at) {
        return int(static_cast<unsigned char>(h.at(at)));
    };
    const int pageSize = byte(16) << 8 | byte(17);
    const bool sizeOk = pageSize == 1 || (pageSize >= 512 && (pageSize & (pageSize - 1)) == 0);
    auto fault = [](const char *what, int value, int offset) {
        return QStringLiteral("cabeçalho do arquivo: %1 %2 (byte %3)")
            .arg(QString::fromUtf8(what))
            .arg(value)
            .arg(offset);
    };
    if (!sizeOk)
        return fault("tamanho de página", pageSize, 16);
    if (byte(18) < 1 || byte(18) > 2)
        return fault("versão de gravação", byte(18), 18);
    if (byte(19) < 1 || byte(19) > 2)
        return fault("versão de leitura", byte(19), 19);
    const int usable = (pageSize == 1 ? 65536 : pageSize) - byte(20);
    if (usable < 480)
        return fault("espaço reservado por página", byte(20), 20);
    const int fixed[][2] = {{21, 64}, {22, 32}, {23, 32}};
    for (const auto &f : fixed) {
        if (byte(f[0]) != f[1])
            return fault("campo fixo", byte(f[0]), f[0]);
    }
    if (byte(56) == 0 && byte(59) == 0 && byte(58) == 0 && byte(57) == 0)
        return QString(); // no encoding yet: an empty file
    const quint32 encoding = quint32(byte(56)) << 24 | quint32(byte(57)) << 16
                             | quint32(byte(58)) << 8 | quint32(byte(59));
    if (encoding > 3)
        return fault("codificação do texto", int(encoding), 56);
    return QString();
}

bool onReadOnlyDisk(const QString &path)
{
    const QStorageInfo storage(QFileInfo(path).absolutePath());
    return storage.isValid() && storage.isReadOnly();
}

QByteArray openName(const QString &path, int *flags)
{
    if (!onReadOnlyDisk(path)) {
        *flags = SQLITE_OPEN_READWRITE;
        return QFile::encodeName(path);
    }
    *flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?immutable=1";
}

void stopCheck(sqlite3 *db)
{
    std::shared_ptr<Check> check;
    {
        std::lock_guard lock(g_registryMutex);
        const auto it = checks().find(db);
        if (it == checks().end())
            return;
        check = it->second;
        checks().erase(it);
    }
    sqlite3_set_authorizer(db, nullptr, nullptr);
    check->stop.store(true);
    if (check->thread.joinable())
        check->thread.join();
}

} // namespace internal

} // namespace kq::data
