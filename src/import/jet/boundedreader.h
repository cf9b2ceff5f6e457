#pragma once

#include "import/source.h"

#include <QString>

#include <functional>
#include <memory>

namespace kq::import {

// What the process that reads an old file may take before it is stopped.
struct ReaderLimits
{
    qint64 memoryBytes = 0;
    int seconds = 0;
};

// The limits for a file of `size` bytes: room and time enough for the
// largest data folders an office keeps, far short of what a damaged file
// would take.
ReaderLimits readerLimits(qint64 size);

// The program's helper mode that reads one old file for an import:
// "kq-730 --ler-access FILE FOLDER" writes its tables into FOLDER.
inline const QString kReaderMode = QStringLiteral("--ler-access");

// When the arguments ask for the helper mode, reads the file and ends the
// process with its status; otherwise returns -1 (2 for a helper call with
// the wrong arguments). main() calls it before anything else.
int runReaderMode(int argc, char **argv);

// Receives what the Jet reader library wrote on its standard error, for the
// error log (never for the user's screen). Without a receiver it is dropped.
void setReaderNoteReceiver(std::function<void(const QString &)> receiver);

// Opens an old database (after checkJetFile) by reading it in a child
// process, this program in its helper mode, under `limits`: the tables of
// the program's databases it holds are read there whole, through
// openJetDatabase, into a temporary folder, and their rows come from there.
// A child that reaches a limit or dies throws ImportError "O arquivo ... está
// danificado ou não é um banco do Access que o sistema importa."; a file the
// reader refuses, its own ImportError.
std::unique_ptr<SourceDatabase> openBoundedJetDatabase(const QString &path,
                                                       const ReaderLimits &limits);

} // namespace kq::import
