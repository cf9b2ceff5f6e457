#include "shell/services/sysini.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace kq::shell {

QString readDataFolder(const QString &sysIniPath)
{
    QFile file(sysIniPath);
    if (!file.exists())
        throw StartupError(QStringLiteral("Arquivo de configuração não encontrado: ") + sysIniPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw StartupError(QStringLiteral("Não foi possível ler o arquivo de configuração ")
                           + sysIniPath + QStringLiteral(": ") + file.errorString());
    QTextStream in(&file);
    QString last;
    while (!in.atEnd())
        last = in.readLine();
    if (last.trimmed().isEmpty())
        throw StartupError(QStringLiteral("O arquivo de configuração %1 não indica a pasta de "
                                          "dados: sua última linha está vazia. Refaça a "
                                          "configuração ou escreva a pasta na última linha.")
                               .arg(sysIniPath));
    if (!QFileInfo(last).isDir())
        throw StartupError(QStringLiteral("A última linha do arquivo de configuração %1 não é "
                                          "uma pasta: \"%2\".")
                               .arg(sysIniPath, last));
    return last;
}

} // namespace kq::shell
