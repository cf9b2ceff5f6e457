#include "data/journal_p.h"

#include "data/connection_p.h"
#include "data/database.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QThread>

#include <atomic>
#include <mutex>

#include <sqlite3.h>

namespace kq::data {

namespace {

std::atomic<int> g_busyTimeout{60000};

std::mutex g_notesMutex;
QStringList g_notes;
std::function<void(const QString &)> g_receiver;

} // namespace

namespace internal {

void deliverNotes()
{
    QStringList notes;
    std::function<void(const QString &)> receiver;
    {
        std::lock_guard lock(g_notesMutex);
        notes.swap(g_notes);
        receiver = g_receiver;
    }
    for (const QString &n : std::as_const(notes)) {
        if (receiver)
            receiver(n);
        else
            qWarning().noquote() << n;
    }
}

} // namespace internal

namespace {

QString run(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *st = nullptr;
    QString result;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK
        && sqlite3_step(st) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return result.toLower();
}

} // namespace

void setNoteReceiver(std::function<void(const QString &)> receiver)
{
    std::lock_guard lock(g_notesMutex);
    g_receiver = std::move(receiver);
}

namespace internal {

int busyTimeout()
{
    return g_busyTimeout.load();
}

void setBusyTimeout(int milliseconds)
{
    g_busyTimeout.store(milliseconds);
}

bool isNetworkFileSystem(const QByteArray &type)
{
    static const char *const network[] = {
        "nfs",   "cifs",  "smb",  "9p",         "afs",         "ceph",      "gluster",   "lustre",
        "davfs", "ncpfs", "coda", "fuse.sshfs", "fuse.rclone", "fuse.s3fs", "fuse.davfs"};
    const QByteArray t = type.toLower();
    for (const char *n : network) {
        if (t.startsWith(n))
            return true;
    }
    return false;
}

bool setJournalMode(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QByteArray fsType = QStorageInfo(folder).fileSystemType();
    const bool network = isNetworkFileSystem(fsType);

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
        != SQLITE_OK) {
        sqlite3_close(db);
        return true; // the write that follows tells why
    }
    sqlite3_busy_timeout(db, 250);
    auto busy = [&] {
        const int code = sqlite3_errcode(db) & 0xFF;
        return code == SQLITE_BUSY || code == SQLITE_LOCKED;
    };
    bool done = true;
    const QString before = run(db, "PRAGMA journal_mode");
    if (before.isEmpty()) {
        done = !busy();
    } else if (network) {
        if (before == QLatin1String("wal") && run(db, "PRAGMA journal_mode=DELETE").isEmpty())
            done = !busy();
        if (done)
            postNote(QStringLiteral("A pasta do arquivo \"%1\" é uma pasta de rede (%2): o "
                                    "arquivo usa o diário de reversão, não o WAL.")
                         .arg(path, QString::fromLatin1(fsType)));
    } else if (before != QLatin1String("wal")) {
        const QString mode = run(db, "PRAGMA journal_mode=WAL");
        if (mode != QLatin1String("wal")) {
            done = !busy();
            if (done) {
                const QString why = mode.isEmpty() ? lastError(db) : mode;
                run(db, "PRAGMA journal_mode=DELETE");
                postNote(QStringLiteral("O arquivo \"%1\" não aceitou o diário WAL (%2): usa "
                                        "o diário de reversão.")
                             .arg(path, why));
            }
        }
    }
    sqlite3_close(db);
    return done;
}

void postNote(const QString &text)
{
    {
        std::lock_guard lock(g_notesMutex);
        g_notes << text;
    }
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        deliverNotes();
    else
        QMetaObject::invokeMethod(app, &deliverNotes, Qt::QueuedConnection);
}

} // namespace internal

} // namespace kq::data
