#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace kq::shell {

// What the command line asks of the program.
struct CommandLine
{
    enum class Action {
        Run,
        Help,
        Version,
        InitData,
        CheckData,
        ImportAccess,
        CopyToServer,
        Error
    };
    Action action = Action::Run;
    QString folder;          // the folder of --init-data, --check-data, --import-access or
                             // --copy-to-server
    QString server;          // --init-data's --server CONNECTION (empty: none)
    QString error;           // what was wrong, for Action::Error
    QStringList qtArguments; // Qt's own options (-platform, -style...) kept for Qt
};

// Reads the arguments that follow the program's name. Options of Qt itself
// are let through to Qt; anything else unknown is an error.
CommandLine parseCommandLine(const QStringList &arguments);

// The text of --help: every option, in Portuguese.
QString commandLineHelp(const QString &program);

// "kq-730 1.2.3"
QString versionLine(const QString &program, const QString &version);

// kq-730 --check-data DIR: checks the databases of a data folder in full,
// prints what it found (in Portuguese) and notes the engine's own findings in the
// error log. 0 when every database is there and sound, 1 otherwise; writes
// nothing to the data.
int checkDataCommand(const QString &dir, QTextStream &out);

// Exit status of a command line that could not be understood.
constexpr int kUsageError = 2;

} // namespace kq::shell
