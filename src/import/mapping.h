#pragma once

#include "import/source.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace kq::platform {
class Progress;
}

namespace kq::import {

struct ImportOptions
{
    // What a password of table usuarios, stored as typed by the old program,
    // becomes: the program's own password hash.
    std::function<QString(const QString &)> hashPassword;
};

struct TableCount
{
    QString table;
    qint64 rows = 0;
};

// What the import of one database did.
struct DatabaseReport
{
    QString fileName;           // the program's database ("devolvidos.mdb")
    QList<TableCount> tables;   // tables read from the old file, in the schema's order
    QStringList missingTables;  // the program's tables the old file lacks: created empty
    QStringList missingColumns; // "table.field" the old tables lack: left empty
    QStringList extraTables;    // old tables left out, as the old file names them
    QStringList extraColumns;   // "table.field" of the old file left out
};

// The rows read over a whole import, told to a progress window (when there
// is one) every so often.
class ImportProgress
{
public:
    explicit ImportProgress(kq::platform::Progress *progress = nullptr);
    void start(const QString &label, qint64 totalRows);
    // One more row read. Throws ImportCancelled when the user cancelled.
    void row()
    {
        if ((++m_done & 1023) == 0)
            report();
    }
    // Tells the progress now; throws ImportCancelled when the user cancelled.
    void report();

private:
    kq::platform::Progress *m_progress;
    qint64 m_done = 0;
};

// Fills a new database of the program, `fileName` (kDevolvidos, kMenu...),
// at `path` (a file that must not exist yet) with the tables of `source`:
// tables and fields matched without regard to case, every value converted to
// the program's storage (texts as they are, money to the exact value, dates
// as "YYYY-MM-DD", Yes/No as 0/1), the passwords of usuarios hashed. Rows are
// streamed in one transaction: read and converted in a second thread while
// this one writes them; the indexes are made at the end. The progress is told
// from this thread. On any failure, or when the user cancels, the
// file is removed and ImportError (naming the file, table, row and field) or
// ImportCancelled is thrown.
DatabaseReport importDatabase(SourceDatabase &source, const QString &fileName, const QString &path,
                              const ImportOptions &options, ImportProgress &progress);

// The rows an import of `source` into `fileName` reads (for the progress).
qint64 rowsToImport(SourceDatabase &source, const QString &fileName);

// The tables of the program's database `fileName`, in the schema's order.
QStringList programTables(const QString &fileName);

// The tables of `source` that the import into `fileName` reads, as the old
// file names them.
QStringList matchedTables(const SourceDatabase &source, const QString &fileName);

} // namespace kq::import
