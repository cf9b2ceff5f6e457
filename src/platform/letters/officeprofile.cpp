#include "platform/letters/officeprofile.h"

#include "platform/letters/privatefolders.h"
#include "platform/progress.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QUrl>

#include <csignal>
#include <unistd.h>

namespace kq::platform {

namespace {

constexpr int kSetupTimeout = 120000;
constexpr int kTickMs = 50;

// Opens the filled copy as a new, untitled document titled after its file
// name, in front and maximised, then removes the copy and its folder.
const char *const kOpenMacro = R"(REM Letters of kq-730.
Sub Abrir(sUrl As String)
  On Error Resume Next
  Dim aArgs(0) As New com.sun.star.beans.PropertyValue
  Dim oDoc As Object
  Dim oWindow As Object
  Dim sPath As String
  Dim sName As String
  Dim vParts
  aArgs(0).Name = "AsTemplate"
  aArgs(0).Value = True
  oDoc = StarDesktop.loadComponentFromURL(sUrl, "_blank", 0, aArgs())
  sPath = ConvertFromURL(sUrl)
  vParts = Split(sPath, "/")
  sName = vParts(UBound(vParts))
  If Not IsNull(oDoc) Then
    oDoc.setTitle(Left(sName, Len(sName) - 5))
    oWindow = oDoc.getCurrentController().getFrame().getContainerWindow()
    oWindow.IsMaximized = True
    oWindow.toFront()
  End If
  Kill sPath
  RmDir Left(sPath, Len(sPath) - Len(sName) - 1)
End Sub
)";

const char *const kModule = "Cartas";

// Settings of the profile: (path, property, value).
struct Setting
{
    const char *path;
    const char *name;
    const char *value;
};
const Setting kSettings[] = {
    {"/org.openoffice.Office.Common/Misc", "ShowTipOfTheDay", "false"},
    {"/org.openoffice.Office.Linguistic/General", "UILocale", "pt-BR"},
    {"/org.openoffice.Setup/L10N", "ooLocale", "pt-BR"},
    {"/org.openoffice.Office.Linguistic/General", "DefaultLocale", "pt-BR"},
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeIfChanged(const QString &path, const QByteArray &data)
{
    if (readAll(path) == data)
        return true;
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size() && f.commit();
}

// Adds the settings the file lacks.
bool addSettings(const QString &path)
{
    QByteArray xml = readAll(path);
    const qsizetype end = xml.lastIndexOf("</oor:items>");
    if (end < 0)
        return false;
    QByteArray items;
    for (const Setting &s : kSettings) {
        const QByteArray name = QByteArray("oor:name=\"") + s.name + '"';
        if (xml.contains(name))
            continue;
        items += QByteArray("<item oor:path=\"") + s.path + "\"><prop " + name
                 + " oor:op=\"fuse\"><value>" + s.value + "</value></prop></item>\n";
    }
    if (items.isEmpty())
        return true;
    xml.insert(end, items);
    return writeIfChanged(path, xml);
}

// Puts the macro module into the profile's "Standard" library.
bool installMacro(const QString &library)
{
    const QString body = QString::fromUtf8(kOpenMacro).toHtmlEscaped();
    const QByteArray module
        = QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<!DOCTYPE script:module PUBLIC \"-//OpenOffice.org//DTD OfficeDocument "
                     "1.0//EN\" \"module.dtd\">\n"
                     "<script:module xmlns:script=\"http://openoffice.org/2000/script\" "
                     "script:name=\"")
          + kModule + "\" script:language=\"StarBasic\">" + body.toUtf8() + "</script:module>\n";
    QByteArray elements;
    for (const QString &m : QDir(library).entryList({QStringLiteral("*.xba")}, QDir::Files)) {
        const QString name = QFileInfo(m).completeBaseName();
        if (name != QLatin1String(kModule))
            elements += " <library:element library:name=\"" + name.toUtf8() + "\"/>\n";
    }
    elements += QByteArray(" <library:element library:name=\"") + kModule + "\"/>\n";
    const QByteArray index
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<!DOCTYPE library:library PUBLIC \"-//OpenOffice.org//DTD OfficeDocument 1.0//EN\" "
          "\"library.dtd\">\n"
          "<library:library xmlns:library=\"http://openoffice.org/2000/library\" "
          "library:name=\"Standard\" library:readonly=\"false\" "
          "library:passwordprotected=\"false\">\n"
          + elements + "</library:library>\n";
    return writeIfChanged(
               library + QLatin1Char('/') + QLatin1String(kModule) + QStringLiteral(".xba"), module)
           && writeIfChanged(library + QStringLiteral("/script.xlb"), index);
}

void signalGroup(qint64 pid, int sig)
{
    if (pid > 0)
        ::kill(static_cast<pid_t>(-pid), sig);
}

} // namespace

OfficeRun runOffice(const QString &program, const QStringList &arguments, const QString &label,
                    int timeoutMs)
{
    QProcess proc;
    proc.setStandardOutputFile(QProcess::nullDevice());
    proc.setStandardErrorFile(QProcess::nullDevice());
    // A group of its own, so that a cancel also ends what the launcher started.
    proc.setChildProcessModifier([] { ::setpgid(0, 0); });
    proc.start(program, arguments);
    if (!proc.waitForStarted())
        return OfficeRun::Failed;
    Progress progress(label, 0);
    QElapsedTimer clock;
    clock.start();
    int ticks = 0;
    progress.setValue(ticks); // the label is known from the start
    while (!proc.waitForFinished(kTickMs) && proc.state() != QProcess::NotRunning) {
        const bool canceled = !progress.setValue(++ticks);
        if (canceled || clock.elapsed() > timeoutMs) {
            signalGroup(proc.processId(), SIGTERM);
            if (!proc.waitForFinished(2000))
                signalGroup(proc.processId(), SIGKILL);
            proc.waitForFinished();
            return canceled ? OfficeRun::Canceled : OfficeRun::Failed;
        }
    }
    return proc.exitStatus() == QProcess::NormalExit ? OfficeRun::Finished : OfficeRun::Failed;
}

QString OfficeProfile::folder()
{
    return letterCacheFolder() + QStringLiteral("/perfil-libreoffice");
}

QString OfficeProfile::argument()
{
    return QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(folder()).toString();
}

QString OfficeProfile::openMacro(const QString &path)
{
    // Every character but letters, digits, "-._~" and "/" percent-encoded:
    // the URL can stand between the quotes of the macro's argument.
    const QString url = QStringLiteral("file://")
                        + QString::fromLatin1(QUrl::toPercentEncoding(
                            QFileInfo(path).absoluteFilePath(), QByteArrayLiteral("/")));
    return QStringLiteral("macro:///Standard.%1.Abrir(\"%2\")").arg(QLatin1String(kModule), url);
}

bool OfficeProfile::prepare(const QString &program, QString *error)
{
    error->clear();
    const QString user = folder() + QStringLiteral("/user");
    const QString library = user + QStringLiteral("/basic/Standard");
    if (!QFileInfo::exists(library + QStringLiteral("/script.xlb"))) {
        // LibreOffice sets a profile up only where it finds none: an
        // unfinished one starts over.
        QDir(folder()).removeRecursively();
        if (!makePrivateFolder(letterCacheFolder())) {
            *error
                = QStringLiteral("Não foi possível criar a pasta \"%1\".").arg(letterCacheFolder());
            return false;
        }
        const OfficeRun run = runOffice(
            program,
            {argument(), QStringLiteral("--headless"), QStringLiteral("--norestore"),
             QStringLiteral("macro:///Standard.Module1.Main")},
            QStringLiteral("Preparando o LibreOffice para as cartas..."), kSetupTimeout);
        if (run == OfficeRun::Canceled)
            return false;
        if (!QFileInfo::exists(library + QStringLiteral("/script.xlb"))) {
            *error = QStringLiteral("Não foi possível preparar o LibreOffice para as cartas.");
            return false;
        }
    }
    makePrivateFolder(folder());
    if (!addSettings(user + QStringLiteral("/registrymodifications.xcu"))
        || !installMacro(library)) {
        *error = QStringLiteral("Não foi possível preparar o LibreOffice para as cartas.");
        return false;
    }
    return true;
}

} // namespace kq::platform
