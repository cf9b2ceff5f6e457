#include "collection/screens.h"
#include "cube/screens.h"
#include "data/datafolder.h"
#include "data/dataerror.h"
#include "platform/letters/privatefolders.h"
#include "queries/screens.h"
#include "registers/screens.h"
#include "shell/screens.h"
#include "shell/startup.h"

#include <QTextStream>

namespace {

// kq-730 --init-data DIR: makes a data folder ready and ends.
int initData(const QString &dir)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
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
    QCoreApplication::setApplicationName(QStringLiteral("kq-730"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KQ_VERSION));
    const QStringList args = [&] {
        QStringList l;
        for (int i = 0; i < argc; ++i)
            l << QString::fromLocal8Bit(argv[i]);
        return l;
    }();
    const int initIndex = args.indexOf(QStringLiteral("--init-data"));
    if (initIndex > 0) {
        QCoreApplication app(argc, argv);
        if (initIndex + 1 >= args.size()) {
            QTextStream(stderr) << "uso: kq-730 --init-data PASTA\n";
            return 2;
        }
        return initData(args.at(initIndex + 1));
    }

    kq::shell::KqApplication app(argc, argv);
    kq::shell::installTranslations(app);
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
