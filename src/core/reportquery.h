#pragma once

#include "platform/report/reportdefinition.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>

namespace kq::data {
class RowStream;
}

namespace kq::platform {

// The statement of one run of a report: the definition's fields and tables,
// its fixed filter and the selection's condition (with its bound values),
// sorted by the groups, then by the definition's order.
class ReportQuery
{
public:
    ReportQuery(const ReportDefinition &def, const QString &condition, const QVariantList &values);

    // How the rows are read.
    //   Sorted: the one statement, the database sorting every row before the
    //   first comes.
    //   ByGroup: the values of the first group taken in order from its own
    //   table (a table the rows look up, such as the stores), then the rows of
    //   each value, read through the indexes; the same rows in the same order,
    //   the first ones at once.
    enum class Reading { Sorted, ByGroup };

    // ByGroup when the database walks the indexes named
    // (kq::data::walksNamedIndexes), would sort every row, the group's table
    // is small (a statement runs for each group) and the database can read a
    // group's rows through keys and indexes alone; Sorted otherwise.
    Reading readingFor(const QString &dbPath) const;

    // The rows, read forward (ByGroup only where the group can be read so;
    // Sorted where the database does not walk the indexes named). Throws DataError when the statement does not run.
    std::unique_ptr<kq::data::RowStream> open(const QString &dbPath) const;
    std::unique_ptr<kq::data::RowStream> open(const QString &dbPath, Reading reading) const;

    // The whole sorted statement.
    QString sql() const;

private:
    // The first group as a column of one table of the FROM clause that every
    // row joins (false when it is not).
    bool findGroupColumn(const QString &dbPath, QString *table, QString *column) const;
    QString statement(const QString &extraCondition, int orderFrom) const;

    ReportDefinition m_def;
    QStringList m_where;
    QVariantList m_values;
    QStringList m_order;
};

} // namespace kq::platform
