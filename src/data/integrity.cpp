#include "data/integrity.h"

#include "data/connection_p.h"
#include "data/datafolder.h"
#include "data/integrity_p.h"
#include "data/journal_p.h"
#include "data/schema.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

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

// Runs the quick check on a connection of its own; true when sound (or when
// it could not run to its end: another program held the file, or `stop`).
bool quickCheck(const QString &path, QString *findings, std::atomic<bool> *stop = nullptr)
{
    sqlite3 *db = nullptr;
    const QByteArray native = QFile::encodeName(path);
    int rc = sqlite3_open_v2(native.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, internal::busyTimeout());
        if (stop)
            sqlite3_progress_handler(db, 1000, stopWhenAsked, stop);
        internal::registerExtensions(db);
        sqlite3_stmt *st = nullptr;
        rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(100)", -1, &st, nullptr);
        QStringList lines;
        while (rc == SQLITE_OK || rc == SQLITE_ROW) {
            rc = sqlite3_step(st);
            if (rc == SQLITE_ROW)
                lines << QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        }
        sqlite3_finalize(st);
        if (rc == SQLITE_DONE) {
            rc = SQLITE_OK;
            if (lines != QStringList{QStringLiteral("ok")}) {
                *findings = lines.join(QLatin1Char('\n'));
                rc = SQLITE_CORRUPT;
            }
        } else {
            *findings = internal::lastError(db);
        }
    } else {
        *findings = db ? internal::lastError(db) : QString();
    }
    sqlite3_close(db);
    const int primary = rc & 0xFF;
    return rc == SQLITE_OK || primary == SQLITE_BUSY || primary == SQLITE_LOCKED
           || primary == SQLITE_INTERRUPT;
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
    QString findings;
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
    QString findings;
    const bool sound = quickCheck(check->path, &findings, &check->stop);
    {
        std::lock_guard lock(check->mutex);
        check->findings = findings;
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

FileCheck checkDatabaseFile(const QString &path)
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
    if (!quickCheck(path, &result.findings))
        result.result = FileCheck::Result::Damaged;
    return result;
}

FolderCheck checkDataFolder(const QString &dir)
{
    FolderCheck folder;
    for (const QString &name : databaseFileNames()) {
        const FileCheck file = checkDatabaseFile(dataFile(dir, name));
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
            for (const QString &line : file.findings.split(QLatin1Char('\n')))
                folder.lines << QStringLiteral("    ") + line;
            break;
        }
        folder.sound = false;
    }
    folder.lines << (folder.sound ? QStringLiteral("Pasta de dados sem problemas: %1")
                                  : QStringLiteral("Problemas na pasta de dados: %1"))
                        .arg(dir);
    return folder;
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

QString checkFindings(sqlite3 *db)
{
    const std::shared_ptr<Check> check = checkOf(db);
    if (!check)
        return QString();
    std::lock_guard lock(check->mutex);
    return check->findings;
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
