#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kq::data {

// The settings file that puts a data folder's business database
// ("devolvidos.mdb"'s tables) on a PostgreSQL server. The menu, help and
// tutorial databases, the report files and the letter templates stay in the
// folder.
inline const QString kServerSettings = QStringLiteral("servidor.ini");

// Where the business database lives when the data folder holds the settings
// file. No password: it comes from the user's ~/.pgpass, or is asked once per
// session (setPasswordPrompt) and kept in memory only.
struct ServerSettings
{
    QString host; // a name, an address or the folder of a local server's socket
    int port = 5432;
    QString database;
    QString user;

    bool isValid() const { return !host.isEmpty() && !database.isEmpty() && port > 0; }
    // How messages name the server: "host:port/database".
    QString name() const;
    friend bool operator==(const ServerSettings &, const ServerSettings &) = default;
};

// Reads a connection as given on the command line: "host=H port=P dbname=D
// user=U" (in any order; values with blanks between single quotes) or
// "postgresql://U@H:P/D". A password in it is refused (never stored). Empty
// optional with the reason in *error when it cannot be read.
std::optional<ServerSettings> parseServerConnection(const QString &text, QString *error);

// The settings of a data folder: empty when the folder holds no settings
// file. Throws DataError when the file is there but does not name a server.
std::optional<ServerSettings> readServerSettings(const QString &dataFolder);
// Writes the settings file of a data folder (the folder must exist).
void writeServerSettings(const QString &dataFolder, const ServerSettings &settings);

// Asked when the server wants a password that ~/.pgpass does not give: the
// settings and whether a password given before was refused. Empty optional:
// the user gave up. Without a prompt (the command line) the connection fails.
using PasswordPrompt
    = std::function<std::optional<QString>(const ServerSettings &settings, bool refused)>;
void setPasswordPrompt(PasswordPrompt prompt);

// Prepares the server database of a data folder's settings: creates the
// business tables with their seed rows in one transaction (all or nothing).
// A database that already holds them all is left as it is (false); one that
// holds other tables, or only some of these, is refused with DataError.
// True when the tables were created.
bool prepareServerDatabase(const ServerSettings &settings);

// What copying a folder's "devolvidos.mdb" to its server did: per table, the
// rows read from the file and found on the server after the copy.
struct ServerCopy
{
    struct Table
    {
        QString name;
        qint64 rows = 0;
    };
    QVector<Table> tables;
};

// Copies the SQLite "devolvidos.mdb" of a data folder that holds the settings
// file to its server, in one transaction: the server database must hold no
// tables (the tables are then created) or only the tables of a prepared
// folder with nothing but their seed rows (those rows give way to the
// file's). The rows of every table are counted on the server before the
// commit; a count that differs from the file's undoes the copy. The file is
// left as it was. Throws DataError; nothing is then written on the server.
ServerCopy copyToServer(const QString &dataFolder);

} // namespace kq::data
