#pragma once

#include "data/rowstream.h"

#include <QString>
#include <QStringList>

namespace kq::data {

// Receives the rows of readCells: the field names once the statement runs,
// then each row's cells (bytes valid until the next row).
class CellSink
{
public:
    virtual ~CellSink() = default;
    virtual void columns(const QStringList &names) = 0;
    // False stops the reading.
    virtual bool row(const RowStream::Cell *cells, int count) = 0;
};

// How readCells ended: every row read, stopped by the sink, or failed with
// the engine's text and code (a failure of the file told as the data layer
// tells it).
struct CellReadEnd
{
    bool ok = false;
    bool stopped = false;
    QString error;
    int code = 0;
};

// Reads every row of `sql` (SQLite's form; a server gets it through
// toDialect) on the database of `path` into the sink with no variant per
// value: a file straight from its statement, a server through RowStream.
// Throws DataError when a server's reading fails.
CellReadEnd readCells(const QString &path, const QString &sql, CellSink &sink);

} // namespace kq::data
