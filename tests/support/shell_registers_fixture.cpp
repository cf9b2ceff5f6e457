#include "support/shell_registers_fixture.h"

#include "data/database.h"
#include "platform/grid/gridex.h"
#include "core/paths.h"
#include "shell/services/procedures.h"

#include <QDate>
#include <QFile>
#include <QSqlQuery>

namespace kq::test::reg {

int rowCount(const QString &db, const QString &table)
{
    return kq::data::scalar(db, QStringLiteral("SELECT count(*) FROM ") + table).toInt();
}

QVariant fieldOf(const QString &db, const QString &table, const QString &keyField,
                 const QString &key, const QString &field)
{
    return kq::data::scalar(
        db, QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(field, table, keyField), {key});
}

QStringList keysOf(const QString &db, const QString &table, const QString &keyField)
{
    QSqlQuery q
        = kq::data::exec(db, QStringLiteral("SELECT %1 FROM %2 ORDER BY %1").arg(keyField, table));
    QStringList keys;
    while (q.next())
        keys << q.value(0).toString();
    return keys;
}

void clearTable(const QString &db, const QString &table)
{
    kq::data::exec(db, QStringLiteral("DELETE FROM ") + table);
}

void insertRow(const QString &db, const QString &table, const QStringList &fields,
               const QVariantList &values)
{
    QStringList marks;
    for (int i = 0; i < fields.size(); ++i)
        marks << QStringLiteral("?");
    const QString sql
        = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
              .arg(table, fields.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    kq::data::exec(db, sql, values);
}

bool chooseRow(kq::platform::GridEX *grid, int column, const QString &text)
{
    const int row = grid->findRow(column, text);
    if (row < 0)
        return false;
    grid->setCurrentRow(row);
    return true;
}

QString activityLogToday(const QString &codigoUsuario)
{
    QFile f(kq::platform::programFile(
        kq::shell::activityLogFileName(codigoUsuario, QDate::currentDate())));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

} // namespace kq::test::reg
