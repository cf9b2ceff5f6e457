#include "shell/accessimport.h"

#include "import/folderimport.h"
#include "import/importerror.h"
#include "import/jet/boundedreader.h"
#include "import/jet/jetreader.h"
#include "import/jetfile.h"
#include "platform/dialogs.h"
#include "core/errorinfo.h"
#include "platform/progress.h"
#include "shell/rules/passwords.h"
#include "shell/services/procedures.h"

#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace kq::shell {

using kq::platform::Answer;
using kq::platform::Buttons;
using kq::platform::Dialogs;
using kq::platform::Icon;

namespace {

const QString kTitulo = QStringLiteral("Importação do Access");
const QString kNadaAlterado = QStringLiteral("Nada foi alterado na pasta.");

QStringList fileNames(const QList<kq::import::AccessFile> &files)
{
    QStringList names;
    for (const kq::import::AccessFile &f : files)
        names << QFileInfo(f.path).fileName();
    return names;
}

// The first file that cannot be imported, as a message; empty when all can.
QString firstProblem(const QList<kq::import::AccessFile> &files)
{
    for (const kq::import::AccessFile &f : files) {
        try {
            kq::import::checkJetFile(f.path);
        } catch (const kq::import::ImportError &e) {
            return e.message();
        }
    }
    return QString();
}

// While an import runs, what the Jet reader library writes goes to the
// error log, never to the screen or the console.
class ReaderNotesToLog
{
public:
    ReaderNotesToLog()
    {
        kq::import::setReaderNoteReceiver([](const QString &notes) {
            try {
                GravarErro(QStringLiteral("Leitor do Access: ") + notes);
            } catch (...) {
                // A program folder that takes no log lets them go.
            }
        });
    }
    ~ReaderNotesToLog() { kq::import::setReaderNoteReceiver(nullptr); }
    ReaderNotesToLog(const ReaderNotesToLog &) = delete;
    ReaderNotesToLog &operator=(const ReaderNotesToLog &) = delete;
};

// The closing message goes to the activity log too, one entry per line.
void logSummary(const QStringList &summary)
{
    for (const QString &line : summary)
        if (!line.isEmpty())
            GravarLog(QStringLiteral("IMPORTAÇÃO DO ACCESS"), line.trimmed());
}

} // namespace

kq::import::ImportOptions accessImportOptions()
{
    kq::import::ImportOptions options;
    options.hashPassword = hashPassword;
    return options;
}

QString accessImportQuestion(const QString &folder, const QStringList &files)
{
    return QStringLiteral("A pasta %1 tem bancos de dados do programa antigo (Access): %2.\n"
                          "Deseja importá-los agora? Os arquivos antigos serão guardados, sem "
                          "alteração, na subpasta \"%3\".")
        .arg(folder, files.join(QStringLiteral(", ")), kq::import::kOriginalsFolder);
}

bool offerAccessImport(const QString &folder, QWidget *parent)
{
    kq::import::removeImportLeftovers(folder);
    const QList<kq::import::AccessFile> files = kq::import::accessFiles(folder);
    if (files.isEmpty())
        return true;
    const QString problem = firstProblem(files);
    if (!problem.isEmpty()) {
        Dialogs::message(problem + QLatin1Char('\n') + kNadaAlterado, kTitulo, Buttons::Ok,
                         Icon::Warning);
        return false;
    }
    if (Dialogs::message(accessImportQuestion(folder, fileNames(files)), kTitulo, Buttons::YesNo,
                         Icon::Question, Answer::Yes)
        != Answer::Yes)
        return false;
    QStringList summary;
    const ReaderNotesToLog notes;
    try {
        kq::platform::Progress progress(kq::import::kImportingLabel, 0, parent);
        summary = kq::import::importSummary(
            kq::import::importAccessFolder(folder, accessImportOptions(), &progress));
    } catch (const kq::import::ImportCancelled &) {
        Dialogs::message(QStringLiteral("Importação cancelada. ") + kNadaAlterado, kTitulo);
        return false;
    } catch (const kq::import::ImportError &e) {
        Dialogs::message(e.message() + QLatin1Char('\n') + kNadaAlterado, kTitulo, Buttons::Ok,
                         Icon::Critical);
        return false;
    } catch (const std::exception &e) {
        Dialogs::message(kq::platform::errorInfo(e).description + QLatin1Char('\n') + kNadaAlterado,
                         kTitulo, Buttons::Ok, Icon::Critical);
        return false;
    }
    Dialogs::message(summary.join(QLatin1Char('\n')), kTitulo, Buttons::Ok, Icon::Information);
    trap(QStringLiteral("finstalacao"), [&] { logSummary(summary); });
    return true;
}

int importAccessCommand(const QString &folder, QTextStream &out, QTextStream &err)
{
    QStringList summary;
    const ReaderNotesToLog notes;
    try {
        out << kq::import::kImportingLabel << Qt::endl;
        summary = kq::import::importSummary(
            kq::import::importAccessFolder(folder, accessImportOptions()));
    } catch (const kq::import::ImportError &e) {
        err << e.message() << '\n' << kNadaAlterado << '\n';
        return 1;
    } catch (const std::exception &e) {
        err << kq::platform::errorInfo(e).description << '\n' << kNadaAlterado << '\n';
        return 1;
    }
    for (const QString &line : summary)
        out << line << '\n';
    out.flush();
    try {
        logSummary(summary);
    } catch (const std::exception &e) {
        // The folder is imported all the same.
        err << kq::platform::errorInfo(e).description << '\n';
    }
    return 0;
}

int offerAccessImportCommand(const QString &folder, QTextStream &out, QTextStream &err)
{
    kq::import::removeImportLeftovers(folder);
    const QList<kq::import::AccessFile> files = kq::import::accessFiles(folder);
    if (files.isEmpty())
        return -1;
    const QString problem = firstProblem(files);
    if (!problem.isEmpty()) {
        err << problem << '\n' << kNadaAlterado << '\n';
        return 1;
    }
    const QString said = QStringLiteral("A pasta %1 tem bancos de dados do programa antigo "
                                        "(Access): %2.")
                             .arg(folder, fileNames(files).join(QStringLiteral(", ")));
    if (!isatty(STDIN_FILENO)) {
        err << said << '\n'
            << QStringLiteral("Para importá-los: kq-730 --import-access %1").arg(folder) << '\n'
            << kNadaAlterado << '\n';
        return 1;
    }
    out << said << '\n' << QStringLiteral("Importar agora? (s/N) ") << Qt::flush;
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    if (answer != QLatin1String("s") && answer != QLatin1String("sim")) {
        err << kNadaAlterado << '\n';
        return 1;
    }
    return importAccessCommand(folder, out, err);
}

} // namespace kq::shell
