// Reading from the server: its catalogue, and the rows of a query through a
// cursor on a connection of their own.

#include "data/jetsql.h"
#include "data/pgschema_p.h"
#include "data/pgserver_p.h"
#include "data/rowstream.h"

#include <QHash>
#include <QSqlDatabase>

#include <libpq-fe.h>

#include <cstdlib>
#include <vector>

namespace kq::data::internal {

namespace {

const QString kSource = QStringLiteral("kq_data");

// ---- catalogue -----------------------------------------------------------

struct Catalog
{
    QHash<quint64, ServerColumn> columns; // (table oid << 16) | column number
    QHash<QString, QStringList> keys;     // table (lower case) -> key columns in order
};

QHash<QString, Catalog> &catalogs()
{
    static QHash<QString, Catalog> c;
    return c;
}

quint64 columnKey(unsigned table, int column)
{
    return (quint64(table) << 16) | quint64(quint16(column));
}

Catalog readCatalog(const QSqlDatabase &db)
{
    const PgResult r = pgExec(
        db,
        QStringLiteral(
            "SELECT c.oid, c.relname, a.attnum, a.attname, a.atttypid, "
            "coalesce(co.collname, ''), coalesce(array_position(i.indkey::int2[], a.attnum), -1) "
            "FROM pg_class c JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 "
            "AND NOT a.attisdropped "
            "LEFT JOIN pg_collation co ON co.oid = a.attcollation "
            "LEFT JOIN pg_index i ON i.indrelid = c.oid AND i.indisprimary "
            "WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind = 'r' "
            "ORDER BY c.oid, a.attnum"),
        {}, kSource);
    Catalog cat;
    QHash<QString, QVector<QPair<int, QString>>> keys;
    for (int i = 0; i < r.rows(); ++i) {
        ServerColumn c;
        const unsigned oid = r.text(i, 0).toUInt();
        c.table = spelledTable(r.text(i, 1));
        c.name = spelledColumn(c.table, r.text(i, 3));
        c.type = r.text(i, 4).toUInt();
        c.portuguese = r.text(i, 5) == kServerCollation || r.text(i, 5) == kIcuCollation;
        c.keyPosition = r.text(i, 6).toInt();
        if (c.keyPosition >= 0)
            keys[c.table.toLower()].push_back({c.keyPosition, c.name});
        cat.columns.insert(columnKey(oid, r.text(i, 2).toInt()), c);
    }
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        std::sort(it->begin(), it->end());
        QStringList names;
        for (const auto &k : std::as_const(*it))
            names << k.second;
        cat.keys.insert(it.key(), names);
    }
    return cat;
}

QString catalogKey(const QSqlDatabase &db)
{
    const ServerSettings s = serverOfConnection(db.connectionName());
    return s.user + QLatin1Char('@') + s.name();
}

Catalog &catalogOf(const QSqlDatabase &db, bool reload)
{
    const QString key = catalogKey(db);
    auto it = catalogs().find(key);
    if (it == catalogs().end() || reload)
        it = catalogs().insert(key, readCatalog(db));
    return *it;
}

// ---- reading connections ---------------------------------------------------

// Idle reading connections per server, kept for the next reading.
QHash<QString, QStringList> &idleReaders()
{
    static QHash<QString, QStringList> idle;
    return idle;
}

int &readerCount()
{
    static int n = 0;
    return n;
}

const QString kReaderPrefix = QStringLiteral("kq-pg-read:");

QSqlDatabase acquireReader(const ServerSettings &s)
{
    QStringList &idle = idleReaders()[serverConnectionName(s)];
    while (!idle.isEmpty()) {
        const QString name = idle.takeLast();
        QSqlDatabase db = openServer(s, name);
        if (pgAlive(db))
            return db;
    }
    return openServer(s, kReaderPrefix + serverConnectionName(s) + QLatin1Char('#')
                             + QString::number(++readerCount()));
}

void releaseReader(const QSqlDatabase &db, const ServerSettings &s)
{
    const QString name = db.connectionName();
    pg_conn *h = pgHandle(db);
    if (h && PQstatus(h) == CONNECTION_OK) {
        PQclear(PQexec(h, "ROLLBACK"));
        if (PQstatus(h) == CONNECTION_OK && PQtransactionStatus(h) == PQTRANS_IDLE) {
            QStringList &idle = idleReaders()[serverConnectionName(s)];
            if (idle.size() < 4) {
                idle << name;
                return;
            }
        }
    }
    closeServer(name);
}

// ---- rows --------------------------------------------------------------------

constexpr int kFirstBatch = 1000;
constexpr int kLargestBatch = 16000;

enum : unsigned {
    OidBool = 16,
    OidBytea = 17,
    OidInt8 = 20,
    OidInt2 = 21,
    OidInt4 = 23,
    OidOid = 26,
    OidFloat4 = 700,
    OidFloat8 = 701,
    OidNumeric = 1700,
};

enum : unsigned { OidDate = 1082 };

// Rows of a result of the server, one batch at a time.
class PgRows : public RowStream
{
public:
    QStringList fieldNames() const override { return m_names; }

    Type type(int column) const override
    {
        if (m_batch.isNull(m_row, column))
            return Type::Null;
        return m_types[column];
    }
    qint64 integer(int column) const override
    {
        const char *v = PQgetvalue(m_batch.get(), m_row, column);
        if (m_oids[column] == OidBool)
            return *v == 't' ? 1 : 0;
        return std::strtoll(v, nullptr, 10);
    }
    double real(int column) const override
    {
        return std::strtod(PQgetvalue(m_batch.get(), m_row, column), nullptr);
    }
    QByteArrayView bytes(int column) const override
    {
        if (m_types[column] == Type::Blob) {
            // The server's "\x..." hex form.
            size_t n = 0;
            unsigned char *raw = PQunescapeBytea(
                reinterpret_cast<const unsigned char *>(PQgetvalue(m_batch.get(), m_row, column)),
                &n);
            m_blob = QByteArray(reinterpret_cast<const char *>(raw), qsizetype(n));
            PQfreemem(raw);
            return m_blob;
        }
        return m_batch.bytes(m_row, column);
    }
    Origin origin(int column) const override { return m_origins.value(column); }

protected:
    // Types, names and origins of the fields, from the first batch.
    void nameFields(const QSqlDatabase &db)
    {
        const int n = m_batch.columns();
        for (int i = 0; i < n; ++i) {
            const unsigned oid = PQftype(m_batch.get(), i);
            m_oids.push_back(oid);
            Origin o;
            switch (oid) {
            case OidBool:
            case OidInt2:
            case OidInt4:
            case OidInt8:
            case OidOid:
                m_types.push_back(Type::Integer);
                o.declaredType
                    = oid == OidInt2 ? QStringLiteral("BOOLEAN") : QStringLiteral("INTEGER");
                break;
            case OidFloat4:
            case OidFloat8:
            case OidNumeric:
                m_types.push_back(Type::Real);
                o.declaredType = QStringLiteral("REAL");
                break;
            case OidBytea:
                m_types.push_back(Type::Blob);
                break;
            default:
                m_types.push_back(Type::Text);
                o.declaredType = oid == OidDate ? QStringLiteral("DATE") : QStringLiteral("TEXT");
            }
            QString name = QString::fromUtf8(PQfname(m_batch.get(), i));
            const unsigned table = PQftable(m_batch.get(), i);
            if (table != InvalidOid) {
                if (const ServerColumn *c
                    = serverColumn(db, table, PQftablecol(m_batch.get(), i))) {
                    o.table = c->table;
                    o.column = c->name;
                    o.portuguese = c->portuguese;
                    for (const SchemaColumn &sc : businessColumns()) {
                        if (sc.noCase && sc.table.compare(c->table, Qt::CaseInsensitive) == 0
                            && sc.name.compare(c->name, Qt::CaseInsensitive) == 0)
                            o.noCase = true;
                    }
                    // A column of the schema read under its own name: spelled as written.
                    if (c->name.compare(name, Qt::CaseInsensitive) == 0)
                        name = c->name;
                }
            }
            m_names << name;
            m_origins << o;
        }
    }

    PgResult m_batch;
    int m_row = -1;

private:
    QStringList m_names;
    std::vector<Type> m_types;
    std::vector<unsigned> m_oids;
    QVector<Origin> m_origins;
    mutable QByteArray m_blob;
};

// A cursor on a reading connection of its own.
class ServerRows : public PgRows
{
public:
    ServerRows(const ServerSettings &settings, const QString &sql, const QVariantList &values)
        : m_settings(settings)
        , m_db(acquireReader(settings))
    {
        try {
            pgExec(m_db, QStringLiteral("BEGIN READ ONLY"), {}, kSource);
            run(QStringLiteral("DECLARE kq_rows NO SCROLL CURSOR FOR ")
                    + toDialect(sql, Dialect::Postgres),
                values);
            fetch();
            nameFields(m_db);
        } catch (...) {
            release();
            throw;
        }
    }
    ~ServerRows() override { release(); }

    bool next() override
    {
        if (!m_batch.get())
            return false;
        if (++m_row < m_batch.rows())
            return true;
        if (m_lastBatch) {
            m_batch = PgResult();
            release();
            return false;
        }
        try {
            fetch();
        } catch (const DataError &) {
            m_batch = PgResult();
            release();
            throw;
        }
        m_row = 0;
        if (m_batch.rows() > 0)
            return true;
        m_batch = PgResult();
        release();
        return false;
    }

private:
    void run(const QString &sql, const QVariantList &values)
    {
        const PgResult r = pgTry(m_db, sql, values);
        if (!r.ok())
            throw statementFailure(m_db, r, kSource);
    }

    void fetch()
    {
        m_batch = pgExec(m_db, QStringLiteral("FETCH FORWARD %1 FROM kq_rows").arg(m_size), {},
                         kSource);
        m_lastBatch = m_batch.rows() < m_size;
        m_row = -1;
        // Small first, so that the first screen comes soon; larger after.
        m_size = qMin(m_size * 4, kLargestBatch);
    }

    void release()
    {
        if (!m_db.isValid())
            return;
        const QSqlDatabase db = m_db;
        m_db = QSqlDatabase();
        if (QSqlDatabase::contains(db.connectionName()))
            releaseReader(db, m_settings);
    }

    ServerSettings m_settings;
    QSqlDatabase m_db;
    int m_size = kFirstBatch;
    bool m_lastBatch = false;
};

// The whole result of one statement on the database's own connection.
class ResultRows : public PgRows
{
public:
    ResultRows(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
               int errorNumber)
    {
        m_batch = pgTry(db, toDialect(sql, Dialect::Postgres), values);
        if (m_batch.get() && PQresultStatus(m_batch.get()) == PGRES_EMPTY_QUERY)
            throw DataError(ErrorNumber::SqlFailed, QStringLiteral("comando vazio"), kSource);
        if (!m_batch.ok())
            throw pgResultFailure(db, m_batch, kSource, errorNumber);
        nameFields(db);
    }

    bool next() override { return m_batch.get() && ++m_row < m_batch.rows(); }
};

} // namespace

const ServerColumn *serverColumn(const QSqlDatabase &db, unsigned table, int column)
{
    const quint64 key = columnKey(table, column);
    Catalog *cat = &catalogOf(db, false);
    auto it = cat->columns.constFind(key);
    if (it == cat->columns.constEnd()) {
        cat = &catalogOf(db, true); // a table the catalogue did not have yet
        it = cat->columns.constFind(key);
        if (it == cat->columns.constEnd())
            return nullptr;
    }
    return &*it;
}

QStringList serverPrimaryKey(const QSqlDatabase &db, const QString &table)
{
    Catalog &cat = catalogOf(db, false);
    const auto it = cat.keys.constFind(table.toLower());
    if (it != cat.keys.constEnd())
        return *it;
    return catalogOf(db, true).keys.value(table.toLower());
}

void forgetCatalog(const QSqlDatabase &db)
{
    catalogs().remove(catalogKey(db));
}

std::unique_ptr<RowStream> openServerRows(const QString &path, const QString &sql,
                                          const QVariantList &values)
{
    const QSqlDatabase shared = serverDatabase(path);
    return std::make_unique<ServerRows>(serverOfConnection(shared.connectionName()), sql, values);
}

std::unique_ptr<RowStream> serverResult(const QString &path, const QString &sql,
                                        const QVariantList &values, int errorNumber)
{
    return std::make_unique<ResultRows>(serverDatabase(path), sql, values, errorNumber);
}

void closeServerReaders()
{
    for (const QStringList &names : std::as_const(idleReaders())) {
        for (const QString &name : names)
            closeServer(name);
    }
    idleReaders().clear();
    catalogs().clear();
}

} // namespace kq::data::internal
