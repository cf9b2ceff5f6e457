#include "shell/servercommands.h"

#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/server.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kq::shell {

int initServerDataCommand(const QString &dir, const QString &connection, QTextStream &out,
                          QTextStream &err)
{
    QString why;
    const std::optional<data::ServerSettings> settings
        = data::parseServerConnection(connection, &why);
    if (!settings) {
        err << QStringLiteral("Conexão inválida: %1").arg(why) << '\n';
        return 1;
    }
    const QString file = data::dataFile(dir, data::kDevolvidos);
    if (QFileInfo::exists(file)) {
        err << QStringLiteral("A pasta já tem o banco \"%1\"; para levá-lo ao servidor, use "
                              "--copy-to-server.")
                   .arg(file)
            << '\n';
        return 1;
    }
    try {
        const std::optional<data::ServerSettings> current = data::readServerSettings(dir);
        if (current && !(*current == *settings)) {
            err << QStringLiteral("A pasta já indica outro servidor (%1).").arg(current->name())
                << '\n';
            return 1;
        }
        // The server first: a refused database leaves the folder as it was.
        const bool prepared = data::prepareServerDatabase(*settings);
        if (!QDir().mkpath(dir)) {
            err << QStringLiteral("Não foi possível criar a pasta \"%1\".").arg(dir) << '\n';
            return 1;
        }
        if (!current)
            data::writeServerSettings(dir, *settings);
        QStringList created;
        try {
            created = data::prepareDataFolder(dir, prepared);
        } catch (const data::DataError &) {
            if (!current)
                QFile::remove(data::dataFile(dir, data::kServerSettings));
            throw;
        }
        for (const QString &f : created)
            out << "criado: " << f << '\n';
        out << QStringLiteral("pasta de dados pronta: %1 (banco devolvidos.mdb no servidor %2)")
                   .arg(dir, settings->name())
            << '\n';
        return 0;
    } catch (const data::DataError &e) {
        err << e.description() << '\n';
        return 1;
    }
}

int copyToServerCommand(const QString &dir, QTextStream &out, QTextStream &err)
{
    try {
        const data::ServerCopy copy = data::copyToServer(dir);
        qint64 total = 0;
        for (const data::ServerCopy::Table &t : copy.tables) {
            out << t.name << ": " << t.rows << '\n';
            total += t.rows;
        }
        out << QStringLiteral("cópia concluída: %1 linhas em %2 tabelas")
                   .arg(total)
                   .arg(copy.tables.size())
            << '\n';
        return 0;
    } catch (const data::DataError &e) {
        err << e.description() << '\n';
        return 1;
    }
}

} // namespace kq::shell
