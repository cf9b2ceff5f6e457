#include "shell/commandline.h"

#include "data/integrity.h"
#include "shell/rules/procedurelog.h"

#include <QTextStream>

#include <optional>

namespace kq::shell {

namespace {

// Options that Qt reads itself; the first group takes a value.
const char *const kQtOptionsWithValue[] = {"platform",
                                           "platformpluginpath",
                                           "platformtheme",
                                           "plugin",
                                           "qwindowgeometry",
                                           "qwindowicon",
                                           "qwindowtitle",
                                           "display",
                                           "geometry",
                                           "style",
                                           "stylesheet",
                                           "session",
                                           "name",
                                           "title",
                                           "qmljsdebugger"};
const char *const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// The option's name without its dashes and without "=value".
QString optionName(const QString &arg)
{
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    const int eq = name.indexOf(QLatin1Char('='));
    return eq < 0 ? name : name.left(eq);
}

bool isOneOf(const QString &name, const auto &list)
{
    for (const char *o : list)
        if (name == QLatin1String(o))
            return true;
    return false;
}

// The options that take a data folder.
std::optional<CommandLine::Action> folderOption(const QString &arg)
{
    if (arg == QLatin1String("--init-data"))
        return CommandLine::Action::InitData;
    if (arg == QLatin1String("--check-data"))
        return CommandLine::Action::CheckData;
    if (arg == QLatin1String("--import-access"))
        return CommandLine::Action::ImportAccess;
    if (arg == QLatin1String("--copy-to-server"))
        return CommandLine::Action::CopyToServer;
    return std::nullopt;
}

CommandLine failure(const QString &error)
{
    CommandLine c;
    c.action = CommandLine::Action::Error;
    c.error = error;
    return c;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine c;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            c.action = CommandLine::Action::Help;
            return c;
        }
        if (arg == QLatin1String("--version") || arg == QLatin1String("-v")) {
            c.action = CommandLine::Action::Version;
            return c;
        }
        if (const auto folderAction = folderOption(arg)) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                return failure(QStringLiteral("A opção %1 precisa de uma pasta.").arg(arg));
            c.action = *folderAction;
            c.folder = arguments.at(++i);
            continue;
        }
        if (arg == QLatin1String("--server")) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                return failure(QStringLiteral("A opção --server precisa de uma conexão."));
            c.server = arguments.at(++i);
            continue;
        }
        if (!arg.startsWith(QLatin1Char('-')) || arg.size() < 2)
            return failure(QStringLiteral("Argumento desconhecido: %1").arg(arg));
        const QString name = optionName(arg);
        if (isOneOf(name, kQtFlags)) {
            c.qtArguments << arg;
            continue;
        }
        if (isOneOf(name, kQtOptionsWithValue)) {
            c.qtArguments << arg;
            if (!arg.contains(QLatin1Char('='))) {
                if (i + 1 >= arguments.size())
                    return failure(QStringLiteral("A opção %1 precisa de um valor.").arg(arg));
                c.qtArguments << arguments.at(++i);
            }
            continue;
        }
        return failure(QStringLiteral("Opção desconhecida: %1").arg(arg));
    }
    if (!c.server.isEmpty() && c.action != CommandLine::Action::InitData)
        return failure(QStringLiteral("A opção --server só vale com --init-data."));
    return c;
}

QString commandLineHelp(const QString &program)
{
    return QStringLiteral(
               "Uso: %1 [opção]\n"
               "Sistema de Vantesca: cobrança de cheques devolvidos.\n"
               "Sem opções, abre o programa.\n"
               "\n"
               "Opções:\n"
               "  -h, --help             mostra esta ajuda e termina\n"
               "  -v, --version          mostra a versão do programa e termina\n"
               "  --init-data PASTA      prepara a pasta de dados (cria os bancos que\n"
               "                         faltam, sem alterar os existentes) e termina\n"
               "  --check-data PASTA     verifica por inteiro os bancos de dados da pasta\n"
               "                         (índices incluídos), diz o que achou e termina\n"
               "                         (status 1 se algum falta ou está danificado)\n"
               "  --import-access PASTA  importa os bancos do Access do programa antigo\n"
               "                         da pasta (guardando os originais) e termina\n"
               "  --init-data PASTA --server CONEXÃO\n"
               "                         prepara a pasta com o banco devolvidos.mdb num\n"
               "                         servidor PostgreSQL (\"host=... port=... dbname=...\n"
               "                         user=...\"; a senha vem do ~/.pgpass) e termina\n"
               "  --copy-to-server PASTA copia o devolvidos.mdb da pasta para o servidor\n"
               "                         do seu servidor.ini, numa só transação, e termina\n"
               "\n"
               "Também valem as opções do Qt, como -platform NOME e -style NOME.\n"
               "Status de saída: 0 sem erro, 1 falha, 2 linha de comando inválida.\n")
        .arg(program);
}

QString versionLine(const QString &program, const QString &version)
{
    return program + QLatin1Char(' ') + version;
}

int checkDataCommand(const QString &dir, QTextStream &out)
{
    const kq::data::FolderCheck check = kq::data::checkDataFolder(dir);
    for (const QString &line : check.lines)
        out << line << '\n';
    for (const QString &detail : check.details) {
        try {
            GravarErro(QStringLiteral("--check-data: ") + detail);
        } catch (...) {
            // What was found is said above; a program folder that takes no log is let go.
        }
    }
    return check.sound ? 0 : 1;
}

} // namespace kq::shell
