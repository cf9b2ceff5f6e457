#pragma once

#include <QString>
#include <QTextStream>

namespace kq::shell {

// kq-730 --init-data DIR --server CONNECTION: prepares the server's business
// tables (all or nothing; a database that holds other tables is refused),
// then writes the folder's settings file and makes its other databases.
// A folder that already holds its own "devolvidos.mdb" is refused (that is
// --copy-to-server's work). Returns the exit status.
int initServerDataCommand(const QString &dir, const QString &connection, QTextStream &out,
                          QTextStream &err);

// kq-730 --copy-to-server DIR: copies the folder's "devolvidos.mdb" to the
// server its settings file names, in one transaction, and says the rows of
// every table. Returns the exit status.
int copyToServerCommand(const QString &dir, QTextStream &out, QTextStream &err);

} // namespace kq::shell
