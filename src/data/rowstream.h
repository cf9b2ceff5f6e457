#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <memory>

namespace kq::data {

// The rows of one query read forward, one at a time, whatever the engine:
// what the grid, the report and the cube read large record sources through.
// On SQLite the statement steps on the file's connection; on a server it
// runs on a connection of its own, through a cursor that brings the rows in
// batches, so that the first rows are there before the server has produced
// the last. Values: integers, reals, texts (UTF-8; a date as ISO text
// "YYYY-MM-DD" on both engines) and blobs.
class RowStream
{
public:
    enum class Type { Null, Integer, Real, Text, Blob };

    virtual ~RowStream() = default;

    // Runs `sql` (SQLite's form: a record source once translateJet has made it
    // so; a server gets it through toDialect) with its values bound to its "?"
    // in order, on the database of `path`. Throws DataError when it does not
    // run (a failure of the file or of the server told as the data layer
    // tells it; a fault of the statement with the engine's text).
    static std::unique_ptr<RowStream> open(const QString &path, const QString &sql,
                                           const QVariantList &values = {});

    // The query's field names, in query order (a server's names of the
    // schema's columns spelled as the schema writes them).
    virtual QStringList fieldNames() const = 0;
    // The next row; false at the end. Throws DataError when the reading fails
    // midway (a lost connection, a failure of the file), so that no reader
    // takes the rows read so far for the whole result.
    virtual bool next() = 0;

    // The values of the current row.
    virtual Type type(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
    virtual double real(int column) const = 0;
    // A text's UTF-8 bytes or a blob's bytes, valid until the next row.
    virtual QByteArrayView bytes(int column) const = 0;
    // The value as exec() gives it (Null as an invalid QVariant; a date as text).
    QVariant value(int column) const;

    // The value of a column of the current row by its type, in one call: what
    // a reader of many rows takes (bytes valid until the next row).
    struct Cell
    {
        Type type = Type::Null;
        qint64 integer = 0;
        double real = 0;
        QByteArrayView bytes;
        // The cell as value() gives it.
        QVariant value() const;
    };
    virtual Cell cell(int column) const;
    // The cells of `count` columns of the current row, into out.
    virtual void cells(const int *columns, int count, Cell *out) const;

    // Where a column comes from: the table and the column as the schema
    // writes them (empty for an expression), the type the schema declares
    // ("INTEGER", "REAL", "TEXT", "DATE", "BOOLEAN"; empty when unknown)
    // and whether it sorts in Portuguese. Known of a server's rows only.
    struct Origin
    {
        QString table;
        QString column;
        QString declaredType;
        bool portuguese = false;
        bool noCase = false; // compared without case (the schema's NOCASE)
    };
    virtual Origin origin(int column) const
    {
        Q_UNUSED(column);
        return {};
    }
};

} // namespace kq::data
