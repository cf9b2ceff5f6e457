#include "data/sqlitehandle.h"

#include <QSqlDriver>
#include <QVariant>

namespace kq::data {

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    if (!db.isValid() || !db.driver() || db.driverName() != QLatin1String("QSQLITE"))
        return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.constData());
}

} // namespace kq::data
