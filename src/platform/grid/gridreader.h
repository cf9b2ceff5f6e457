#pragma once

#include "gridstore.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>
#include <memory>

namespace kq::data {
class RowStream;
}

namespace kq::platform {

// Reads the rows of an executed record source into a store's fields, one
// row at a time, from the data layer's rows of either engine (texts go to
// the store without a QVariant).
class RowReader
{
public:
    ~RowReader();
    // The query's field names, in query order.
    QStringList fieldNames() const;
    // Which query column feeds each slot of the store.
    void setColumns(const QVector<int> &columns) { m_columns = columns; }
    // Appends the next row to data; false at the end or on a failure.
    bool next(std::vector<FieldData> &data);
    // The failure that ended the reading (empty at a normal end).
    QString error() const;

    // Runs the SQLite text (a translated record source) on the database of
    // `path` with its values bound to its "?" in order; throws GridError when
    // it does not run (a failure of the file or the server with the data
    // layer's number and text).
    static std::unique_ptr<RowReader> open(const QString &path, const QString &sql,
                                           const QVariantList &values = {});

private:
    explicit RowReader(std::unique_ptr<kq::data::RowStream> rows);
    std::unique_ptr<kq::data::RowStream> m_rows;
    QVector<int> m_columns;
};

} // namespace kq::platform
