#pragma once

#include "import/mapping.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace kq::platform {
class Progress;
}

namespace kq::import {

// What the progress of an import says.
inline const QString kImportingLabel = QStringLiteral("Importando os dados do programa antigo...");

// The subfolder of the data folder that keeps the old files as they were.
inline const QString kOriginalsFolder = QStringLiteral("originais-access");

// The name a new database is built under, after its own, until it is
// complete ("devolvidos.mdb.importando").
inline const QString kBuildingSuffix = QStringLiteral(".importando");

// Removes the new databases an import left half-built in the folder when it
// was stopped (the program killed): the files named after the program's
// databases with kBuildingSuffix. Returns the names it removed.
QStringList removeImportLeftovers(const QString &dir);

// An Access database found in a data folder under one of the program's
// database names.
struct AccessFile
{
    QString name; // the program's database ("devolvidos.mdb")
    QString path; // the file found, whose name may differ in case
};

// The files of the folder that hold an Access database (of any version)
// under the program's database names, matched without regard to case. A
// file of the program itself (SQLite) under the exact name keeps its name.
QList<AccessFile> accessFiles(const QString &dir);

// Opens an old database for reading.
using SourceOpener = std::function<std::unique_ptr<SourceDatabase>(const QString &path)>;

struct FolderReport
{
    QString keptIn; // the folder the old files were moved into
    QList<DatabaseReport> databases;
};

// Imports the Access databases of a data folder, all or nothing: every file
// is checked and read first; the new databases are written beside the old
// ones under other names; the old files are moved, byte for byte (checked
// by checksum), into a new subfolder; the new databases take the usual
// names; the databases, reports and letter templates the folder still lacks
// are created as for a new data folder. On any failure, or a cancel, the
// folder is left exactly as before and ImportError (or ImportCancelled) is
// thrown.
FolderReport importFolder(const QString &dir, const SourceOpener &open,
                          const ImportOptions &options, kq::platform::Progress *progress = nullptr);

// The closing message of an import, line by line (an empty line before each
// database): rows per table, what the old files lacked and what was left out.
QStringList importSummary(const FolderReport &report);

} // namespace kq::import
