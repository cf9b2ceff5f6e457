#pragma once

#include "import/mapping.h"

#include <QString>
#include <QStringList>

class QTextStream;
class QWidget;

namespace kq::shell {

// The options of an import: the passwords of usuarios hashed by the
// program's own password function.
kq::import::ImportOptions accessImportOptions();

// The question the setup asks about a folder that holds old Access databases.
QString accessImportQuestion(const QString &folder, const QStringList &files);

// The setup screen's offer. When the folder holds Access databases under the
// database names, says so and asks whether to import them; on Yes imports
// them with a progress window and shows (and logs) the closing message.
// Returns true when the folder may go on to be made ready: it held nothing
// to import, or the import went through. False when the user said No or
// cancelled, or the import failed: the folder is then as it was.
bool offerAccessImport(const QString &folder, QWidget *parent = nullptr);

// kq-730 --import-access DIR: imports and prints the closing message.
// Returns the exit status.
int importAccessCommand(const QString &folder, QTextStream &out, QTextStream &err);

// kq-730 --init-data DIR on a folder with Access databases: says so and, on
// a terminal, offers the import (elsewhere it tells the option that does
// it). Returns the exit status, or -1 when the folder holds none (the caller
// makes it ready as usual).
int offerAccessImportCommand(const QString &folder, QTextStream &out, QTextStream &err);

} // namespace kq::shell
