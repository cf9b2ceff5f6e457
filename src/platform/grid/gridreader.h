#pragma once

#include "platform/grid/gridstore.h"

#include "data/rowstream.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>
#include <memory>
#include <vector>

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
    // Appends up to maxRows rows to data and gives how many; fewer only at
    // the end. Throws GridError when the reading fails midway (the rows
    // appended so far stay in data).
    int read(std::vector<FieldData> &data, int maxRows);

    // Runs the text of a translated record source on the database of
    // `path` with its values bound to its "?" in order; throws GridError when
    // it does not run (a failure of the file or the server with the data
    // layer's number and text).
    static std::unique_ptr<RowReader> open(const QString &path, const QString &sql,
                                           const QVariantList &values = {});

private:
    struct Staged;

    explicit RowReader(std::unique_ptr<kq::data::RowStream> rows);
    int stage(int maxRows);
    void unstage(std::vector<FieldData> &data, int rows) const;

    std::unique_ptr<kq::data::RowStream> m_rows;
    QVector<int> m_columns;
    std::vector<kq::data::RowStream::Cell> m_cells; // the current row
    std::vector<Staged> m_staged;                   // row by row, one per slot
    std::vector<char> m_bytes;
};

} // namespace kq::platform
