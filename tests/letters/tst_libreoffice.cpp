// LibreOffice as the letters use it, with a stand-in "soffice" on PATH: each
// template converted once, a cancelled conversion, the program's own profile,
// and the filled copies in a folder of the account's own.
#include "platform/letters/officeprofile.h"
#include "platform/letters/privatefolders.h"
#include "platform/letters/templatecache.h"
#include "platform/letters/wordprocessor.h"
#include "support/base_dialogs.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>

using kq::platform::LibreOfficeProcessor;
using kq::platform::OfficeProfile;
using kq::platform::TemplateCache;

namespace {

// The stand-in soffice of tests/fixtures.
QString fakeOffice()
{
    QString root = qEnvironmentVariable("KQ_TEST_SOURCE_DIR");
    if (root.isEmpty())
        root = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../..");
    return root + QStringLiteral("/tests/fixtures/fake-soffice.sh");
}

int mode(const QString &path)
{
    struct stat st
    {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// This program run as another copy of the program: it fills a letter, tells
// its path and, with "running", goes on until its input closes.
const char kCopyVariable[] = "KQ_TEST_LETTER_COPY";

int runAsAnotherCopy()
{
    const QString path = kq::platform::newFilledLetterPath(QStringLiteral("Carta Branda"));
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::WriteOnly) || f.write("<carta>") != 7)
        return 1;
    f.close();
    std::printf("%s\n", QFile::encodeName(path).constData());
    std::fflush(stdout);
    if (qgetenv(kCopyVariable) == "running") {
        while (std::getchar() != EOF) {
        }
    }
    return 0;
}

// Another copy of the program with a letter of its own, still running unless
// `ended`; its letter's path.
QString anotherCopy(QProcess &copy, bool ended)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kCopyVariable),
               ended ? QStringLiteral("ended") : QStringLiteral("running"));
    copy.setProcessEnvironment(env);
    copy.start(QCoreApplication::applicationFilePath(), {});
    if (!copy.waitForStarted() || !copy.waitForReadyRead(10000))
        return QString();
    const QString path = QFile::decodeName(copy.readLine().trimmed());
    if (ended)
        copy.waitForFinished();
    return path;
}

} // namespace

class tst_libreoffice : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void templateCacheKeys();
    void convertsEachTemplateOnce();
    void cancelledConversionLeavesNothing();
    void filledCopyInPrivateFolder();
    void leftoversRemoved();
    void lettersOfRunningCopiesKept();

private:
    int runs() const { return readAll(m_log).count('\n'); }
    QString templateFile(const QByteArray &text);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<kq::test::ScriptedDialogs> m_dialogs;
    QString m_log;
    QByteArray m_path;
};

void tst_libreoffice::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_dialogs = std::make_unique<kq::test::ScriptedDialogs>();
    const QString bin = m_dir->filePath("bin");
    QDir().mkpath(bin);
    QVERIFY(QFile::copy(fakeOffice(), bin + "/soffice"));
    QFile::setPermissions(bin + "/soffice", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_log = m_dir->filePath("soffice.log");
    m_path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + m_path);
    qputenv("FAKE_LOG", QFile::encodeName(m_log));
    qunsetenv("FAKE_SLEEP");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir->filePath("cache")));
    QDir().mkpath(m_dir->filePath("run"));
    QFile::setPermissions(m_dir->filePath("run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir->filePath("run")));
    QCOMPARE(LibreOfficeProcessor::program(), bin + "/soffice");
}

void tst_libreoffice::cleanup()
{
    qputenv("PATH", m_path);
    m_dialogs.reset();
    m_dir.reset();
}

QString tst_libreoffice::templateFile(const QByteArray &text)
{
    const QString path = m_dir->filePath("dados/Carta Branda.doc");
    QDir().mkpath(m_dir->filePath("dados"));
    write(path, text);
    return path;
}

void tst_libreoffice::templateCacheKeys()
{
    const QString path = templateFile("word 1");
    const TemplateCache cache(m_dir->filePath("cache/modelos"));
    QVERIFY(cache.lookup(path).isEmpty());
    QVERIFY(cache.store(path, "<convertido 1>"));
    QCOMPARE(cache.lookup(path), QString("<convertido 1>"));
    QCOMPARE(mode(m_dir->filePath("cache/modelos")), 0700);
    // Another template of the same content is not the same entry.
    QFile::copy(path, m_dir->filePath("dados/Carta Incisiva.doc"));
    QVERIFY(cache.lookup(m_dir->filePath("dados/Carta Incisiva.doc")).isEmpty());

    // A changed size or modification time makes the entry stale.
    QFile f(path);
    const QDateTime stamp = QFileInfo(path).lastModified();
    write(path, "word 22");
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    f.close();
    QVERIFY(cache.lookup(path).isEmpty());
    QVERIFY(cache.store(path, "<convertido 2>"));
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(stamp.addSecs(60), QFileDevice::FileModificationTime));
    f.close();
    QVERIFY(cache.lookup(path).isEmpty());
    QVERIFY(cache.lookup(m_dir->filePath("dados/nada.doc")).isEmpty());
}

void tst_libreoffice::convertsEachTemplateOnce()
{
    const QString path = templateFile("modelo word");
    LibreOfficeProcessor lo;
    QString error;
    const QString first = lo.toFlatOdt(path, &error);
    QVERIFY2(first.contains(">modelo word<"), qPrintable(first + error));
    QCOMPARE(runs(), 1);
    QVERIFY(readAll(m_log).contains("--headless"));
    QVERIFY(readAll(m_log).contains(OfficeProfile::argument().toUtf8()));
    QCOMPARE(m_dialogs->progressLabels.value(0),
             QString("Convertendo o modelo \"Carta Branda.doc\"..."));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(lo.toFlatOdt(path, &error), first);
    QVERIFY(clock.elapsed() < 1000);
    QCOMPARE(runs(), 1); // the second letter needs no conversion
    // No conversion folder is left behind.
    QCOMPARE(QDir(kq::platform::letterCacheFolder()).entryList({"conversao-*"}, QDir::Dirs),
             QStringList());

    write(path, "modelo word mudado");
    QVERIFY(lo.toFlatOdt(path, &error).contains(">modelo word mudado<"));
    QCOMPARE(runs(), 2);
}

void tst_libreoffice::cancelledConversionLeavesNothing()
{
    const QString path = templateFile("modelo word");
    qputenv("FAKE_SLEEP", "20");
    m_dialogs->cancelProgressAt = 3;
    LibreOfficeProcessor lo;
    QString error = "x";
    QElapsedTimer clock;
    clock.start();
    QVERIFY(lo.toFlatOdt(path, &error).isEmpty());
    QVERIFY(error.isEmpty()); // cancelled, not failed
    QVERIFY(clock.elapsed() < 5000);
    // The launcher and what it started have ended.
    const qint64 child = readAll(m_log + ".child").trimmed().toLongLong();
    QVERIFY(child > 0);
    QTRY_VERIFY(::kill(static_cast<pid_t>(child), 0) != 0);
    // Nothing kept: the next letter converts again.
    m_dialogs->cancelProgressAt = -1;
    qunsetenv("FAKE_SLEEP");
    QVERIFY(!lo.toFlatOdt(path, &error).isEmpty());
    QCOMPARE(runs(), 2);
}

void tst_libreoffice::filledCopyInPrivateFolder()
{
    LibreOfficeProcessor lo;
    QString error;
    QVERIFY2(lo.show("<carta de ANA, CPF 123>", QString("Carta Notificação"), &error),
             qPrintable(error));
    // The profile was set up once, with the settings and the macro added.
    const QString user = OfficeProfile::folder() + "/user";
    QVERIFY(readAll(m_log).startsWith(OfficeProfile::argument().toUtf8() + " --headless"));
    const QByteArray settings = readAll(user + "/registrymodifications.xcu");
    QVERIFY(settings.contains("FirstRun"));
    QVERIFY(settings.contains("oor:name=\"UILocale\" oor:op=\"fuse\"><value>pt-BR</value>"));
    QVERIFY(settings.trimmed().endsWith("</oor:items>"));
    QVERIFY(readAll(user + "/basic/Standard/Cartas.xba").contains("Sub Abrir(sUrl As String)"));
    const QByteArray index = readAll(user + "/basic/Standard/script.xlb");
    QVERIFY(index.contains("library:name=\"Module1\""));
    QVERIFY(index.contains("library:name=\"Cartas\""));
    QCOMPARE(mode(kq::platform::letterCacheFolder()), 0700);

    // The window is asked for through the macro, with the copy's URL.
    QTRY_COMPARE(runs(), 2);
    const QString call = QString::fromUtf8(readAll(m_log)).split('\n').at(1);
    const QString prefix = "macro:///Standard.Cartas.Abrir(\"";
    const qsizetype at = call.indexOf(prefix);
    QVERIFY2(at > 0 && call.endsWith("\")"), qPrintable(call));
    const QString url = call.mid(at + prefix.size()).chopped(2);
    QVERIFY(url.endsWith("/Carta%20Notifica%C3%A7%C3%A3o.fodt"));
    const QString copy = QUrl(url).toLocalFile();
    QCOMPARE(QFileInfo(copy).fileName(), QString("Carta Notificação.fodt"));
    QCOMPARE(readAll(copy), QByteArray("<carta de ANA, CPF 123>"));
    const QString folder = kq::platform::filledLettersFolder();
    QCOMPARE(folder, m_dir->filePath("run") + "/kq-730/cartas");
    QCOMPARE(QFileInfo(QFileInfo(copy).absolutePath()).absolutePath(), folder);
    QCOMPARE(mode(folder), 0700);
    QCOMPARE(mode(QFileInfo(copy).absolutePath()), 0700);
    QCOMPARE(mode(copy), 0600);

    // A second letter uses the profile as it is: no set-up run.
    QVERIFY(lo.show("<outra>", QString("Carta Notificação"), &error));
    QTRY_COMPARE(runs(), 3);
    QCOMPARE(QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
}

void tst_libreoffice::leftoversRemoved()
{
    // Filled copies the word processor never read go at the next start; the
    // folder itself stays, and a folder shared with others is made private.
    const QString folder = kq::platform::filledLettersFolder();
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                      | QFile::ReadOther | QFile::ExeOther);
    QProcess former;
    const QString copy = anotherCopy(former, true);
    QVERIFY(!copy.isEmpty());
    QCOMPARE(former.exitCode(), 0);
    QCOMPARE(mode(folder), 0700);
    QCOMPARE(readAll(copy), QByteArray("<carta>"));
    write(folder + "/.solto", "x");
    kq::platform::removeFilledLetters();
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

// A copy of the program that starts leaves alone the letters that a running
// copy has not yet seen read by the word processor, its own among them.
void tst_libreoffice::lettersOfRunningCopiesKept()
{
    QProcess former;
    const QString left = anotherCopy(former, true);
    QProcess running;
    const QString theirs = anotherCopy(running, false);
    const QString ours = kq::platform::newFilledLetterPath("Carta Incisiva");
    QVERIFY(!left.isEmpty() && !theirs.isEmpty() && !ours.isEmpty());
    write(ours, "<nossa>");
    QVERIFY(QFileInfo::exists(left));

    kq::platform::removeFilledLetters();
    QVERIFY(!QFileInfo::exists(QFileInfo(left).absolutePath()));
    QCOMPARE(readAll(theirs), QByteArray("<carta>"));
    QCOMPARE(readAll(ours), QByteArray("<nossa>"));

    // Once the other copy ends, its letter is one left behind.
    running.closeWriteChannel();
    QVERIFY(running.waitForFinished());
    kq::platform::removeFilledLetters();
    QVERIFY(!QFileInfo::exists(QFileInfo(theirs).absolutePath()));
    QCOMPARE(readAll(ours), QByteArray("<nossa>"));
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kCopyVariable))
        return runAsAnotherCopy();
    tst_libreoffice test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_libreoffice.moc"
