#include "collection/screens.h"
#include "cube/screens.h"
#include "data/datafolder.h"
#include "data/dataerror.h"
#include "data/integrity.h"
#include "import/jet/boundedreader.h"
#include "platform/letters/privatefolders.h"
#include "queries/screens.h"
#include "registers/screens.h"
#include "core/regional.h"
#include "shell/accessimport.h"
#include "shell/commandline.h"
#include "shell/screens.h"
#include "shell/servercommands.h"
#include "shell/startup.h"

#include <QTextStream>

namespace {

// kq-730 --init-data DIR: makes a data folder ready and ends.
int initData(const QString &dir)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    // A folder of the old program is imported, never made over.
    const int imported = kq::shell::offerAccessImportCommand(dir, out, err);
    if (imported > 0)
        return imported;
    if (imported == 0) {
        out << "pasta de dados pronta: " << dir << '\n';
        return 0;
    }
    try {
        const QStringList created = kq::data::prepareDataFolder(dir);
        for (const QString &f : created)
            out << "criado: " << f << '\n';
        out << "pasta de dados pronta: " << dir << '\n';
        return 0;
    } catch (const kq::data::DataError &e) {
        err << e.description() << '\n';
        return 1;
    }
}

} // namespace

int main(int argc, char **argv)
{
    // The reader of an old Access file for an import, in a process of its own.
    if (const int status = kq::import::runReaderMode(argc, argv); status >= 0)
        return status;
    QCoreApplication::setApplicationName(QStringLiteral("kq-730"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KQ_VERSION));
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString program = QStringLiteral("kq-730");
    const kq::shell::CommandLine line = kq::shell::parseCommandLine(args);
    using Action = kq::shell::CommandLine::Action;
    switch (line.action) {
    case Action::Help:
        QTextStream(stdout) << kq::shell::commandLineHelp(program);
        return 0;
    case Action::Version:
        QTextStream(stdout) << kq::shell::versionLine(program, QStringLiteral(KQ_VERSION)) << '\n';
        return 0;
    case Action::Error:
        QTextStream(stderr) << program << ": " << line.error << '\n'
                            << QStringLiteral("Use \"%1 --help\" para ver as opções.").arg(program)
                            << '\n';
        return kq::shell::kUsageError;
    case Action::InitData: {
        QCoreApplication app(argc, argv);
        kq::platform::useBrazilianSettings(app);
        if (!line.server.isEmpty()) {
            QTextStream out(stdout);
            QTextStream err(stderr);
            return kq::shell::initServerDataCommand(line.folder, line.server, out, err);
        }
        return initData(line.folder);
    }
    case Action::CopyToServer: {
        QCoreApplication app(argc, argv);
        kq::platform::useBrazilianSettings(app);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return kq::shell::copyToServerCommand(line.folder, out, err);
    }
    case Action::CheckData: {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        return kq::shell::checkDataCommand(line.folder, out);
    }
    case Action::ImportAccess: {
        QCoreApplication app(argc, argv);
        kq::platform::useBrazilianSettings(app);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return kq::shell::importAccessCommand(line.folder, out, err);
    }
    case Action::Run:
        break;
    }

    kq::shell::KqApplication app(argc, argv);
    kq::platform::useBrazilianSettings(app);
    kq::shell::registerScreens();
    kq::registers::registerScreens();
    kq::collection::registerScreens();
    kq::queries::registerScreens();
    kq::cube::registerScreens();
    if (!kq::shell::Main())
        return 0;
    // Filled letters a former run left behind.
    kq::platform::removeFilledLetters();
    return app.exec();
}
