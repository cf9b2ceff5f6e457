#include "data/keys.h"

#include "data/connection_p.h"
#include "data/database.h"
#include "data/dataerror.h"
#include "data/pgserver_p.h"

#include <limits>

namespace kq::data {

QString nextKeyAfter(const QString &lastKey, int width)
{
    const QString text = lastKey.trimmed();
    qint64 value = 0;
    if (!text.isEmpty()) {
        for (const QChar c : text) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                throw DataError(ErrorNumber::TypeMismatch,
                                QStringLiteral("Tipos incompatíveis: a chave \"%1\" não é um "
                                               "número.")
                                    .arg(lastKey),
                                QStringLiteral("kq_data"));
        }
        bool ok = false;
        value = text.toLongLong(&ok);
        if (!ok || value == std::numeric_limits<qint64>::max())
            throw DataError(ErrorNumber::Overflow,
                            QStringLiteral("Estouro: a chave \"%1\" é grande demais.").arg(lastKey),
                            QStringLiteral("kq_data"));
    }
    return QStringLiteral("%1").arg(value + 1, qMax(width, 0), 10, QLatin1Char('0'));
}

QString nextKey(const QString &dbPath, const QString &table, const QString &keyField, int width)
{
    // On a server the desks take their keys one after another: the lock is
    // held until the transaction that writes the key ends.
    const QSqlDatabase server = internal::serverDatabase(dbPath);
    if (server.isValid() && internal::pgInTransaction(server))
        internal::pgExec(server, QStringLiteral("SELECT pg_advisory_xact_lock(?)"),
                         {internal::keyLockOf(table)}, QStringLiteral("kq_data"));
    const QString field = internal::quoteName(keyField);
    const QVariant last = scalar(dbPath, QStringLiteral("SELECT %1 FROM %2 WHERE %1 IS NOT NULL "
                                                        "ORDER BY %1 DESC LIMIT 1")
                                             .arg(field, internal::quoteName(table)));
    return nextKeyAfter(last.isValid() ? last.toString() : QString(), width);
}

} // namespace kq::data
