#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

namespace kq::data {

// The four databases of a data folder, by their file names.
inline const QString kDevolvidos = QStringLiteral("devolvidos.mdb");
inline const QString kMenu = QStringLiteral("MENU.mdb");
inline const QString kHelp = QStringLiteral("help.mdb");
inline const QString kTutorial = QStringLiteral("tutorial.mdb");

// dir + "/" + file name, the data folder text used as written (no second
// "/" when the folder text already ends with one).
QString dataFile(const QString &dataFolder, const QString &fileName);

// Makes a data folder ready: creates the folder and every missing database
// with its schema and seed rows; leaves existing databases untouched.
// Returns the names of the databases it created; a new data folder (no
// devolvidos.mdb yet) also gets the default report files and letter
// templates (shippedfiles.h). Throws DataError when a file of
// one of those names exists but is not an SQLite database (never overwritten);
// all four are checked before anything is created. A new database is built
// under a temporary name and renamed when complete. A folder that holds the
// server settings file (server.h) keeps its business database on the server:
// its tables are prepared there (prepareServerDatabase; "devolvidos.mdb" is
// then among the names returned when they were created now), and no file of
// that name is made. `serverJustPrepared`: the caller has just created the
// server's tables itself (prepareServerDatabase returned true), so the folder
// is new all the same.
QStringList prepareDataFolder(const QString &dir, bool serverJustPrepared = false);

// Gathers the statistics the query planner chooses its indexes by (ANALYZE
// of the tables of analyzedTables(), from a sample of each index): after
// writes that change much of the data. Throws DataError.
void analyzeDatabase(const QString &path);

// Creates a database that must not exist yet with the schema of `fileName`
// and no seed rows, and returns it open (with the collation and functions of
// every connection) for an import to fill from one thread; the caller closes
// it with sqlite3_close. ":memory:" makes it in memory. Throws DataError.
sqlite3 *createEmptyDatabase(const QString &path, const QString &fileName);

// True when the file starts with the SQLite 3 header.
bool isSqliteFile(const QString &path);

} // namespace kq::data
