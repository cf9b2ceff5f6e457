#include "support/base_data.h"

#include "data/database.h"
#include "data/datafolder.h"
#include "support/base_server.h"

#include <QDir>

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace kq::test {

TempDataFolder::TempDataFolder()
{
    if (serverRun() && testServer()) {
        m_server = std::make_unique<ServerDatabase>();
        QDir().mkpath(path());
        kq::data::writeServerSettings(path(), m_server->settings());
    }
    kq::data::prepareDataFolder(path());
}

TempDataFolder::~TempDataFolder()
{
    kq::data::closeAllDatabases();
}

QString TempDataFolder::devolvidos() const
{
    return file(kq::data::kDevolvidos);
}

int rowCount(const QString &db, const QString &table)
{
    return kq::data::scalar(db, QStringLiteral("SELECT count(*) FROM ") + table).toInt();
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void addCheques(const QString &dbPath, int count)
{
    using kq::data::exec;
    kq::data::Transaction tx(dbPath);
    const qlonglong first = kq::data::scalar(dbPath, QStringLiteral("SELECT count(*) FROM "
                                                                    "DEVOLVIDOS"))
                                .toLongLong();
    QSqlQuery insert(kq::data::database(dbPath));
    insert.prepare(QStringLiteral(
        "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, DT_VANTESCA, DT_DEPOSITO, "
        "VL_CHEQUE, CD_SITUACAO, CD_DESTINO, CD_BANCO, CD_AGENCIA, CD_CONTA, NR_CHEQUE, "
        "NM_EMITENTE, NR_DOCUMENTO, cd_ref, CD_ALINEA, CD_documento, CD_chave) "
        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    const QDate base(2020, 1, 1);
    static const char *const names[] = {"Ávila", "Beto", "Élio", "Zeca", "Çarla", "ana"};
    for (int i = 0; i < count; ++i) {
        const qlonglong n = first + i + 1;
        const QDate deposit = base.addDays(n % 1500);
        const QString debtor = QStringLiteral("%1").arg(n / 50 + 1, 5, 10, QLatin1Char('0'));
        insert.addBindValue(QStringLiteral("%1").arg(n, 10, 10, QLatin1Char('0')));
        insert.addBindValue(debtor);
        insert.addBindValue(QStringLiteral("001"));
        insert.addBindValue(deposit.toString(Qt::ISODate));
        insert.addBindValue(deposit.toString(Qt::ISODate));
        insert.addBindValue(100.0 + double(n % 1000) / 4);
        insert.addBindValue(QStringLiteral("001"));
        insert.addBindValue(QStringLiteral("001"));
        insert.addBindValue(QStringLiteral("237"));
        insert.addBindValue(QStringLiteral("01234"));
        insert.addBindValue(QStringLiteral("%1").arg(n % 99991, 12, 10, QLatin1Char('0')));
        insert.addBindValue(QString::number(n));
        insert.addBindValue(QString::fromUtf8(names[n % 6]) + QStringLiteral(" ") + debtor);
        insert.addBindValue(QStringLiteral("%1").arg(n % 7919, 11, 10, QLatin1Char('0')));
        insert.addBindValue(deposit.toString(QStringLiteral("MM/yyyy")));
        insert.addBindValue(QStringLiteral("11"));
        insert.addBindValue(QStringLiteral("01"));
        insert.addBindValue(QStringLiteral("23701234%1").arg(n % 99991));
        if (!insert.exec())
            qFatal("addCheques: %s", qPrintable(insert.lastError().text()));
    }
    tx.commit();
}

void addFailingTrigger(const QString &db, const QString &name, const QString &event,
                       const QString &when, const QString &message)
{
    using kq::data::exec;
    QString quoted = message;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    if (kq::data::dialectOf(db) == kq::data::Dialect::Postgres) {
        QString body = QStringLiteral("BEGIN RAISE EXCEPTION '%1'; END").arg(quoted);
        body.replace(QLatin1Char('\''), QLatin1String("''"));
        exec(db, QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS '%2'")
                     .arg(name, body));
        exec(db, QStringLiteral("CREATE TRIGGER %1 %2 FOR EACH ROW WHEN (%3) EXECUTE FUNCTION %1()")
                     .arg(name, event, when));
        return;
    }
    exec(db, QStringLiteral("CREATE TRIGGER %1 %2 WHEN %3 BEGIN SELECT RAISE(ABORT, '%4'); END")
                 .arg(name, event, when, quoted));
}

void dropTrigger(const QString &db, const QString &name, const QString &table)
{
    if (kq::data::dialectOf(db) == kq::data::Dialect::Postgres)
        kq::data::exec(db, QStringLiteral("DROP TRIGGER %1 ON %2").arg(name, table));
    else
        kq::data::exec(db, QStringLiteral("DROP TRIGGER %1").arg(name));
}

bool damageIndexEntry(const QString &dbPath, const QString &index)
{
    using kq::data::scalar;
    const int page = scalar(dbPath,
                            QStringLiteral("SELECT pageno FROM dbstat WHERE name = ? AND "
                                           "pagetype = 'leaf' ORDER BY pageno LIMIT 1"),
                            {index})
                         .toInt();
    const qint64 pageSize = scalar(dbPath, QStringLiteral("PRAGMA page_size")).toLongLong();
    kq::data::closeAllDatabases();
    QFile f(dbPath);
    if (page <= 0 || !f.open(QIODevice::ReadWrite) || !f.seek((page - 1) * pageSize))
        return false;
    QByteArray bytes = f.read(pageSize);
    // The last ISO date "20yy-mm-dd" of the page: in its last cell, never in
    // its free space.
    static const QRegularExpression date(QStringLiteral("20\\d\\d-\\d\\d-\\d\\d"));
    qsizetype at = -1;
    for (auto it = date.globalMatch(QString::fromLatin1(bytes)); it.hasNext();)
        at = it.next().capturedStart();
    if (at < 0)
        return false;
    bytes[at + 3] = bytes[at + 3] == '9' ? '8' : '9';
    return f.seek((page - 1) * pageSize) && f.write(bytes) == pageSize;
}

} // namespace kq::test
