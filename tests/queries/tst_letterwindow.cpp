// The letter road with the real LibreOffice on an X server the test starts
// (Xvfb): letters from the follow-up open Writer windows titled after the
// letter, from a shipped template and from a Word template converted once,
// and the windows are closed.
#include "collection/screens.h"
#include "data/database.h"
#include "platform/dbcombo.h"
#include "platform/letters/officeprofile.h"
#include "platform/letters/privatefolders.h"
#include "platform/letters/wordprocessor.h"
#include "queries/filelistbox.h"
#include "queries/frelatorioscartas.h"
#include "queries/screens.h"
#include "support/base_screens.h"
#include "support/base_timing.h"
#include "support/shell_agreement_fixture.h"
#include "support/shell_fixture.h"
#include "support/shell_letters_fixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <csignal>

using kq::platform::LibreOfficeProcessor;
using kq::queries::FileListBox;
using kq::queries::frelatorioscartas;

namespace {

QString runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// An X server of the test's own, on the first free display.
class XServer
{
public:
    ~XServer()
    {
        if (m_proc.state() != QProcess::NotRunning) {
            m_proc.terminate();
            if (!m_proc.waitForFinished(5000))
                m_proc.kill();
            m_proc.waitForFinished();
        }
    }
    // The display (":N"); empty when no server could be started.
    QString start()
    {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty())
            return QString();
        m_proc.start(xvfb, {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        QElapsedTimer clock;
        clock.start();
        QByteArray out;
        while (!out.contains('\n') && clock.elapsed() < 15000
               && m_proc.state() != QProcess::NotRunning) {
            m_proc.waitForReadyRead(500);
            out += m_proc.readAllStandardOutput();
        }
        bool ok = false;
        const int display = out.trimmed().toInt(&ok);
        return ok ? QStringLiteral(":%1").arg(display) : QString();
    }

private:
    QProcess m_proc;
};

// The LibreOffice processes running on the test's own profile.
QList<qint64> officeProcesses()
{
    const QByteArray profile = kq::platform::OfficeProfile::argument().toUtf8();
    QList<qint64> pids;
    for (const QString &entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        QFile cmd("/proc/" + entry + "/cmdline");
        if (ok && cmd.open(QIODevice::ReadOnly) && cmd.readAll().contains(profile))
            pids << pid;
    }
    return pids;
}

void endOffice()
{
    for (qint64 pid : officeProcesses())
        ::kill(static_cast<pid_t>(pid), SIGTERM);
    QElapsedTimer clock;
    clock.start();
    while (!officeProcesses().isEmpty() && clock.elapsed() < 10000)
        QTest::qWait(200);
    for (qint64 pid : officeProcesses())
        ::kill(static_cast<pid_t>(pid), SIGKILL);
}

} // namespace

class tst_letterwindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void letterOpensWriterWindow();

private:
    QStringList windows(const QString &name) const;
    QString waitForWindow(const QString &name, const QStringList &known = {});

    XServer m_x;
    QTemporaryDir m_home;
    QString m_xdotool;
};

void tst_letterwindow::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    const QString display = m_x.start();
    if (display.isEmpty())
        QSKIP("No X server could be started (Xvfb missing or refused).");
    QVERIFY2(!LibreOfficeProcessor::program().isEmpty(), "soffice is not installed");
    m_xdotool = QStandardPaths::findExecutable("xdotool");
    QVERIFY2(!m_xdotool.isEmpty(), "xdotool is not installed");
    // LibreOffice shows its windows on the test's X server; its profile, the
    // converted templates and the filled copies stay in the test's folders.
    qputenv("DISPLAY", display.toUtf8());
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_home.filePath("cache")));
    QDir().mkpath(m_home.filePath("run"));
    QFile::setPermissions(m_home.filePath("run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_home.filePath("run")));
}

void tst_letterwindow::cleanupTestCase()
{
    if (!m_xdotool.isEmpty())
        endOffice();
}

QStringList tst_letterwindow::windows(const QString &name) const
{
    const QString ids = runTool(m_xdotool, {"search", "--onlyvisible", "--name", name});
    return ids.isEmpty() ? QStringList() : ids.split('\n');
}

// A window of that name other than the `known` ones, within a minute and a
// half (the first letter sets the profile up and starts LibreOffice).
QString tst_letterwindow::waitForWindow(const QString &name, const QStringList &known)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 90000) {
        for (const QString &w : windows(name)) {
            if (!known.contains(w))
                return w;
        }
        QTest::qWait(250);
    }
    return QString();
}

void tst_letterwindow::letterOpensWriterWindow()
{
    kq::test::ShellFixture fx;
    kq::collection::registerScreens();
    kq::queries::registerLetterScreens();
    const QString db = fx.devolvidos();
    kq::test::addDebtor(db, "00001", "ANA & FILHOS LTDA");
    kq::test::addStore(db, "001", "LOJA A", 3, 2, 10, 6, 2);
    kq::test::addCheque(db, "0000000001", "00001", "001", QDate(2026, 3, 5), 150);
    kq::test::addCheque(db, "0000000002", "00001", "001", QDate(2026, 1, 2), 80.5);
    kq::data::exec(db, "UPDATE CLIENTES SET ds_endereco = 'Rua das Flores, 12', "
                       "ds_bairro = 'Centro', ds_cidade = 'Bauru', cd_cep = '17010-000', "
                       "nr_documento = '123.456.789-00' WHERE CD_cliente = '00001'");
    kq::data::exec(db, "UPDATE parametros SET ds_empresa = 'ESCRITÓRIO MODELO', "
                       "ds_cidade = 'Bauru', nr_telefone = '(14) 3333-0000', "
                       "ds_prazo = '5 dias'");

    // The office's template as a Word file: the shipped one converted to .doc.
    const QString folder = fx.folders.dataFolder();
    QTemporaryDir work;
    QFile::copy(folder + "/Carta Branda.doc", work.filePath("modelo.fodt"));
    runTool(LibreOfficeProcessor::program(),
            {"-env:UserInstallation=" + QUrl::fromLocalFile(work.filePath("perfil")).toString(),
             "--headless", "--norestore", "--convert-to", "doc:MS Word 97", "--outdir", work.path(),
             work.filePath("modelo.fodt")});
    QVERIFY(QFile::exists(work.filePath("modelo.doc")));
    QVERIFY(QFile::remove(folder + "/Carta Branda.doc"));
    QVERIFY(QFile::copy(work.filePath("modelo.doc"), folder + "/Carta Branda.doc"));

    kq::test::followUpDebtor("00001");
    auto *screen = qobject_cast<frelatorioscartas *>(kq::test::openLetterScreen());
    QVERIFY(screen);
    auto *templates = screen->findChild<FileListBox *>("diretorio");
    screen->findChild<kq::platform::DBList *>("ds_loja")->setBoundText("001");
    auto *run = screen->findChild<QPushButton *>("Command2");

    // A shipped template (Flat ODT): the first letter of the account sets the
    // profile up.
    QVERIFY(templates->setFileName("Carta Incisiva.doc"));
    run->click();
    QVERIFY2(fx.dialogs.messages.isEmpty(), qPrintable(fx.dialogs.lastText()));
    const QString incisiva = waitForWindow("^Carta Incisiva - LibreOffice Writer$");
    QVERIFY2(!incisiva.isEmpty(), "no Writer window titled after the letter");
    // LibreOffice removes the filled copy once it has read it.
    const QDir copies(kq::platform::filledLettersFolder());
    QTRY_VERIFY_WITH_TIMEOUT(copies.entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty(),
                             20000);

    // The Word template: converted at its first letter.
    QVERIFY(templates->setFileName("Carta Branda.doc"));
    run->click();
    QVERIFY2(fx.dialogs.messages.isEmpty(), qPrintable(fx.dialogs.lastText()));
    const QString first = waitForWindow("^Carta Branda - LibreOffice Writer$");
    QVERIFY2(!first.isEmpty(), "the Word template opened no window");
    QTRY_VERIFY_WITH_TIMEOUT(copies.entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty(),
                             20000);

    // Second letter from the same template: no conversion, filled at once.
    QElapsedTimer clock;
    clock.start();
    run->click();
    const qint64 filled = clock.elapsed();
    qInfo("second letter filled and handed over in %lld ms", filled);
    QVERIFY2(filled < kq::test::timeLimit(1000), qPrintable(QString::number(filled)));
    const QString second = waitForWindow("^Carta Branda - LibreOffice Writer$", {first});
    QVERIFY2(!second.isEmpty(), "the second letter opened no window");

    if (const QString dir = kq::test::shotDir(); !dir.isEmpty()) {
        QTest::qWait(3000); // spelling marks and the page drawn
        runTool("import", {"-display", qEnvironmentVariable("DISPLAY"), "-window", "root",
                           dir + "/carta-writer.png"});
    }

    // Closed as a user would, from the keyboard: every letter goes.
    // Without a window manager a busy Writer may miss the focus: try again.
    for (const QString &w : {second, first, incisiva}) {
        for (int attempt = 0; attempt < 3 && windows("^Carta ").contains(w); ++attempt) {
            runTool(m_xdotool, {"windowfocus", "--sync", w});
            runTool(m_xdotool, {"key", "--clearmodifiers", "ctrl+w"});
            (void)QTest::qWaitFor([&] { return !windows("^Carta ").contains(w); }, 10000);
        }
        QVERIFY2(!windows("^Carta ").contains(w), qPrintable(w));
    }
    endOffice();
    QVERIFY(officeProcesses().isEmpty());
}

QTEST_MAIN(tst_letterwindow)
#include "tst_letterwindow.moc"
