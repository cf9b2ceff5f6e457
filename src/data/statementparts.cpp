#include "data/statementparts.h"

#include "data/database.h"
#include "data/dataerror.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>

namespace kq::data {

namespace {

bool onServer(const QString &path)
{
    return dialectOf(path) == Dialect::Postgres;
}

} // namespace

KeyParameter keyParameter(const QString &path, const QStringList &keys)
{
    if (onServer(path)) {
        QStringList quoted;
        for (QString k : keys) {
            k.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
            k.replace(QLatin1Char('"'), QLatin1String("\\\""));
            quoted << QLatin1Char('"') + k + QLatin1Char('"');
        }
        // _text is text[]: brackets read as a Jet name.
        return {QStringLiteral("= ANY(CAST(? AS _text))"),
                QLatin1Char('{') + quoted.join(QLatin1Char(',')) + QLatin1Char('}')};
    }
    QJsonArray array;
    for (const QString &k : keys)
        array.append(k);
    return {QStringLiteral("IN (SELECT value FROM json_each(?))"),
            QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact))};
}

QString lockedForUpdate(const QString &path, const QString &orderBy, const QString &table)
{
    if (!onServer(path))
        return QString();
    return QStringLiteral(" ORDER BY %1 FOR UPDATE OF %2").arg(orderBy, table);
}

bool walksNamedIndexes(const QString &path)
{
    return dialectOf(path) == Dialect::Sqlite;
}

QStringList queryPlan(const QString &path, const QString &sql, const QVariantList &values)
{
    QStringList lines;
    if (!walksNamedIndexes(path))
        return lines;
    try {
        QSqlQuery q = exec(path, QStringLiteral("EXPLAIN QUERY PLAN ") + sql, values);
        while (q.next())
            lines << q.value(3).toString();
    } catch (const DataError &) {
        lines.clear();
    }
    return lines;
}

} // namespace kq::data
