#pragma once

#include <QString>
#include <QVariantList>

namespace kq::data {

// A record source: Jet SQL with a "?" where each value goes, and the values,
// bound in order when the source runs. A value is never written into the SQL
// text, so any text (quotes, control characters, NUL) is looked for as it
// is. Made from a plain text, it is a source without values.
struct RecordSource
{
    QString sql;
    QVariantList values;

    RecordSource() = default;
    RecordSource(const QString &jetSql, const QVariantList &boundValues = {})
        : sql(jetSql)
        , values(boundValues)
    {}
    RecordSource(const char *jetSql)
        : sql(QString::fromUtf8(jetSql))
    {}

    bool isEmpty() const { return sql.trimmed().isEmpty(); }
    friend bool operator==(const RecordSource &a, const RecordSource &b)
    {
        return a.sql == b.sql && a.values == b.values;
    }
};

// A LIKE pattern, for a "LIKE ? ESCAPE '\'" of a record source, that finds
// the texts beginning with `typed`, every typed character taken literally
// (NUL aside: SQLite's LIKE ends a text at a NUL; see hasNul).
QString likePrefix(const QString &typed);

// True when a typed text holds a NUL character, which a LIKE cannot look for.
bool hasNul(const QString &typed);

} // namespace kq::data
