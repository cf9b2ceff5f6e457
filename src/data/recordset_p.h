#pragma once

// What the parts of the recordset share: the cell format of its rows, the
// prepared statements it reads and writes with.

#include "data/connection_p.h"
#include "data/dataerror.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

#include <sqlite3.h>

namespace kq::data {

class RowStream;

namespace internal {

inline const QString kSource = QStringLiteral("Recordset");

// The name of the hidden key cell of table i of the source.
QString hiddenName(int i);

// ---- Cells: a tag byte, then 8 bytes for a number or a 4-byte length and
// the bytes of a text or blob.

enum Tag : char { TagNull = 0, TagInt = 1, TagReal = 2, TagText = 3, TagBlob = 4 };

// Appends column i of the current row.
void appendCell(QByteArray &out, sqlite3_stmt *stmt, int i);
void appendCell(QByteArray &out, const RowStream &rows, int i);
qsizetype cellSize(const char *c);
qint64 cellInt(const char *c);
double cellReal(const char *c);
QByteArrayView cellBytes(const char *c);

struct StmtDeleter
{
    void operator()(sqlite3_stmt *s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

// The prepared statement of sql; empty, with the reason in error, when it
// does not prepare or holds no statement.
Stmt prepare(sqlite3 *db, const QString &sql, QString *error);

DataError writeError(const QString &text);

// A write or read-back statement: kept prepared between records.
class Prepared : public CachedStatement
{
public:
    Prepared(sqlite3 *db, const QString &sql, const QVariantList &values);
};

} // namespace internal

} // namespace kq::data
