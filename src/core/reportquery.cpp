#include "core/reportquery.h"

#include "data/database.h"
#include "data/dataerror.h"
#include "data/jetsql.h"
#include "data/rowstream.h"
#include "data/statementparts.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include <functional>

namespace kq::platform {

namespace {

using kq::data::RowStream;

// Every table of the plan is read through a key or an index (sorting what
// those give is allowed).
bool readsThroughIndexes(const QStringList &plan)
{
    for (const QString &line : plan)
        if (!line.startsWith(QLatin1String("SEARCH "))
            && !line.startsWith(QLatin1String("USE TEMP B-TREE FOR ")))
            return false;
    return !plan.isEmpty();
}

// A group's value held by more rows of its table than this is read by the
// value rather than by the rows' keys.
constexpr int kMostKeys = 500;
// The most groups read one by one: a statement runs for each.
constexpr int kMostGroups = 5000;

// The rows of each group in turn. The groups come from a statement (the
// value, the keys of the rows of the group's table holding it, how many)
// that stays open until the last group is read, so that every group is read
// in the one snapshot of the database. A group is read by the keys of its
// rows: most often one row (one store), whose rows the database then reads
// in order through an index.
class GroupRows : public RowStream
{
public:
    // byKeys(n): the statement of a group of n keys; byValue: of the value.
    GroupRows(const QString &path, const QString &groupsSql, std::function<QString(int)> byKeys,
              const QString &byValue, const QVariantList &values)
        : m_path(path)
        , m_byKeys(std::move(byKeys))
        , m_byValue(byValue)
        , m_values(values)
    {
        m_groups = RowStream::open(path, groupsSql);
        if (!openNextGroup()) // no group: the names of a run that gives no row
            m_rows = RowStream::open(path, m_byKeys(1), values + QVariantList{QVariant()});
        m_names = m_rows->fieldNames();
    }

    QStringList fieldNames() const override { return m_names; }

    bool next() override
    {
        try {
            while (m_rows) {
                if (m_rows->next())
                    return true;
                if (!openNextGroup())
                    break;
            }
        } catch (...) {
            m_rows.reset();
            m_groups.reset();
            throw;
        }
        m_rows.reset();
        m_groups.reset();
        return false;
    }

    Type type(int column) const override { return m_rows->type(column); }
    qint64 integer(int column) const override { return m_rows->integer(column); }
    double real(int column) const override { return m_rows->real(column); }
    QByteArrayView bytes(int column) const override { return m_rows->bytes(column); }

private:
    // Runs the statement of the next group; false after the last one.
    // Throws DataError.
    bool openNextGroup()
    {
        if (!m_groups || !m_groups->next())
            return false;
        QVariantList values = m_values;
        if (m_groups->integer(2) > kMostKeys) {
            values << m_groups->value(0);
            m_rows = RowStream::open(m_path, m_byValue, values);
            return true;
        }
        const QByteArrayView keys = m_groups->bytes(1);
        for (const QByteArray &key : QByteArray(keys.data(), keys.size()).split(','))
            values << key.toLongLong();
        m_rows = RowStream::open(m_path, m_byKeys(int(values.size() - m_values.size())), values);
        return true;
    }

    QString m_path;
    std::function<QString(int)> m_byKeys;
    QString m_byValue;
    QVariantList m_values;
    QStringList m_names;
    std::unique_ptr<RowStream> m_groups;
    std::unique_ptr<RowStream> m_rows;
};

// "T.rowid IN (?, ?...)" with n places.
QString keysCondition(const QString &table, int n)
{
    QStringList places;
    for (int i = 0; i < std::max(1, n); ++i)
        places << QStringLiteral("?");
    return table + QStringLiteral(".rowid IN (") + places.join(QStringLiteral(", "))
           + QLatin1Char(')');
}

} // namespace

ReportQuery::ReportQuery(const ReportDefinition &def, const QString &condition,
                         const QVariantList &values)
    : m_def(def)
    , m_values(values)
{
    if (!def.filter.isEmpty())
        m_where << QLatin1Char('(') + def.filter + QLatin1Char(')');
    if (!condition.isEmpty())
        m_where << QLatin1Char('(') + condition + QLatin1Char(')');
    for (const ReportGroup &g : def.groups)
        m_order << g.field;
    if (!def.orderBy.isEmpty())
        m_order << def.orderBy;
}

QString ReportQuery::statement(const QString &extraCondition, int orderFrom) const
{
    QStringList where = m_where;
    if (!extraCondition.isEmpty())
        where << extraCondition;
    QString sql = QStringLiteral("SELECT ") + m_def.select + QStringLiteral(" FROM ") + m_def.from;
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    const QStringList order = m_order.mid(orderFrom);
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    return sql;
}

QString ReportQuery::sql() const
{
    return statement(QString(), 0);
}

bool ReportQuery::findGroupColumn(const QString &dbPath, QString *table, QString *column) const
{
    if (m_def.groups.isEmpty())
        return false;
    const QString field = m_def.groups.first().field.trimmed();
    const QString name = field.section(u'.', -1);
    // The one item of the fields that the group names, written table.column.
    static const QRegularExpression qualified(QStringLiteral("^(\\w+)\\.(\\w+)$"));
    const QRegularExpression named(QStringLiteral("\\b%1$").arg(QRegularExpression::escape(name)),
                                   QRegularExpression::CaseInsensitiveOption);
    int found = 0;
    for (const QString &item : kq::data::sqlListItems(m_def.select)) {
        if (!item.contains(named))
            continue;
        ++found;
        const QRegularExpressionMatch m = qualified.match(item);
        if (!m.hasMatch() || (field.contains(u'.') && item.compare(field, Qt::CaseInsensitive)))
            return false;
        *table = m.captured(1);
        *column = m.captured(2);
    }
    if (found != 1)
        return false;
    // Every row joins one row of that table: it is named once in the FROM
    // clause, not on the open side of an outer join.
    static const QRegularExpression outer(QStringLiteral("\\b(RIGHT|FULL)\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (m_def.from.contains(outer))
        return false;
    const QRegularExpression placed(
        QStringLiteral("(\\bLEFT\\s+(OUTER\\s+)?JOIN|\\bJOIN|^|,)\\s*%1\\b")
            .arg(QRegularExpression::escape(*table)),
        QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatchIterator it = placed.globalMatch(m_def.from.trimmed());
    int places = 0;
    while (it.hasNext()) {
        if (it.next().captured(1).startsWith(QLatin1String("LEFT"), Qt::CaseInsensitive))
            return false;
        ++places;
    }
    if (places != 1)
        return false;
    return kq::data::columnNames(dbPath, *table).contains(*column, Qt::CaseInsensitive);
}

ReportQuery::Reading ReportQuery::readingFor(const QString &dbPath) const
{
    if (!kq::data::walksNamedIndexes(dbPath))
        return Reading::Sorted;
    QString table;
    QString column;
    if (!findGroupColumn(dbPath, &table, &column))
        return Reading::Sorted;
    if (!kq::data::queryPlan(dbPath, sql(), m_values)
             .contains(QLatin1String("USE TEMP B-TREE FOR ORDER BY")))
        return Reading::Sorted;
    const QVariant rows = kq::data::scalar(
        dbPath, QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 LIMIT %2)")
                    .arg(table)
                    .arg(kMostGroups + 1));
    if (rows.toInt() > kMostGroups)
        return Reading::Sorted;
    // The group of one row of its table, the most common.
    const QString byKey = statement(keysCondition(table, 1), 1);
    if (!readsThroughIndexes(
            kq::data::queryPlan(dbPath, byKey, m_values + QVariantList{QVariant()})))
        return Reading::Sorted;
    return Reading::ByGroup;
}

std::unique_ptr<RowStream> ReportQuery::open(const QString &dbPath) const
{
    return open(dbPath, readingFor(dbPath));
}

std::unique_ptr<RowStream> ReportQuery::open(const QString &dbPath, Reading reading) const
{
    QString table;
    QString column;
    if (reading == Reading::Sorted || !kq::data::walksNamedIndexes(dbPath)
        || !findGroupColumn(dbPath, &table, &column))
        return RowStream::open(dbPath, sql(), m_values);
    const QString value = table + u'.' + column;
    const QString groups = QStringLiteral("SELECT %1, group_concat(%2.rowid), count(*) FROM %2 "
                                          "GROUP BY %1 ORDER BY %1")
                               .arg(value, table);
    return std::make_unique<GroupRows>(
        dbPath, groups,
        [query = *this, table](int keys) { return query.statement(keysCondition(table, keys), 1); },
        statement(value + QStringLiteral(" IS ?"), 1), m_values);
}

} // namespace kq::platform
