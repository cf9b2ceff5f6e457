#pragma once

#include "gridstore.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>
#include <memory>

namespace kq::platform {

// Reads the rows of an executed record source into a store's fields, one
// row at a time. On SQLite connections the statement runs on the
// connection's own handle, so texts go to the store without a QVariant.
class RowReader
{
public:
    virtual ~RowReader() = default;
    // The query's field names, in query order.
    virtual QStringList fieldNames() const = 0;
    // Which query column feeds each slot of the store.
    void setColumns(const QVector<int> &columns) { m_columns = columns; }
    // Appends the next row to data; false at the end or on a failure.
    virtual bool next(std::vector<FieldData> &data) = 0;
    // The failure that ended the reading (empty at a normal end).
    virtual QString error() const = 0;

    // Prepares the SQLite text on the connection with its values bound to
    // its "?" in order; throws GridError when it does not run.
    static std::unique_ptr<RowReader> open(const QSqlDatabase &db, const QString &sql,
                                           const QVariantList &values = {});

protected:
    QVector<int> m_columns;
};

} // namespace kq::platform
