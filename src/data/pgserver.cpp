#include "data/pgserver_p.h"

#include "data/connection_p.h"
#include "data/datafolder.h"
#include "data/jetsql.h"
#include "data/journal_p.h"
#include "data/pgschema_p.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>

#include <libpq-fe.h>

#include <cmath>
#include <vector>

#include <poll.h>

namespace kq::data::internal {

namespace {

const QString kSource = QStringLiteral("kq_data");
const QString kDriver = QStringLiteral("QPSQL");
const QString kPrefix = QStringLiteral("kq-pg:");
// A desk never waits for ever on a row another desk holds.
const char kSession[] = "SET lock_timeout = '60s'";

// What a session knows of a server (by user and server).
struct Session
{
    QString password;           // asked in this session; never written anywhere
    bool probed = false;        // whether the first connection learnt the password need
    bool upgradeFailed = false; // upgradeServerSchema could not be done (said once)
};

QHash<QString, Session> &sessions()
{
    static QHash<QString, Session> s;
    return s;
}

// The settings of each open server connection, by connection name.
QHash<QString, ServerSettings> &connections()
{
    static QHash<QString, ServerSettings> c;
    return c;
}

QString serverKey(const ServerSettings &s)
{
    return s.user + QLatin1Char('@') + s.name();
}

QByteArray utf8(const QString &s)
{
    return s.toUtf8();
}

// One connection made by libpq alone, to learn what the server wants.
struct Probe
{
    bool ok = false;
    bool needsPassword = false;
    bool passwordRefused = false;
    QString message;
};

Probe probe(const ServerSettings &s, const QString &password)
{
    const QByteArray host = utf8(s.host);
    const QByteArray port = QByteArray::number(s.port);
    const QByteArray db = utf8(s.database);
    const QByteArray user = utf8(s.user);
    const QByteArray pw = utf8(password);
    std::vector<const char *> keys{"host", "port", "dbname", "connect_timeout", "application_name"};
    std::vector<const char *> values{host.constData(), port.constData(), db.constData(), "10",
                                     "kq-730"};
    if (!s.user.isEmpty()) {
        keys.push_back("user");
        values.push_back(user.constData());
    }
    if (!password.isEmpty()) {
        keys.push_back("password");
        values.push_back(pw.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    PGconn *conn = PQconnectdbParams(keys.data(), values.data(), 0);
    Probe p;
    p.ok = conn && PQstatus(conn) == CONNECTION_OK;
    if (!p.ok && conn) {
        p.needsPassword = PQconnectionNeedsPassword(conn) != 0;
        p.passwordRefused = !password.isEmpty() && PQconnectionUsedPassword(conn) != 0;
        p.message = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    }
    PQfinish(conn);
    return p;
}

[[noreturn]] void unreachable(const ServerSettings &s, const QString &why)
{
    throw DataError(ErrorNumber::ServerUnavailable,
                    QStringLiteral("Não foi possível conectar ao servidor de banco de dados "
                                   "\"%1\". Verifique se o servidor está ligado e a rede "
                                   "funcionando, e tente de novo.")
                        .arg(s.name()),
                    kSource, QStringLiteral("PostgreSQL: %1 (%2)").arg(why, s.name()));
}

[[noreturn]] void refused(const ServerSettings &s, const QString &why)
{
    throw DataError(ErrorNumber::ServerUnavailable,
                    QStringLiteral("A senha do usuário \"%1\" não foi aceita pelo servidor de "
                                   "banco de dados \"%2\".")
                        .arg(s.user, s.name()),
                    kSource, QStringLiteral("PostgreSQL: %1 (%2)").arg(why, s.name()));
}

// Asks the password; throws when the user gives up.
QString askPassword(const ServerSettings &s, bool refused, const QString &why)
{
    const PasswordPrompt &prompt = passwordPrompt();
    if (!prompt)
        throw DataError(ErrorNumber::ServerUnavailable,
                        QStringLiteral("O servidor de banco de dados \"%1\" pede a senha do "
                                       "usuário \"%2\": grave-a no arquivo ~/.pgpass.")
                            .arg(s.name(), s.user),
                        kSource, QStringLiteral("PostgreSQL: %1 (%2)").arg(why, s.name()));
    const std::optional<QString> password = prompt(s, refused);
    if (!password)
        throw DataError(ErrorNumber::ServerUnavailable,
                        QStringLiteral("Sem a senha não é possível usar o banco de dados do "
                                       "servidor \"%1\".")
                            .arg(s.name()),
                        kSource);
    return *password;
}

// The session's password: learnt at the first connection to the server.
void learnPassword(const ServerSettings &s, Session &session)
{
    for (int attempt = 0;; ++attempt) {
        const Probe p = probe(s, session.password);
        if (p.ok)
            break;
        if (p.passwordRefused && attempt >= 3)
            refused(s, p.message);
        if (!(p.needsPassword || p.passwordRefused) || attempt >= 3)
            unreachable(s, p.message);
        session.password = askPassword(s, p.passwordRefused, p.message);
    }
    session.probed = true;
}

void dropConnection(const QString &name)
{
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

PasswordPrompt &passwordPrompt()
{
    static PasswordPrompt prompt;
    return prompt;
}

std::optional<ServerSettings> serverOf(const QString &path)
{
    const QFileInfo fi(path);
    if (fi.fileName().compare(kDevolvidos, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return readServerSettings(fi.path());
}

QString serverConnectionName(const ServerSettings &settings)
{
    return kPrefix + serverKey(settings);
}

ServerSettings serverOfConnection(const QString &name)
{
    return connections().value(name);
}

QSqlDatabase openServer(const ServerSettings &settings, const QString &name, bool reopen)
{
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen() && pgAlive(db))
            return db;
        // The server undid the transaction: nothing more of it runs.
        if (!reopen)
            throw serverError(QStringLiteral("08006"), QStringLiteral("conexão perdida"),
                              settings.name(), kSource);
        dropConnection(name); // the server dropped it: a new one
    }
    if (!QSqlDatabase::isDriverAvailable(kDriver))
        throw DataError(ErrorNumber::ServerUnavailable,
                        QStringLiteral("O programa não tem o driver do PostgreSQL (pacote "
                                       "libqt6sql6-psql) para usar o servidor \"%1\".")
                            .arg(settings.name()),
                        kSource);
    Session &session = sessions()[serverKey(settings)];
    if (!session.probed)
        learnPassword(settings, session);
    for (int attempt = 0;; ++attempt) {
        QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, name);
        db.setHostName(settings.host);
        db.setPort(settings.port);
        db.setDatabaseName(settings.database);
        db.setUserName(settings.user);
        db.setPassword(session.password);
        db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=kq-730"));
        if (db.open()) {
            PQclear(PQexec(pgHandle(db), kSession));
            connections().insert(name, settings);
            if (!session.upgradeFailed)
                session.upgradeFailed = !upgradeServerSchema(db);
            return db;
        }
        const QString why = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        // A password changed while the program ran is asked again.
        const Probe p = probe(settings, session.password);
        if (attempt < 3 && (p.needsPassword || p.passwordRefused)) {
            session.password = askPassword(settings, p.passwordRefused, p.message);
            continue;
        }
        if (attempt < 1 && p.ok)
            continue;
        unreachable(settings, p.message.isEmpty() ? why : p.message);
    }
}

void closeServer(const QString &name)
{
    if (QSqlDatabase::contains(name))
        dropConnection(name);
    connections().remove(name);
}

pg_conn *pgHandle(const QSqlDatabase &db)
{
    if (!db.isValid() || !db.driver())
        return nullptr;
    const QVariant v = db.driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "pg_conn*") == 0)
        return *static_cast<pg_conn *const *>(v.constData());
    return nullptr;
}

bool pgAlive(const QSqlDatabase &db)
{
    pg_conn *h = pgHandle(db);
    if (!h || PQstatus(h) != CONNECTION_OK)
        return false;
    if (PQtransactionStatus(h) == PQTRANS_ACTIVE)
        return true; // a statement is running: its result tells
    pollfd fd{PQsocket(h), POLLIN, 0};
    if (poll(&fd, 1, 0) <= 0)
        return true; // nothing came
    // A closing server sends its message, then the end of the stream.
    for (int i = 0; i < 4 && PQstatus(h) == CONNECTION_OK; ++i) {
        if (!PQconsumeInput(h))
            break;
    }
    return PQstatus(h) == CONNECTION_OK;
}

bool upgradeServerSchema(const QSqlDatabase &db)
{
    const PgResult old = pgTry(db,
                               QStringLiteral("SELECT c.relname, a.attname FROM pg_attribute a "
                                              "JOIN pg_class c ON c.oid = a.attrelid "
                                              "JOIN pg_collation co ON co.oid = a.attcollation "
                                              "WHERE c.relnamespace = "
                                              "current_schema()::regnamespace AND c.relkind = "
                                              "'r' AND a.attnum > 0 AND NOT a.attisdropped AND "
                                              "co.collname = ? ORDER BY c.relname, a.attnum"),
                               {kIcuCollation});
    if (!old.ok() || old.rows() == 0)
        return true;
    // One ALTER per table: its indexes are built once.
    QStringList statements{QStringLiteral("BEGIN"), QStringLiteral("SET LOCAL lock_timeout = '5s'"),
                           serverCollationStatement()};
    QString table;
    QStringList columns;
    auto alter = [&] {
        if (!columns.isEmpty())
            statements << QStringLiteral("ALTER TABLE %1 %2")
                              .arg(quoteName(table), columns.join(QStringLiteral(", ")));
        columns.clear();
    };
    for (int i = 0; i < old.rows(); ++i) {
        if (old.text(i, 0) != table) {
            alter();
            table = old.text(i, 0);
        }
        columns << QStringLiteral("ALTER COLUMN %1 TYPE text COLLATE %2")
                       .arg(quoteName(old.text(i, 1)), kServerCollation);
    }
    alter();
    statements << QStringLiteral("COMMIT");
    for (const QString &st : std::as_const(statements)) {
        const PgResult r = pgTry(db, st, {});
        if (!r.ok()) {
            if (pgAlive(db))
                PQclear(PQexec(pgHandle(db), "ROLLBACK"));
            postNote(QStringLiteral("As colunas de texto do banco de dados do servidor \"%1\" "
                                    "continuam com a ordem antiga (maiúsculas e minúsculas "
                                    "diferentes numa comparação): %2")
                         .arg(serverOfConnection(db.connectionName()).name(), r.message()));
            return false;
        }
    }
    forgetCatalog(db);
    return true;
}

bool pgInTransaction(const QSqlDatabase &db)
{
    pg_conn *h = pgHandle(db);
    if (!h)
        return false;
    const PGTransactionStatusType t = PQtransactionStatus(h);
    return t == PQTRANS_INTRANS || t == PQTRANS_INERROR || t == PQTRANS_ACTIVE;
}

// ---- results ---------------------------------------------------------------

PgResult::~PgResult()
{
    PQclear(m_result);
}

PgResult &PgResult::operator=(PgResult &&other) noexcept
{
    if (this != &other) {
        PQclear(m_result);
        m_result = other.m_result;
        other.m_result = nullptr;
    }
    return *this;
}

bool PgResult::ok() const
{
    if (!m_result)
        return false;
    const ExecStatusType s = PQresultStatus(m_result);
    return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK || s == PGRES_SINGLE_TUPLE;
}

int PgResult::rows() const
{
    return m_result ? PQntuples(m_result) : 0;
}

int PgResult::columns() const
{
    return m_result ? PQnfields(m_result) : 0;
}

bool PgResult::isNull(int row, int column) const
{
    return PQgetisnull(m_result, row, column) != 0;
}

QByteArrayView PgResult::bytes(int row, int column) const
{
    return QByteArrayView(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

QString PgResult::text(int row, int column) const
{
    const QByteArrayView b = bytes(row, column);
    return QString::fromUtf8(b.data(), b.size());
}

qint64 PgResult::changes() const
{
    return m_result ? QByteArray(PQcmdTuples(m_result)).toLongLong() : 0;
}

QString PgResult::sqlstate() const
{
    const char *s = m_result ? PQresultErrorField(m_result, PG_DIAG_SQLSTATE) : nullptr;
    return s ? QString::fromLatin1(s) : QString();
}

QString PgResult::message() const
{
    const char *s = m_result ? PQresultErrorField(m_result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    if (s)
        return QString::fromUtf8(s);
    return m_result ? QString::fromUtf8(PQresultErrorMessage(m_result)).trimmed() : QString();
}

// ---- statements ------------------------------------------------------------

QString numberedParameters(const QString &sql, int *count)
{
    QString out;
    out.reserve(sql.size() + 8);
    int n = 0;
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            out += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            out += c;
        } else if (c == QLatin1Char('-') && i + 1 < sql.size() && sql.at(i + 1) == c) {
            const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
            const qsizetype stop = end < 0 ? sql.size() : end;
            out += sql.mid(i, stop - i);
            i = stop - 1;
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('$') + QString::number(++n);
        } else {
            out += c;
        }
    }
    if (count)
        *count = n;
    return out;
}

std::optional<QByteArray> pgParameter(const QVariant &value)
{
    const QVariant v = normalise(value);
    if (!v.isValid() || v.isNull())
        return std::nullopt;
    switch (v.typeId()) {
    case QMetaType::Bool:
        return QByteArray(v.toBool() ? "1" : "0");
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (std::isnan(d))
            return QByteArray("NaN");
        if (std::isinf(d))
            return QByteArray(d > 0 ? "Infinity" : "-Infinity");
        return QByteArray::number(d, 'g', 17);
    }
    case QMetaType::QByteArray:
        return v.toByteArray();
    default:
        return v.toString().toUtf8();
    }
}

DataError pgFailure(const QSqlDatabase &db, const QString &sqlstate, const QString &message,
                    const QString &source, int otherNumber)
{
    const ServerSettings s = serverOfConnection(db.connectionName());
    // Whatever the statement said, a connection that is gone is told as lost.
    const QString state = pgAlive(db) ? sqlstate : QStringLiteral("08006");
    return serverError(state, message, s.name(), source, otherNumber);
}

// The server keeps no NUL character in a text (SQLite does), and its driver
// would cut the text there. A write of such a text is refused; a read looks
// for it with a character no stored text holds (U+FFFF), so it finds nothing
// rather than what the text before the NUL would find.
QVariantList withoutNul(const QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QVariantList out = values;
    const bool read = sql.trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive);
    for (QVariant &v : out) {
        if (v.typeId() != QMetaType::QString || !v.toString().contains(QChar(0)))
            continue;
        if (!read)
            throw DataError(ErrorNumber::TypeMismatch,
                            QStringLiteral("Tipos incompatíveis: um texto com o caractere nulo "
                                           "não pode ser gravado no servidor \"%1\".")
                                .arg(serverOfConnection(db.connectionName()).name()),
                            kSource);
        v = v.toString().replace(QChar(0), QChar(0xFFFF));
    }
    return out;
}

PgResult pgTry(const QSqlDatabase &db, const QString &sql, const QVariantList &given)
{
    const QVariantList values = withoutNul(db, sql, given);
    pg_conn *h = pgHandle(db);
    if (!h || PQstatus(h) != CONNECTION_OK)
        return PgResult();
    int count = 0;
    const QByteArray text = numberedParameters(sql, &count).toUtf8();
    std::vector<std::optional<QByteArray>> params;
    params.reserve(values.size());
    for (const QVariant &v : values)
        params.push_back(pgParameter(v));
    std::vector<const char *> pointers;
    for (const auto &p : params)
        pointers.push_back(p ? p->constData() : nullptr);
    return PgResult(values.isEmpty() && count == 0
                        ? PQexec(h, text.constData())
                        : PQexecParams(h, text.constData(), int(pointers.size()), nullptr,
                                       pointers.data(), nullptr, nullptr, 0));
}

DataError pgResultFailure(const QSqlDatabase &db, const PgResult &r, const QString &source,
                          int otherNumber)
{
    pg_conn *h = pgHandle(db);
    const QString message = r.get() ? r.message()
                                    : (h ? QString::fromUtf8(PQerrorMessage(h)).trimmed()
                                         : QStringLiteral("sem conexão"));
    return pgFailure(db, r.sqlstate(), message, source, otherNumber);
}

DataError statementFailure(const QSqlDatabase &db, const PgResult &r, const QString &source)
{
    const DataError e = pgResultFailure(db, r, source, ErrorNumber::SqlFailed);
    if (isStorageFailure(e.number()) || !r.get())
        return e;
    return DataError(ErrorNumber::SqlFailed, r.message(), source, e.detail());
}

PgResult pgExec(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                const QString &source, int otherNumber)
{
    PgResult r = pgTry(db, sql, values);
    if (!r.ok())
        throw pgResultFailure(db, r, source, otherNumber);
    return r;
}

QSqlQuery serverExec(const QSqlDatabase &db, const QString &sql, const QVariantList &given)
{
    const QVariantList values = withoutNul(db, sql, given);
    QSqlQuery q(db);
    const QString text = toDialect(sql, Dialect::Postgres);
    auto fail = [&] {
        const QSqlError err = q.lastError();
        // The driver's text holds the server's message after "ERROR:  ".
        QString message = err.databaseText();
        message.remove(QRegularExpression(QStringLiteral("^[A-Z]+:\\s+")));
        message = message.section(QLatin1Char('\n'), 0, 0).trimmed();
        message.remove(QRegularExpression(QStringLiteral("\\s*\\([0-9A-Z]{5}\\)$")));
        return pgFailure(db, err.nativeErrorCode(), message.isEmpty() ? err.text() : message,
                         kSource);
    };
    // A statement without values runs as it is (the server prepares no
    // statement that defines a table or a function).
    if (values.isEmpty()) {
        if (!q.exec(text))
            throw fail();
        return q;
    }
    if (!q.prepare(text))
        throw fail();
    for (const QVariant &v : values) {
        const QVariant n = normalise(v);
        // A yes/no is written as 1 or 0, as SQLite writes it.
        q.addBindValue(n.typeId() == QMetaType::Bool ? QVariant(n.toBool() ? 1 : 0) : n);
    }
    if (!q.exec())
        throw fail();
    return q;
}

qint64 keyLockOf(const QString &table)
{
    // FNV-1a of the table's name: the same number on every desk.
    quint64 h = 14695981039346656037ULL;
    for (const char c : QByteArray("kq-730 chave ") + table.toLower().toUtf8()) {
        h ^= quint8(c);
        h *= 1099511628211ULL;
    }
    return qint64(h);
}

} // namespace kq::data::internal
