// The cube's save as the system sees it: this program stands in for the C
// library's write, fsync, fdatasync, rename, renameat2 and linkat, so it hears
// of every call the save makes (its own and Qt's) and can make a write fail as
// a full disk does.
#include "support/cubefixture.h"

#include "data/database.h"
#include "cube/model/cubemodel.h"

#include <QFileInfo>
#include <QMutex>
#include <QtTest>
#include <cerrno>
#include <dlfcn.h>
#include <unistd.h>

using namespace kq::platform;

namespace {

// What the save did, in order: "sync <path>" and "name <path>" (a file that
// took the name by a rename or a link).
QMutex g_lock;
QStringList g_calls;
QString g_watched;    // the folder whose files are heard of
int g_failWrites = 0; // errno the writes there fail with
int g_failSyncs = 0;  // errno the syncs there fail with

QString pathOf(int fd)
{
    char buffer[4096];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer - 1);
    return n > 0 ? QString::fromLocal8Bit(buffer, n) : QString();
}

bool watched(const QString &path)
{
    return !g_watched.isEmpty() && path.startsWith(g_watched);
}

void heard(const QString &call)
{
    QMutexLocker locker(&g_lock);
    g_calls.append(call);
}

template<typename F>
F real(const char *name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

// 0 when the sync goes on to the disk.
int synced(int fd)
{
    const QString path = pathOf(fd);
    if (!watched(path))
        return 0;
    heard(QStringLiteral("sync ") + path);
    errno = g_failSyncs;
    return g_failSyncs ? -1 : 0;
}

} // namespace

extern "C" {

int fsync(int fd)
{
    static const auto next = real<int (*)(int)>("fsync");
    return synced(fd) ? -1 : next(fd);
}

int fdatasync(int fd)
{
    static const auto next = real<int (*)(int)>("fdatasync");
    return synced(fd) ? -1 : next(fd);
}

static int named(int rc, const char *to)
{
    if (rc == 0 && watched(QString::fromLocal8Bit(to)))
        heard(QStringLiteral("name ") + QString::fromLocal8Bit(to));
    return rc;
}

int rename(const char *from, const char *to)
{
    static const auto next = real<int (*)(const char *, const char *)>("rename");
    return named(next(from, to), to);
}

int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned int flags)
{
    static const auto next
        = real<int (*)(int, const char *, int, const char *, unsigned int)>("renameat2");
    return named(next(fromDir, from, toDir, to, flags), to);
}

int linkat(int fromDir, const char *from, int toDir, const char *to, int flags)
{
    static const auto next = real<int (*)(int, const char *, int, const char *, int)>("linkat");
    return named(next(fromDir, from, toDir, to, flags), to);
}

ssize_t write(int fd, const void *data, size_t size)
{
    static const auto next = real<ssize_t (*)(int, const void *, size_t)>("write");
    if (g_failWrites && watched(pathOf(fd))) {
        errno = g_failWrites;
        return -1;
    }
    return next(fd, data, size);
}

} // extern "C"

class tst_cubesave : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void syncedBeforeTakingTheName_data();
    void syncedBeforeTakingTheName();
    void failureToldWithItsReason_data();
    void failureToldWithItsReason();

private:
    void arrange(CubeModel &m);
    QTemporaryDir m_dir;
    QString m_db;
    QString m_files;
};

void tst_cubesave::initTestCase()
{
    m_db = cubetest::makeFixture(m_dir.path());
    m_files = m_dir.filePath(QStringLiteral("cubos"));
}

void tst_cubesave::cleanupTestCase()
{
    g_watched.clear();
    kq::data::closeAllDatabases();
}

void tst_cubesave::init()
{
    QDir(m_files).removeRecursively();
    QDir().mkpath(m_files);
    QMutexLocker locker(&g_lock);
    g_calls.clear();
    g_failWrites = 0;
    g_failSyncs = 0;
    g_watched = m_files;
}

void tst_cubesave::arrange(CubeModel &m)
{
    cubetest::defineCube(m, m_db);
    m.fields()->item(QStringLiteral("ds_loja"))->setOrientation(OrientRow);
    QVERIFY(m.rebuild());
}

void tst_cubesave::syncedBeforeTakingTheName_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("replacing"); // an older file is there
    QTest::newRow("new file, layout only") << 0 << false;
    QTest::newRow("replacing a file with data") << int(SaveWithData | SaveCompressed) << true;
}

// A power cut never leaves an empty file in the place of the old one: the new
// bytes are on the disk before the file takes its name, and the folder is
// synced after, so the name stays.
void tst_cubesave::syncedBeforeTakingTheName()
{
    QFETCH(int, flags);
    QFETCH(bool, replacing);
    CubeModel m;
    arrange(m);
    const QString file = m_files + QStringLiteral("/vendas.cub");
    if (replacing)
        QVERIFY(m.save(file, 0));
    g_calls.clear();
    QVERIFY2(m.save(file, flags), qPrintable(m.lastError()));
    const QStringList calls = g_calls;
    const qsizetype named = calls.indexOf(QStringLiteral("name ") + file);
    QVERIFY2(named >= 0, qPrintable(calls.join(u'\n')));
    // Only the new file's bytes: the old file (when there is one) is not
    // opened by the save.
    const QStringList before = calls.first(named);
    QVERIFY2(std::any_of(before.begin(), before.end(),
                         [&](const QString &c) {
                             return c.startsWith(QStringLiteral("sync ") + m_files + u'/')
                                    && c != QStringLiteral("sync ") + file;
                         }),
             qPrintable(calls.join(u'\n')));
    QVERIFY2(calls.mid(named + 1).contains(QStringLiteral("sync ") + m_files),
             qPrintable(calls.join(u'\n')));
    CubeModel back;
    QVERIFY(back.load(file).ok);
}

void tst_cubesave::failureToldWithItsReason_data()
{
    QTest::addColumn<bool>("atSync"); // the sync fails, not the writes
    QTest::addColumn<int>("errnum");
    QTest::addColumn<QString>("says");
    const QString full = QStringLiteral("Não há espaço livre no disco para gravar o arquivo "
                                        "\"%1\". Nada foi gravado: libere espaço e tente de novo.");
    QTest::newRow("full disk") << false << ENOSPC << full;
    QTest::newRow("quota") << false << EDQUOT << full;
    QTest::newRow("disk error")
        << false << EIO << "Não foi possível gravar %1: erro de leitura ou gravação no disco.";
    // Space the disk finds short only when the bytes go out to it.
    QTest::newRow("full disk at the sync") << true << ENOSPC << full;
}

// A failed save says why, and the file that was there stays as it was.
void tst_cubesave::failureToldWithItsReason()
{
    QFETCH(bool, atSync);
    QFETCH(int, errnum);
    QFETCH(QString, says);
    CubeModel m;
    arrange(m);
    const QString file = m_files + QStringLiteral("/cheio.cub");
    QVERIFY(m.save(file, 0));
    const QByteArray old = [&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    (atSync ? g_failSyncs : g_failWrites) = errnum;
    const CubeResult r = m.save(file, SaveWithData);
    g_failWrites = g_failSyncs = 0;
    QVERIFY(!r.ok);
    QCOMPARE(r.code, int(CubeErrWrite));
    QCOMPARE(r.description, says.arg(file));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), old);
    QCOMPARE(QDir(m_files).entryList(QDir::Files | QDir::Hidden).join(","), QString("cheio.cub"));
}

QTEST_MAIN(tst_cubesave)
#include "tst_cubesave.moc"
